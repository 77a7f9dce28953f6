// Call actions that several handlers share.
#pragma once

#include "app/app.h"

namespace calvox {

// The pause between hanging up and resuming a held call.
inline constexpr unsigned kResumePauseMs = 500;

void AnswerRingingCall(App& app, Hwnd hubWindow);
// resumeHeld: after the hang-up, resume a call on hold.
void FinishCurrentCall(App& app, Hwnd hubWindow, bool resumeHeld);
void HandleAudioButtons(App& app, Hwnd hubWindow, unsigned buttons);
// Flips the microphone mute; the indicator follows.
// The chip's own volume and speaker-mute buttons (input byte 1, bits 0-2).
int ToggleMicMute(App& app);
// Posts one key press (down and up) to the client's address-bar edit.
void PostKeyToAddressBar(App& app, int virtualKey);
// Empties the client's address-bar edit.
void ClearAddressBar(App& app);
// The companion asks for the call configured in VM/MAKEACALL; 1 when placed.
int MakeConfiguredCall(App& app, Hwnd hubWindow);
// A voicemail message ("*_N.wav") waits in the voicemail folder.
bool NewVoicemailExists(App& app);
// start 1 opens the companion's settings, start 0 tells its window we go away;
// 0 when the companion program is missing.
int OpenCompanion(App& app, Hwnd hubWindow, bool start);

}  // namespace calvox
