#include "sim/virtual_sound.h"

namespace calvox::sim {

namespace {
constexpr HResult kDsErrNoDriver = static_cast<HResult>(0x88780078u);
}  // namespace

HResult VirtualSound::Devices(std::vector<SoundDevice>& devices) const {
    devices.clear();
    const std::vector<std::string> names = host_.deviceNames();
    for (std::size_t i = 0; i < names.size(); ++i) {
        SoundDevice d;
        d.id.data1 = static_cast<std::uint32_t>(i + 1);
        d.id.data2 = 0x50D;
        d.description = names[i];
        devices.push_back(d);
    }
    return kSOk;
}

HResult VirtualSound::CreateObject(const Guid* device, SoundObject& object) {
    object = 0;
    std::vector<SoundDevice> devices;
    Devices(devices);
    bool found = device == nullptr && !devices.empty();
    for (const SoundDevice& d : devices) found = found || (device != nullptr && d.id == *device);
    if (!found) return kDsErrNoDriver;
    object = next_++;
    objects_[object] = true;
    return kSOk;
}

VirtualSound::Buffer* VirtualSound::Find(SoundBuffer buffer, bool capture) {
    auto it = buffers_.find(buffer);
    return it == buffers_.end() || it->second.capture != capture ? nullptr : &it->second;
}

bool VirtualSound::Sounding(const Buffer& b) const {
    if (!b.running) return false;
    if (b.loop) return true;
    const std::uint64_t elapsed = static_cast<std::uint64_t>(now_ - b.started);
    return elapsed * b.format.avgBytesPerSec < b.data.size() * std::uint64_t{1000};
}

HResult VirtualSound::EnumeratePlaybackDevices(std::vector<SoundDevice>& devices) {
    return Devices(devices);
}

HResult VirtualSound::CreatePlayback(const Guid* device, SoundObject& object) {
    return CreateObject(device, object);
}

HResult VirtualSound::SetCooperativeLevel(SoundObject object, Hwnd owner, CooperativeLevel) {
    return objects_.count(object) > 0 && owner != 0 ? kSOk : kEInvalidArg;
}

HResult VirtualSound::SetPrimaryFormat(SoundObject object, const WaveFormat&) {
    return objects_.count(object) > 0 ? kSOk : kEInvalidArg;
}

HResult VirtualSound::CreateBuffer(SoundObject object, std::uint32_t, std::uint32_t bytes,
                                   const WaveFormat& format, SoundBuffer& buffer) {
    buffer = 0;
    if (objects_.count(object) == 0 || bytes == 0 || format.avgBytesPerSec == 0)
        return kEInvalidArg;
    buffer = next_++;
    Buffer& b = buffers_[buffer];
    b.object = object;
    b.format = format;
    b.data.assign(bytes, 0);
    return kSOk;
}

HResult VirtualSound::GetBufferStatus(SoundBuffer buffer, std::uint32_t& status) {
    const Buffer* b = Find(buffer, false);
    if (b == nullptr) return kEInvalidArg;
    status = Sounding(*b) ? kDsbStatusPlaying : 0;
    return kSOk;
}

HResult VirtualSound::LockRegion(Buffer& b, std::uint32_t offset, std::uint32_t bytes,
                                 LockedRegion& region) {
    const std::size_t size = b.data.size();
    if (offset >= size || bytes > size) return kEInvalidArg;
    region = LockedRegion{};
    region.first = b.data.data() + offset;
    region.firstBytes = static_cast<std::uint32_t>(std::min<std::size_t>(bytes, size - offset));
    if (region.firstBytes < bytes) {
        region.second = b.data.data();
        region.secondBytes = bytes - region.firstBytes;
    }
    return kSOk;
}

HResult VirtualSound::LockBuffer(SoundBuffer buffer, std::uint32_t offset, std::uint32_t bytes,
                                 LockedRegion& region) {
    Buffer* b = Find(buffer, false);
    return b == nullptr ? kEInvalidArg : LockRegion(*b, offset, bytes, region);
}

HResult VirtualSound::PlayBuffer(SoundBuffer buffer, bool loop) {
    Buffer* b = Find(buffer, false);
    if (b == nullptr) return kEInvalidArg;
    b->running = true;
    b->loop = loop;
    b->started = now_;
    host_.trace(loop ? "sound play loop" : "sound play once");
    return kSOk;
}

HResult VirtualSound::StopBuffer(SoundBuffer buffer) {
    Buffer* b = Find(buffer, false);
    if (b == nullptr) return kEInvalidArg;
    if (Sounding(*b)) host_.trace("sound stop");
    b->running = false;
    return kSOk;
}

void VirtualSound::ReleaseBuffer(SoundBuffer buffer) {
    if (Find(buffer, false) == nullptr) return;
    StopBuffer(buffer);
    buffers_.erase(buffer);
}

void VirtualSound::ReleaseSound(SoundObject object) {
    for (auto it = buffers_.begin(); it != buffers_.end();) {
        auto next = std::next(it);
        if (it->second.object == object && !it->second.capture) ReleaseBuffer(it->first);
        it = next;
    }
    objects_.erase(object);
}

// --- capture ---------------------------------------------------------------------

HResult VirtualSound::EnumerateCaptureDevices(std::vector<SoundDevice>& devices) {
    return Devices(devices);
}

HResult VirtualSound::CreateCapture(const Guid* device, SoundObject& object) {
    return CreateObject(device, object);
}

HResult VirtualSound::CreateCaptureBuffer(SoundObject object, std::uint32_t bytes,
                                          const WaveFormat& format, SoundBuffer& buffer) {
    buffer = 0;
    if (objects_.count(object) == 0 || bytes == 0 || format.avgBytesPerSec == 0 ||
        format.blockAlign == 0)
        return kEInvalidArg;
    buffer = next_++;
    Buffer& b = buffers_[buffer];
    b.object = object;
    b.capture = true;
    b.format = format;
    // Silence: 8-bit samples are unsigned.
    b.data.assign(bytes, format.bitsPerSample == 8 ? 0x80 : 0);
    return kSOk;
}

HResult VirtualSound::GetCaptureFormat(SoundBuffer buffer, WaveFormat& format) {
    const Buffer* b = Find(buffer, true);
    if (b == nullptr) return kEInvalidArg;
    format = b->format;
    return kSOk;
}

HResult VirtualSound::SetNotifications(SoundBuffer buffer,
                                       const std::vector<std::uint32_t>& positions,
                                       EventHandle event) {
    Buffer* b = Find(buffer, true);
    if (b == nullptr || b->running) return kEInvalidArg;
    for (std::uint32_t p : positions)
        if (p >= b->data.size()) return kEInvalidArg;
    b->positions = positions;
    b->event = event;
    return kSOk;
}

std::uint64_t VirtualSound::Captured(const Buffer& b) const {
    const std::int64_t end = b.running ? now_ : b.stopped;
    if (end <= b.started) return 0;
    const std::uint64_t bytes =
        static_cast<std::uint64_t>(end - b.started) * b.format.avgBytesPerSec / 1000;
    return bytes - bytes % b.format.blockAlign;
}

HResult VirtualSound::StartCapture(SoundBuffer buffer) {
    Buffer* b = Find(buffer, true);
    if (b == nullptr) return kEInvalidArg;
    if (b->running) return kSOk;
    b->running = true;
    b->started = now_;
    b->generation = ++generation_;
    const std::uint64_t generation = b->generation;
    host_.startDeviceThread([this, buffer, generation] { RunDevice(buffer, generation); });
    return kSOk;
}

void VirtualSound::RunDevice(SoundBuffer buffer, std::uint64_t generation) {
    // The device signals each notification position as the capture passes it.
    for (std::uint64_t n = 0;; ++n) {
        Buffer* b = Find(buffer, true);
        if (b == nullptr || b->generation != generation || !b->running || b->positions.empty())
            return;
        const std::uint64_t lap = n / b->positions.size();
        const std::uint64_t target =
            lap * b->data.size() + b->positions[n % b->positions.size()] + 1;
        const std::uint64_t average = b->format.avgBytesPerSec;
        const std::int64_t due =
            b->started + static_cast<std::int64_t>((target * 1000 + average - 1) / average);
        if (due > now_) host_.sleep(static_cast<std::uint32_t>(due - now_));
        b = Find(buffer, true);
        if (b == nullptr || b->generation != generation || !b->running) return;
        host_.setEvent(b->event);
    }
}

HResult VirtualSound::StopCapture(SoundBuffer buffer) {
    Buffer* b = Find(buffer, true);
    if (b == nullptr) return kEInvalidArg;
    if (b->running) b->stopped = now_;
    b->running = false;
    return kSOk;
}

HResult VirtualSound::GetReadPosition(SoundBuffer buffer, std::uint32_t& position) {
    const Buffer* b = Find(buffer, true);
    if (b == nullptr) return kEInvalidArg;
    position = static_cast<std::uint32_t>(Captured(*b) % b->data.size());
    return kSOk;
}

HResult VirtualSound::LockCapture(SoundBuffer buffer, std::uint32_t offset, std::uint32_t bytes,
                                  LockedRegion& region) {
    Buffer* b = Find(buffer, true);
    return b == nullptr ? kEInvalidArg : LockRegion(*b, offset, bytes, region);
}

void VirtualSound::ReleaseCaptureBuffer(SoundBuffer buffer) {
    if (Find(buffer, true) != nullptr) buffers_.erase(buffer);
}

}  // namespace calvox::sim
