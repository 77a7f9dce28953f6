// Calvox.ini through the real profile functions, and the companion program's
// registered messages.
#include "calvox_fixture.h"

namespace wine_test {
namespace {

constexpr WPARAM kMakeCall = 0x721;  // VMS_MAKE_CALL
constexpr WPARAM kDetach = 0x722;    // VMS_DETACH

TEST_F(CalvoxTest, MakeCallRequestCallsTheConfiguredNumberAndHidesTheSettingsFile) {
    ASSERT_TRUE(folder.Write("Calvox.ini", "[VM]\r\nMAKEACALL=echo123\r\n"));
    ASSERT_NO_FATAL_FAILURE(StartAttached());

    DWORD attributes = GetFileAttributesA(folder.File("Calvox.ini").c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);

    UINT changing = Registered("VMSetting_Changing");
    EXPECT_EQ(SendWithLimit(hidden, changing, kMakeCall, 0), 1);
    ASSERT_TRUE(PumpUntil([&] { return client.Commands().size() > kFirstCommands.size(); }, 3000));
    PeerEvent call = client.Received(WM_COPYDATA).back();
    EXPECT_EQ(call.text, "CALL echo123");
    EXPECT_EQ(call.cbData, 13u);

    // The number is read on each request, not kept from start-up.
    ASSERT_TRUE(WritePrivateProfileStringA("VM", "MAKEACALL", "echo456",
                                           folder.File("Calvox.ini").c_str()));
    EXPECT_EQ(SendWithLimit(hidden, changing, kMakeCall, 0), 1);
    ASSERT_TRUE(
        PumpUntil([&] { return client.Commands().size() > kFirstCommands.size() + 1; }, 3000));
    EXPECT_EQ(client.Commands().back(), "CALL echo456");
    ASSERT_NO_FATAL_FAILURE(CloseCalvox());
}

TEST_F(CalvoxTest, MakeCallRequestWithoutANumberSendsNothing) {
    // An empty value counts as absent.
    ASSERT_TRUE(folder.Write("Calvox.ini", "[VM]\r\nMAKEACALL=\r\nVOICEMAIL=0\r\n"));
    ASSERT_NO_FATAL_FAILURE(StartAttached());
    UINT changing = Registered("VMSetting_Changing");
    EXPECT_EQ(SendWithLimit(hidden, changing, kMakeCall, 0), 0);

    // No file at all.
    ASSERT_TRUE(SetFileAttributesA(folder.File("Calvox.ini").c_str(), FILE_ATTRIBUTE_NORMAL));
    ASSERT_TRUE(DeleteFileA(folder.File("Calvox.ini").c_str()));
    EXPECT_EQ(SendWithLimit(hidden, changing, kMakeCall, 0), 0);

    PumpFor(300);
    EXPECT_EQ(client.Commands(), kFirstCommands);
    ASSERT_NO_FATAL_FAILURE(CloseCalvox());
}

TEST_F(CalvoxTest, CompanionDiscoverIsAnsweredAndTheCompanionToldAtExit) {
    // The detach notice at exit goes only to a companion whose program exists.
    ASSERT_TRUE(folder.Write("Velmora.exe", "stand-in"));
    // Attached, so the window's creation, where the messages are registered, is over.
    ASSERT_NO_FATAL_FAILURE(StartAttached());
    PeerWindow companion("companion (test)");
    UINT discover = Registered("VMSetting_Discover");
    UINT attach = Registered("VMSetting_Attach");

    EXPECT_NE(SendWithLimit(hidden, discover, reinterpret_cast<WPARAM>(companion.hwnd()), 0), -1);
    ASSERT_TRUE(PumpUntil([&] { return !companion.Received(attach).empty(); }, 3000));
    std::vector<PeerEvent> attaches = companion.Received(attach);
    ASSERT_EQ(attaches.size(), 1u);
    EXPECT_EQ(reinterpret_cast<HWND>(attaches[0].wParam), hidden);
    EXPECT_EQ(attaches[0].lParam, 0);

    ASSERT_NO_FATAL_FAILURE(CloseCalvox());
    PumpFor(100);
    std::vector<PeerEvent> notices = companion.Received(Registered("VMSetting_Changing"));
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].wParam, kDetach);
}

}  // namespace
}  // namespace wine_test
