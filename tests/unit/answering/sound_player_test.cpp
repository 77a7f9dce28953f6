#include "answering/sound_player.h"

#include <gtest/gtest.h>

#include "support/null_platform.h"
#include "support/sim_platform.h"

namespace calvox {
namespace {

constexpr Hwnd kHub = 0x100;

TEST(SoundPlayer, StereoFileLoadsWithItsLengthAndPlaysOnce) {
    test::SimPlatform p("mixer \"USB Audio Device\"\nfile r.wav wav 2 44100 16 2\n");
    SoundPlayer player(p.platform);
    player.SetDevice("USB Audio");
    player.Load(kHub, "C:\\Calvox\\r.wav");  // 352800 bytes
    EXPECT_EQ(player.Length(), 2u);
    EXPECT_TRUE(player.Play(true));
    EXPECT_TRUE(player.IsPlaying());
    EXPECT_TRUE(player.Play(true));  // already playing: not started again
    EXPECT_TRUE(player.Stop());
    EXPECT_TRUE(player.Stop());
    EXPECT_EQ(p.Lines("sound"), (std::vector<std::string>{"sound load \"C:\\Calvox\\r.wav\"",
                                                          "sound play loop", "sound stop"}));
}

TEST(SoundPlayer, PlaybackFormatIsExtensibleAndRefusesWhatCannotPlay) {
    const struct {
        std::uint16_t channels, bits;
        std::uint32_t rate, average;
        bool playable;
        std::uint32_t mask;
    } cases[] = {
        {2, 16, 44100, 176400, true, 0x3}, {4, 16, 8000, 64000, true, 0x33},
        {6, 16, 8000, 96000, true, 0x3F},  {8, 16, 8000, 128000, true, 0x63F},
        {0, 16, 8000, 16000, false, 0},    {1, 16, 0, 16000, false, 0},
        {1, 16, 8000, 0, false, 0},        {1, 4, 8000, 4000, false, 0},
    };
    for (const auto& c : cases) {
        WaveFormat file = PcmFormat(c.channels, c.rate, c.bits);
        file.avgBytesPerSec = c.average;
        WaveFormat out;
        ASSERT_EQ(PlaybackFormat(file, out), c.playable) << c.channels << " " << c.rate;
        if (!c.playable) continue;
        EXPECT_EQ(out.formatTag, 0xFFFE);
        EXPECT_EQ(out.blockAlign, c.channels * 2);
        ASSERT_EQ(out.extra.size(), 22u);
        EXPECT_EQ(out.extra[2] | (out.extra[3] << 8), static_cast<int>(c.mask));
        EXPECT_EQ(out.extra[6], 0x01);  // the PCM sub-format
    }
}

// A device that loses every buffer it makes.
class LosingDevice : public test::NullPlatform {
public:
    int restores = 0;
    HResult EnumeratePlaybackDevices(std::vector<SoundDevice>&) override { return kSOk; }
    HResult CreatePlayback(const Guid*, SoundObject& object) override {
        object = 1;
        return kSOk;
    }
    HResult SetCooperativeLevel(SoundObject, Hwnd, CooperativeLevel) override { return kSOk; }
    HResult SetPrimaryFormat(SoundObject, const WaveFormat&) override { return kSOk; }
    HResult CreateBuffer(SoundObject, std::uint32_t, std::uint32_t, const WaveFormat&,
                         SoundBuffer& buffer) override {
        buffer = 2;
        return kSOk;
    }
    HResult GetBufferStatus(SoundBuffer, std::uint32_t& status) override {
        status = kDsbStatusBufferLost;
        return kSOk;
    }
    HResult RestoreBuffer(SoundBuffer) override {
        ++restores;
        return kDsErrBufferLost;
    }
};

TEST(SoundPlayer, LostBufferIsRestoredForAWhileThenTheLoadFails) {
    test::SimPlatform p("file f.wav wav 1 8000 16 1\n");
    LosingDevice device;
    Platform mixed{p.sim, p.sim, p.sim, p.sim, p.sim, p.sim,  p.sim, p.sim,  p.sim,
                   p.sim, p.sim, p.sim, p.sim, p.sim, device, p.sim, nullptr};
    SoundPlayer player(mixed);
    player.Load(kHub, "C:\\Calvox\\f.wav");
    EXPECT_GT(device.restores, 1);
    EXPECT_LE(device.restores, 50);
    EXPECT_EQ(player.Length(), 0u);
    EXPECT_FALSE(player.Play(false));
}

}  // namespace
}  // namespace calvox
