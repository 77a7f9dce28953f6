#include "shell/tray.h"

#include <cstdio>
#include <vector>

#include "hub/hub_messages.h"
#include "calls/call_actions.h"
#include "client/transport.h"

namespace calvox {

namespace {
constexpr unsigned kNifMessage = 0x1;
constexpr unsigned kNifIcon = 0x2;
constexpr unsigned kNifTip = 0x4;
constexpr unsigned kTpmRightButton = 0x0002;
constexpr unsigned kTpmRightAlign = 0x0008;
constexpr unsigned kTpmNoNotify = 0x0080;
constexpr unsigned kTpmReturnCmd = 0x0100;
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
    app.hub.trayIcon = icon;
    if (app.settings.hideTrayIcon) return;
    app.platform.shell.NotifyIcon(TrayOp::Add, MakeTrayRecord(hubWindow, tip, icon));
}

void TrayRemove(App& app, Hwnd hubWindow) {
    if (app.settings.hideTrayIcon) return;
    app.platform.shell.NotifyIcon(TrayOp::Delete, MakeTrayRecord(hubWindow, "", 0));
}

void TraySetIcon(App& app, Hwnd hubWindow, const std::string& tip, IconHandle icon) {
    app.hub.trayIcon = icon;
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

void OnTrayMessage(App& app, Hwnd hubWindow, LParam mouseMessage) {
    if (mouseMessage != wm::kRButtonUp && mouseMessage != wm::kLButtonDblClk) return;
    Platform& platform = app.platform;
    const bool companionExists =
        platform.files.GetFileAttributes(app.settings.companionPath) != kInvalidFileAttributes;
    const bool settingsAvailable =
        companionExists && (app.driverPlayer.IsPresent() || app.hub.gboxPresent);

    WindowPort& windows = platform.window;
    const MenuHandle menu = windows.CreatePopupMenu();
    if (menu == 0) return;
    windows.AppendMenuItem(
        menu, IDM_TRAY_SETTING,
        platform.shell.LoadString(settingsAvailable ? kStringAdvanceSetting : kStringAbout));
    windows.AppendMenuItem(menu, IDM_TRAY_EXIT, platform.shell.LoadString(kStringExit));
    int x = 0, y = 0;
    windows.GetCursorPos(x, y);
    // In the foreground, the menu closes when the user clicks elsewhere.
    windows.SetForegroundWindow(hubWindow);
    const unsigned command = windows.TrackPopupMenu(
        menu, kTpmReturnCmd | kTpmNoNotify | kTpmRightAlign | kTpmRightButton, x, y, hubWindow);
    windows.DestroyMenu(menu);

    if (command == IDM_TRAY_SETTING) {
        if (settingsAvailable)
            OpenCompanion(app, hubWindow, true);
        else
            ShowAboutBox(platform, hubWindow, app.hub.trayTip, app.hub.connectIconPath);
    } else if (command == IDM_TRAY_EXIT) {
        SendBareAudioCommands(app, hubWindow);
        windows.PostMessage(hubWindow, wm::kClose, 0, 0);
    }
}

void OnTaskbarCreated(App& app, Hwnd hubWindow) {
    TrayAdd(app, hubWindow, app.hub.trayTip, app.hub.trayIcon);
}

std::u16string AboutVersionLine(const std::u16string& text, const std::u16string& title,
                                const std::u16string& version) {
    static const std::u16string kName = [] {
        const std::string ascii = kDefaultProductTitle;
        return std::u16string(ascii.begin(), ascii.end());
    }();
    std::u16string line;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(kName, from)) != std::u16string::npos;
         from = at + kName.size())
        line.append(text, from, at - from).append(title);
    line.append(text, from, std::u16string::npos);
    return line + u' ' + version;
}

std::u16string ReadFileVersion(ShellPort& shell) {
    std::vector<VersionTranslation> translations;
    if (!shell.GetVersionTranslations(translations)) return {};
    for (const VersionTranslation& t : translations) {
        char subBlock[64];
        std::snprintf(subBlock, sizeof subBlock, "\\StringFileInfo\\%04x%04x\\FileVersion",
                      t.language, t.codePage);
        std::u16string version;
        if (shell.QueryVersionString(subBlock, version)) return version;
    }
    return {};
}

void ShowAboutBox(Platform& platform, Hwnd owner, const std::string& productTitle,
                  const std::string& connectIconPath) {
    IconHandle icon = 0;
    platform.window.DialogBox(kAboutDialog, owner, [&](DialogItems& items) {
        std::u16string title;
        platform.text.AnsiToWide(productTitle, title);
        items.SetText(kAboutVersionItem, AboutVersionLine(items.GetText(kAboutVersionItem), title,
                                                          ReadFileVersion(platform.shell)));
        if (!connectIconPath.empty()) {
            icon = platform.shell.LoadIconFile(connectIconPath);
            if (icon != 0) items.SetIcon(kAboutIconItem, icon);
        }
    });
    // However the box was closed, its icon goes with it.
    if (icon != 0) platform.shell.DestroyIcon(icon);
}

}  // namespace calvox
