#include "answering/sound_player.h"

#include <gtest/gtest.h>

#include "answering/sound_bench.h"

namespace calvox {
namespace {

constexpr Hwnd kHub = 0x100;

TEST(SoundPlayer, StereoFileLoadsWithTheExtensibleFormatAndItsLength) {
    test::SoundBench bench;
    bench.files["C:\\r.wav"] = test::WaveBytes(test::PcmFmt(2, 44100, 16, 176400), 352800);
    bench.files["C:\\r.wav"][44] = 0x5A;  // the first sample byte
    SoundPlayer player(bench.ports);
    player.SetDevice("USB Audio");
    player.Load(kHub, "C:\\r.wav");
    EXPECT_EQ(player.Length(), 2u);
    const WaveFormat& f = bench.bufferFormat;
    EXPECT_EQ(f.formatTag, 0xFFFE);
    EXPECT_EQ(f.blockAlign, 4);
    EXPECT_EQ(f.avgBytesPerSec, 176400u);
    ASSERT_EQ(f.extra.size(), 22u);
    EXPECT_EQ(f.extra[0], 16);    // valid bits
    EXPECT_EQ(f.extra[2], 0x3);   // channel mask: front left and right
    EXPECT_EQ(f.extra[6], 0x01);  // the PCM sub-format
    EXPECT_EQ(f.extra[21], 0x71);
    ASSERT_EQ(bench.buffer.size(), 352800u);
    EXPECT_EQ(bench.buffer[0], 0x5A);

    EXPECT_TRUE(player.Play(true));
    EXPECT_TRUE(player.IsPlaying());
    EXPECT_TRUE(player.Play(true));  // already playing: not started again
    EXPECT_TRUE(player.Stop());
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_TRUE(player.Stop());
}

TEST(SoundPlayer, ChannelMasksAndUnplayableFormats) {
    const struct {
        std::uint16_t channels, bits;
        std::uint32_t rate, average;
        bool playable;
        std::uint32_t mask;
    } cases[] = {
        {1, 16, 8000, 16000, true, 0x3},  {4, 16, 8000, 64000, true, 0x33},
        {6, 16, 8000, 96000, true, 0x3F}, {8, 16, 8000, 128000, true, 0x63F},
        {0, 16, 8000, 16000, false, 0},   {1, 16, 0, 16000, false, 0},
        {1, 16, 8000, 0, false, 0},       {1, 4, 8000, 4000, false, 0},
    };
    for (const auto& c : cases) {
        WaveFormat file;
        file.channels = c.channels;
        file.samplesPerSec = c.rate;
        file.avgBytesPerSec = c.average;
        file.bitsPerSample = c.bits;
        WaveFormat out;
        ASSERT_EQ(PlaybackFormat(file, out), c.playable) << c.channels << " " << c.rate;
        if (c.playable) {
            EXPECT_EQ(out.extra[2] | (out.extra[3] << 8), static_cast<int>(c.mask));
        }

        // A file in such a format loads nothing: no sound, no division by zero.
        test::SoundBench bench;
        bench.files["f.wav"] =
            test::WaveBytes(test::PcmFmt(c.channels, c.rate, c.bits, c.average), 64000);
        SoundPlayer player(bench.ports);
        player.Load(kHub, "f.wav");
        EXPECT_EQ(bench.buffer.empty(), !c.playable);
        EXPECT_EQ(player.Play(false), c.playable);
    }
}

TEST(SoundPlayer, LostBufferIsRestoredForAWhileThenTheLoadFails) {
    test::SoundBench bench;
    bench.files["f.wav"] = test::WaveBytes(test::PcmFmt(1, 8000, 16, 16000), 16000);
    bench.bufferLost = true;
    SoundPlayer player(bench.ports);
    player.Load(kHub, "f.wav");
    EXPECT_GT(bench.restores, 1);
    EXPECT_LE(bench.restores, 50);
    EXPECT_EQ(player.Length(), 0u);
    EXPECT_FALSE(player.Play(false));
}

TEST(SoundPlayer, EmptyNameLoadsTheBuiltInRing) {
    test::SoundBench bench;
    bench.resources["#133/WAVE"] = test::WaveBytes(test::PcmFmt(2, 44100, 16, 176400), 352800);
    SoundPlayer player(bench.ports);
    player.Load(kHub, "");
    EXPECT_EQ(player.Length(), 2u);
    EXPECT_TRUE(player.Play(true));
}

TEST(SoundPlayer, DeviceIsChosenByPartOfItsDescription) {
    const std::vector<SoundDevice> devices = {{Guid{1, 0, 0, {}}, "Primary Sound Driver"},
                                              {Guid{2, 0, 0, {}}, "Speakers (USB Audio Device)"},
                                              {Guid{3, 0, 0, {}}, "USB Audio Device #2"}};
    EXPECT_EQ(MatchSoundDevice(devices, "USB Audio Device")->data1, 2u);
    EXPECT_EQ(MatchSoundDevice(devices, "#2")->data1, 3u);
    EXPECT_FALSE(MatchSoundDevice(devices, "Handset"));
}

}  // namespace
}  // namespace calvox
