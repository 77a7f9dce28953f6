// Playback on the handset's own audio device (ringtone, prompts, recordings):
// one whole WAVE file in one sound buffer, played once or in a loop.
#pragma once

#include <optional>
#include <string>

#include "base/diagnostic_log.h"
#include "base/hub_window.h"
#include "platform/platform.h"
#include "sound/riff_wave_file.h"

namespace calvox {

// The built-in ring, a WAVE resource of the program.
inline constexpr const char* kBuiltInRing = "#133";

// The format a WAVE file's samples are played with: the extensible layout
// with PCM samples; false when the file's format cannot be played.
bool PlaybackFormat(const WaveFormat& file, WaveFormat& out);

// The first device whose description holds `name`; none means the default.
std::optional<Guid> MatchSoundDevice(const std::vector<SoundDevice>& devices,
                                     const std::string& name);

// The device a `role` ("playback", "capture") uses: the match for `name` among
// the devices listed (`listed` the listing's result), else the default. Logs a
// listing that failed and a named device that is not there.
std::optional<Guid> ChooseSoundDevice(HResult listed, const std::vector<SoundDevice>& devices,
                                      const std::string& name, const char* role,
                                      DiagnosticLog* log);
// `role` and `name` for a log line: sound playback device "Speakers".
std::string SoundDeviceText(const char* role, const std::string& name);

class SoundPlayer {
public:
    // Sounds play with the hub's window as their owner; failures go to `log`
    // when there is one.
    SoundPlayer(Platform& platform, const HubWindow& owner, DiagnosticLog* log = nullptr)
        : platform_(platform), owner_(owner), log_(log), wave_(platform.binaryFiles) {}
    ~SoundPlayer() { ReleaseDevice(); }
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // The audio device (by name) later sounds play on.
    void SetDevice(const std::string& name) { device_ = name; }
    const std::string& Device() const { return device_; }
    // Replaces the loaded sound with a WAVE file (the built-in ring when empty).
    void Load(const std::string& file);
    bool Play(bool loop);
    bool Stop();
    bool IsPlaying();
    // The loaded sound's length in whole seconds.
    unsigned Length() const { return length_; }
    // Stops what plays and lets go of the output device; the object stays.
    void ReleaseDevice();

private:
    bool Prepare(const WaveFormat& format, std::uint32_t bytes, const std::string& file);
    // Logs a failed step of preparing `file`; false, for the caller to return.
    bool Failed(const std::string& what, const std::string& file, HResult result);

    Platform& platform_;
    const HubWindow& owner_;
    DiagnosticLog* log_;
    RiffWaveFile wave_;
    std::string device_;
    std::optional<Guid> deviceId_;
    SoundObject sound_ = 0;
    SoundBuffer buffer_ = 0;
    unsigned length_ = 0;
};

}  // namespace calvox
