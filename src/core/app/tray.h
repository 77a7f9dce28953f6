// The notification-area icon.
#pragma once

#include <string>

#include "app/app.h"

namespace calvox {

inline constexpr int kConnectIconResource = 129;
inline constexpr int kDisconnectIconResource = 130;
inline constexpr std::size_t kTrayTipChars = 127;

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

// The tray icon's callback message.
void OnTrayMessage(App& app, Hwnd hubWindow, LParam mouseMessage);

}  // namespace calvox
