// The handset's muting and calling LEDs on the GPIO lines of the direct-key modes.
#pragma once

#include "hub/app.h"
#include "handset/mcu_commands.h"

namespace calvox {

// After a change of the microphone mute (HubState::micMuted).
void UpdateMutingLed(App& app, Hwnd hubWindow);
// After a change of the current call's state (a HandsetCallState).
void UpdateCallingLed(App& app, Hwnd hubWindow, HandsetCallState callState);
// A tick of the blink timers.
void MuteBlinkTick(App& app);
void RingBlinkTick(App& app);

}  // namespace calvox
