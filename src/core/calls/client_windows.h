// The Skype client's own windows: finding them by class, and synthesized
// keys and clicks for what the Desktop API has no command for.
#pragma once

#include "platform/clock_port.h"
#include "platform/window_port.h"

namespace calvox {

// The Skype client's windows, found on attach.
struct ClientWindows {
    Hwnd mainForm = 0;
    Hwnd pageControl = 0;
    Hwnd historyList = 0;
    Hwnd contactList = 0;
    Hwnd addressBar = 0;
};

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

// What the program does to the client's windows for what the Desktop API has
// no command for; the windows are looked up at attach and checked at each use.
class ClientAutomation {
public:
    ClientAutomation(WindowPort& window, ClockPort& clock);

    ClientWindows& Windows() { return windows_; }
    // The main form, page control and lists, and the address bar, of the
    // client that owns apiWindow.
    void FindWindows(Hwnd apiWindow);
    // Posts one key press (down and up) to the client's address-bar edit.
    void PostKeyToAddressBar(std::uint16_t virtualKey);
    // Empties the client's address-bar edit; what the edit returned, 0 without one.
    LResult ClearAddressBar();
    // Types one dial character into the address bar: keys posted to the edit
    // while a number is being typed in it, else a click into it and real keys.
    void TypeIntoAddressBar(char ch);
    void Minimize();

private:
    WindowPort& window_;
    ClockPort& clock_;
    ClientWindows windows_;
};

}  // namespace calvox
