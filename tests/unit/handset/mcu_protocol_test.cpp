#include "handset/mcu_protocol.h"

#include <gtest/gtest.h>

#include "support/sim_platform.h"

namespace calvox {
namespace {

using Lines = std::vector<std::string>;

// An open handset with a microcontroller, its reports on the trace.
class McuTest : public ::testing::Test {
protected:
    void SetUp() override {
        device.SetScanMode(MCU_MODE);
        ASSERT_TRUE(device.Open(kDefaultDeviceVid, kDefaultDevicePid, kDeviceKindHandset));
        ASSERT_TRUE(device.McuPresent());
        sim.Take("hid<");
    }
    test::SimPlatform sim{"handset\n"};
    HandsetDevice device{sim.platform};
    McuDisplay display{device, sim.platform.clock};
};

TEST_F(McuTest, TextGoesInPairsWithATerminator) {
    display.Text("AB", McuCommand::LogoLine1);
    EXPECT_EQ(sim.Take("hid<"), (Lines{"hid< 40 97 41 42", "hid< 40 97 00 00"}));
    display.Text("ABC", McuCommand::LogoLine1);
    EXPECT_EQ(sim.Take("hid<"), (Lines{"hid< 40 97 41 42", "hid< 40 97 43 00"}));
    display.Text("", McuCommand::LogoLine1);
    EXPECT_EQ(sim.Take("hid<"), Lines{});
}

TEST_F(McuTest, TextIsPacedAfterEachPairButNotAfterTheTerminator) {
    display.Text("ABCD", McuCommand::HistoryPartner);
    EXPECT_EQ(sim.Lines("sleep"), (Lines{"sleep 100", "sleep 5", "sleep 5"}));
}

TEST_F(McuTest, NumberEntryEndsOnlyForCommandsOutsideIt) {
    display.SetNumberEntry("12", true);
    display.Command(McuCommand::DeleteDigit, 0);
    EXPECT_EQ(sim.Take("hid<"), (Lines{"hid< 40 8c 00 00"}));
    EXPECT_TRUE(display.NumberEntryActive());

    display.Command(McuCommand::OwnStatus, 2);
    EXPECT_EQ(sim.Take("hid<"), (Lines{"hid< 40 81 00 00", "hid< 40 99 02 00"}));
    EXPECT_FALSE(display.NumberEntryActive());
    EXPECT_TRUE(display.NumberEntry().empty());
}

TEST_F(McuTest, EmptyTextStillEndsANumberEntry) {
    display.SetNumberEntry("", true);
    display.Text("", McuCommand::CallTalking);
    EXPECT_EQ(sim.Take("hid<"), (Lines{"hid< 40 81 00 00"}));
    EXPECT_FALSE(display.NumberEntryActive());
}

TEST_F(McuTest, DigitsNeverEndTheNumberEntry) {
    display.SetNumberEntry("", true);
    display.Digit('7');
    EXPECT_EQ(sim.Take("hid<"), (Lines{"hid< 40 90 37 00"}));
    EXPECT_TRUE(display.NumberEntryActive());
}

TEST(McuAbsent, NothingIsSentWithoutAMicrocontroller) {
    test::SimPlatform sim("handset mcu=none\n");
    HandsetDevice device(sim.platform);
    McuDisplay display(device, sim.platform.clock);
    device.SetScanMode(SCAN_1X8);
    ASSERT_TRUE(device.Open(kDefaultDeviceVid, kDefaultDevicePid, kDeviceKindHandset));
    EXPECT_FALSE(device.McuPresent());
    sim.Take("hid<");
    EXPECT_FALSE(display.Command(McuCommand::IdleScreen, 0));
    display.Text("AB", McuCommand::LogoLine1);
    display.Digit('1');
    EXPECT_EQ(sim.Lines("hid<"), Lines{});
    EXPECT_EQ(sim.Lines("sleep"), Lines{});
}

}  // namespace
}  // namespace calvox
