// The window automation with the real window port against a peer process
// that owns windows of the Skype client's classes.
#include "calls/client_windows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "calls/call_actions.h"
#include "win32/win_platform.h"
#include "wine_support.h"

namespace wine_test {
namespace {

using namespace calvox;

std::string Title(Hwnd window) {
    char text[64] = {};
    GetWindowTextA(HWND(window), text, sizeof text);
    return text;
}

// The peer runs beside this program; its windows are found as on attach.
class ClientWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        char self[MAX_PATH];
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        const std::string folder(self, std::strrchr(self, '\\'));
        ASSERT_TRUE(peer.Start(folder + "\\calvox_client_peer.exe", ""));
        ASSERT_TRUE(PumpUntil([] { return FindWindowA(nullptr, "form without pages"); }, 10000));
        api = Hwnd(FindWindowA("tSkApiWindow", "api"));
        ASSERT_TRUE(FindClientWindows((*ports.window), found, api));
        ASSERT_TRUE(FindAddressBar((*ports.window), found, api));
    }
    void TearDown() override {
        PostMessageA(HWND(api), WM_CLOSE, 0, 0);
        peer.WaitForExit(5000);
    }

    bool EditTextBecomes(const std::string& wanted) {
        return PumpUntil([&] { return EditText() == wanted; }, 2000);
    }
    std::string EditText() {
        std::string text;
        (*ports.window).GetWindowText(found.addressBar, text);
        return text;
    }

    Process peer;
    Hwnd api = 0;
    win32::WinPlatform ports;
    ClientAutomation automation{ports.ports.window, ports.ports.clock};
    ClientWindows& found = automation.Windows();
};

TEST_F(ClientWindowsTest, FindersTextAndPostedKeysUntilTheClientIsGone) {
    // The form without pages comes first; the finders take the one with pages.
    const std::vector<Hwnd> top = (*ports.window).EnumTopLevelWindows();
    auto at = [&](const char* title) {
        return std::find(top.begin(), top.end(), Hwnd(FindWindowA(nullptr, title)));
    };
    ASSERT_LT(at("form without pages"), at("form with pages"));
    EXPECT_EQ(Title(found.mainForm), "form with pages");
    EXPECT_EQ(Title(found.pageControl), "pages");
    EXPECT_EQ(Title(found.contactList), "contacts");
    EXPECT_EQ(Title(found.historyList), "history");
    EXPECT_EQ((*ports.window).GetClassName(found.addressBar), "Edit");
    EXPECT_EQ(Title(Hwnd(GetParent(HWND(found.addressBar)))), "address bar");
    EXPECT_EQ((*ports.window).GetWindowProcessId(found.addressBar), peer.id());

    // A text longer than the old 260-byte buffers comes back whole.
    const std::string longText(300, '7');
    EXPECT_EQ((*ports.window).SetWindowText(found.addressBar, longText.c_str()), TRUE);
    EXPECT_EQ(EditText(), longText);
    EXPECT_EQ(automation.ClearAddressBar(), TRUE);
    EXPECT_EQ(EditText(), "");
    // Posted keys go through the peer's own loop, which types them.
    automation.PostKeyToAddressBar('4');
    automation.PostKeyToAddressBar('2');
    EXPECT_TRUE(EditTextBecomes("42")) << EditText();
    automation.PostKeyToAddressBar(vk::kBack);
    EXPECT_TRUE(EditTextBecomes("4")) << EditText();

    // The client goes: its windows are skipped, never used, and cost no pause.
    const Hwnd edit = found.addressBar;
    PostMessageA(HWND(api), WM_CLOSE, 0, 0);
    ASSERT_TRUE(peer.WaitForExit(5000));
    EXPECT_FALSE(FindAddressBar((*ports.window), found, api));
    EXPECT_EQ(found.addressBar, edit);
    std::string text = "left";
    EXPECT_FALSE((*ports.window).GetWindowText(edit, text));
    EXPECT_EQ(text, "");
    EXPECT_EQ((*ports.window).GetClassName(edit), "");
    EXPECT_EQ(automation.ClearAddressBar(), 0);
    const DWORD start = GetTickCount();
    automation.PostKeyToAddressBar('4');
    EXPECT_LT(GetTickCount() - start, 40u);
}

TEST_F(ClientWindowsTest, ClickAndTypeThroughSendInputReachTheFocusedEdit) {
    SetForegroundWindow(HWND(found.mainForm));
    PumpFor(200);
    // An empty bar: a click into its middle, then Shift + 3 as real input.
    const auto started = std::chrono::steady_clock::now();
    automation.TypeIntoAddressBar('#');
    const bool typed = EditTextBecomes("#");
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started);
    std::printf("SendInput click and Shift+3 reached the edit: %s after %lld ms\n",
                typed ? "yes" : "no", static_cast<long long>(ms.count()));
    EXPECT_TRUE(typed) << "edit holds \"" << EditText() << "\"";
    // Now the bar holds a number: keys are posted to it, "#" as a character.
    automation.TypeIntoAddressBar('#');
    automation.TypeIntoAddressBar('5');
    EXPECT_TRUE(EditTextBecomes("##5")) << EditText();
}

}  // namespace
}  // namespace wine_test
