#include "sound/handset_mixer.h"

#include <gtest/gtest.h>

#include "support/null_platform.h"
#include "support/sim_platform.h"

namespace calvox {
namespace {

using Lines = std::vector<std::string>;

class MixerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(mixer.OpenByName("Handset"));
        sim.Take("mixer");
    }
    test::SimPlatform sim{"mixer \"Line Out\"\nmixer \"My Handset Audio\"\n"};
    HubWindow hub{sim.platform.window, sim.platform.clock};
    HandsetMixer mixer{sim.platform, hub};
};

TEST_F(MixerTest, OpensTheFirstMixerWhoseNameContainsTheText) {
    std::string name;
    ASSERT_TRUE(mixer.GetName(name));
    EXPECT_EQ(name, "My Handset Audio");
    EXPECT_FALSE(mixer.GetName(name, 5));  // does not fit
    EXPECT_FALSE(mixer.OpenByName(""));
    EXPECT_FALSE(mixer.OpenByName("handset"));  // case matters
}

TEST_F(MixerTest, VolumeStepsAreClamped) {
    ASSERT_TRUE(mixer.SetMasterVolume(64000, 50));
    ASSERT_TRUE(mixer.StepMasterVolume(true));
    ASSERT_TRUE(mixer.SetMasterVolume(1000, -1));
    ASSERT_TRUE(mixer.StepMasterVolume(false));
    EXPECT_EQ(sim.Take("mixer"), (Lines{"mixer speakers volume 64000 64000",
                                        "mixer speakers volume 65535 65535",
                                        "mixer speakers volume 1000 1000",
                                        "mixer speakers volume 0 0"}));
}

TEST_F(MixerTest, NegativeValuesKeepTheCurrentOnes) {
    ASSERT_TRUE(mixer.SetMasterVolume(48000, 0));
    ASSERT_TRUE(mixer.SetMasterVolume(-1, 100));
    ASSERT_TRUE(mixer.SetMasterVolume(20000, -1));
    EXPECT_EQ(sim.Take("mixer"), (Lines{"mixer speakers volume 48000 0",
                                        "mixer speakers volume 0 48000",
                                        "mixer speakers volume 0 20000"}));
}

TEST_F(MixerTest, LineCommands) {
    std::uint32_t value = 0;
    EXPECT_FALSE(mixer.LineCommand(kDirectionRecording, "SPEAKER", "SETMUTE", value));
    EXPECT_FALSE(mixer.LineCommand(kDirectionRecording, "MICROPHONE", "setmute", value));
    value = 1;
    EXPECT_TRUE(mixer.LineCommand(kDirectionRecording, "MICROPHONE", "SETMUTE", value));
    value = 0;
    EXPECT_TRUE(mixer.LineCommand(kDirectionRecording, "MICROPHONE", "GETMUTE", value));
    EXPECT_EQ(value, 1u);
    value = 0;
    EXPECT_TRUE(mixer.LineCommand(kDirectionPlayback, "MICROPHONE", "SETAGC", value));
    value = 0xFFFF;
    EXPECT_TRUE(mixer.LineCommand(kDirectionRecording, "LINE0", "SETVALUE", value));
    EXPECT_FALSE(mixer.LineCommand(kDirectionRecording, "LINE0", "SETAGC", value));  // none there
    EXPECT_EQ(sim.Take("mixer"), (Lines{"mixer wavein/microphone mute 1",
                                        "mixer speakers/microphone onoff \"Mic AGC\" 0",
                                        "mixer wavein volume 65535 65535"}));
}

TEST(MixerClosed, EveryOperationFailsWithoutAMixer) {
    test::SimPlatform sim;
    HubWindow hub(sim.platform.window, sim.platform.clock);
    HandsetMixer mixer(sim.platform, hub);
    std::uint32_t value = 0;
    int balance = 0;
    EXPECT_FALSE(mixer.OpenByName("USB"));
    EXPECT_FALSE(mixer.GetMasterVolume(value, balance));
    EXPECT_FALSE(mixer.StepMasterVolume(true));
    EXPECT_FALSE(mixer.LineCommand(kDirectionRecording, "MICROPHONE", "GETMUTE", value));
    EXPECT_TRUE(mixer.Close());
}

// Two mixers by name; opening refuses until told otherwise, and says why.
class RefusingMixers : public test::NullPlatform {
public:
    bool refuse = true;
    unsigned GetDeviceCount() override { return 2; }
    bool GetDeviceName(unsigned id, std::string& name) override {
        name = id == 0 ? "Line Out" : "My Handset Audio";
        return true;
    }
    MixerHandle Open(unsigned, Hwnd) override {
        if (!refuse) return 0x77;
        failure = "mixerOpen failed: MMRESULT 4 (allocated)";
        return 0;
    }
    std::string LastError() override { return failure; }
    std::string failure;
};

// A mixer found by name that does not open keeps the platform's reason; a
// name nothing matches, and an open that works, leave none.
TEST(MixerOpenFailure, KeepsThePortsReasonOnlyForAMixerThatWasFound) {
    RefusingMixers platform;
    HubWindow hub(platform.ports.window, platform.ports.clock);
    HandsetMixer mixer(platform.ports, hub);
    EXPECT_FALSE(mixer.OpenByName("Handset"));
    EXPECT_EQ(mixer.OpenFailure(), "mixerOpen failed: MMRESULT 4 (allocated)");
    EXPECT_FALSE(mixer.OpenByName("Speakers"));
    EXPECT_EQ(mixer.OpenFailure(), "");
    EXPECT_FALSE(mixer.OpenByName("Handset"));
    platform.refuse = false;
    EXPECT_TRUE(mixer.OpenByName("Handset"));
    EXPECT_EQ(mixer.OpenFailure(), "");
}

}  // namespace
}  // namespace calvox
