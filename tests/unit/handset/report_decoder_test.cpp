#include "handset/report_decoder.h"

#include <gtest/gtest.h>

#include "base/hub_messages.h"
#include "config/settings.h"

namespace calvox {
namespace {

using Messages = std::vector<PostedMessage>;

Messages Gpio(ReportDecoder& d, std::uint8_t b2, std::uint8_t b1 = 0) {
    return d.Decode(b1, b2, 0, 0, true).messages;
}

TEST(ReportDecoder, Scan4x5RowAndColumnGiveTheKey) {
    ReportDecoder d(SCAN_4X5, false);
    EXPECT_EQ(Gpio(d, 0x0A), (Messages{{HUBM_KEY_DOWN, 5, 0}}));  // row bit 1, column bit 3
    EXPECT_EQ(Gpio(d, 0x02), (Messages{{HUBM_KEY_UP, 5, 1}}));
    EXPECT_EQ(Gpio(d, 0x80), (Messages{{HUBM_KEY_DOWN, 19, 0}}));  // no row bit: fourth row
}

TEST(ReportDecoder, HeldMatrixKeyRepeatsEveryThirdReport) {
    ReportDecoder d(SCAN_4X4, false);
    Messages all;
    for (int i = 0; i < 10; ++i) {
        Messages m = Gpio(d, 0x11);  // row 0, column 0
        all.insert(all.end(), m.begin(), m.end());
    }
    Messages m = Gpio(d, 0x01);
    all.insert(all.end(), m.begin(), m.end());
    EXPECT_EQ(all, (Messages{{HUBM_KEY_DOWN, 0, 0},
                             {HUBM_KEY_DOWN, 0, 3},
                             {HUBM_KEY_DOWN, 0, 6},
                             {HUBM_KEY_DOWN, 0, 9},
                             {HUBM_KEY_UP, 0, 10}}));
}

TEST(ReportDecoder, HoldCountSaturatesAndThenRepeatsOnEveryReport) {
    ReportDecoder d(SCAN_2X3, false);
    for (int i = 0; i < 300; ++i) Gpio(d, 0x03);  // row 0, column 0 (bit 1)
    EXPECT_EQ(Gpio(d, 0x03), (Messages{{HUBM_KEY_DOWN, 0, 255}}));
    EXPECT_EQ(Gpio(d, 0x03), (Messages{{HUBM_KEY_DOWN, 0, 255}}));
}

TEST(ReportDecoder, Scan2x3SecondRowWhenBitZeroIsClear) {
    ReportDecoder d(SCAN_2X3, false);
    EXPECT_EQ(Gpio(d, 0x08), (Messages{{HUBM_KEY_DOWN, 5, 0}}));
}

TEST(ReportDecoder, DirectKeysWithPullHigh) {
    ReportDecoder d(SCAN_2X2, true);
    EXPECT_EQ(Gpio(d, 0x0F), (Messages{{HUBM_KEY_UP, 0, 0},
                                       {HUBM_KEY_UP, 1, 0},
                                       {HUBM_KEY_UP, 2, 0},
                                       {HUBM_KEY_UP, 3, 0}}));
    EXPECT_EQ(Gpio(d, 0x0D), (Messages{{HUBM_KEY_DOWN, 1, 0}}));
    EXPECT_EQ(Gpio(d, 0x0D), Messages{});
}

TEST(ReportDecoder, DirectKeysActiveHighAndSpeakerUnmute) {
    ReportDecoder d(SCAN_2X2, false);
    EXPECT_EQ(Gpio(d, 0x00, 0x04), (Messages{{HUBM_AUDIO_BUTTONS, 4, 0},
                                             {HUBM_KEY_DOWN, 0, 0},
                                             {HUBM_SPEAKER_UNMUTE, 0, 0}}));
    ReportDecoder eight(SCAN_1X8, false);
    EXPECT_EQ(Gpio(eight, 0x80), (Messages{{HUBM_KEY_DOWN, 7, 0}}));
}

TEST(ReportDecoder, ChipButtonsThenGpioKeys) {
    ReportDecoder d(SCAN_4X5, false);
    EXPECT_EQ(Gpio(d, 0x0A, 0x08), (Messages{{HUBM_AUDIO_BUTTONS, 8, 0}, {HUBM_KEY_DOWN, 5, 0}}));
    // Without a scan thread the GPIO lines are not keys.
    ReportDecoder idle(SCAN_4X5, false);
    EXPECT_EQ(idle.Decode(0, 0x0A, 0, 0, false).messages, Messages{});
}

TEST(ReportDecoder, McuEvents) {
    ReportDecoder d(MCU_MODE, false);
    EXPECT_EQ(d.Decode(0x40, 0x45, 0, 0, false).messages,
              (Messages{{HUBM_MCU_EVENT, 0x45, 0}, {HUBM_MCU_KEY, 5, 1}}));
    EXPECT_EQ(d.Decode(0x40, 0x45, 0, 0, false).messages,
              (Messages{{HUBM_MCU_EVENT, 0x45, 0}, {HUBM_MCU_KEY, 5, 2}}));
    EXPECT_EQ(d.Decode(0x40, 0x05, 0, 0, false).messages,
              (Messages{{HUBM_MCU_EVENT, 0x05, 0}, {HUBM_MCU_KEY, 5, 0}}));
    EXPECT_EQ(d.Decode(0x40, 0xC1, 7, 0, false).messages,
              (Messages{{HUBM_MCU_EVENT, 0x7C1, 0}, {HUBM_MCU_REQUEST, 0xC1, 7}}));
    EXPECT_EQ(d.Decode(0x40, 0xB0, 1, 2, false).messages,
              (Messages{{HUBM_MCU_EVENT, 0x201B0, 0}, {HUBM_MCU_ACTION, 0xB0, 0}}));
    EXPECT_EQ(d.Decode(0x40, 0xD0, 0, 0, false).messages, (Messages{{HUBM_MCU_EVENT, 0xD0, 0}}));
    ReportDecoder::Result hello = d.Decode(0x40, 0x81, 0, 0, false);
    EXPECT_TRUE(hello.mcuHello);
    EXPECT_EQ(hello.messages, (Messages{{HUBM_MCU_EVENT, 0x81, 0}, {HUBM_MCU_READY, 0x81, 0}}));
    EXPECT_EQ(d.Decode(0xC0, 0x81, 0, 0, true).messages, Messages{});
}

TEST(ScanPatterns, StepsPerMode) {
    EXPECT_EQ(ScanPatternFor(SCAN_4X5).steps.size(), 4u);
    EXPECT_EQ(ScanPatternFor(SCAN_4X5).steps[3].levels, 0x00);
    EXPECT_EQ(ScanPatternFor(SCAN_4X5).steps[3].mask, 0x07);
    EXPECT_TRUE(ScanPatternFor(SCAN_1X8).oneShot);
    EXPECT_TRUE(ScanPatternFor(MCU_MODE).steps.empty());
    EXPECT_EQ(ResolveScanMode(0, 3), SCAN_4X5);
    EXPECT_EQ(ResolveScanMode(0, 4), SCAN_2X3);
    EXPECT_EQ(ResolveScanMode(SCAN_1X8, 4), SCAN_1X8);
}

}  // namespace
}  // namespace calvox
