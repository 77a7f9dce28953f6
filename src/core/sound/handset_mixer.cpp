#include "sound/handset_mixer.h"

#include <algorithm>

namespace calvox {

void VolumeBalanceFromChannels(const std::vector<std::uint32_t>& v, std::uint32_t& volume,
                               int& balance) {
    if (v.size() < 2) {
        volume = v.empty() ? 0 : v[0];
        balance = kBalanceNone;
        return;
    }
    const double left = v[0], right = v[1];
    if (left > right) {
        volume = v[0];
        balance = static_cast<int>(right / left * 50 + 0.5);
    } else if (right > 0) {
        volume = v[1];
        balance = static_cast<int>((2 - left / right) * 50);
    } else {
        volume = v[0];
        balance = 50;
    }
}

std::vector<std::uint32_t> ChannelsFromVolumeBalance(std::uint32_t volume, int balance,
                                                     std::uint32_t channels) {
    if (channels < 2) return {volume};
    const double v = volume;
    if (balance >= 50)
        return {static_cast<std::uint32_t>((2 - 0.02 * balance) * v), volume};
    return {volume, static_cast<std::uint32_t>(0.02 * balance * v)};
}

bool HandsetMixer::OpenByName(const std::string& namePart) {
    Close();
    openFailure_.clear();
    MixerPort& mixer = platform_.mixer;
    const unsigned count = mixer.GetDeviceCount();
    if (count == 0 || namePart.empty()) return false;
    for (unsigned id = 0; id < count; ++id) {
        std::string name;
        if (!mixer.GetDeviceName(id, name) || name.find(namePart) == std::string::npos) continue;
        handle_ = mixer.Open(id, notices_.Handle());
        id_ = id;
        if (handle_ == 0) openFailure_ = mixer.LastError();
        return handle_ != 0;
    }
    return false;
}

bool HandsetMixer::Close() {
    if (handle_ != 0) platform_.mixer.Close(handle_);
    handle_ = 0;
    return true;
}

bool HandsetMixer::GetName(std::string& name, std::size_t size) const {
    return handle_ != 0 && GetMixerName(id_, name, size);
}

bool HandsetMixer::GetMixerName(unsigned id, std::string& name, std::size_t size) const {
    if (id >= platform_.mixer.GetDeviceCount()) return false;
    std::string text;
    if (!platform_.mixer.GetDeviceName(id, text) || text.size() >= size) return false;
    name = text;
    return true;
}

bool HandsetMixer::FindLine(std::uint32_t destinationType, bool microphone, MixerLine& line) {
    MixerPort& mixer = platform_.mixer;
    std::uint32_t destinations = 0;
    if (handle_ == 0 || !mixer.GetDestinationCount(handle_, destinations)) return false;
    for (std::uint32_t d = 0; d < destinations; ++d) {
        MixerLine destination;
        if (!mixer.GetDestination(handle_, d, destination) ||
            destination.componentType != destinationType)
            continue;
        if (!microphone) {
            line = destination;
            return true;
        }
        for (std::uint32_t s = 0; s < destination.connections; ++s) {
            MixerLine source;
            if (mixer.GetSource(handle_, d, s, source) &&
                source.componentType == kMixerSrcMicrophone) {
                line = source;
                return true;
            }
        }
    }
    return false;
}

bool HandsetMixer::GetLineVolume(const MixerLine& line, std::uint32_t& volume, int& balance) {
    MixerControl control;
    std::vector<std::uint32_t> values;
    if (!platform_.mixer.GetControlByType(handle_, line.lineId, kMixerControlVolume, control) ||
        !platform_.mixer.GetValues(handle_, control.controlId, std::max(line.channels, 1u), values))
        return false;
    VolumeBalanceFromChannels(values, volume, balance);
    return true;
}

bool HandsetMixer::SetLineVolume(const MixerLine& line, std::uint32_t volume, int balance) {
    MixerControl control;
    if (!platform_.mixer.GetControlByType(handle_, line.lineId, kMixerControlVolume, control))
        return false;
    return platform_.mixer.SetValues(handle_, control.controlId,
                                     ChannelsFromVolumeBalance(volume, balance, line.channels));
}

bool HandsetMixer::LineMute(const MixerLine& line, bool set, std::uint32_t& value) {
    MixerControl control;
    if (!platform_.mixer.GetControlByType(handle_, line.lineId, kMixerControlMute, control))
        return false;
    if (set) return platform_.mixer.SetValues(handle_, control.controlId, {value});
    std::vector<std::uint32_t> values;
    if (!platform_.mixer.GetValues(handle_, control.controlId, 1, values) || values.empty())
        return false;
    value = values[0];
    return true;
}

bool HandsetMixer::GetMasterVolume(std::uint32_t& volume, int& balance) {
    MixerLine line;
    return FindLine(kMixerDstSpeakers, false, line) && GetLineVolume(line, volume, balance);
}

bool HandsetMixer::SetMasterVolume(std::int64_t volume, int balance) {
    MixerLine line;
    std::uint32_t currentVolume = 0;
    int currentBalance = 0;
    if (!FindLine(kMixerDstSpeakers, false, line) ||
        !GetLineVolume(line, currentVolume, currentBalance))
        return false;
    if (volume >= 0) currentVolume = static_cast<std::uint32_t>(std::min<std::int64_t>(volume, 0xFFFF));
    if (balance >= 0) currentBalance = balance;
    return SetLineVolume(line, currentVolume, currentBalance);
}

bool HandsetMixer::StepMasterVolume(bool up) {
    std::uint32_t volume = 0;
    int balance = 0;
    if (!GetMasterVolume(volume, balance)) return false;
    const std::int64_t stepped =
        std::clamp<std::int64_t>(std::int64_t{volume} + (up ? kVolumeStep : -std::int64_t{kVolumeStep}), 0, 0xFFFF);
    return SetMasterVolume(stepped, balance);
}

bool HandsetMixer::SpeakerMute(bool set, std::uint32_t& value) {
    MixerLine line;
    return FindLine(kMixerDstSpeakers, false, line) && LineMute(line, set, value);
}

bool HandsetMixer::LineCommand(int direction, const std::string& lineName,
                               const std::string& command, std::uint32_t& value) {
    if (handle_ == 0) return false;
    const bool microphone = lineName == "MICROPHONE";
    if (!microphone && lineName != "LINE0") return false;
    MixerLine line;
    if (!FindLine(direction == kDirectionPlayback ? kMixerDstSpeakers : kMixerDstWaveIn,
                  microphone, line))
        return false;
    if (command == "SETVALUE") {
        std::uint32_t volume = 0;
        int balance = 0;
        if (!GetLineVolume(line, volume, balance)) return false;
        return SetLineVolume(line, value, balance);
    }
    if (command == "SETMUTE") return LineMute(line, true, value);
    if (command == "GETMUTE") return LineMute(line, false, value);
    if (command == "SETAGC") {
        std::vector<MixerControl> controls;
        if (!platform_.mixer.GetAllControls(handle_, line, controls)) return false;
        bool result = false;
        for (const MixerControl& c : controls) {
            if (c.type == kMixerControlOnOff && c.name.find("AGC") != std::string::npos)
                result = platform_.mixer.SetValues(handle_, c.controlId, {value});
        }
        return result;
    }
    return false;
}

bool ToggleSpeakerMute(HandsetMixer& mixer) {
    std::uint32_t mute = 0;
    if (!mixer.SpeakerMute(false, mute)) return false;
    mute = mute ? 0 : 1;
    return mixer.SpeakerMute(true, mute);
}

void ApplyVolumeButtons(HandsetMixer& mixer, unsigned buttons) {
    switch (buttons) {
        case 1:
            mixer.StepMasterVolume(true);
            break;
        case 2:
            mixer.StepMasterVolume(false);
            break;
        case 4:
            ToggleSpeakerMute(mixer);
            break;
        default:
            break;
    }
}

}  // namespace calvox
