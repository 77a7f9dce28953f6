#include "handset/leds.h"

#include "base/hub_messages.h"

namespace calvox {

void Leds::Send() {
    device_.SendReport(0x00, ledOutput_, static_cast<std::uint8_t>(mutingMask_ | callingMask_), 0);
}

void Leds::Set(std::uint8_t mask, bool on) {
    if (on)
        ledOutput_ = static_cast<std::uint8_t>(ledOutput_ | mask);
    else
        ledOutput_ = static_cast<std::uint8_t>(ledOutput_ & ~mask);
}

void Leds::Blink(std::uint8_t mask, bool& phase) {
    Set(mask, phase);
    Send();
    phase = !phase;
}

void Leds::UpdateMuting(bool micMuted) {
    if (mutingMask_ == 0) return;
    if (micMuted) {
        if (muteBlinkTimer_ != 0) return;
        hubWindow_.SetTimer(TIMER_MUTE_BLINK, kBlinkPeriodMs);
        muteBlinkTimer_ = TIMER_MUTE_BLINK;
        muteBlinkPhase_ = false;
        Set(mutingMask_, true);
        Send();
    } else if (muteBlinkTimer_ != 0) {
        hubWindow_.KillTimer(muteBlinkTimer_);
        muteBlinkTimer_ = 0;
        Set(mutingMask_, false);
        Send();
    }
}

void Leds::UpdateCalling(HandsetCallState callState) {
    if (callingMask_ == 0) return;
    if (callState == HandsetCallState::CALLSTATE_OUTGOING ||
        callState == HandsetCallState::CALLSTATE_INCOMING) {
        if (ringBlinkTimer_ != 0) return;
        hubWindow_.SetTimer(TIMER_RING_BLINK, kBlinkPeriodMs);
        ringBlinkTimer_ = TIMER_RING_BLINK;
        ringBlinkPhase_ = false;
        Set(callingMask_, true);
        Send();
        return;
    }
    if (ringBlinkTimer_ != 0) {
        hubWindow_.KillTimer(ringBlinkTimer_);
        ringBlinkTimer_ = 0;
    }
    Set(callingMask_, callState == HandsetCallState::CALLSTATE_TALKING);
    Send();
}

bool Leds::OnTimer(std::uintptr_t id) {
    if (ringBlinkTimer_ != 0 && id == ringBlinkTimer_) {
        Blink(callingMask_, ringBlinkPhase_);
        return true;
    }
    if (muteBlinkTimer_ != 0 && id == muteBlinkTimer_) {
        Blink(mutingMask_, muteBlinkPhase_);
        return true;
    }
    return false;
}

}  // namespace calvox
