// The virtual sound devices: one output and one input device per present
// mixer, sounds that play for their duration of virtual time, and capture
// buffers that fill with silence as virtual time passes.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/sound_port.h"

namespace calvox::sim {

struct SoundHost {
    std::function<void(const std::string&)> trace;  // the `sound` channel
    std::function<std::vector<std::string>()> deviceNames;
    std::function<void(std::function<void()>)> startDeviceThread;
    std::function<void(std::uint32_t)> sleep;  // on the device thread
    std::function<void(EventHandle)> setEvent;
};

class VirtualSound : public SoundPort {
public:
    VirtualSound(const std::int64_t& now, SoundHost host) : now_(now), host_(std::move(host)) {}

    HResult EnumeratePlaybackDevices(std::vector<SoundDevice>& devices) override;
    HResult CreatePlayback(const Guid* device, SoundObject& object) override;
    HResult SetCooperativeLevel(SoundObject object, Hwnd owner, CooperativeLevel level) override;
    HResult SetPrimaryFormat(SoundObject object, const WaveFormat& format) override;
    HResult CreateBuffer(SoundObject object, std::uint32_t flags, std::uint32_t bytes,
                         const WaveFormat& format, SoundBuffer& buffer) override;
    HResult GetBufferStatus(SoundBuffer buffer, std::uint32_t& status) override;
    HResult RestoreBuffer(SoundBuffer) override { return kSOk; }
    HResult LockBuffer(SoundBuffer buffer, std::uint32_t offset, std::uint32_t bytes,
                       LockedRegion& region) override;
    HResult UnlockBuffer(SoundBuffer, const LockedRegion&) override { return kSOk; }
    HResult PlayBuffer(SoundBuffer buffer, bool loop) override;
    HResult StopBuffer(SoundBuffer buffer) override;
    void ReleaseBuffer(SoundBuffer buffer) override;
    void ReleaseSound(SoundObject object) override;

    HResult EnumerateCaptureDevices(std::vector<SoundDevice>& devices) override;
    HResult CreateCapture(const Guid* device, SoundObject& object) override;
    HResult CreateCaptureBuffer(SoundObject object, std::uint32_t bytes, const WaveFormat& format,
                                SoundBuffer& buffer) override;
    HResult GetCaptureFormat(SoundBuffer buffer, WaveFormat& format) override;
    HResult SetNotifications(SoundBuffer buffer, const std::vector<std::uint32_t>& positions,
                             EventHandle event) override;
    HResult StartCapture(SoundBuffer buffer) override;
    HResult StopCapture(SoundBuffer buffer) override;
    HResult GetReadPosition(SoundBuffer buffer, std::uint32_t& position) override;
    HResult LockCapture(SoundBuffer buffer, std::uint32_t offset, std::uint32_t bytes,
                        LockedRegion& region) override;
    HResult UnlockCapture(SoundBuffer, const LockedRegion&) override { return kSOk; }
    void ReleaseCaptureBuffer(SoundBuffer buffer) override;
    void ReleaseCapture(SoundObject object) override { objects_.erase(object); }

private:
    struct Buffer {
        SoundObject object = 0;
        WaveFormat format;
        std::vector<std::uint8_t> data;
        bool capture = false;
        bool running = false;  // playing, or capturing
        bool loop = false;
        std::int64_t started = 0;
        std::int64_t stopped = 0;  // capture: when it stopped
        std::uint64_t generation = 0;
        std::vector<std::uint32_t> positions;
        EventHandle event = 0;
    };

    HResult Devices(std::vector<SoundDevice>& devices) const;
    HResult CreateObject(const Guid* device, SoundObject& object);
    Buffer* Find(SoundBuffer buffer, bool capture);
    bool Sounding(const Buffer& b) const;
    std::uint64_t Captured(const Buffer& b) const;
    static HResult LockRegion(Buffer& b, std::uint32_t offset, std::uint32_t bytes,
                              LockedRegion& region);
    void RunDevice(SoundBuffer buffer, std::uint64_t generation);

    const std::int64_t& now_;
    SoundHost host_;
    std::map<SoundObject, bool> objects_;
    std::map<SoundBuffer, Buffer> buffers_;
    std::uintptr_t next_ = 0x7000;
    std::uint64_t generation_ = 0;
};

}  // namespace calvox::sim
