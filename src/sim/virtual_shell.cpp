#include "sim/virtual_shell.h"

#include "base/text_case.h"
#include "sim/codepage.h"
#include "sim/script.h"
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

constexpr VersionTranslation kTranslation = {0x0409, 1200};
constexpr const char* kFileVersionBlock = "\\StringFileInfo\\040904b0\\FileVersion";

}  // namespace

void VirtualShell::ShellExecute(Hwnd, const std::string& verb, const std::string& file,
                                const std::string& parameters, const std::string& folder,
                                int show) {
    write_("shell " + Cp1252ToUtf8(verb) + " " + QuoteText(Cp1252ToUtf8(file)) + " " +
           QuoteText(Cp1252ToUtf8(parameters)) + " " + QuoteText(Cp1252ToUtf8(folder)) + " " +
           std::to_string(show));
}

bool VirtualShell::NotifyIcon(TrayOp op, const TrayIconRecord& record) {
    auto icon = [&] {
        auto it = icons_.find(record.icon);
        return it != icons_.end() ? it->second : Hex(record.icon);
    };
    std::string tip = QuoteText(Cp1252ToUtf8(record.tip));
    bool ok;
    std::string line;
    switch (op) {
        case TrayOp::Add:
            ok = !trayPresent_;
            line = "tray add " + icon() + " " + tip;
            if (ok) trayPresent_ = true;
            break;
        case TrayOp::Modify:
            ok = trayPresent_;
            line = "tray modify " + icon() + " " + tip;
            break;
        case TrayOp::Delete:
        default:
            ok = trayPresent_;
            line = "tray delete";
            trayPresent_ = false;
            break;
    }
    write_(ok ? line : line + " failed");
    return ok;
}

IconHandle VirtualShell::LoadIconFile(const std::string& path) {
    VirtualFile* f = disk_.Find(path);
    if (f == nullptr || f->kind != FileKind::Icon) return 0;
    IconHandle h = nextIcon_++;
    icons_[h] = QuoteText(Cp1252ToUtf8(path));
    return h;
}

IconHandle VirtualShell::LoadIconResource(int id) {
    if (id == 129) {
        icons_[1] = "connect";
        return 1;
    }
    if (id == 130) {
        icons_[2] = "disconnect";
        return 2;
    }
    return 0;
}

std::u16string VirtualShell::LoadString(int id) {
    for (const UiString& s : kStrings)
        if (s.id == id) return Utf8ToUtf16(language_ == "zh-TW" ? s.chinese : s.english);
    return {};
}

bool VirtualShell::GetVersionTranslations(std::vector<VersionTranslation>& translations) {
    translations.assign(1, kTranslation);
    return true;
}

bool VirtualShell::QueryVersionString(const std::string& subBlock, std::u16string& value) {
    if (!EqualIgnoringCase(subBlock, kFileVersionBlock)) return false;
    value = Utf8ToUtf16(CALVOX_VERSION_TEXT);
    return true;
}

}  // namespace calvox::sim
