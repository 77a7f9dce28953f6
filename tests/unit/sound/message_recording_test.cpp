#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "sound/riff_wave_file.h"
#include "sim/script.h"
#include "sim/simulation.h"

namespace calvox {
namespace {

class Steps : public sim::StepSource {
public:
    explicit Steps(std::vector<sim::Step> steps) : steps_(std::move(steps)) {}
    bool Next(sim::Step& step) override {
        if (next_ >= steps_.size()) return false;
        step = steps_[next_++];
        return true;
    }

private:
    std::vector<sim::Step> steps_;
    std::size_t next_ = 0;
};

// The dialogue's message, recorded in the simulator for VMDURATION seconds:
// a finished PCM WAVE file of that much silence.
TEST(SoundRecorder, MessageFileHoldsTheRecordedTime) {
    const char* script =
        "handset\n"
        "client\n"
        "ini [VM] VOICEMAIL=1\n"
        "ini [VM] VMFOLDER=C:\\VM\n"
        "ini [VM] VMDURATION=3\n"
        "start\n"
        "wait 1000\n"
        "post HUBM_MCU_ACTION 180 0\n"
        "wait 2000\n"
        "expect recorder start \"USB Audio Device\" \"C:\\VM\\PSTN_1161234570_N.wav\"\n"
        "wait 3000\n"
        "expect recorder stop\n";
    sim::Script parsed;
    sim::ParseError error;
    ASSERT_TRUE(sim::ParseScript(script, parsed, error)) << error.lineNo << ": " << error.reason;
    std::ostringstream out, err;
    sim::Simulation simulation(out, err);
    ASSERT_TRUE(simulation.ApplyWorld(parsed.world, error));
    Steps steps(parsed.steps);
    ASSERT_EQ(simulation.Run(steps), 0) << err.str() << out.str();

    RiffWaveFile file(simulation.world().files);
    ASSERT_EQ(file.OpenRead("C:\\VM\\PSTN_1161234570_N.wav"), kSOk);
    EXPECT_EQ(file.Format().formatTag, kWaveFormatPcm);
    EXPECT_EQ(file.Format().channels, 1);
    EXPECT_EQ(file.Format().samplesPerSec, 8000u);
    EXPECT_EQ(file.Format().bitsPerSample, 16);
    ASSERT_EQ(file.DataSize(), 3u * 16000);
    std::vector<std::uint8_t> data(file.DataSize(), 0xFF);
    std::uint32_t got = 0;
    ASSERT_EQ(file.Read(data.data(), file.DataSize(), got), kSOk);
    EXPECT_EQ(std::count(data.begin(), data.end(), 0), 3 * 16000);
}

}  // namespace
}  // namespace calvox
