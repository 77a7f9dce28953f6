#include "answering/sound_player.h"

namespace calvox {

namespace {

// A buffer the system took away is restored for this long before the load gives up.
constexpr int kRestoreAttempts = 30;
constexpr std::uint32_t kRestorePauseMs = 10;

// KSDATAFORMAT_SUBTYPE_PCM {00000001-0000-0010-8000-00AA00389B71}.
constexpr std::uint8_t kSubtypePcm[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                          0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::uint32_t ChannelMask(std::uint16_t channels) {
    switch (channels) {
        case 4:
            return 0x33;
        case 6:
            return 0x3F;
        case 8:
            return 0x63F;
        default:
            return 0x3;
    }
}

}  // namespace

bool PlaybackFormat(const WaveFormat& file, WaveFormat& out) {
    if (file.channels == 0 || file.samplesPerSec == 0 || file.avgBytesPerSec == 0) return false;
    out = WaveFormat{};
    out.formatTag = kWaveFormatExtensible;
    out.channels = file.channels;
    out.samplesPerSec = file.samplesPerSec;
    out.bitsPerSample = file.bitsPerSample;
    out.blockAlign = static_cast<std::uint16_t>(file.channels * file.bitsPerSample / 8);
    const std::uint64_t average = std::uint64_t{file.samplesPerSec} * out.blockAlign;
    if (average == 0 || average > 0xFFFFFFFFu) return false;
    out.avgBytesPerSec = static_cast<std::uint32_t>(average);
    const std::uint32_t mask = ChannelMask(file.channels);
    out.extra = {static_cast<std::uint8_t>(file.bitsPerSample),
                 static_cast<std::uint8_t>(file.bitsPerSample >> 8),
                 static_cast<std::uint8_t>(mask),
                 static_cast<std::uint8_t>(mask >> 8),
                 static_cast<std::uint8_t>(mask >> 16),
                 static_cast<std::uint8_t>(mask >> 24)};
    out.extra.insert(out.extra.end(), std::begin(kSubtypePcm), std::end(kSubtypePcm));
    return true;
}

std::optional<Guid> MatchSoundDevice(const std::vector<SoundDevice>& devices,
                                     const std::string& name) {
    for (const SoundDevice& d : devices)
        if (d.description.find(name) != std::string::npos) return d.id;
    return std::nullopt;
}

void SoundPlayer::Load(Hwnd owner, const std::string& file) {
    length_ = 0;
    if (owner != 0) ReleaseDevice();
    if (platform_.observer != nullptr) platform_.observer->SoundLoad(file);
    if (owner == 0) return;

    WaveFormat format;
    if (wave_.OpenRead(file.empty() ? kBuiltInRing : file) != kSOk || wave_.DataSize() == 0 ||
        !PlaybackFormat(wave_.Format(), format)) {
        wave_.Close();
        return;
    }
    const std::uint32_t bytes = wave_.DataSize();
    length_ = bytes / format.avgBytesPerSec;
    if (!Prepare(owner, format, bytes)) {
        length_ = 0;
        ReleaseDevice();
    }
    wave_.Close();
}

bool SoundPlayer::Prepare(Hwnd owner, const WaveFormat& format, std::uint32_t bytes) {
    SoundPort& sound = platform_.sound;
    std::vector<SoundDevice> devices;
    if (sound.EnumeratePlaybackDevices(devices) != kSOk) return false;
    deviceId_ = MatchSoundDevice(devices, device_);
    if (sound.CreatePlayback(deviceId_ ? &*deviceId_ : nullptr, sound_) != kSOk) return false;

    if (sound.SetCooperativeLevel(sound_, owner, CooperativeLevel::Priority) != kSOk ||
        sound.SetPrimaryFormat(sound_, format) != kSOk ||
        sound.SetCooperativeLevel(sound_, owner, CooperativeLevel::Normal) != kSOk ||
        sound.CreateBuffer(sound_, kDsbCapsGlobalFocus, bytes, format, buffer_) != kSOk)
        return false;

    std::uint32_t status = 0;
    if (sound.GetBufferStatus(buffer_, status) != kSOk) return false;
    if (status & kDsbStatusBufferLost) {
        int attempts = 0;
        while (sound.RestoreBuffer(buffer_) == kDsErrBufferLost) {
            if (++attempts >= kRestoreAttempts) return false;
            platform_.clock.Sleep(kRestorePauseMs);
        }
    }

    LockedRegion region;
    if (wave_.Reset() != kSOk || sound.LockBuffer(buffer_, 0, bytes, region) != kSOk) return false;
    std::uint32_t got = 0, more = 0;
    HResult read = wave_.Read(region.first, region.firstBytes, got);
    if (read == kSOk && region.second != nullptr)
        read = wave_.Read(region.second, region.secondBytes, more);
    sound.UnlockBuffer(buffer_, region);
    return read == kSOk;
}

bool SoundPlayer::Play(bool loop) {
    if (buffer_ == 0) return false;
    if (IsPlaying()) return true;
    return platform_.sound.PlayBuffer(buffer_, loop) == kSOk;
}

bool SoundPlayer::Stop() {
    if (buffer_ == 0) return false;
    if (!IsPlaying()) return true;
    return platform_.sound.StopBuffer(buffer_) == kSOk;
}

bool SoundPlayer::IsPlaying() {
    std::uint32_t status = 0;
    return buffer_ != 0 && platform_.sound.GetBufferStatus(buffer_, status) == kSOk &&
           (status & kDsbStatusPlaying) != 0;
}

void SoundPlayer::ReleaseDevice() {
    if (buffer_ != 0) platform_.sound.ReleaseBuffer(buffer_);
    if (sound_ != 0) platform_.sound.ReleaseSound(sound_);
    buffer_ = 0;
    sound_ = 0;
    deviceId_.reset();
}

}  // namespace calvox
