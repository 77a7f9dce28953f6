// The virtual Windows' user interface: the tray menu, the About box and the
// program's resources (string table and version block) in the UI language.
#include <cstring>

#include "base/text_case.h"
#include "sim/codepage.h"
#include "sim/simulation.h"
#include "base/text_convert.h"
#include "win32/resources/ui_texts.h"

namespace calvox::sim {

namespace {

struct UiString {
    int id;
    const char* english;
    const char* chinese;
};
#define CALVOX_SIM_STRING(id, en, zh) {id, en, zh},
constexpr UiString kStrings[] = {CALVOX_STRING_TABLE(CALVOX_SIM_STRING)};
#undef CALVOX_SIM_STRING

constexpr int kAboutDialog = 100;
constexpr int kAboutVersionItem = 1004;
constexpr VersionTranslation kTranslation = {0x0409, 1200};
constexpr const char* kFileVersionBlock = "\\StringFileInfo\\040904b0\\FileVersion";

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

MenuHandle Simulation::CreatePopupMenu() {
    const MenuHandle menu = nextMenu_++;
    menus_[menu];
    return menu;
}

bool Simulation::AppendMenuItem(MenuHandle menu, unsigned id, const std::u16string& text) {
    auto it = menus_.find(menu);
    if (it == menus_.end()) return false;
    it->second.push_back({id, ToUtf8(text)});
    return true;
}

bool Simulation::GetCursorPos(int& x, int& y) {
    x = kCursorX;
    y = kCursorY;
    return true;
}

bool Simulation::SetForegroundWindow(Hwnd window) {
    if (!IsWindow(window)) return false;
    foreground_ = window;
    return true;
}

unsigned Simulation::TrackPopupMenu(MenuHandle menu, unsigned, int, int, Hwnd) {
    auto it = menus_.find(menu);
    if (it == menus_.end()) return 0;
    std::string line = "menu";
    for (const MenuItem& item : it->second)
        line += " " + std::to_string(item.id) + " " + QuoteText(item.text);
    Write(line);
    if (menuChoice_) {
        const unsigned choice = *menuChoice_;
        menuChoice_.reset();
        return choice;
    }
    return menuChooser_ ? menuChooser_(it->second) : 0;
}

void Simulation::DialogBox(int resourceId, Hwnd, const std::function<void(DialogItems&)>& init) {
    if (resourceId != kAboutDialog) return;
    VirtualDialog dialog(Utf8ToUtf16(uiLanguage_ == "zh-TW" ? CALVOX_ABOUT_VERSION_LINE_ZH
                                                            : CALVOX_ABOUT_VERSION_LINE_EN));
    init(dialog);
    Write("dialog about " + QuoteText(ToUtf8(dialog.GetText(kAboutVersionItem))));
    // It closes at once, as if its OK button were pressed.
}

std::u16string Simulation::LoadString(int id) {
    for (const UiString& s : kStrings)
        if (s.id == id) return Utf8ToUtf16(uiLanguage_ == "zh-TW" ? s.chinese : s.english);
    return {};
}

bool Simulation::GetVersionTranslations(std::vector<VersionTranslation>& translations) {
    translations.assign(1, kTranslation);
    return true;
}

bool Simulation::QueryVersionString(const std::string& subBlock, std::u16string& value) {
    if (!EqualIgnoringCase(subBlock, kFileVersionBlock)) return false;
    value = Utf8ToUtf16(CALVOX_VERSION_TEXT);
    return true;
}

}  // namespace calvox::sim
