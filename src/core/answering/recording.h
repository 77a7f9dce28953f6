// Voicemail messages and call recordings of the current Skype call.
#pragma once

#include "app/app.h"

namespace calvox {

void SwitchVoicemailRecording(App& app, Hwnd hubWindow, bool on);
void SwitchCallRecording(App& app, Hwnd hubWindow, bool on);

}  // namespace calvox
