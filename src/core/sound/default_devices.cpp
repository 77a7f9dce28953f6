#include "sound/default_devices.h"

#include <algorithm>

namespace calvox {

namespace {

constexpr std::size_t kDeviceNameBytes = 260;

const char* ValueOf(AudioDirection direction) {
    return direction == AudioDirection::Playback ? "Playback" : "Record";
}

}  // namespace

void ReadPreferredCount(RegistryPort& registry, std::uint32_t& count) {
    count = 0;
    std::uint32_t value = 0;
    std::string subkey;
    for (std::uint32_t i = 0;
         registry.EnumerateSubkey(RegistryHive::LocalMachine, kMediaClassKey, i, subkey); ++i) {
        if (registry.ReadDword(RegistryHive::LocalMachine,
                               std::string(kMediaClassKey) + "\\" + subkey, kPreferredCountValue,
                               value))
            count = std::max(count, value);
    }
    if (registry.ReadDword(RegistryHive::LocalMachine, kMediaResourcesKey, kPreferredCountValue,
                           value))
        count = std::max(count, value);
}

void SyncPreferredCount(RegistryPort& registry) {
    if (!registry.KeyExists(RegistryHive::CurrentUser, kSoundMapperKey)) return;
    std::uint32_t count = 0;
    ReadPreferredCount(registry, count);
    registry.WriteDword(RegistryHive::CurrentUser, kSoundMapperKey, kPreferredCountValue, count);
}

void InitPreferredDevices(RegistryPort& registry, const std::string& playbackName,
                          const std::string& recordName) {
    if (!registry.KeyExists(RegistryHive::CurrentUser, kSoundMapperKey) &&
        registry.CreateKey(RegistryHive::CurrentUser, kSoundMapperKey)) {
        registry.WriteDword(RegistryHive::CurrentUser, kSoundMapperKey, "PreferredOnly", 0);
        if (!playbackName.empty())
            registry.WriteString(RegistryHive::CurrentUser, kSoundMapperKey, "Playback",
                                 playbackName);
        if (!recordName.empty())
            registry.WriteString(RegistryHive::CurrentUser, kSoundMapperKey, "Record", recordName);
    }
    SyncPreferredCount(registry);
}

bool PreferredDevice(RegistryPort& registry, bool write, AudioDirection direction,
                     std::string& name) {
    if (!registry.KeyExists(RegistryHive::CurrentUser, kSoundMapperKey)) return false;
    if (write)
        return registry.WriteString(RegistryHive::CurrentUser, kSoundMapperKey, ValueOf(direction),
                                    name);
    return registry.ReadString(RegistryHive::CurrentUser, kSoundMapperKey, ValueOf(direction),
                               kDeviceNameBytes, name);
}

bool KeepHandsetNonDefault(RegistryPort& registry, MixerPort& mixers, const HandsetMixer& handset) {
    if (!handset.IsOpen()) return false;
    const unsigned count = mixers.GetDeviceCount();
    if (count < 2) return true;
    std::string handsetName;
    if (!handset.GetName(handsetName)) return true;

    std::string preference;
    if (!PreferredDevice(registry, false, AudioDirection::Playback, preference))
        InitPreferredDevices(registry, handsetName, handsetName);
    SyncPreferredCount(registry);

    for (AudioDirection direction : {AudioDirection::Playback, AudioDirection::Record}) {
        if (!PreferredDevice(registry, false, direction, preference)) continue;
        std::string candidate, name;
        bool present = false;
        for (unsigned id = count; id-- > 0;) {
            if (!handset.GetMixerName(id, name) || name == handsetName) continue;
            candidate = name;
            present = present || name == preference;
        }
        // An empty candidate would wipe the user's choice: only a real device replaces it.
        if (!present && !preference.empty() && !candidate.empty())
            PreferredDevice(registry, true, direction, candidate);
    }
    return true;
}

}  // namespace calvox
