// The tray icon, its menu and the About box of the real Calvox.exe: the menu
// is driven with keys, the About box read and closed like a user would.
#include "calvox_fixture.h"
#include "win32/resources/ui_texts.h"

namespace wine_test {
namespace {

constexpr UINT kTrayMessage = 0xA10;  // HUBM_TRAY
constexpr int kVersionLine = 1004;

// A visible top-level window of this class that belongs to the process.
HWND WindowOfProcess(const char* className, DWORD processId) {
    struct Search {
        const char* className;
        DWORD processId;
        HWND found;
    } search{className, processId, nullptr};
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            char name[64] = {};
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s->processId && IsWindowVisible(window) &&
                GetClassNameA(window, name, sizeof name) > 0 && strcmp(name, s->className) == 0) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring Utf8(const char* text) {
    std::wstring wide(MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), static_cast<int>(wide.size()));
    wide.pop_back();
    return wide;
}

class TrayTest : public CalvoxTest {
protected:
    HWND WaitFor(const char* className) {
        HWND found = nullptr;
        PumpUntil([&] { return (found = WindowOfProcess(className, calvox.id())) != nullptr; },
                  5000);
        return found;
    }

    // Right-clicks the icon and picks the menu's item (1 or 2) with the keyboard.
    void ChooseFromMenu(int item) {
        ASSERT_TRUE(PostMessageA(hidden, kTrayMessage, 1, WM_RBUTTONUP));
        HWND menu = WaitFor("#32768");
        ASSERT_NE(menu, nullptr) << "no popup menu";
        for (int i = 0; i < item; ++i) PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    }

    // Opens the About box from the menu and returns its version line; presses OK.
    std::wstring ReadAboutBox(std::wstring* caption = nullptr) {
        ChooseFromMenu(1);
        HWND box = WaitFor("#32770");
        EXPECT_NE(box, nullptr) << "no About box";
        if (box == nullptr) return {};
        wchar_t text[512] = {};
        GetDlgItemTextW(box, kVersionLine, text, 512);
        if (caption != nullptr) {
            wchar_t title[64] = {};
            GetWindowTextW(box, title, 64);
            *caption = title;
        }
        PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        EXPECT_TRUE(PumpUntil([&] { return !IsWindow(box); }, 5000)) << "OK did not close it";
        return text;
    }
};

TEST_F(TrayTest, AboutBoxShowsTitleAndVersionThenExitEndsTheProgram) {
    ASSERT_TRUE(folder.Write("Calvox.ini", "[CUSTOMER]\r\nPRODUCT=Quillon Phone\r\n"));
    ASSERT_NO_FATAL_FAILURE(StartAttached());

    // Two blanks before the version, which comes from the program's resources.
    const std::wstring expected = L"Quillon Phone Version  " + Utf8(CALVOX_VERSION_TEXT);
    EXPECT_EQ(ReadAboutBox(), expected);
    // Opened again, it reads the same: the line is built from the resource each time.
    EXPECT_EQ(ReadAboutBox(), expected);
    EXPECT_EQ(client.Commands(), kFirstCommands);

    ASSERT_NO_FATAL_FAILURE(ChooseFromMenu(2));
    DWORD code = 1;
    ASSERT_TRUE(calvox.WaitForExit(kExitLimitMs, &code)) << "Exit did not end Calvox";
    EXPECT_EQ(code, 0u);
    std::vector<std::string> sent = client.Commands();
    ASSERT_EQ(sent.size(), kFirstCommands.size() + 3);
    EXPECT_EQ(std::vector<std::string>(sent.end() - 3, sent.end()),
              (std::vector<std::string>{"SET AUDIO_IN", "SET AUDIO_OUT", "SET RINGER"}));
}

// Run with a Traditional Chinese user interface by its own test entry (Wine
// takes the language from LC_ALL, which Calvox inherits from this program).
TEST_F(TrayTest, AboutBoxInTraditionalChinese) {
    if (PRIMARYLANGID(GetUserDefaultUILanguage()) != LANG_CHINESE)
        GTEST_SKIP() << "needs LC_ALL=zh_TW.UTF-8";
    ASSERT_NO_FATAL_FAILURE(StartAttached());
    std::wstring caption;
    EXPECT_EQ(ReadAboutBox(&caption), L"Zorvik Quillon 版本  " + Utf8(CALVOX_VERSION_TEXT));
    EXPECT_EQ(caption, L"關於");
    ASSERT_NO_FATAL_FAILURE(CloseCalvox());
}

TEST_F(TrayTest, TaskbarCreatedAddsTheIconAgain) {
    ASSERT_NO_FATAL_FAILURE(StartAttached());
    NOTIFYICONDATAW icon{};
    icon.cbSize = NOTIFYICONDATAW_V2_SIZE;
    icon.hWnd = hidden;
    icon.uID = 1;
    // The shell deletes only an icon it has: Calvox's is there, then gone.
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &icon));
    ASSERT_FALSE(Shell_NotifyIconW(NIM_DELETE, &icon));

    EXPECT_NE(SendWithLimit(hidden, RegisterWindowMessageA("TaskbarCreated"), 0, 0), -1);
    EXPECT_TRUE(Shell_NotifyIconW(NIM_DELETE, &icon)) << "the icon did not come back";
    ASSERT_NO_FATAL_FAILURE(CloseCalvox());
}

}  // namespace
}  // namespace wine_test
