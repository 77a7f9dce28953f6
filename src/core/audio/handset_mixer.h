// The handset's mixer device.
#pragma once

#include <string>

#include "platform/platform.h"

namespace calvox {

class HandsetMixer {
public:
    bool IsOpen() const { return open_; }
    void Close() { open_ = false; }
    // The open mixer's product name.
    bool GetName(std::string& name) const {
        if (!open_) return false;
        name = name_;
        return true;
    }

    // Mutes or unmutes the speaker destination; false without a mixer.
    bool SpeakerMute(bool mute) {
        (void)mute;
        return open_;
    }

private:
    bool open_ = false;
    std::string name_;
};

}  // namespace calvox
