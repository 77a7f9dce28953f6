#include "app/tray.h"

#include "app/hub_messages.h"

namespace calvox {

namespace {
constexpr unsigned kNifMessage = 0x1;
constexpr unsigned kNifIcon = 0x2;
constexpr unsigned kNifTip = 0x4;
}  // namespace

TrayIconRecord MakeTrayRecord(Hwnd hubWindow, const std::string& tip, IconHandle icon) {
    TrayIconRecord record;
    record.window = hubWindow;
    record.id = 1;
    record.flags = kNifMessage | kNifIcon | kNifTip;
    record.callbackMessage = HUBM_TRAY;
    record.icon = icon;
    record.tip = tip.substr(0, kTrayTipChars);
    return record;
}

void TrayAdd(App& app, Hwnd hubWindow, const std::string& tip, IconHandle icon) {
    if (app.settings.hideTrayIcon) return;
    app.platform.shell.NotifyIcon(TrayOp::Add, MakeTrayRecord(hubWindow, tip, icon));
}

void TrayRemove(App& app, Hwnd hubWindow) {
    if (app.settings.hideTrayIcon) return;
    app.platform.shell.NotifyIcon(TrayOp::Delete, MakeTrayRecord(hubWindow, "", 0));
}

void TraySetIcon(App& app, Hwnd hubWindow, const std::string& tip, IconHandle icon) {
    app.platform.shell.NotifyIcon(TrayOp::Modify, MakeTrayRecord(hubWindow, tip, icon));
}

void LoadTrayIcons(App& app) {
    HubState& hub = app.hub;
    ShellPort& shell = app.platform.shell;
    if (!hub.connectIconPath.empty()) {
        hub.connectIcon = shell.LoadIconFile(hub.connectIconPath);
        if (hub.connectIcon == 0) hub.connectIconPath.clear();
    }
    if (!hub.disconnectIconPath.empty()) {
        hub.disconnectIcon = shell.LoadIconFile(hub.disconnectIconPath);
        if (hub.disconnectIcon == 0) hub.disconnectIconPath.clear();
    }
    if (hub.connectIcon == 0) hub.connectIcon = shell.LoadIconResource(kConnectIconResource);
    if (hub.disconnectIcon == 0)
        hub.disconnectIcon = shell.LoadIconResource(kDisconnectIconResource);
}

void DestroyTrayIcons(App& app) {
    HubState& hub = app.hub;
    if (!hub.connectIconPath.empty() && hub.connectIcon != 0)
        app.platform.shell.DestroyIcon(hub.connectIcon);
    if (!hub.disconnectIconPath.empty() && hub.disconnectIcon != 0)
        app.platform.shell.DestroyIcon(hub.disconnectIcon);
}

// The tray menu and the About box come with the tray's own work; until then a
// click on the icon does nothing.
void OnTrayMessage(App&, Hwnd, LParam) {}

}  // namespace calvox
