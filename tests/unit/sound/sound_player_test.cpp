#include "sound/sound_player.h"

#include <gtest/gtest.h>

#include <vector>

#include "sound/sound_recorder.h"
#include "support/null_platform.h"
#include "support/sim_platform.h"

namespace calvox {
namespace {

constexpr Hwnd kHub = 0x100;

TEST(SoundPlayer, StereoFileLoadsWithItsLengthAndPlaysOnce) {
    test::SimPlatform p("mixer \"USB Audio Device\"\nfile r.wav wav 2 44100 16 2\n");
    HubWindow hub(p.platform.window, p.platform.clock);
    hub.Created(kHub);
    SoundPlayer player(p.platform, hub);
    player.SetDevice("USB Audio");
    player.Load("C:\\Calvox\\r.wav");  // 352800 bytes
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
        {2, 16, 44100, 176400, true, 0x3},
        {4, 16, 8000, 64000, true, 0x33},
        {6, 16, 8000, 96000, true, 0x3F},
        {8, 16, 8000, 128000, true, 0x63F},
        {0, 16, 8000, 16000, false, 0},
        {1, 16, 0, 16000, false, 0},
        {1, 16, 8000, 0, false, 0},
        {1, 4, 8000, 4000, false, 0},
        // Blocks too large for their 16-bit field (the first found by fuzzing).
        {62465, 65327, 8000, 16000, false, 0},
        {65535, 16, 8000, 16000, false, 0},
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
    Platform mixed = p.With({.sound = &device});
    HubWindow hub(mixed.window, mixed.clock);
    hub.Created(kHub);
    SoundPlayer player(mixed, hub);
    player.Load("C:\\Calvox\\f.wav");
    EXPECT_GT(device.restores, 1);
    EXPECT_LE(device.restores, 50);
    EXPECT_EQ(player.Length(), 0u);
    EXPECT_FALSE(player.Play(false));
}

// A device that fails one step of opening with a given result code.
enum class FailingStep { Open, Buffer };
class FailingDevice : public test::NullPlatform {
public:
    FailingDevice(FailingStep step, HResult code) : step_(step), code_(code) {}
    HResult EnumeratePlaybackDevices(std::vector<SoundDevice>& devices) override {
        return List(devices);
    }
    HResult EnumerateCaptureDevices(std::vector<SoundDevice>& devices) override {
        return List(devices);
    }
    HResult CreatePlayback(const Guid*, SoundObject& object) override {
        return Make(FailingStep::Open, object);
    }
    HResult CreateCapture(const Guid*, SoundObject& object) override {
        return Make(FailingStep::Open, object);
    }
    HResult SetCooperativeLevel(SoundObject, Hwnd, CooperativeLevel) override { return kSOk; }
    HResult SetPrimaryFormat(SoundObject, const WaveFormat&) override { return kSOk; }
    HResult CreateBuffer(SoundObject, std::uint32_t, std::uint32_t, const WaveFormat&,
                         SoundBuffer& buffer) override {
        return Make(FailingStep::Buffer, buffer);
    }
    HResult CreateCaptureBuffer(SoundObject, std::uint32_t, const WaveFormat&,
                                SoundBuffer& buffer) override {
        return Make(FailingStep::Buffer, buffer);
    }

private:
    HResult List(std::vector<SoundDevice>& devices) {
        devices.assign(1, SoundDevice{});
        devices[0].id.data1 = 1;
        devices[0].description = "Speakers";
        return kSOk;
    }
    HResult Make(FailingStep step, std::uintptr_t& object) {
        object = step_ == step ? 0 : 1;
        return step_ == step ? code_ : kSOk;
    }
    FailingStep step_;
    HResult code_;
};

class LogLines : public LogPort {
public:
    std::vector<std::string> lines;
    void WriteLine(const std::string& line) override { lines.push_back(line); }
};

TEST(SoundPlayer, DeviceFailuresAreLoggedWithTheirResultCodes) {
    const std::string failed = "sound load failed \"C:\\Calvox\\f.wav\": ";
    const struct {
        FailingStep step;
        std::uint32_t code;
        std::string device;
        std::vector<std::string> player, recorder;
    } cases[] = {
        {FailingStep::Open,
         0x88780078u,
         "Handset",
         {"sound playback device \"Handset\" not found, using the default",
          failed + "sound playback device \"Handset\" failed to open: 0x88780078"},
         {"sound capture device \"Handset\" not found, using the default",
          "sound capture device \"Handset\" failed to open: 0x88780078"}},
        {FailingStep::Buffer,
         0x8007000Eu,
         "Speakers",
         {failed + "no sound buffer of 16000 bytes: 0x8007000E"},
         {"sound capture device \"Speakers\" gave no capture buffer: 0x8007000E"}},
    };
    for (const auto& c : cases) {
        test::SimPlatform p("file f.wav wav 1 8000 16 1\n");
        FailingDevice device(c.step, static_cast<HResult>(c.code));
        Platform mixed = p.With({.sound = &device});
        LogLines lines;
        DiagnosticLog log(&lines);
        log.SetEnabled(true);
        HubWindow hub(mixed.window, mixed.clock);
        hub.Created(kHub);
        SoundPlayer player(mixed, hub, &log);
        player.SetDevice(c.device);
        player.Load("C:\\Calvox\\f.wav");
        EXPECT_EQ(lines.lines, c.player) << c.code;
        EXPECT_EQ(player.Length(), 0u);

        lines.lines.clear();
        SoundRecorder recorder(mixed, &log);
        EXPECT_EQ(recorder.Start(c.device, PcmFormat(1, 8000, 16), "C:\\Calvox\\m.wav"),
                  static_cast<HResult>(c.code));
        EXPECT_EQ(lines.lines, c.recorder) << c.code;
    }
}

}  // namespace
}  // namespace calvox
