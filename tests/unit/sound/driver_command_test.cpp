#include <gtest/gtest.h>

#include "sound/driver_wave_player.h"
#include "sound/recording.h"

namespace calvox {
namespace {

std::uint32_t At(const DriverCommand& b, std::size_t offset) {
    return b[offset] | (b[offset + 1] << 8) | (b[offset + 2] << 16) | (std::uint32_t{b[offset + 3]} << 24);
}

TEST(DriverCommand, StartBlockLayout) {
    DriverCommand b;
    ASSERT_TRUE(BuildDriverCommand(DRIVER_START, CHANNEL_RECORDING, u"C:\\VM\\x_1_N.wav", b));
    EXPECT_EQ(At(b, 0), 1u);
    EXPECT_EQ(At(b, 4), 2u);
    const std::u16string expected = u"\\DosDevices\\C:\\VM\\x_1_N.wav";
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(b[8 + 2 * i], expected[i] & 0xFF);
        EXPECT_EQ(b[9 + 2 * i], expected[i] >> 8);
    }
    EXPECT_EQ(b[8 + 2 * expected.size()], 0);
    EXPECT_EQ(At(b, 520), 48000u);
    EXPECT_EQ(At(b, 524), 1u);
}

TEST(DriverCommand, StopAndQueryCarryOnlyOperationAndChannel) {
    DriverCommand b;
    ASSERT_TRUE(BuildDriverCommand(DRIVER_QUERY, CHANNEL_GREETING, u"ignored", b));
    EXPECT_EQ(At(b, 0), 2u);
    EXPECT_EQ(At(b, 4), 1u);
    for (std::size_t i = 8; i < b.size(); ++i) ASSERT_EQ(b[i], 0) << i;
}

TEST(DriverCommand, PathThatDoesNotFitIsRefused) {
    DriverCommand b;
    EXPECT_TRUE(BuildDriverCommand(DRIVER_START, 0, std::u16string(243, u'x'), b));  // 255 with prefix
    EXPECT_FALSE(BuildDriverCommand(DRIVER_START, 0, std::u16string(244, u'x'), b));
}

TEST(RecordingNames, FolderCallerTimeAndKind) {
    EXPECT_EQ(RecordingFileName("C:\\VM", "alice.smith", 1161234567, 'N'),
              "C:\\VM\\alice.smith_1161234567_N.wav");
    EXPECT_EQ(RecordingFileName("C:\\CR", "alice.smith", 1161234567, 'W'),
              "C:\\CR\\alice.smith_1161234567_W.wav");
    EXPECT_EQ(RecordingFileName("C:\\CR", "+1 (555)", 5, 'W'), "C:\\CR\\+1 (555)_5_W.wav");
    EXPECT_EQ(SafeFileNamePart("a\\b/c:d*e?f\"g<h>i|j\x01k"), "a_b_c_d_e_f_g_h_i_j_k");
}

}  // namespace
}  // namespace calvox
