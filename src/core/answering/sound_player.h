// Playback on the handset's own audio device (ringtone, prompts, recordings).
#pragma once

#include <string>

#include "platform/types.h"

namespace calvox {

class SoundPlayer {
public:
    // The audio device (by name) later sounds play on.
    void SetDevice(const std::string& name) { device_ = name; }
    const std::string& Device() const { return device_; }
    // Replaces the loaded sound with a WAVE file (the built-in ring when empty).
    // Sound output comes with the WAVE player; until then nothing loads.
    void Load(Hwnd, const std::string&) {}
    bool Play(bool) { return false; }
    bool Stop() { return true; }
    bool IsPlaying() const { return false; }
    // The loaded sound's length in whole seconds.
    unsigned Length() const { return 0; }
    // Stops what plays and lets go of the output device; the object stays.
    void ReleaseDevice() {}

private:
    std::string device_;
};

}  // namespace calvox
