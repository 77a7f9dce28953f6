#include "sound/sound_player.h"

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
    // A block of more bytes than its 16-bit field holds cannot be described.
    const std::uint32_t block = std::uint32_t{file.channels} * file.bitsPerSample / 8;
    if (block > 0xFFFFu) return false;
    out.blockAlign = static_cast<std::uint16_t>(block);
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

std::optional<Guid> ChooseSoundDevice(HResult listed, const std::vector<SoundDevice>& devices,
                                      const std::string& name, const char* role,
                                      DiagnosticLog* log) {
    if (listed != kSOk) {
        WriteLog(log,
                 std::string("sound ") + role + " devices not listed: " + ResultCodeText(listed));
        return std::nullopt;
    }
    std::optional<Guid> id = MatchSoundDevice(devices, name);
    if (!id && !name.empty())
        WriteLog(log, SoundDeviceText(role, name) + " not found, using the default");
    return id;
}

std::string SoundDeviceText(const char* role, const std::string& name) {
    return std::string("sound ") + role + " device " + (name.empty() ? "(default)" : Quoted(name));
}

void SoundPlayer::Load(const std::string& file) {
    // No window yet, no sound: the load is only noted.
    const Hwnd owner = owner_.Handle();
    length_ = 0;
    if (owner != 0) ReleaseDevice();
    if (platform_.observer != nullptr) platform_.observer->SoundLoad(file);
    if (owner == 0) return;

    const std::string name = file.empty() ? kBuiltInRing : file;
    WaveFormat format;
    const HResult opened = wave_.OpenRead(name);
    const char* reason = opened == kEFileNotFound  ? "no such file"
                         : opened == kEInvalidData ? "not a WAVE file"
                         : opened != kSOk          ? "cannot be read"
                         : wave_.DataSize() == 0   ? "no sound in it"
                         : !PlaybackFormat(wave_.Format(), format)
                             ? "a format that cannot be played"
                             : nullptr;
    if (reason != nullptr) {
        WriteLog(log_, "sound load failed " + Quoted(name) + ": " + reason +
                           (opened != kSOk ? " (" + ResultCodeText(opened) + ")" : ""));
        wave_.Close();
        return;
    }
    const std::uint32_t bytes = wave_.DataSize();
    length_ = bytes / format.avgBytesPerSec;
    if (!Prepare(format, bytes, name)) {
        length_ = 0;
        ReleaseDevice();
    }
    wave_.Close();
}

bool SoundPlayer::Failed(const std::string& what, const std::string& file, HResult result) {
    WriteLog(log_,
             "sound load failed " + Quoted(file) + ": " + what + " " + ResultCodeText(result));
    return false;
}

bool SoundPlayer::Prepare(const WaveFormat& format, std::uint32_t bytes, const std::string& file) {
    SoundPort& sound = platform_.sound;
    const Hwnd owner = owner_.Handle();
    std::vector<SoundDevice> devices;
    const HResult listed = sound.EnumeratePlaybackDevices(devices);
    deviceId_ = ChooseSoundDevice(listed, devices, device_, "playback", log_);
    if (listed != kSOk) return false;
    const std::string device = SoundDeviceText("playback", device_);
    HResult result = sound.CreatePlayback(deviceId_ ? &*deviceId_ : nullptr, sound_);
    if (result != kSOk) return Failed(device + " failed to open:", file, result);

    if ((result = sound.SetCooperativeLevel(sound_, owner, CooperativeLevel::Priority)) != kSOk ||
        (result = sound.SetPrimaryFormat(sound_, format)) != kSOk ||
        (result = sound.SetCooperativeLevel(sound_, owner, CooperativeLevel::Normal)) != kSOk)
        return Failed(device + " refused the format:", file, result);
    result = sound.CreateBuffer(sound_, kDsbCapsGlobalFocus, bytes, format, buffer_);
    if (result != kSOk)
        return Failed("no sound buffer of " + std::to_string(bytes) + " bytes:", file, result);

    std::uint32_t status = 0;
    if ((result = sound.GetBufferStatus(buffer_, status)) != kSOk)
        return Failed("sound buffer status:", file, result);
    if (status & kDsbStatusBufferLost) {
        int attempts = 0;
        while ((result = sound.RestoreBuffer(buffer_)) == kDsErrBufferLost) {
            if (++attempts >= kRestoreAttempts) return Failed("sound buffer lost:", file, result);
            platform_.clock.Sleep(kRestorePauseMs);
        }
    }

    LockedRegion region;
    if ((result = wave_.Reset()) != kSOk ||
        (result = sound.LockBuffer(buffer_, 0, bytes, region)) != kSOk)
        return Failed("sound buffer not filled:", file, result);
    std::uint32_t got = 0, more = 0;
    result = wave_.Read(region.first, region.firstBytes, got);
    if (result == kSOk && region.second != nullptr)
        result = wave_.Read(region.second, region.secondBytes, more);
    sound.UnlockBuffer(buffer_, region);
    return result == kSOk || Failed("sound data not read:", file, result);
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
