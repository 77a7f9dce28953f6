// The window automation with the real window port against a peer process
// that owns windows of the Skype client's classes.
#include "control/client_windows.h"

#include <gtest/gtest.h>

#include <chrono>

#include "control/call_actions.h"
#include "win32/win_platform.h"
#include "wine_support.h"

namespace wine_test {
namespace {

using namespace calvox;

std::string Title(HWND window) {
    char text[64] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string PeerPath() {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path = self;
    return path.substr(0, path.rfind('\\')) + "\\calvox_client_peer.exe";
}

// The peer runs, its windows exist; the window port and the root object of
// the program are ready to act on them.
class ClientWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(peer.Start(PeerPath(), ""));
        ASSERT_TRUE(
            PumpUntil([this] { return (api = FindWindowA("tSkApiWindow", "api")); }, 10000));
        ASSERT_TRUE(
            PumpUntil([] { return FindWindowA(nullptr, "form without pages") != nullptr; }, 10000));
    }
    void TearDown() override {
        PostMessageA(api, WM_CLOSE, 0, 0);
        peer.WaitForExit(5000);
    }

    std::string EditText() {
        std::string text;
        EXPECT_TRUE(ports.window.GetWindowText(app.hub.clientWindows.addressBar, text));
        return text;
    }
    bool EditTextBecomes(const std::string& wanted, DWORD limitMs = 2000) {
        return PumpUntil([&] { return EditText() == wanted; }, limitMs);
    }

    Process peer;
    HWND api = nullptr;
    win32::WinPlatform ports;
    App app{ports.ports};
};

TEST_F(ClientWindowsTest, FindersTakeTheFirstMainFormWithPagesAndTheAddressBarEdit) {
    // Enumeration meets the form without pages first.
    const std::vector<Hwnd> top = ports.window.EnumTopLevelWindows();
    auto at = [&](const char* title) {
        return std::find(top.begin(), top.end(),
                         reinterpret_cast<Hwnd>(FindWindowA(nullptr, title)));
    };
    ASSERT_LT(at("form without pages"), at("form with pages"));

    ClientWindows& found = app.hub.clientWindows;
    const Hwnd apiWindow = reinterpret_cast<Hwnd>(api);
    ASSERT_TRUE(FindClientWindows(ports.window, found, apiWindow));
    EXPECT_EQ(Title(reinterpret_cast<HWND>(found.mainForm)), "form with pages");
    EXPECT_EQ(Title(reinterpret_cast<HWND>(found.pageControl)), "pages");
    EXPECT_EQ(Title(reinterpret_cast<HWND>(found.contactList)), "contacts");
    EXPECT_EQ(Title(reinterpret_cast<HWND>(found.historyList)), "history");
    ASSERT_TRUE(FindAddressBar(ports.window, found, apiWindow));
    EXPECT_EQ(ports.window.GetClassName(found.addressBar), "Edit");
    EXPECT_EQ(Title(GetParent(reinterpret_cast<HWND>(found.addressBar))), "address bar");
    EXPECT_EQ(ports.window.GetWindowProcessId(found.addressBar), peer.id());

    // Our own windows are not the client's.
    ClientWindows none;
    win32::WinWindow& window = ports.window;
    PeerWindow ours("not the client");
    EXPECT_FALSE(FindClientWindows(window, none, reinterpret_cast<Hwnd>(ours.hwnd())));
    EXPECT_EQ(none.mainForm, 0u);
}

TEST_F(ClientWindowsTest, TextAndPostedKeysReachThePeersEdit) {
    ASSERT_TRUE(FindAddressBar(ports.window, app.hub.clientWindows, reinterpret_cast<Hwnd>(api)));
    const Hwnd edit = app.hub.clientWindows.addressBar;

    // A text longer than the old 260-byte buffers comes back whole.
    const std::string longText(300, '7');
    EXPECT_EQ(ports.window.SetWindowText(edit, longText.c_str()), TRUE);
    EXPECT_EQ(EditText(), longText);
    EXPECT_EQ(ClearAddressBar(app), TRUE);
    EXPECT_EQ(EditText(), "");

    // Posted keys go through the peer's own loop, which types them.
    PostKeyToAddressBar(app, '4');
    PostKeyToAddressBar(app, '2');
    EXPECT_TRUE(EditTextBecomes("42")) << EditText();
    PostKeyToAddressBar(app, vk::kBack);
    EXPECT_TRUE(EditTextBecomes("4")) << EditText();
}

TEST_F(ClientWindowsTest, ClickAndTypeThroughSendInputReachTheFocusedEdit) {
    ASSERT_TRUE(
        FindClientWindows(ports.window, app.hub.clientWindows, reinterpret_cast<Hwnd>(api)));
    ASSERT_TRUE(FindAddressBar(ports.window, app.hub.clientWindows, reinterpret_cast<Hwnd>(api)));
    const HWND form = reinterpret_cast<HWND>(app.hub.clientWindows.mainForm);
    SetForegroundWindow(form);
    PumpFor(200);

    // An empty bar: click into its middle, then Shift + 3 and 5 as real input.
    const auto started = std::chrono::steady_clock::now();
    TypeDigitIntoAddressBar(app, NUMBER_HASH, 0, 0);
    const bool hash = EditTextBecomes("#");
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - started)
                        .count();
    std::printf("SendInput click and Shift+3 reached the edit: %s after %lld ms\n",
                hash ? "yes" : "no", static_cast<long long>(ms));
    EXPECT_TRUE(hash) << "edit holds \"" << EditText() << "\"";
    // Now the bar holds a number: keys are posted to it, "#" as a character.
    TypeDigitIntoAddressBar(app, NUMBER_HASH, 0, 0);
    TypeDigitIntoAddressBar(app, NUMBER_5, 0, 0);
    EXPECT_TRUE(EditTextBecomes("##5")) << EditText();
}

TEST_F(ClientWindowsTest, WindowsThatAreGoneAreSkipped) {
    ClientWindows& found = app.hub.clientWindows;
    ASSERT_TRUE(FindClientWindows(ports.window, found, reinterpret_cast<Hwnd>(api)));
    ASSERT_TRUE(FindAddressBar(ports.window, found, reinterpret_cast<Hwnd>(api)));
    const ClientWindows before = found;
    PostMessageA(api, WM_CLOSE, 0, 0);
    ASSERT_TRUE(peer.WaitForExit(5000));

    EXPECT_FALSE(FindClientWindows(ports.window, found, reinterpret_cast<Hwnd>(api)));
    EXPECT_FALSE(FindAddressBar(ports.window, found, reinterpret_cast<Hwnd>(api)));
    EXPECT_EQ(found.mainForm, before.mainForm);
    EXPECT_EQ(found.addressBar, before.addressBar);
    std::string text = "left";
    EXPECT_FALSE(ports.window.GetWindowText(found.addressBar, text));
    EXPECT_EQ(text, "");
    EXPECT_EQ(ports.window.GetClassName(found.mainForm), "");
    EXPECT_EQ(ClearAddressBar(app), 0);
    const DWORD start = GetTickCount();
    PostKeyToAddressBar(app, '4');
    EXPECT_LT(GetTickCount() - start, 40u) << "no pause for a window that is gone";
}

}  // namespace
}  // namespace wine_test
