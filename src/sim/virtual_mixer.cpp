#include "sim/virtual_mixer.h"

#include <algorithm>

#include "sim/codepage.h"
#include "sim/script.h"

namespace calvox::sim {

namespace {

// Line ids as the platform numbers them: destinations 0xFFFF0000 + index,
// sources (source index << 16) + destination index.
struct LineInfo {
    const char* name;  // as on the trace
    std::uint32_t lineId;
    std::uint32_t componentType;
    std::uint32_t channels;
    std::uint32_t connections;
};
constexpr LineInfo kLines[] = {
    {"speakers", 0xFFFF0000u, kMixerDstSpeakers, 2, 1},
    {"speakers/microphone", 0x00000000u, kMixerSrcMicrophone, 1, 0},
    {"wavein", 0xFFFF0001u, kMixerDstWaveIn, 2, 1},
    {"wavein/microphone", 0x00000001u, kMixerSrcMicrophone, 1, 0},
};
constexpr std::size_t kSpeakers = 0, kSpeakersMic = 1, kWaveIn = 2, kWaveInMic = 3;

const LineInfo* LineById(std::uint32_t lineId, std::size_t* index = nullptr) {
    for (std::size_t i = 0; i < std::size(kLines); ++i) {
        if (kLines[i].lineId != lineId) continue;
        if (index) *index = i;
        return &kLines[i];
    }
    return nullptr;
}

MixerLine ToPort(const LineInfo& l) {
    return {l.lineId, l.componentType, l.channels, l.connections};
}

std::string KindOf(std::uint32_t type) {
    return type == kMixerControlVolume ? "volume" : type == kMixerControlMute ? "mute" : "onoff";
}

}  // namespace

// --- devices ----------------------------------------------------------------------------

std::vector<VirtualMixers::Control> VirtualMixers::FreshControls() {
    std::vector<Control> controls;
    auto add = [&](std::size_t line, std::uint32_t type, const char* name,
                   std::vector<std::uint32_t> values) {
        const auto id = static_cast<std::uint32_t>(controls.size() + 1);
        controls.push_back({id, type, name, line, std::move(values)});
    };
    add(kSpeakers, kMixerControlVolume, "Volume", {32768, 32768});
    add(kSpeakers, kMixerControlMute, "Mute", {0});
    add(kSpeakersMic, kMixerControlVolume, "Volume", {32768});
    add(kSpeakersMic, kMixerControlMute, "Mute", {0});
    add(kSpeakersMic, kMixerControlOnOff, "Mic AGC", {1});
    add(kWaveIn, kMixerControlVolume, "Volume", {32768, 32768});
    add(kWaveIn, kMixerControlMute, "Mute", {0});
    add(kWaveInMic, kMixerControlVolume, "Volume", {32768});
    add(kWaveInMic, kMixerControlMute, "Mute", {0});
    add(kWaveInMic, kMixerControlOnOff, "AGC", {1});
    return controls;
}

void VirtualMixers::Declare(const std::string& name) {
    devices_.push_back({name, -1, true, 0, FreshControls()});
}

void VirtualMixers::AttachHandset(int handset, const std::string& name) {
    for (Device& d : devices_) {
        if (d.handset == -1 && d.name == name) {
            d.handset = handset;
            return;
        }
    }
    devices_.push_back({name, handset, true, 0, FreshControls()});
}

void VirtualMixers::SetPresent(int handset, bool present) {
    for (Device& d : devices_) {
        if (d.handset != handset || d.present == present) continue;
        d.present = present;
        if (!present) continue;
        ++d.generation;
        d.controls = FreshControls();
    }
}

std::uint32_t VirtualMixers::ChangedLineId() { return kLines[kWaveInMic].lineId; }
std::uint32_t VirtualMixers::ChangedControlId() { return 1; }

VirtualMixers::Device* VirtualMixers::HandsetDevice(int handset) {
    for (Device& d : devices_)
        if (d.handset == handset && d.present) return &d;
    return nullptr;
}

const VirtualMixers::Device* VirtualMixers::HandsetDevice(int handset) const {
    return const_cast<VirtualMixers*>(this)->HandsetDevice(handset);
}

VirtualMixers::Device* VirtualMixers::DeviceOf(MixerHandle mixer) {
    auto it = open_.find(mixer);
    if (it == open_.end()) return nullptr;
    Device& d = devices_[it->second.device];
    return d.present && d.generation == it->second.generation ? &d : nullptr;
}

std::vector<VirtualMixers::Callback> VirtualMixers::CallbacksOf(int handset) const {
    std::vector<Callback> callbacks;
    const Device* d = HandsetDevice(handset);
    for (const auto& [mixer, h] : open_) {
        if (d != nullptr && &devices_[h.device] == d && h.generation == d->generation &&
            h.callback != 0)
            callbacks.push_back({h.callback, mixer});
    }
    return callbacks;
}

VirtualMixers::Control* VirtualMixers::Find(Device& device, const std::string& line,
                                            const std::string& control,
                                            const std::string& onoffName) {
    for (Control& c : device.controls) {
        if (kLines[c.line].name != line || KindOf(c.type) != control) continue;
        if (control == "onoff" && c.name != onoffName) continue;
        return &c;
    }
    return nullptr;
}

bool VirtualMixers::SetFromOutside(int handset, const std::string& line, const std::string& control,
                                   const std::string& onoffName,
                                   const std::vector<std::uint32_t>& values, std::string& error) {
    Device* d = HandsetDevice(handset);
    if (d == nullptr) return true;  // no handset, no mixer: nothing changes
    Control* c = Find(*d, line, control, onoffName);
    if (c == nullptr) {
        error = "the mixer has no " + control +
                (onoffName.empty() ? "" : " \"" + onoffName + "\"") + " control on " + line;
        return false;
    }
    std::vector<std::uint32_t>& target = c->values;
    if (values.size() != 1 && values.size() != target.size()) {
        error = line + " has " + std::to_string(target.size()) + " channel(s), not " +
                std::to_string(values.size());
        return false;
    }
    for (std::size_t k = 0; k < target.size(); ++k)
        target[k] = values[std::min(k, values.size() - 1)];
    return true;
}

std::vector<std::uint32_t> VirtualMixers::ValuesOf(int handset, const std::string& line,
                                                   const std::string& control,
                                                   const std::string& onoffName) const {
    Device* d = const_cast<VirtualMixers*>(this)->HandsetDevice(handset);
    const Control* c = d ? Find(*d, line, control, onoffName) : nullptr;
    return c ? c->values : std::vector<std::uint32_t>{};
}

// --- the platform's mixer interface ------------------------------------------------------

unsigned VirtualMixers::GetDeviceCount() {
    return static_cast<unsigned>(
        std::count_if(devices_.begin(), devices_.end(), [](const Device& d) { return d.present; }));
}

bool VirtualMixers::GetDeviceName(unsigned id, std::string& name) {
    for (const Device& d : devices_) {
        if (!d.present) continue;
        if (id-- == 0) {
            name = d.name;
            return true;
        }
    }
    return false;
}

MixerHandle VirtualMixers::Open(unsigned id, Hwnd callbackWindow) {
    for (std::size_t i = 0; i < devices_.size(); ++i) {
        if (!devices_[i].present) continue;
        if (id-- != 0) continue;
        MixerHandle h = nextHandle_++;
        open_[h] = {i, devices_[i].generation, callbackWindow};
        trace_("mixer open " + QuoteText(Cp1252ToUtf8(devices_[i].name)));
        return h;
    }
    lastError_ = "mixerOpen failed: MMRESULT 2 (bad device id)";
    return 0;
}

void VirtualMixers::Close(MixerHandle mixer) {
    if (open_.erase(mixer) > 0) trace_("mixer close");
}

bool VirtualMixers::GetDestinationCount(MixerHandle mixer, std::uint32_t& count) {
    if (DeviceOf(mixer) == nullptr) return false;
    count = 2;
    return true;
}

bool VirtualMixers::GetDestination(MixerHandle mixer, std::uint32_t destination, MixerLine& line) {
    if (DeviceOf(mixer) == nullptr || destination > 1) return false;
    line = ToPort(kLines[destination == 0 ? kSpeakers : kWaveIn]);
    return true;
}

bool VirtualMixers::GetSource(MixerHandle mixer, std::uint32_t destination, std::uint32_t source,
                              MixerLine& line) {
    if (DeviceOf(mixer) == nullptr || destination > 1 || source != 0) return false;
    line = ToPort(kLines[destination == 0 ? kSpeakersMic : kWaveInMic]);
    return true;
}

bool VirtualMixers::GetControlByType(MixerHandle mixer, std::uint32_t lineId, std::uint32_t type,
                                     MixerControl& control) {
    Device* d = DeviceOf(mixer);
    std::size_t line = 0;
    if (d == nullptr || LineById(lineId, &line) == nullptr) return false;
    for (const Control& c : d->controls) {
        if (c.line == line && c.type == type) {
            control = {c.id, c.type, c.name};
            return true;
        }
    }
    return false;
}

bool VirtualMixers::GetAllControls(MixerHandle mixer, const MixerLine& line,
                                   std::vector<MixerControl>& controls) {
    Device* d = DeviceOf(mixer);
    std::size_t index = 0;
    if (d == nullptr || LineById(line.lineId, &index) == nullptr) return false;
    controls.clear();
    for (const Control& c : d->controls)
        if (c.line == index) controls.push_back({c.id, c.type, c.name});
    return true;
}

bool VirtualMixers::GetValues(MixerHandle mixer, std::uint32_t controlId, std::uint32_t channels,
                              std::vector<std::uint32_t>& values) {
    Device* d = DeviceOf(mixer);
    if (d == nullptr) return false;
    for (const Control& c : d->controls) {
        if (c.id != controlId) continue;
        if (channels == 0 || channels > kLines[c.line].channels) return false;
        values.clear();
        // A uniform control gives its one value for every channel asked.
        for (std::size_t k = 0; k < channels; ++k)
            values.push_back(c.values[std::min(k, c.values.size() - 1)]);
        return true;
    }
    return false;
}

bool VirtualMixers::SetValues(MixerHandle mixer, std::uint32_t controlId,
                              const std::vector<std::uint32_t>& values) {
    Device* d = DeviceOf(mixer);
    if (d == nullptr) return false;
    for (Control& c : d->controls) {
        if (c.id != controlId) continue;
        if (values.empty() || values.size() > kLines[c.line].channels) return false;
        // One value for a two-channel control sets both, as a uniform write does.
        for (std::size_t k = 0; k < c.values.size(); ++k)
            c.values[k] = values[std::min(k, values.size() - 1)];
        std::string line = std::string("mixer ") + kLines[c.line].name + " " + KindOf(c.type);
        if (c.type == kMixerControlOnOff) line += " " + QuoteText(c.name);
        for (std::uint32_t v : values) line += " " + std::to_string(v);
        trace_(line);
        return true;
    }
    return false;
}

}  // namespace calvox::sim
