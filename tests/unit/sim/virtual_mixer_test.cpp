#include "sim/virtual_mixer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace calvox::sim {
namespace {

struct Bench {
    std::vector<std::string> trace;
    VirtualMixers mixers{[this](const std::string& line) { trace.push_back(line); }};

    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (unsigned id = 0; id < mixers.GetDeviceCount(); ++id) {
            std::string name;
            EXPECT_TRUE(mixers.GetDeviceName(id, name));
            names.push_back(name);
        }
        return names;
    }
    // The control of a type on the line `source` (-1: the destination itself).
    MixerControl ControlOf(MixerHandle h, std::uint32_t destination, int source,
                           std::uint32_t type) {
        MixerLine line;
        EXPECT_TRUE(source < 0 ? mixers.GetDestination(h, destination, line)
                               : mixers.GetSource(h, destination,
                                                  static_cast<std::uint32_t>(source), line));
        MixerControl control;
        EXPECT_TRUE(mixers.GetControlByType(h, line.lineId, type, control));
        return control;
    }
    std::vector<std::uint32_t> Values(MixerHandle h, const MixerControl& c, std::uint32_t n) {
        std::vector<std::uint32_t> values;
        EXPECT_TRUE(mixers.GetValues(h, c.controlId, n, values));
        return values;
    }
};

using Names = std::vector<std::string>;

TEST(MixerDevices, DeclaredFirstThenHandsetsThatNoDeclarationNamed) {
    Bench b;
    b.mixers.Declare("Realtek AC97");
    b.mixers.Declare("Desk Phone");
    b.mixers.AttachHandset(0, "USB Audio Device");
    b.mixers.AttachHandset(1, "Desk Phone");
    b.mixers.AttachHandset(2, "Desk Phone");  // the declared one is taken already
    EXPECT_EQ(b.Names(), (Names{"Realtek AC97", "Desk Phone", "USB Audio Device", "Desk Phone"}));

    b.mixers.SetPresent(1, false);  // a handset's mixer goes with it, wherever it stood
    EXPECT_EQ(b.Names(), (Names{"Realtek AC97", "USB Audio Device", "Desk Phone"}));
    std::string name;
    EXPECT_FALSE(b.mixers.GetDeviceName(3, name));
    EXPECT_EQ(b.mixers.Open(3, 0), 0u);
    b.mixers.SetPresent(1, true);
    EXPECT_EQ(b.Names().size(), 4u);
}

TEST(MixerDevices, LayoutAndStartingValues) {
    Bench b;
    b.mixers.Declare("M");
    const MixerHandle h = b.mixers.Open(0, 0);
    std::uint32_t count = 0;
    ASSERT_TRUE(b.mixers.GetDestinationCount(h, count));
    EXPECT_EQ(count, 2u);

    struct Want {
        std::uint32_t destination;
        int source;
        std::uint32_t componentType, channels;
        std::vector<std::uint32_t> volume;
        const char* agc;  // nullptr: no on/off control
    };
    const Want wants[] = {
        {0, -1, kMixerDstSpeakers, 2, {32768, 32768}, nullptr},
        {0, 0, kMixerSrcMicrophone, 1, {32768}, "Mic AGC"},
        {1, -1, kMixerDstWaveIn, 2, {32768, 32768}, nullptr},
        {1, 0, kMixerSrcMicrophone, 1, {32768}, "AGC"},
    };
    std::vector<std::uint32_t> lineIds;
    for (const Want& w : wants) {
        SCOPED_TRACE(std::to_string(w.destination) + "/" + std::to_string(w.source));
        MixerLine line;
        ASSERT_TRUE(w.source < 0 ? b.mixers.GetDestination(h, w.destination, line)
                                 : b.mixers.GetSource(h, w.destination, 0, line));
        lineIds.push_back(line.lineId);
        EXPECT_EQ(line.componentType, w.componentType);
        EXPECT_EQ(line.channels, w.channels);
        EXPECT_EQ(line.connections, w.source < 0 ? 1u : 0u);
        EXPECT_EQ(
            b.Values(h, b.ControlOf(h, w.destination, w.source, kMixerControlVolume), w.channels),
            w.volume);
        EXPECT_EQ(b.Values(h, b.ControlOf(h, w.destination, w.source, kMixerControlMute), 1),
                  (std::vector<std::uint32_t>{0}));
        std::vector<MixerControl> all;
        ASSERT_TRUE(b.mixers.GetAllControls(h, line, all));
        MixerControl onoff;
        const bool hasOnOff = b.mixers.GetControlByType(h, line.lineId, kMixerControlOnOff, onoff);
        EXPECT_EQ(hasOnOff, w.agc != nullptr);
        EXPECT_EQ(all.size(), hasOnOff ? 3u : 2u);
        if (hasOnOff) {
            EXPECT_EQ(onoff.name, w.agc);
            EXPECT_EQ(b.Values(h, onoff, 1), (std::vector<std::uint32_t>{1}));
        }
    }
    EXPECT_EQ(lineIds, (std::vector<std::uint32_t>{0xFFFF0000u, 0, 0xFFFF0001u, 1}));
    MixerLine none;
    EXPECT_FALSE(b.mixers.GetDestination(h, 2, none));
    EXPECT_FALSE(b.mixers.GetSource(h, 0, 1, none));
    EXPECT_TRUE(b.trace.size() == 1) << "reads are not traced";
}

