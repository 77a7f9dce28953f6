// The Skype client's own windows: finding them by class, and synthesized
// keys and clicks for what the Desktop API has no command for.
#pragma once

#include "hub/app.h"

namespace calvox {

// Fill the main form, page control and lists / the main form and the
// address-bar edit from the top-level windows of the process that owns
// apiWindow. False (and nothing changed) when apiWindow is no window.
bool FindClientWindows(WindowPort& window, ClientWindows& found, Hwnd apiWindow);
bool FindAddressBar(WindowPort& window, ClientWindows& found, Hwnd apiWindow);

// A live window, checked at each use: the client may close at any moment.
inline bool IsLive(WindowPort& window, Hwnd handle) {
    return handle != 0 && window.IsWindow(handle);
}

void SendKeyDown(WindowPort& window, std::uint16_t virtualKey);
void SendKeyUp(WindowPort& window, std::uint16_t virtualKey);
// Absolute coordinates (0-65535 across the screen); MOUSEEVENTF_ABSOLUTE is added.
void SendMouseInput(WindowPort& window, std::uint32_t flags, int x, int y);

// The middle of `rect` in SendInput's absolute coordinates; a screen size of
// 0 counts as 1.
struct AbsolutePoint {
    int x = 0, y = 0;
};
AbsolutePoint AbsoluteCenter(const Rect& rect, int screenWidth, int screenHeight);

// The dial character of a key-up-mode digit code (NUMBER_0 ... NUMBER_+), 0
// for any other code, and the virtual key that types it ("#" is Shift + 3).
char KeyUpDialCharacter(int code);
std::uint16_t DialVirtualKey(char ch);

// A digit key in key-up mode: DTMF into a call in progress, else typed into
// the client's address bar.
void TypeDigitIntoAddressBar(App& app, int code, Hwnd hubWindow, int count);

}  // namespace calvox
