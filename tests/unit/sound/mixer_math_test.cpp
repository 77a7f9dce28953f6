#include <gtest/gtest.h>

#include "sound/handset_mixer.h"

namespace calvox {
namespace {

std::pair<std::uint32_t, int> Get(std::vector<std::uint32_t> v) {
    std::uint32_t volume = 0;
    int balance = 0;
    VolumeBalanceFromChannels(v, volume, balance);
    return {volume, balance};
}

TEST(MixerMath, VolumeAndBalanceFromTwoChannels) {
    EXPECT_EQ(Get({65535, 32767}), std::make_pair(65535u, 25));
    EXPECT_EQ(Get({0, 0}), std::make_pair(0u, 50));
    EXPECT_EQ(Get({32768, 65535}), std::make_pair(65535u, 74));
    EXPECT_EQ(Get({40000, 40000}), std::make_pair(40000u, 50));
    EXPECT_EQ(Get({48000, 0}), std::make_pair(48000u, 0));
    EXPECT_EQ(Get({0, 48000}), std::make_pair(48000u, 100));
    EXPECT_EQ(Get({1234}), std::make_pair(1234u, kBalanceNone));
}

TEST(MixerMath, ChannelsFromVolumeAndBalance) {
    EXPECT_EQ(ChannelsFromVolumeBalance(48000, 0, 2), (std::vector<std::uint32_t>{48000, 0}));
    EXPECT_EQ(ChannelsFromVolumeBalance(48000, 100, 2), (std::vector<std::uint32_t>{0, 48000}));
    EXPECT_EQ(ChannelsFromVolumeBalance(48000, 50, 2), (std::vector<std::uint32_t>{48000, 48000}));
    EXPECT_EQ(ChannelsFromVolumeBalance(48000, 25, 2), (std::vector<std::uint32_t>{48000, 24000}));
    EXPECT_EQ(ChannelsFromVolumeBalance(700, 74, 1), (std::vector<std::uint32_t>{700}));
}

TEST(MixerMath, BalanceSurvivesARoundTrip) {
    for (int balance : {0, 10, 25, 49, 50, 51, 74, 90, 100}) {
        auto [volume, back] = Get(ChannelsFromVolumeBalance(60000, balance, 2));
        EXPECT_EQ(volume, 60000u);
        EXPECT_NEAR(back, balance, 1) << balance;
    }
}

}  // namespace
}  // namespace calvox
