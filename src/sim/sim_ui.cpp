// The virtual Windows' user interface: the tray's popup menu and the About box.
#include <map>

#include "sim/codepage.h"
#include "sim/virtual_windows.h"
#include "base/text_convert.h"
#include "win32/resources/ui_texts.h"

namespace calvox::sim {

namespace {

constexpr int kAboutDialog = 100;
constexpr int kAboutVersionItem = 1004;

// The pointer rests on the notification area, bottom right of the screen.
constexpr int kCursorX = 1000, kCursorY = 750;

std::string ToUtf8(const std::u16string& text) {
    std::string utf8;
    Utf16ToUtf8(text, utf8);
    return utf8;
}

// The open About box: the version line is the only control it reads back.
class VirtualDialog : public DialogItems {
public:
    explicit VirtualDialog(std::u16string versionLine) {
        texts_[kAboutVersionItem] = std::move(versionLine);
    }
    std::u16string GetText(int id) override { return texts_[id]; }
    void SetText(int id, const std::u16string& text) override { texts_[id] = text; }
    void SetIcon(int, IconHandle) override {}

private:
    std::map<int, std::u16string> texts_;
};

}  // namespace

MenuHandle VirtualWindows::CreatePopupMenu() {
    const MenuHandle menu = nextMenu_++;
    menus_[menu];
    return menu;
}

bool VirtualWindows::AppendMenuItem(MenuHandle menu, unsigned id, const std::u16string& text) {
    auto it = menus_.find(menu);
    if (it == menus_.end()) return false;
    it->second.push_back({id, ToUtf8(text)});
    return true;
}

bool VirtualWindows::GetCursorPos(int& x, int& y) {
    x = kCursorX;
    y = kCursorY;
    return true;
}

bool VirtualWindows::SetForegroundWindow(Hwnd window) {
    if (!IsWindow(window)) return false;
    host_.desktop.foreground = window;
    return true;
}

unsigned VirtualWindows::TrackPopupMenu(MenuHandle menu, unsigned, int, int, Hwnd) {
    auto it = menus_.find(menu);
    if (it == menus_.end()) return 0;
    std::string line = "menu";
    for (const MenuItem& item : it->second)
        line += " " + std::to_string(item.id) + " " + QuoteText(item.text);
    host_.write(line);
    if (menuChoice_) {
        const unsigned choice = *menuChoice_;
        menuChoice_.reset();
        return choice;
    }
    return menuChooser_ ? menuChooser_(it->second) : 0;
}

void VirtualWindows::DialogBox(int resourceId, Hwnd,
                               const std::function<void(DialogItems&)>& init) {
    if (resourceId != kAboutDialog) return;
    VirtualDialog dialog(Utf8ToUtf16(host_.uiLanguage == "zh-TW" ? CALVOX_ABOUT_VERSION_LINE_ZH
                                                                 : CALVOX_ABOUT_VERSION_LINE_EN));
    init(dialog);
    host_.write("dialog about " + QuoteText(ToUtf8(dialog.GetText(kAboutVersionItem))));
    // It closes at once, as if its OK button were pressed.
}

}  // namespace calvox::sim
