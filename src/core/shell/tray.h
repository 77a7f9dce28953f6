// The notification-area icon, its menu and the About box.
#pragma once

#include <string>

#include "base/hub_window.h"
#include "config/settings.h"
#include "platform/shell_port.h"
#include "platform/text_port.h"
#include "platform/window_port.h"

namespace calvox {

inline constexpr int kConnectIconResource = 129;
inline constexpr int kDisconnectIconResource = 130;
inline constexpr std::size_t kTrayTipChars = 127;

// The tray menu's commands and the string-table ids of its items.
inline constexpr unsigned IDM_TRAY_SETTING = 775;
inline constexpr unsigned IDM_TRAY_EXIT = 776;
inline constexpr int kStringAbout = 102;
inline constexpr int kStringAdvanceSetting = 103;
inline constexpr int kStringExit = 104;

// The About box (dialog resource 100) and the controls it fills in.
inline constexpr int kAboutDialog = 100;
inline constexpr int kAboutVersionItem = 1004;
inline constexpr int kAboutIconItem = 1005;

enum class TrayCommand { None, Settings, Exit };

// The notification-area icon, its two icons and tip, the menu and the About box.
class Tray {
public:
    Tray(ShellPort& shell, WindowPort& windows, TextPort& text, const Settings& settings,
         HubWindow& hubWindow)
        : shell_(shell),
          windows_(windows),
          text_(text),
          settings_(settings),
          hubWindow_(hubWindow) {}

    // The tip and the icon files the settings name.
    void SetTexts(const std::string& tip, const std::string& connectIconPath,
                  const std::string& disconnectIconPath);
    // Loads the two icons: from the configured files, else the built-in ones. A
    // file that does not load empties its path.
    void LoadIcons();
    // Destroys the icons that came from files.
    void DestroyIcons();

    // Add and remove do nothing at all with HIDETRAYICON on; a change is always
    // attempted (the shell refuses it when the icon is hidden).
    void AddDisconnected() { Add(disconnectIcon_); }
    void Remove();
    void ShowConnected(bool connected);
    // Explorer started again ("TaskbarCreated"): the icon comes back as it was.
    void OnTaskbarCreated() { Add(trayIcon_); }

    // The tray icon's callback message opens the menu on a right-button
    // release or a left double click.
    static bool OpensMenu(LParam mouseMessage);
    // The menu, its first item the companion's settings or the About box.
    TrayCommand ShowMenu(bool settingsAvailable);
    // The modal About box, owned by the hub window.
    void ShowAboutBox();

private:
    TrayIconRecord Record(const std::string& tip, IconHandle icon) const;
    void Add(IconHandle icon);

    ShellPort& shell_;
    WindowPort& windows_;
    TextPort& text_;
    const Settings& settings_;
    HubWindow& hubWindow_;
    std::string tip_ = kDefaultProductTitle;
    std::string connectIconPath_;
    std::string disconnectIconPath_;
    IconHandle connectIcon_ = 0;
    IconHandle disconnectIcon_ = 0;
    // The icon the tray shows (or would show with the icon hidden).
    IconHandle trayIcon_ = 0;
};

// The About box's version line: every default product name in `text` replaced
// by `title`, then a blank and the version. Built whole, whatever the lengths.
std::u16string AboutVersionLine(const std::u16string& text, const std::u16string& title,
                                const std::u16string& version);
// The program's file version: the FileVersion of the first entry of the
// version resource's translation list that has one; empty when none has.
std::u16string ReadFileVersion(ShellPort& shell);
}  // namespace calvox