TEST(MixerTrace, OpenWritesAndClose) {
    Bench b;
    b.mixers.Declare("Caf\xE9 \"Mix\"");
    const MixerHandle h = b.mixers.Open(0, 0x10020);
    const auto speakers = b.ControlOf(h, 0, -1, kMixerControlVolume);
    EXPECT_TRUE(b.mixers.SetValues(h, speakers.controlId, {65535, 0}));
    EXPECT_TRUE(b.mixers.SetValues(h, b.ControlOf(h, 0, 0, kMixerControlMute).controlId, {1}));
    EXPECT_TRUE(b.mixers.SetValues(h, b.ControlOf(h, 1, 0, kMixerControlOnOff).controlId, {0}));
    EXPECT_TRUE(b.mixers.SetValues(h, b.ControlOf(h, 1, -1, kMixerControlVolume).controlId, {7}));
    EXPECT_FALSE(b.mixers.SetValues(h, speakers.controlId, {1, 2, 3}));
    EXPECT_FALSE(b.mixers.SetValues(h, 999, {1}));
    b.mixers.Close(h);
    b.mixers.Close(h);
    b.mixers.Close(0);
    EXPECT_EQ(b.trace,
              (Names{"mixer open \"Caf\xC3\xA9 \\\"Mix\\\"\"", "mixer speakers volume 65535 0",
                     "mixer speakers/microphone mute 1", "mixer wavein/microphone onoff \"AGC\" 0",
                     "mixer wavein volume 7", "mixer close"}));
    EXPECT_EQ(b.Values(b.mixers.Open(0, 0), speakers, 2), (std::vector<std::uint32_t>{65535, 0}));
}

TEST(MixerTrace, OneValueSetsEveryChannel) {
    Bench b;
    b.mixers.Declare("M");
    const MixerHandle h = b.mixers.Open(0, 0);
    const auto volume = b.ControlOf(h, 1, -1, kMixerControlVolume);
    ASSERT_TRUE(b.mixers.SetValues(h, volume.controlId, {1000}));
    EXPECT_EQ(b.Values(h, volume, 2), (std::vector<std::uint32_t>{1000, 1000}));
    EXPECT_EQ(b.Values(h, volume, 1), (std::vector<std::uint32_t>{1000}));
    std::vector<std::uint32_t> values;
    EXPECT_FALSE(b.mixers.GetValues(h, volume.controlId, 3, values));
}

