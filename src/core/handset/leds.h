// The handset's muting and calling LEDs on the GPIO lines of the direct-key modes.
#pragma once

#include <cstdint>

#include "base/hub_window.h"
#include "config/key_table.h"
#include "handset/handset_device.h"
#include "handset/mcu_commands.h"

namespace calvox {

class Leds {
public:
    Leds(HandsetDevice& device, HubWindow& hubWindow) : device_(device), hubWindow_(hubWindow) {}

    // The GPIO lines the key table gives the two LEDs; none outside the direct-key modes.
    void SetMasks(const LedMasks& masks) {
        mutingMask_ = masks.muting;
        callingMask_ = masks.calling;
    }
    // After a change of the microphone mute: blinking while muted.
    void UpdateMuting(bool micMuted);
    // After a change of the current call's state.
    void UpdateCalling(HandsetCallState callState);
    // The calling LED blinks or is lit.
    bool CallingShows() const { return ringBlinkTimer_ != 0 || (ledOutput_ & callingMask_) != 0; }
    // A tick of a blink timer; false for a timer that is not one of them.
    bool OnTimer(std::uintptr_t id);

private:
    void Send();
    void Set(std::uint8_t mask, bool on);
    void Blink(std::uint8_t mask, bool& phase);

    HandsetDevice& device_;
    HubWindow& hubWindow_;
    std::uint8_t mutingMask_ = 0;
    std::uint8_t callingMask_ = 0;
    std::uint8_t ledOutput_ = 0;
    std::uintptr_t muteBlinkTimer_ = 0;
    std::uintptr_t ringBlinkTimer_ = 0;
    bool muteBlinkPhase_ = false;
    bool ringBlinkPhase_ = false;
};

}  // namespace calvox
