// The platform's mixer devices (the winmm mixer interface).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/types.h"

namespace calvox {

using MixerHandle = std::uintptr_t;  // 0 = none

inline constexpr std::uint32_t kMixerDstSpeakers = 0x00000004;
inline constexpr std::uint32_t kMixerDstWaveIn = 0x00000007;
inline constexpr std::uint32_t kMixerSrcMicrophone = 0x00001003;
inline constexpr std::uint32_t kMixerControlVolume = 0x50030001;
inline constexpr std::uint32_t kMixerControlMute = 0x20010002;
inline constexpr std::uint32_t kMixerControlOnOff = 0x20010001;

// What a mixer's change notice says changed (MM_MIXM_LINE_CHANGE,
// MM_MIXM_CONTROL_CHANGE).
enum class MixerChange { Line, Control };

struct MixerLine {
    std::uint32_t lineId = 0;
    std::uint32_t componentType = 0;
    std::uint32_t channels = 0;
    std::uint32_t connections = 0;  // sources of a destination
};

struct MixerControl {
    std::uint32_t controlId = 0;
    std::uint32_t type = 0;
    std::string name;  // szName, the long name
};

class MixerPort {
public:
    virtual ~MixerPort() = default;

    virtual unsigned GetDeviceCount() = 0;
    virtual bool GetDeviceName(unsigned id, std::string& name) = 0;
    // Opens with window callback to `callbackWindow` when it is not 0: its
    // change notices reach that window's MixerChangeProc.
    virtual MixerHandle Open(unsigned id, Hwnd callbackWindow) = 0;
    virtual void Close(MixerHandle mixer) = 0;
    virtual bool GetDestinationCount(MixerHandle mixer, std::uint32_t& count) = 0;
    virtual bool GetDestination(MixerHandle mixer, std::uint32_t destination, MixerLine& line) = 0;
    virtual bool GetSource(MixerHandle mixer, std::uint32_t destination, std::uint32_t source,
                           MixerLine& line) = 0;
    virtual bool GetControlByType(MixerHandle mixer, std::uint32_t lineId, std::uint32_t type,
                                  MixerControl& control) = 0;
    virtual bool GetAllControls(MixerHandle mixer, const MixerLine& line,
                                std::vector<MixerControl>& controls) = 0;
    // Unsigned values, one per channel (`channels` 1 for a uniform control).
    virtual bool GetValues(MixerHandle mixer, std::uint32_t controlId, std::uint32_t channels,
                           std::vector<std::uint32_t>& values) = 0;
    virtual bool SetValues(MixerHandle mixer, std::uint32_t controlId,
                           const std::vector<std::uint32_t>& values) = 0;
    // Why the last Open that failed failed, as the platform tells it; empty
    // while none has.
    virtual std::string LastError() = 0;
};

}  // namespace calvox
