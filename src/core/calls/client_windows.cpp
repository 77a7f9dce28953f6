#include "calls/client_windows.h"

#include <string_view>
#include <vector>

#include "base/text_case.h"
#include "calls/call_actions.h"
#include "config/key_table.h"

namespace calvox {

namespace {

constexpr std::string_view kMainFormClass = "tSkMainForm.UnicodeClass";
constexpr unsigned kTypedKeyPauseMs = 20;

// The client's top-level windows of one class, in enumeration order.
std::vector<Hwnd> ClientMainForms(WindowPort& window, Hwnd apiWindow) {
    std::vector<Hwnd> forms;
    const std::uint32_t process = window.GetWindowProcessId(apiWindow);
    if (process == 0) return forms;
    for (Hwnd w : window.EnumTopLevelWindows())
        if (window.GetWindowProcessId(w) == process &&
            EqualIgnoringCase(window.GetClassName(w), kMainFormClass))
            forms.push_back(w);
    return forms;
}

// The first descendant of `parent` of that class, in enumeration order; 0 when none.
Hwnd FindDescendant(WindowPort& window, Hwnd parent, std::string_view className) {
    if (parent == 0) return 0;
    for (Hwnd w : window.EnumDescendants(parent))
        if (EqualIgnoringCase(window.GetClassName(w), className)) return w;
    return 0;
}

Hwnd FindEither(WindowPort& window, Hwnd parent, std::string_view first, std::string_view second) {
    Hwnd found = FindDescendant(window, parent, first);
    return found != 0 ? found : FindDescendant(window, parent, second);
}

}  // namespace

bool FindClientWindows(WindowPort& window, ClientWindows& found, Hwnd apiWindow) {
    if (!IsLive(window, apiWindow)) return false;
    found.pageControl = found.historyList = found.contactList = 0;
    found.mainForm = 0;
    for (Hwnd form : ClientMainForms(window, apiWindow)) {
        found.mainForm = form;
        const Hwnd pages = FindDescendant(window, form, "TTntPageControl.UnicodeClass");
        if (pages == 0) continue;
        found.pageControl = pages;
        found.contactList =
            FindEither(window, pages, "tSkContactList.UnicodeClass", "TMainUserList");
        found.historyList = FindEither(window, pages, "tSkBgGrid.UnicodeClass", "THistoryList");
        return true;
    }
    return false;
}

bool FindAddressBar(WindowPort& window, ClientWindows& found, Hwnd apiWindow) {
    if (!IsLive(window, apiWindow)) return false;
    for (Hwnd form : ClientMainForms(window, apiWindow)) {
        found.mainForm = form;
        Hwnd edit = FindDescendant(
            window, FindDescendant(window, form, "tSkAddressbar.UnicodeClass"), "Edit");
        if (edit == 0) {
            const Hwnd filterBar = FindDescendant(window, form, "TFilterBar");
            edit = FindEither(window, filterBar, "TFilterbarEdit.UnicodeClass",
                              "TTntEdit.UnicodeClass");
        }
        if (edit != 0) {
            found.addressBar = edit;
            return true;
        }
    }
    found.addressBar = 0;
    return false;
}

void SendKeyDown(WindowPort& window, std::uint16_t virtualKey) {
    window.SendKeyInput(KeyInput{virtualKey, 0});
}

void SendKeyUp(WindowPort& window, std::uint16_t virtualKey) {
    window.SendKeyInput(KeyInput{virtualKey, kKeyEventKeyUp});
}

void SendMouseInput(WindowPort& window, std::uint32_t flags, int x, int y) {
    window.SendMouseInput(MouseInput{x, y, flags | kMouseEventAbsolute});
}

AbsolutePoint AbsoluteCenter(const Rect& rect, int screenWidth, int screenHeight) {
    const std::int64_t width = screenWidth == 0 ? 1 : screenWidth;
    const std::int64_t height = screenHeight == 0 ? 1 : screenHeight;
    const std::int64_t x = (std::int64_t{rect.left} + rect.right) / 2 * 65535 / width;
    const std::int64_t y = (std::int64_t{rect.top} + rect.bottom) / 2 * 65535 / height;
    return {static_cast<int>(x), static_cast<int>(y)};
}

char KeyUpDialCharacter(int code) {
    constexpr std::string_view kCharacters = "0123456789#*+";
    if (code < NUMBER_0 || code > NUMBER_PLUS) return 0;
    return kCharacters[static_cast<std::size_t>(code - NUMBER_0)];
}

std::uint16_t DialVirtualKey(char ch) {
    if (ch >= '0' && ch <= '9') return static_cast<std::uint16_t>(ch);
    if (ch == '#') return vk::k3;  // with Shift
    if (ch == '*') return vk::kMultiply;
    if (ch == '+') return vk::kAdd;
    return 0;
}

ClientAutomation::ClientAutomation(WindowPort& window, ClockPort& clock)
    : window_(window), clock_(clock) {}

void ClientAutomation::FindWindows(Hwnd apiWindow) {
    FindClientWindows(window_, windows_, apiWindow);
    FindAddressBar(window_, windows_, apiWindow);
}

void ClientAutomation::PostKeyToAddressBar(std::uint16_t virtualKey) {
    const Hwnd edit = windows_.addressBar;
    if (!IsLive(window_, edit)) return;
    window_.PostMessage(edit, wm::kKeyDown, virtualKey, 1);
    window_.PostMessage(edit, wm::kKeyUp, virtualKey, kKeyUpParam);
    clock_.Sleep(kPostedKeyPauseMs);
}

LResult ClientAutomation::ClearAddressBar() {
    const Hwnd edit = windows_.addressBar;
    if (!IsLive(window_, edit)) return 0;
    return window_.SetWindowText(edit, nullptr);
}

void ClientAutomation::Minimize() {
    const Hwnd form = windows_.mainForm;
    if (IsLive(window_, form) && window_.IsWindowVisible(form))
        window_.PostMessage(form, wm::kSysCommand, kScMinimize, 0);
}

void ClientAutomation::TypeIntoAddressBar(char ch) {
    WindowPort& window = window_;
    const Hwnd edit = windows_.addressBar;
    if (!IsLive(window, edit)) return;
    std::string text;
    window.GetWindowText(edit, text);
    const std::uint16_t key = DialVirtualKey(ch);
    auto clock = [this](unsigned ms) { clock_.Sleep(ms); };

    if (!text.empty() &&
        std::string_view("0123456789*#+").find(text[0]) != std::string_view::npos) {
        // A number is being typed: keys posted to the edit go on where it is.
        if (ch == '#') {
            window.PostMessage(edit, wm::kChar, '#', 0);
            clock(kPostedKeyPauseMs);
        } else {
            window.PostMessage(edit, wm::kKeyDown, key, 0);
            clock(kTypedKeyPauseMs);
            window.PostMessage(edit, wm::kKeyUp, key, kKeyUpParam);
            clock(kTypedKeyPauseMs);
        }
        return;
    }
    // An empty bar (or one holding a name): click into it, then type for real.
    Rect rect;
    if (!window.GetWindowRect(edit, rect)) return;
    const AbsolutePoint at = AbsoluteCenter(rect, window.GetSystemMetrics(kSmCxScreen),
                                            window.GetSystemMetrics(kSmCyScreen));
    for (std::uint32_t flags : {kMouseEventMove, kMouseEventLeftDown, kMouseEventLeftUp})
        SendMouseInput(window, flags, at.x, at.y);
    if (ch == '#') {
        SendKeyDown(window, vk::kShift);
        SendKeyDown(window, vk::k3);
        SendKeyUp(window, vk::k3);
        SendKeyUp(window, vk::kShift);
    } else {
        SendKeyDown(window, key);
        SendKeyUp(window, key);
    }
    window.GetWindowText(edit, text);
}

}  // namespace calvox
