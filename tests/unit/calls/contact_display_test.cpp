#include "calls/contact_display.h"

#include <gtest/gtest.h>

#include "support/client_session.h"
#include "support/sim_platform.h"

namespace calvox {
namespace {

using Lines = std::vector<std::string>;

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        device.SetScanMode(MCU_MODE);
        ASSERT_TRUE(device.Open(kDefaultDeviceVid, kDefaultDevicePid, kDeviceKindHandset));
        client.hubWindow.Created(1);
        client.link.SetApiWindow(sim.sim.ClientApiWindow());
        sim.Take("hid<");
    }
    void Call(const std::string& id, const char* timestamp, const char* type, const char* status) {
        SkypeDirectory& d = directory;
        d.SetCallProperty(id, CallProperty::Timestamp, timestamp);
        d.SetCallProperty(id, CallProperty::Type, type);
        d.SetCallProperty(id, CallProperty::Status, status);
        d.SetCallProperty(id, CallProperty::PartnerHandle, "bo");
        d.SetCallProperty(id, CallProperty::PartnerDisplayName, "Bo");
    }
    test::SimPlatform sim{"handset\nclient\n"};
    HandsetDevice device{sim.platform};
    McuDisplay display{device, sim.platform.clock};
    test::ClientSession client{sim.platform};
    SkypeDirectory& directory = client.directory;
    ContactDisplay contacts{display, directory, client.link, sim.platform.system};
};

TEST_F(DisplayTest, HistoryEntryKindDateAndSeenCommand) {
    Call("7", "1161234567", "INCOMING_P2P", "MISSED");  // 2006-10-19 05:09:27 UTC
    contacts.ShowHistoryCall(0);
    EXPECT_EQ(sim.Take("skype<"), (Lines{"skype< SET CALL 7 SEEN"}));
    directory.SetCallProperty("7", CallProperty::Seen, "TRUE");
    contacts.ShowHistoryCall(0);
    EXPECT_EQ(sim.Lines("skype<"), Lines{});
    // "06/10/19 05:09" as kind 0x13, then the partner's name and handle.
    EXPECT_EQ(sim.Take("hid<"),
              (Lines{"hid< 40 93 30 36", "hid< 40 93 2f 31", "hid< 40 93 30 2f",
                     "hid< 40 93 31 39", "hid< 40 93 20 30", "hid< 40 93 35 3a",
                     "hid< 40 93 30 39", "hid< 40 93 00 00", "hid< 40 94 42 6f",
                     "hid< 40 94 00 00", "hid< 40 9c 62 6f", "hid< 40 9c 00 00"}));
}

TEST_F(DisplayTest, HistoryKindsByTypeAndAKnownPartnersNumber) {
    Call("1", "300", "INCOMING_PSTN", "FINISHED");
    Call("2", "200", "OUTGOING_P2P", "FINISHED");
    directory.AddContact("bo", "Bo");
    directory.SetContactStatus("bo", true, 4);
    contacts.ShowHistoryCall(0);
    Lines first = sim.Take("hid<");
    EXPECT_EQ(first.front().substr(0, 10), "hid< 40 91");
    EXPECT_NE(std::find(first.begin(), first.end(), "hid< 40 9a 01 00"), first.end());
    EXPECT_NE(std::find(first.begin(), first.end(), "hid< 40 9b 04 00"), first.end());
    contacts.ShowHistoryCall(1);
    EXPECT_EQ(sim.Take("hid<").front().substr(0, 10), "hid< 40 92");
}

TEST_F(DisplayTest, ContactsByListKind) {
    SkypeDirectory& d = directory;
    d.AddContact("ann", "Ann");
    d.AddContact("cy", "Cy");
    d.SetContactStatus("cy", true, 1);
    contacts.ShowContact(true, 3);  // online ones: Cy
    EXPECT_EQ(sim.Take("hid<"), (Lines{"hid< 40 8a 43 79", "hid< 40 8a 00 00", "hid< 40 9a 02 00",
                                       "hid< 40 9b 01 00", "hid< 40 9c 63 79", "hid< 40 9c 00 00"}));
    contacts.ShowContact(false, 4);  // offline ones, backwards: Ann
    EXPECT_EQ(sim.Take("hid<").front(), "hid< 40 8b 41 6e");
}

TEST(HistoryDate, UnconvertibleTimeShowsZeros) {
    test::SimPlatform sim;
    EXPECT_EQ(HistoryDateText(sim.platform.system, -5), "00/00/00 00:00");
    EXPECT_EQ(HistoryDateText(sim.platform.system, 0), "70/01/01 00:00");
}

}  // namespace
}  // namespace calvox
