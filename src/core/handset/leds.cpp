#include "handset/leds.h"

#include "hub/hub_messages.h"

namespace calvox {

namespace {

void SendLeds(App& app) {
    HubState& hub = app.hub;
    app.device.SendReport(0x00, hub.ledOutput, static_cast<std::uint8_t>(hub.mutingMask | hub.callingMask),
                          0);
}

void SetLed(App& app, std::uint8_t mask, bool on) {
    if (on) app.hub.ledOutput = static_cast<std::uint8_t>(app.hub.ledOutput | mask);
    else app.hub.ledOutput = static_cast<std::uint8_t>(app.hub.ledOutput & ~mask);
}

void Blink(App& app, std::uint8_t mask, bool& phase) {
    SetLed(app, mask, phase);
    SendLeds(app);
    phase = !phase;
}

}  // namespace

void UpdateMutingLed(App& app, Hwnd hubWindow) {
    HubState& hub = app.hub;
    if (hub.mutingMask == 0) return;
    ClockPort& clock = app.platform.clock;
    if (hub.micMuted) {
        if (hub.muteBlinkTimer != 0) return;
        clock.SetTimer(hubWindow, TIMER_MUTE_BLINK, kBlinkPeriodMs);
        hub.muteBlinkTimer = TIMER_MUTE_BLINK;
        hub.muteBlinkPhase = false;
        SetLed(app, hub.mutingMask, true);
        SendLeds(app);
    } else if (hub.muteBlinkTimer != 0) {
        clock.KillTimer(hubWindow, hub.muteBlinkTimer);
        hub.muteBlinkTimer = 0;
        SetLed(app, hub.mutingMask, false);
        SendLeds(app);
    }
}

void UpdateCallingLed(App& app, Hwnd hubWindow, HandsetCallState callState) {
    HubState& hub = app.hub;
    if (hub.callingMask == 0) return;
    ClockPort& clock = app.platform.clock;
    if (callState == HandsetCallState::CALLSTATE_OUTGOING ||
        callState == HandsetCallState::CALLSTATE_INCOMING) {
        if (hub.ringBlinkTimer != 0) return;
        clock.SetTimer(hubWindow, TIMER_RING_BLINK, kBlinkPeriodMs);
        hub.ringBlinkTimer = TIMER_RING_BLINK;
        hub.ringBlinkPhase = false;
        SetLed(app, hub.callingMask, true);
        SendLeds(app);
        return;
    }
    if (hub.ringBlinkTimer != 0) {
        clock.KillTimer(hubWindow, hub.ringBlinkTimer);
        hub.ringBlinkTimer = 0;
    }
    SetLed(app, hub.callingMask, callState == HandsetCallState::CALLSTATE_TALKING);
    SendLeds(app);
}

void MuteBlinkTick(App& app) { Blink(app, app.hub.mutingMask, app.hub.muteBlinkPhase); }

void RingBlinkTick(App& app) { Blink(app, app.hub.callingMask, app.hub.ringBlinkPhase); }

}  // namespace calvox
