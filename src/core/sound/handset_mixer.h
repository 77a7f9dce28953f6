// The handset's mixer: speaker volume, balance and mute, and the line
// commands on the microphone and destination lines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/hub_window.h"
#include "platform/platform.h"

namespace calvox {

inline constexpr int kDirectionRecording = 0;
inline constexpr int kDirectionPlayback = 1;
inline constexpr int kBalanceNone = -1;  // a mono line
inline constexpr std::uint32_t kVolumeStep = 2621;

// Volume and balance (0-100, 50 centre) of a line from its channel values.
void VolumeBalanceFromChannels(const std::vector<std::uint32_t>& channels, std::uint32_t& volume,
                               int& balance);
// Channel values for a volume and balance.
std::vector<std::uint32_t> ChannelsFromVolumeBalance(std::uint32_t volume, int balance,
                                                     std::uint32_t channels);

class HandsetMixer {
public:
    // The mixer's change notices go to the hub's window.
    HandsetMixer(Platform& platform, const HubWindow& notices)
        : platform_(platform), notices_(notices) {}
    ~HandsetMixer() { Close(); }
    HandsetMixer(const HandsetMixer&) = delete;
    HandsetMixer& operator=(const HandsetMixer&) = delete;

    bool OpenByName(const std::string& namePart);
    // Why the last OpenByName found a mixer of that name but could not open
    // it; empty when it opened one or found none.
    const std::string& OpenFailure() const { return openFailure_; }
    bool Close();
    bool IsOpen() const { return handle_ != 0; }
    // The open mixer's product name, when shorter than `size`.
    bool GetName(std::string& name, std::size_t size = 260) const;
    bool GetMixerName(unsigned id, std::string& name, std::size_t size = 260) const;

    bool GetMasterVolume(std::uint32_t& volume, int& balance);
    // A negative volume or balance keeps the current one.
    bool SetMasterVolume(std::int64_t volume, int balance);
    bool StepMasterVolume(bool up);
    // Reads (set false) or writes the speakers' mute.
    bool SpeakerMute(bool set, std::uint32_t& value);
    bool LineCommand(int direction, const std::string& lineName, const std::string& command,
                     std::uint32_t& value);

private:
    bool FindLine(std::uint32_t destinationType, bool microphone, MixerLine& line);
    bool GetLineVolume(const MixerLine& line, std::uint32_t& volume, int& balance);
    bool SetLineVolume(const MixerLine& line, std::uint32_t volume, int balance);
    bool LineMute(const MixerLine& line, bool set, std::uint32_t& value);

    Platform& platform_;
    const HubWindow& notices_;
    MixerHandle handle_ = 0;
    unsigned id_ = 0;
    std::string openFailure_;
};

// Flips the speakers' mute; false when the mixer has none.
bool ToggleSpeakerMute(HandsetMixer& mixer);
// The chip's own buttons (input byte 1, bits 0-2): volume up, down, speaker mute.
void ApplyVolumeButtons(HandsetMixer& mixer, unsigned buttons);

}  // namespace calvox
