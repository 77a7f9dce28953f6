// Calvox.exe on Wine, where no handset is ever attached: the start-up and the
// device notifications must leave the client link alone.
#include "calvox_fixture.h"
// After windows.h, which it needs.
#include <dbt.h>

namespace wine_test {
namespace {

// {4D1E55B2-F16F-11CF-88CB-001111000030}, what HidD_GetHidGuid names.
constexpr GUID kHidClass = {
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
// {FBF6F530-07B9-11D2-A71E-0000F8004788}, the audio interface class Calvox watches.
constexpr GUID kAudioClass = {
    0xFBF6F530, 0x07B9, 0x11D2, {0xA7, 0x1E, 0x00, 0x00, 0xF8, 0x00, 0x47, 0x88}};
// {3ABF6F2D-71C4-462A-8A92-1E6861E6AF27}, USB host controllers: not watched.
constexpr GUID kOtherClass = {
    0x3ABF6F2D, 0x71C4, 0x462A, {0x8A, 0x92, 0x1E, 0x68, 0x61, 0xE6, 0xAF, 0x27}};

class HandsetAbsentTest : public CalvoxTest {
protected:
    void SendDeviceChange(WPARAM event, const GUID& interfaceClass) {
        DEV_BROADCAST_DEVICEINTERFACE_A broadcast{};
        broadcast.dbcc_size = sizeof broadcast;
        broadcast.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        broadcast.dbcc_classguid = interfaceClass;
        EXPECT_NE(
            SendWithLimit(hidden, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&broadcast)), -1)
            << "WM_DEVICECHANGE was not delivered";
    }

    // Calvox still reads the client's notifications and answers them.
    void ExpectStillAnswering(const std::string& callId) {
        std::size_t before = client.Commands().size();
        EXPECT_EQ(SendCopyData(hidden, client.hwnd(), "CALL " + callId + " STATUS RINGING"), 1);
        ASSERT_TRUE(PumpUntil([&] { return client.Commands().size() > before; }, 3000));
        EXPECT_EQ(client.Commands().back(), "GET CALL " + callId + " TIMESTAMP");
    }
};

TEST_F(HandsetAbsentTest, StartsWithoutAHandsetAndSendsNoAudioDevices) {
    ASSERT_NO_FATAL_FAILURE(StartAttached());
    // Without a handset no mixer is opened, so there is no name for
    // SET AUDIO_IN / AUDIO_OUT / RINGER.
    PumpFor(1000);
    EXPECT_EQ(client.Commands(), kFirstCommands);
    EXPECT_TRUE(calvox.Running());
    ASSERT_NO_FATAL_FAILURE(CloseCalvox());
}

TEST_F(HandsetAbsentTest, DeviceNotificationsOfAnotherClassChangeNothing) {
    ASSERT_NO_FATAL_FAILURE(StartAttached());
    SendDeviceChange(DBT_DEVICEARRIVAL, kOtherClass);
    SendDeviceChange(DBT_DEVICEREMOVECOMPLETE, kOtherClass);
    PumpFor(500);
    EXPECT_EQ(client.Commands(), kFirstCommands);
    EXPECT_EQ(client.Received(Registered("SkypeControlAPIDiscover")).size(), 1u);
    ASSERT_NO_FATAL_FAILURE(ExpectStillAnswering("1"));
    ASSERT_NO_FATAL_FAILURE(CloseCalvox());
}

TEST_F(HandsetAbsentTest, HandsetSetUpRunsAgainOnHidRemovalAndPairedArrivals) {
    ASSERT_NO_FATAL_FAILURE(StartAttached());
    // A removal of the HID class sets the handset up again at once; it finds
    // none, so the client hears nothing and stays attached.
    SendDeviceChange(DBT_DEVICEREMOVECOMPLETE, kHidClass);
    ASSERT_NO_FATAL_FAILURE(ExpectStillAnswering("2"));

    // Audio and HID arrivals a moment apart: set up again a second later.
    SendDeviceChange(DBT_DEVICEARRIVAL, kAudioClass);
    SendDeviceChange(DBT_DEVICEARRIVAL, kHidClass);
    PumpFor(1500);
    ASSERT_NO_FATAL_FAILURE(ExpectStillAnswering("3"));

    std::vector<std::string> expected = kFirstCommands;
    expected.insert(expected.end(), {"GET CALL 2 TIMESTAMP", "GET CALL 3 TIMESTAMP"});
    EXPECT_EQ(client.Commands(), expected);
    EXPECT_EQ(client.Received(Registered("SkypeControlAPIDiscover")).size(), 1u);
    ASSERT_NO_FATAL_FAILURE(CloseCalvox());
}

}  // namespace
}  // namespace wine_test
