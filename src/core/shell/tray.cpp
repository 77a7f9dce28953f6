#include "shell/tray.h"

#include <cstdio>
#include <vector>

#include "base/hub_messages.h"

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

TrayIconRecord Tray::Record(const std::string& tip, IconHandle icon) const {
    TrayIconRecord record;
    record.window = hubWindow_.Handle();
    record.id = 1;
    record.flags = kNifMessage | kNifIcon | kNifTip;
    record.callbackMessage = HUBM_TRAY;
    record.icon = icon;
    record.tip = tip.substr(0, kTrayTipChars);
    return record;
}

void Tray::SetTexts(const std::string& tip, const std::string& connectIconPath,
                    const std::string& disconnectIconPath) {
    tip_ = tip;
    connectIconPath_ = connectIconPath;
    disconnectIconPath_ = disconnectIconPath;
}

void Tray::Add(IconHandle icon) {
    trayIcon_ = icon;
    if (settings_.hideTrayIcon) return;
    shell_.NotifyIcon(TrayOp::Add, Record(tip_, icon));
}

void Tray::Remove() {
    if (settings_.hideTrayIcon) return;
    shell_.NotifyIcon(TrayOp::Delete, Record("", 0));
}

void Tray::ShowConnected(bool connected) {
    trayIcon_ = connected ? connectIcon_ : disconnectIcon_;
    shell_.NotifyIcon(TrayOp::Modify, Record(tip_, trayIcon_));
}

void Tray::LoadIcons() {
    if (!connectIconPath_.empty()) {
        connectIcon_ = shell_.LoadIconFile(connectIconPath_);
        if (connectIcon_ == 0) connectIconPath_.clear();
    }
    if (!disconnectIconPath_.empty()) {
        disconnectIcon_ = shell_.LoadIconFile(disconnectIconPath_);
        if (disconnectIcon_ == 0) disconnectIconPath_.clear();
    }
    if (connectIcon_ == 0) connectIcon_ = shell_.LoadIconResource(kConnectIconResource);
    if (disconnectIcon_ == 0) disconnectIcon_ = shell_.LoadIconResource(kDisconnectIconResource);
}

void Tray::DestroyIcons() {
    if (!connectIconPath_.empty() && connectIcon_ != 0) shell_.DestroyIcon(connectIcon_);
    if (!disconnectIconPath_.empty() && disconnectIcon_ != 0) shell_.DestroyIcon(disconnectIcon_);
}

bool Tray::OpensMenu(LParam mouseMessage) {
    return mouseMessage == wm::kRButtonUp || mouseMessage == wm::kLButtonDblClk;
}

TrayCommand Tray::ShowMenu(bool settingsAvailable) {
    const MenuHandle menu = windows_.CreatePopupMenu();
    if (menu == 0) return TrayCommand::None;
    windows_.AppendMenuItem(
        menu, IDM_TRAY_SETTING,
        shell_.LoadString(settingsAvailable ? kStringAdvanceSetting : kStringAbout));
    windows_.AppendMenuItem(menu, IDM_TRAY_EXIT, shell_.LoadString(kStringExit));
    int x = 0, y = 0;
    windows_.GetCursorPos(x, y);
    // In the foreground, the menu closes when the user clicks elsewhere.
    const Hwnd owner = hubWindow_.Handle();
    windows_.SetForegroundWindow(owner);
    const unsigned command = windows_.TrackPopupMenu(
        menu, kTpmReturnCmd | kTpmNoNotify | kTpmRightAlign | kTpmRightButton, x, y, owner);
    windows_.DestroyMenu(menu);
    if (command == IDM_TRAY_SETTING) return TrayCommand::Settings;
    if (command == IDM_TRAY_EXIT) return TrayCommand::Exit;
    return TrayCommand::None;
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

void Tray::ShowAboutBox() {
    IconHandle icon = 0;
    windows_.DialogBox(kAboutDialog, hubWindow_.Handle(), [&](DialogItems& items) {
        std::u16string title;
        text_.AnsiToWide(tip_, title);
        items.SetText(kAboutVersionItem, AboutVersionLine(items.GetText(kAboutVersionItem), title,
                                                          ReadFileVersion(shell_)));
        if (!connectIconPath_.empty()) {
            icon = shell_.LoadIconFile(connectIconPath_);
            if (icon != 0) items.SetIcon(kAboutIconItem, icon);
        }
    });
    // However the box was closed, its icon goes with it.
    if (icon != 0) shell_.DestroyIcon(icon);
}

}  // namespace calvox
