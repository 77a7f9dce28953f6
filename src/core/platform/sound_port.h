// Sound output and capture on a chosen device (DirectSound's shape, as far as
// the program uses it), and the program's built-in sounds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/thread_port.h"
#include "platform/types.h"

namespace calvox {

using SoundObject = std::uintptr_t;  // 0 = none
using SoundBuffer = std::uintptr_t;  // 0 = none
using HResult = std::int32_t;

inline constexpr HResult kSOk = 0;
inline constexpr HResult kEFail = static_cast<HResult>(0x80004005u);
inline constexpr HResult kEInvalidArg = static_cast<HResult>(0x80070057u);
inline constexpr HResult kCoENotInitialized = static_cast<HResult>(0x800401F0u);
inline constexpr HResult kDsErrBufferLost = static_cast<HResult>(0x88780096u);

inline constexpr std::uint16_t kWaveFormatPcm = 1;
inline constexpr std::uint16_t kWaveFormatExtensible = 0xFFFE;

// A wave format as WAVEFORMATEX lays it out, with its extra bytes.
struct WaveFormat {
    std::uint16_t formatTag = kWaveFormatPcm;
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSec = 0;
    std::uint32_t avgBytesPerSec = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::vector<std::uint8_t> extra;  // cbSize bytes
};

struct SoundDevice {
    Guid id;
    std::string description;
};

enum class CooperativeLevel : std::uint32_t { Normal = 1, Priority = 2 };

inline constexpr std::uint32_t kDsbCapsGlobalFocus = 0x8000;
inline constexpr std::uint32_t kDsbStatusPlaying = 0x1;
inline constexpr std::uint32_t kDsbStatusBufferLost = 0x2;

// Two parts of a locked circular buffer region; the second is empty unless
// the region wraps.
struct LockedRegion {
    std::uint8_t* first = nullptr;
    std::uint32_t firstBytes = 0;
    std::uint8_t* second = nullptr;
    std::uint32_t secondBytes = 0;
};

class SoundPort {
public:
    virtual ~SoundPort() = default;

    // Playback. Results are HRESULTs; a missing sound library fails every call.
    virtual HResult EnumeratePlaybackDevices(std::vector<SoundDevice>& devices) = 0;
    // `device` null: the default device.
    virtual HResult CreatePlayback(const Guid* device, SoundObject& object) = 0;
    virtual HResult SetCooperativeLevel(SoundObject object, Hwnd owner, CooperativeLevel level) = 0;
    // Creates the primary buffer, sets its format and releases it again.
    virtual HResult SetPrimaryFormat(SoundObject object, const WaveFormat& format) = 0;
    virtual HResult CreateBuffer(SoundObject object, std::uint32_t flags, std::uint32_t bytes,
                                 const WaveFormat& format, SoundBuffer& buffer) = 0;
    virtual HResult GetBufferStatus(SoundBuffer buffer, std::uint32_t& status) = 0;
    virtual HResult RestoreBuffer(SoundBuffer buffer) = 0;
    virtual HResult LockBuffer(SoundBuffer buffer, std::uint32_t offset, std::uint32_t bytes,
                               LockedRegion& region) = 0;
    virtual HResult UnlockBuffer(SoundBuffer buffer, const LockedRegion& region) = 0;
    virtual HResult PlayBuffer(SoundBuffer buffer, bool loop) = 0;
    virtual HResult StopBuffer(SoundBuffer buffer) = 0;
    virtual void ReleaseBuffer(SoundBuffer buffer) = 0;
    virtual void ReleaseSound(SoundObject object) = 0;

    // Capture into a circular buffer that signals `event` at each position.
    virtual HResult EnumerateCaptureDevices(std::vector<SoundDevice>& devices) = 0;
    virtual HResult CreateCapture(const Guid* device, SoundObject& object) = 0;
    virtual HResult CreateCaptureBuffer(SoundObject object, std::uint32_t bytes,
                                        const WaveFormat& format, SoundBuffer& buffer) = 0;
    virtual HResult GetCaptureFormat(SoundBuffer buffer, WaveFormat& format) = 0;
    virtual HResult SetNotifications(SoundBuffer buffer,
                                     const std::vector<std::uint32_t>& positions,
                                     EventHandle event) = 0;
    virtual HResult StartCapture(SoundBuffer buffer) = 0;  // looping
    virtual HResult StopCapture(SoundBuffer buffer) = 0;
    // The read position: everything before it has been captured.
    virtual HResult GetReadPosition(SoundBuffer buffer, std::uint32_t& position) = 0;
    virtual HResult LockCapture(SoundBuffer buffer, std::uint32_t offset, std::uint32_t bytes,
                                LockedRegion& region) = 0;
    virtual HResult UnlockCapture(SoundBuffer buffer, const LockedRegion& region) = 0;
    virtual void ReleaseCaptureBuffer(SoundBuffer buffer) = 0;
    virtual void ReleaseCapture(SoundObject object) = 0;
};

}  // namespace calvox
