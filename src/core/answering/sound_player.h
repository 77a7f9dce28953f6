// Playback on the handset's own audio device (ringtone, recordings).
#pragma once

#include <string>

namespace calvox {

class SoundPlayer {
public:
    // Stops what plays and lets go of the output device; the object stays.
    void StopAndRelease() { device_.clear(); }
    // The audio device (by name) later sounds play on.
    void SetDevice(const std::string& name) { device_ = name; }
    const std::string& Device() const { return device_; }
    // Loads a sound file (the player's default sound when empty) and plays it
    // in a loop; stops what plays. Sound output comes with the WAVE player.
    void PlayLoop(const std::string&) {}
    void Stop() {}

private:
    std::string device_;
};

}  // namespace calvox
