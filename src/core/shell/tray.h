// The notification-area icon, its menu and the About box.
#pragma once

#include <string>

#include "hub/app.h"

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

// The shell's record for our icon: id 1, message + icon + tip, HUBM_TRAY.
TrayIconRecord MakeTrayRecord(Hwnd hubWindow, const std::string& tip, IconHandle icon);

// Add and remove do nothing at all with HIDETRAYICON on; a change is always
// attempted (the shell refuses it when the icon is hidden).
void TrayAdd(App& app, Hwnd hubWindow, const std::string& tip, IconHandle icon);
void TrayRemove(App& app, Hwnd hubWindow);
void TraySetIcon(App& app, Hwnd hubWindow, const std::string& tip, IconHandle icon);

// Loads the two icons: from the configured files, else the built-in ones. A
// file that does not load empties its path.
void LoadTrayIcons(App& app);
// Destroys the icons that came from files.
void DestroyTrayIcons(App& app);

// The tray icon's callback message: the menu on a right-button release or a
// left double click.
void OnTrayMessage(App& app, Hwnd hubWindow, LParam mouseMessage);
// Explorer started again ("TaskbarCreated"): the icon comes back as it was.
void OnTaskbarCreated(App& app, Hwnd hubWindow);

// The About box's version line: every default product name in `text` replaced
// by `title`, then a blank and the version. Built whole, whatever the lengths.
std::u16string AboutVersionLine(const std::u16string& text, const std::u16string& title,
                                const std::u16string& version);
// The program's file version: the FileVersion of the first entry of the
// version resource's translation list that has one; empty when none has.
std::u16string ReadFileVersion(ShellPort& shell);
// The modal About box, owned by the hub window.
void ShowAboutBox(Platform& platform, Hwnd owner, const std::string& productTitle,
                  const std::string& connectIconPath);

}  // namespace calvox