TEST(MixerHandset, HandlesDieWithTheDeviceAndAFreshDeviceStartsOver) {
    Bench b;
    b.mixers.AttachHandset(0, "USB Audio Device");
    const MixerHandle h = b.mixers.Open(0, 0x10020);
    const auto mute = b.ControlOf(h, 0, -1, kMixerControlMute);
    ASSERT_TRUE(b.mixers.SetValues(h, mute.controlId, {1}));
    b.mixers.SetPresent(0, false);
    std::uint32_t count = 0;
    EXPECT_FALSE(b.mixers.GetDestinationCount(h, count));
    EXPECT_FALSE(b.mixers.SetValues(h, mute.controlId, {0}));
    EXPECT_TRUE(b.mixers.CallbacksOf(0).empty());
    b.mixers.SetPresent(0, true);
    EXPECT_FALSE(b.mixers.GetDestinationCount(h, count)) << "the old handle stays dead";
    const MixerHandle again = b.mixers.Open(0, 0);
    EXPECT_EQ(b.Values(again, mute, 1), (std::vector<std::uint32_t>{0}));
    b.mixers.Close(h);
    EXPECT_EQ(b.trace.back(), "mixer close") << "the program still held a handle";
}

TEST(MixerHandset, CallbacksGoToHandlesOpenedWithAWindow) {
    Bench b;
    b.mixers.Declare("Other");
    b.mixers.AttachHandset(0, "USB Audio Device");
    b.mixers.Open(0, 0x10030);  // not the handset's mixer
    b.mixers.Open(1, 0);
    const MixerHandle withWindow = b.mixers.Open(1, 0x10020);
    const auto callbacks = b.mixers.CallbacksOf(0);
    ASSERT_EQ(callbacks.size(), 1u);
    EXPECT_EQ(callbacks[0].window, 0x10020u);
    EXPECT_EQ(callbacks[0].mixer, withWindow);
    EXPECT_TRUE(b.mixers.CallbacksOf(1).empty());
}

TEST(MixerHandset, ChangesFromOutsideAreNotTraced) {
    Bench b;
    b.mixers.AttachHandset(0, "USB Audio Device");
    std::string error;
    EXPECT_TRUE(b.mixers.SetFromOutside(0, "speakers", "volume", "", {100, 200}, error));
    EXPECT_TRUE(b.mixers.SetFromOutside(0, "wavein", "volume", "", {300}, error));
    EXPECT_TRUE(b.mixers.SetFromOutside(0, "speakers/microphone", "onoff", "Mic AGC", {0}, error));
    EXPECT_TRUE(b.mixers.SetFromOutside(0, "wavein/microphone", "mute", "", {1}, error));
    EXPECT_EQ(b.mixers.ValuesOf(0, "speakers", "volume"), (std::vector<std::uint32_t>{100, 200}));
    EXPECT_EQ(b.mixers.ValuesOf(0, "wavein", "volume"), (std::vector<std::uint32_t>{300, 300}));
    EXPECT_EQ(b.mixers.ValuesOf(0, "speakers/microphone", "onoff", "Mic AGC"),
              (std::vector<std::uint32_t>{0}));
    EXPECT_EQ(b.mixers.ValuesOf(0, "wavein/microphone", "mute"), (std::vector<std::uint32_t>{1}));
    EXPECT_TRUE(b.trace.empty());

    EXPECT_FALSE(b.mixers.SetFromOutside(0, "wavein/microphone", "onoff", "Mic AGC", {0}, error));
    EXPECT_NE(error.find("Mic AGC"), std::string::npos);
    EXPECT_FALSE(b.mixers.SetFromOutside(0, "speakers", "onoff", "AGC", {0}, error));
    EXPECT_FALSE(b.mixers.SetFromOutside(0, "wavein/microphone", "volume", "", {1, 2}, error));
    b.mixers.SetPresent(0, false);
    EXPECT_TRUE(b.mixers.SetFromOutside(0, "speakers", "mute", "", {1}, error)) << "no mixer";
}

}  // namespace
}  // namespace calvox::sim
