#include "config/key_table.h"

#include <gtest/gtest.h>

namespace calvox {
namespace {

TEST(KeyFunctionFromName, IgnoresCaseButNotBlanks) {
    EXPECT_EQ(KeyFunctionFromName("number_#"), NUMBER_HASH);
    EXPECT_EQ(KeyFunctionFromName("Number_#"), NUMBER_HASH);
    EXPECT_EQ(KeyFunctionFromName("Number_# "), KEY_UNKNOWN);
    EXPECT_EQ(KeyFunctionFromName("hand off"), HAND_OFF);
    EXPECT_EQ(KeyFunctionFromName("HANDOFF"), KEY_UNKNOWN);
    EXPECT_EQ(KeyFunctionFromName("VOLUMEMUTE"), VOLUMEMUTE);
    EXPECT_EQ(KeyFunctionFromName("SKYPE"), SKYPE);
    EXPECT_EQ(KeyFunctionFromName(""), KEY_UNKNOWN);
    EXPECT_EQ(KeyFunctionFromName("SKYPEX"), KEY_UNKNOWN);
}

TEST(KeyTables, DefaultsGiveSlotNumbersAndSkypeInCapsLayer) {
    KeyTable normal = DefaultKeyTable();
    EXPECT_EQ(normal[27], LED_CALLING);
    EXPECT_EQ(normal[39], NUMBER_4_LONG);
    EXPECT_EQ(normal[50], 50);
    EXPECT_EQ(DefaultCapsKeyTable()[13], SKYPE);
}

TEST(LedMasks, LaterSlotReplacesEarlierAndOnlyFirstEightCount) {
    KeyTable t = DefaultKeyTable();
    t[1] = LED_MUTING;
    t[6] = LED_MUTING;
    t[2] = LED_CALLING;
    t[9] = LED_CALLING;
    LedMasks masks = LedMasksFromKeyTable(t);
    EXPECT_EQ(masks.muting, 1 << 6);
    EXPECT_EQ(masks.calling, 1 << 2);
    EXPECT_EQ(LedMasksFromKeyTable(DefaultKeyTable()).calling, 0);
}

}  // namespace
}  // namespace calvox
