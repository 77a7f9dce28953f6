#include "sound/default_devices.h"

#include <gtest/gtest.h>

#include "sim/virtual_registry.h"
#include "support/null_platform.h"

namespace calvox {
namespace {

// Mixer devices by name; an empty name fails its capability query.
class Mixers : public test::NullPlatform {
public:
    std::vector<std::string> names;
    unsigned GetDeviceCount() override { return static_cast<unsigned>(names.size()); }
    bool GetDeviceName(unsigned id, std::string& name) override {
        if (id >= names.size() || names[id].empty()) return false;
        name = names[id];
        return true;
    }
    MixerHandle Open(unsigned id, Hwnd) override { return id + 1; }
};

struct Preferences {
    std::optional<std::string> playback, record;  // nullopt: the user's key is missing
};

TEST(DefaultDevices, PreferencesMoveOffTheHandset) {
    const std::string handset = "USB Audio Device";
    const struct {
        const char* what;
        std::vector<std::string> mixers;
        Preferences before, after;
        std::vector<std::string> lines;
    } cases[] = {
        {"the handset alone", {handset}, {handset, handset}, {handset, handset}, {}},
        {"a device no longer present",
         {"", "Line Out", handset},
         {"Line Out", "Gone"},
         {"Line Out", "Line Out"},
         {"registry set HKCU\\Software\\Microsoft\\Multimedia\\Sound Mapper\\Record = \"Line "
          "Out\""}},
        {"no other device answers: the user's choice stays",
         {handset, ""},
         {handset, handset},
         {handset, handset},
         {}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> lines;
        sim::VirtualRegistry registry([&](const std::string& line) {
            if (line.find("SetupPreferredAudioDevicesCount") == std::string::npos)
                lines.push_back(line);
        });
        if (c.before.playback)
            registry.Set(RegistryHive::CurrentUser, kSoundMapperKey, "Playback",
                         *c.before.playback);
        if (c.before.record)
            registry.Set(RegistryHive::CurrentUser, kSoundMapperKey, "Record", *c.before.record);
        Mixers mixers;
        mixers.names = c.mixers;
        HubWindow hub(mixers.ports.window, mixers.ports.clock);
        hub.Created(0x100);
        HandsetMixer mixer(mixers.ports, hub);
        ASSERT_TRUE(mixer.OpenByName(handset)) << c.what;

        EXPECT_TRUE(KeepHandsetNonDefault(registry, mixers, mixer)) << c.what;
        EXPECT_EQ(lines, c.lines) << c.what;
        std::string name;
        PreferredDevice(registry, false, AudioDirection::Playback, name);
        EXPECT_EQ(name, *c.after.playback) << c.what;
        PreferredDevice(registry, false, AudioDirection::Record, name);
        EXPECT_EQ(name, *c.after.record) << c.what;
    }
}

}  // namespace
}  // namespace calvox
