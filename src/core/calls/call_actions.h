// Call actions that several handlers share.
#pragma once

#include <string_view>

#include "hub/app.h"

namespace calvox {

// The pause between hanging up and resuming a held call.
inline constexpr unsigned kResumePauseMs = 500;
// What the client gets to take a key posted to its address bar.
inline constexpr unsigned kPostedKeyPauseMs = 50;

// "SET CALL <id> STATUS <status>".
void SetCallStatus(App& app, Hwnd hubWindow, const CallRecord& call, std::string_view status);
// "SET CALL <id> DTMF <ch>": a tone into the call.
void SendDtmf(App& app, Hwnd hubWindow, const CallRecord& call, char ch);
// The client's own button ("YES", "5", ...), pressed and released.
void PressClientButton(App& app, Hwnd hubWindow, std::string_view button);

void AnswerRingingCall(App& app, Hwnd hubWindow);
// resumeHeld: after the hang-up, resume a call on hold.
void FinishCurrentCall(App& app, Hwnd hubWindow, bool resumeHeld);
// After a hang-up: the first call on hold, unless it is the one hung up, resumes.
void ResumeHeldCall(App& app, Hwnd hubWindow, const CallRecord* finished);
// The chip's own volume and speaker-mute buttons (input byte 1, bits 0-2).
void HandleAudioButtons(App& app, Hwnd hubWindow, unsigned buttons);
// Flips the microphone mute; the indicator follows. True when the mute
// flipped and the indicator was sent.
bool ToggleMicMute(App& app);
// Posts one key press (down and up) to the client's address-bar edit.
void PostKeyToAddressBar(App& app, std::uint16_t virtualKey);
// A long "0" becomes "+": the "0" its press typed is taken back from the
// address bar and the handset's number line.
void TakeBackTypedDigit(App& app);
// Empties the client's address-bar edit; what the edit returned, 0 without one.
LResult ClearAddressBar(App& app);
// One dial character: DTMF into a call in progress, else the client's digit
// button; a long "0" (count non-zero) becomes "+".
void SendDigit(App& app, char ch, Hwnd hubWindow, int count);
// The companion asks for the call configured in VM/MAKEACALL; 1 when placed.
int MakeConfiguredCall(App& app, Hwnd hubWindow);
// A voicemail message ("*_N.wav") waits in the voicemail folder.
bool NewVoicemailExists(App& app);
// start 1 opens the companion's settings, start 0 tells its window we go away;
// 0 when the companion program is missing.
int OpenCompanion(App& app, Hwnd hubWindow, bool start);

}  // namespace calvox
