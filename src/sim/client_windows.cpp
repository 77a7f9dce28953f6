// The Skype client's windows in the virtual Windows: classes, places, the
// page that shows, the address-bar edit, and what posted messages and
// synthesized input do to them.
#include <algorithm>

#include "hub/hub_messages.h"
#include "sim/codepage.h"
#include "sim/simulation.h"

namespace calvox::sim {

namespace {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
// Process ids the window functions report.
constexpr std::uint32_t kProgramProcess = 0x100;
constexpr std::uint32_t kClientProcess = 0x200;
constexpr std::uint32_t kOtherProcess = 0x300;

bool Inside(const Rect& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// The character a key types into an edit, 0 for none.
char CharOfKey(std::uint16_t vk, bool shift) {
    if (vk == 0x33 && shift) return '#';
    if (vk >= 0x30 && vk <= 0x39) return static_cast<char>(vk);
    if (vk == 0x6A) return '*';
    if (vk == 0x6B) return '+';
    return 0;
}

}  // namespace

std::vector<Simulation::ClientWindow> Simulation::ClientWindowList() const {
    std::vector<ClientWindow> list;
    if (!client_.exists) return list;
    const Client& c = client_;
    const bool filterBar = c.layout == "filterbar" || c.layout == "tntedit";
    // In the order EnumWindows and EnumChildWindows visit them.
    list.push_back({c.api, 0, "tSkApiWindow", {0, 0, 0, 0}});
    if (c.mainForm) list.push_back({c.mainForm, 0, "tSkMainForm.UnicodeClass", {0, 0, 800, 600}});
    if (c.addressHolder)
        list.push_back({c.addressHolder,
                        c.mainForm,
                        filterBar ? "TFilterBar" : "tSkAddressbar.UnicodeClass",
                        {0, 40, 800, 70}});
    if (c.addressBar)
        list.push_back({c.addressBar,
                        c.addressHolder,
                        c.layout == "filterbar" ? "TFilterbarEdit.UnicodeClass"
                        : c.layout == "tntedit" ? "TTntEdit.UnicodeClass"
                                                : "Edit",
                        {10, 45, 790, 65}});
    if (c.pageControl) {
        list.push_back(
            {c.pageControl, c.mainForm, "TTntPageControl.UnicodeClass", {0, 100, 300, 600}});
        list.push_back(
            {c.contactList, c.pageControl, "tSkContactList.UnicodeClass", {0, 130, 300, 600}});
        list.push_back(
            {c.historyList, c.pageControl, "tSkBgGrid.UnicodeClass", {0, 130, 300, 600}});
    }
    return list;
}

std::optional<Simulation::ClientWindow> Simulation::FindClientWindow(Hwnd window) const {
    for (const ClientWindow& w : ClientWindowList())
        if (window != 0 && w.handle == window) return w;
    return std::nullopt;
}

std::uint32_t Simulation::GetWindowProcessId(Hwnd window) {
    if (!IsWindow(window)) return 0;
    if (FindClientWindow(window)) return kClientProcess;
    if (ProcessOf(window)) return kProgramProcess;
    return kOtherProcess;
}

std::vector<Hwnd> Simulation::EnumTopLevelWindows() {
    std::vector<Hwnd> windows{other_};
    for (const ClientWindow& w : ClientWindowList())
        if (w.parent == 0) windows.push_back(w.handle);
    for (const auto& p : processes_)
        if (p->hub != 0 && !p->destroyed) windows.push_back(p->hub);
    if (instanceWindow_ != 0) windows.push_back(instanceWindow_);
    if (companion_ != 0) windows.push_back(companion_);
    return windows;
}

std::vector<Hwnd> Simulation::EnumDescendants(Hwnd parent) {
    // Depth first, as EnumChildWindows goes: a window, then its children.
    std::vector<Hwnd> windows;
    const std::vector<ClientWindow> list = ClientWindowList();
    std::vector<Hwnd> parents{parent};
    for (const ClientWindow& w : list) {
        if (w.parent == 0) continue;
        if (std::find(parents.begin(), parents.end(), w.parent) == parents.end()) continue;
        windows.push_back(w.handle);
        parents.push_back(w.handle);
    }
    return windows;
}

std::string Simulation::GetClassName(Hwnd window) {
    if (!IsWindow(window)) return {};
    if (auto w = FindClientWindow(window)) return w->className;
    if (ProcessOf(window) != nullptr || window == instanceWindow_) return kHiddenWindowClass;
    return "OtherWindow";
}

bool Simulation::IsWindowVisible(Hwnd window) {
    // The client's windows stay visible, minimized or not; the hidden window is not.
    return IsWindow(window) && ProcessOf(window) == nullptr && window != client_.api;
}

bool Simulation::GetWindowRect(Hwnd window, Rect& rect) {
    if (auto w = FindClientWindow(window)) {
        rect = w->rect;
        return true;
    }
    if (!IsWindow(window)) return false;
    rect = window == other_ ? Rect{0, 0, kScreenWidth, kScreenHeight} : Rect{};
    return true;
}

Hwnd Simulation::WindowFromPoint(int x, int y) {
    const Client& c = client_;
    Hwnd found = 0;
    // The deepest window that holds the point; of the two pages the one that shows.
    for (const ClientWindow& w : ClientWindowList()) {
        if (w.parent == 0 && w.handle != c.mainForm) continue;
        if (w.handle == (c.historyShowing ? c.contactList : c.historyList)) continue;
        if (Inside(w.rect, x, y)) found = w.handle;
    }
    return found != 0 ? found : other_;
}

std::string Simulation::MessageTrace(const char* how, Hwnd window, unsigned message, WParam wParam,
                                     const std::string& lParam) const {
    return std::string("window ") + how + " " + Role(window) + " " + MessageName(message) + " " +
           Hex(wParam) + " " + lParam;
}

bool Simulation::GetWindowText(Hwnd window, std::string& text) {
    if (!FindClientWindow(window)) return false;
    text = window == client_.addressBar ? client_.addressText : std::string();
    // The program's buffer, as it would offer it: 260 bytes, more for a longer text.
    const WParam size = std::max<WParam>(260, text.size() + 1);
    Write(MessageTrace("send", window, wm::kGetText, size, QuoteText(Cp1252ToUtf8(text))));
    return true;
}

LResult Simulation::SetWindowText(Hwnd window, const char* text) {
    if (!FindClientWindow(window)) return 0;
    const std::string value = text != nullptr ? text : "";
    Write(MessageTrace("send", window, wm::kSetText, 0, QuoteText(Cp1252ToUtf8(value))));
    if (window == client_.addressBar) client_.addressText = value;
    return 1;
}

void Simulation::ClientWindowMessage(Hwnd window, unsigned message, WParam wParam, LParam lParam) {
    Client& c = client_;
    Write(MessageTrace("post", window, message, wParam, Hex(static_cast<std::uint64_t>(lParam))));
    if (window == c.pageControl && message == wm::kLButtonDown) {
        c.pageControlPressed = true;
    } else if (window == c.pageControl && message == wm::kLButtonUp) {
        // The contacts tab sits at the page control's top-left corner.
        if (c.pageControlPressed && lParam == MakePointParam(5, 5)) c.historyShowing = false;
        c.pageControlPressed = false;
    } else if (window == c.historyList && message == wm::kLButtonUp) {
        c.historyShowing = true;
    } else if (window == c.mainForm && message == wm::kSysCommand && wParam == kScMinimize) {
        if (foreground_ == c.mainForm) foreground_ = other_;
    } else if (window == c.addressBar && message == wm::kChar) {
        if (wParam >= 0x20 && wParam < 0x100) c.addressText += static_cast<char>(wParam);
    } else if (window == c.addressBar && message == wm::kKeyDown) {
        // The client's own loop translates a posted key into its character.
        if (wParam == 0x08) {
            if (!c.addressText.empty()) c.addressText.pop_back();
        } else if (char ch = CharOfKey(static_cast<std::uint16_t>(wParam), false)) {
            c.addressText += ch;
        }
    }
}

void Simulation::TypeIntoFocus(std::uint16_t virtualKey) {
    Client& c = client_;
    if (!c.exists || foreground_ != c.mainForm || c.focus != c.addressBar || c.addressBar == 0)
        return;
    if (virtualKey == 0x08) {
        if (!c.addressText.empty()) c.addressText.pop_back();
    } else if (char ch = CharOfKey(virtualKey, c.shiftDown)) {
        c.addressText += ch;
    }
}

bool Simulation::SendKeyInput(const KeyInput& input) {
    const bool up = (input.flags & kKeyEventKeyUp) != 0;
    Write("input key " + Hex(input.virtualKey) + (up ? " up" : " down"));
    if (input.virtualKey == 0x10)
        client_.shiftDown = !up;
    else if (!up)
        TypeIntoFocus(input.virtualKey);
    return true;
}

bool Simulation::SendMouseInput(const MouseInput& input) {
    Write("input mouse " + Hex(input.flags) + " " + std::to_string(input.dx) + " " +
          std::to_string(input.dy));
    if ((input.flags & kMouseEventLeftDown) == 0 || (input.flags & kMouseEventAbsolute) == 0)
        return true;
    // Absolute coordinates run 0-65535 across the screen.
    const int x = static_cast<int>(static_cast<std::int64_t>(input.dx) * kScreenWidth / 65536);
    const int y = static_cast<int>(static_cast<std::int64_t>(input.dy) * kScreenHeight / 65536);
    const Hwnd target = WindowFromPoint(x, y);
    if (FindClientWindow(target)) {
        // A click brings the client forward and gives the window the focus.
        foreground_ = client_.mainForm;
        client_.focus = target;
    }
    return true;
}

int Simulation::GetSystemMetrics(int index) {
    if (index == kSmCxScreen) return kScreenWidth;
    if (index == kSmCyScreen) return kScreenHeight;
    return 0;
}

}  // namespace calvox::sim
