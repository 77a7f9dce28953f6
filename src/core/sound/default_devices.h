// The system's preferred playback and recording devices: kept off the
// handset, so other programs keep their own sound.
#pragma once

#include <cstdint>
#include <string>

#include "sound/handset_mixer.h"
#include "platform/platform.h"

namespace calvox {

inline constexpr const char* kSoundMapperKey = "Software\\Microsoft\\Multimedia\\Sound Mapper";
inline constexpr const char* kMediaClassKey =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96C-E325-11CE-BFC1-08002BE10318}";
inline constexpr const char* kMediaResourcesKey =
    "SYSTEM\\CurrentControlSet\\Control\\MediaResources\\SetupPreferredAudioDevices";
inline constexpr const char* kPreferredCountValue = "SetupPreferredAudioDevicesCount";

enum class AudioDirection { Playback, Record };

// The largest machine-wide preferred-device count (0 when there is none).
void ReadPreferredCount(RegistryPort& registry, std::uint32_t& count);
// The user's count follows the machine's.
void SyncPreferredCount(RegistryPort& registry);
// Creates the user's sound mapper key with these preferences when it is missing.
void InitPreferredDevices(RegistryPort& registry, const std::string& playbackName,
                          const std::string& recordName);
// Reads or writes the user's preferred device of one direction.
bool PreferredDevice(RegistryPort& registry, bool write, AudioDirection direction,
                     std::string& name);
// Moves the preferences that do not name another present device to the
// lowest-numbered mixer that is not the handset's.
bool KeepHandsetNonDefault(RegistryPort& registry, MixerPort& mixers, const HandsetMixer& handset);

}  // namespace calvox
