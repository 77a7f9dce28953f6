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
        app.device.SetScanMode(MCU_MODE);
        ASSERT_TRUE(app.device.Open(kDefaultDeviceVid, kDefaultDevicePid, kDeviceKindHandset));
        ASSERT_TRUE(app.device.McuPresent());
        sim.Take("hid<");
    }
    test::SimPlatform sim{"handset\n"};
    App app{sim.platform};
};

TEST_F(McuTest, TextGoesInPairsWithATerminator) {
    SendMcuText(app, "AB", McuCommand::LogoLine1);
    EXPECT_EQ(sim.Take("hid<"), (Lines{"hid< 40 97 41 42", "hid< 40 97 00 00"}));
    SendMcuText(app, "ABC", McuCommand::LogoLine1);
    EXPECT_EQ(sim.Take("hid<"), (Lines{"hid< 40 97 41 42", "hid< 40 97 43 00"}));
    SendMcuText(app, "", McuCommand::LogoLine1);
    EXPECT_EQ(sim.Take("hid<"), Lines{});
}

TEST_F(McuTest, TextIsPacedAfterEachPairButNotAfterTheTerminator) {
    SendMcuText(app, "ABCD", McuCommand::HistoryPartner);
    EXPECT_EQ(sim.Lines("sleep"), (Lines{"sleep 100", "sleep 5", "sleep 5"}));
}

TEST_F(McuTest, NumberEntryEndsOnlyForCommandsOutsideIt) {
    app.numberEntryActive = true;
    app.numberEntry = "12";
    SendMcuCommand(app, McuCommand::DeleteDigit, 0);
    EXPECT_EQ(sim.Take("hid<"), (Lines{"hid< 40 8c 00 00"}));
    EXPECT_TRUE(app.numberEntryActive);

    SendMcuCommand(app, McuCommand::OwnStatus, 2);
    EXPECT_EQ(sim.Take("hid<"), (Lines{"hid< 40 81 00 00", "hid< 40 99 02 00"}));
    EXPECT_FALSE(app.numberEntryActive);
    EXPECT_TRUE(app.numberEntry.empty());
}

TEST_F(McuTest, EmptyTextStillEndsANumberEntry) {
    app.numberEntryActive = true;
    SendMcuText(app, "", McuCommand::CallTalking);
    EXPECT_EQ(sim.Take("hid<"), (Lines{"hid< 40 81 00 00"}));
    EXPECT_FALSE(app.numberEntryActive);
}

TEST_F(McuTest, DigitsNeverEndTheNumberEntry) {
    app.numberEntryActive = true;
    SendMcuDigit(app, '7');
    EXPECT_EQ(sim.Take("hid<"), (Lines{"hid< 40 90 37 00"}));
    EXPECT_TRUE(app.numberEntryActive);
}

TEST(McuAbsent, NothingIsSentWithoutAMicrocontroller) {
    test::SimPlatform sim("handset mcu=none\n");
    App app(sim.platform);
    app.device.SetScanMode(SCAN_1X8);
    ASSERT_TRUE(app.device.Open(kDefaultDeviceVid, kDefaultDevicePid, kDeviceKindHandset));
    EXPECT_FALSE(app.device.McuPresent());
    sim.Take("hid<");
    EXPECT_TRUE(SendMcuCommand(app, McuCommand::IdleScreen, 0));
    SendMcuText(app, "AB", McuCommand::LogoLine1);
    SendMcuDigit(app, '1');
    EXPECT_EQ(sim.Lines("hid<"), Lines{});
    EXPECT_EQ(sim.Lines("sleep"), Lines{});
}

}  // namespace
}  // namespace calvox
