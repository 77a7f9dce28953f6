// The handset's muting and calling LEDs.
#pragma once

#include "app/app.h"

namespace calvox {

void UpdateMutingLed(App& app, Hwnd hubWindow);
void MuteBlinkTick(App& app, Hwnd hubWindow);
void RingBlinkTick(App& app, Hwnd hubWindow);

}  // namespace calvox
