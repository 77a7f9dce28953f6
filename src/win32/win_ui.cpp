// Popup menus, modal dialogs and the program's own resources (strings and
// the version block) through USER32 and VERSION.
#include "win32/win_platform.h"

namespace calvox::win32 {

namespace {

HWND ToHwnd(Hwnd window) { return reinterpret_cast<HWND>(window); }
const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

class WinDialogItems final : public DialogItems {
public:
    explicit WinDialogItems(HWND dialog) : dialog_(dialog) {}

    std::u16string GetText(int id) override {
        HWND item = ::GetDlgItem(dialog_, id);
        const int length = item != nullptr ? ::GetWindowTextLengthW(item) : 0;
        if (length <= 0) return {};
        std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
        const int got = ::GetWindowTextW(item, reinterpret_cast<wchar_t*>(text.data()), length + 1);
        text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        return text;
    }
    void SetText(int id, const std::u16string& text) override {
        ::SetDlgItemTextW(dialog_, id, Wide(text));
    }
    void SetIcon(int id, IconHandle icon) override {
        ::SendDlgItemMessageW(dialog_, id, STM_SETICON, static_cast<WPARAM>(icon), 0);
    }

private:
    HWND dialog_;
};

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            const auto* init = reinterpret_cast<const std::function<void(DialogItems&)>*>(lParam);
            WinDialogItems items(dialog);
            (*init)(items);
            return TRUE;
        }
        case WM_COMMAND:
            // OK, and Escape or the close box (IDCANCEL), end the box.
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                ::EndDialog(dialog, LOWORD(wParam));
                return TRUE;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

// The version block of the running program; empty when it has none.
std::vector<char> ReadVersionBlock() {
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path, &handle);
    if (size == 0) return {};
    std::vector<char> block(size);
    if (!::GetFileVersionInfoW(path, 0, size, block.data())) return {};
    return block;
}

}  // namespace

void RunDialogBox(int resourceId, Hwnd owner, const std::function<void(DialogItems&)>& init) {
    ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId), ToHwnd(owner),
                      DialogProc, reinterpret_cast<LPARAM>(&init));
}

std::u16string WinShell::LoadString(int id) {
    // With no buffer, LoadStringW hands out the resource's own text, whatever its length.
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(::GetModuleHandleW(nullptr), static_cast<UINT>(id),
                                     reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) return {};
    return std::u16string(reinterpret_cast<const char16_t*>(text),
                          static_cast<std::size_t>(length));
}

bool WinShell::GetVersionTranslations(std::vector<VersionTranslation>& translations) {
    const std::vector<char> block = ReadVersionBlock();
    if (block.empty()) return false;
    void* data = nullptr;
    UINT size = 0;
    if (!::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &data, &size) ||
        data == nullptr)
        return false;
    const auto* pairs = static_cast<const WORD*>(data);
    translations.clear();
    for (UINT i = 0; i + 1 < size / sizeof(WORD); i += 2)
        translations.push_back({pairs[i], pairs[i + 1]});
    return true;
}

bool WinShell::QueryVersionString(const std::string& subBlock, std::u16string& value) {
    const std::vector<char> block = ReadVersionBlock();
    if (block.empty()) return false;
    const std::wstring name(subBlock.begin(), subBlock.end());
    void* data = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), name.c_str(), &data, &length) || data == nullptr)
        return false;
    // The length counts the terminator when there is one.
    std::u16string text(static_cast<const char16_t*>(data), length);
    while (!text.empty() && text.back() == u'\0') text.pop_back();
    value = text;
    return true;
}

}  // namespace calvox::win32
