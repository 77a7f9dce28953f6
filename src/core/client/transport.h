// The Skype Desktop API link: discovery, attach, commands out, texts in.
#pragma once

#include <string>

#include "hub/app.h"

namespace calvox {

inline constexpr unsigned kDiscoverTimeoutMs = 60;
inline constexpr unsigned kFocusPauseMs = 500;
inline constexpr LParam kAttachSuccess = 0;
inline constexpr LParam kAttachPendingAuthorization = 1;
inline constexpr LParam kAttachRefused = 2;
inline constexpr LParam kAttachNotAvailable = 3;
inline constexpr LParam kAttachApiAvailable = 0x8001;

// Sends one command (ANSI text) to the client; non-zero when the client took it.
int SendSkypeCommand(App& app, const std::string& text, Hwnd hubWindow);
void BroadcastDiscover(App& app, Hwnd hubWindow);
bool FocusSkypeClient(App& app, Hwnd hubWindow);
void ApplySkypeAudioDevices(App& app, Hwnd hubWindow);
// "SET AUDIO_IN", "SET AUDIO_OUT", "SET RINGER" without a device, at exit.
void SendBareAudioCommands(App& app, Hwnd hubWindow);

// "SkypeControlAPIAttach" from the client.
LResult OnSkypeAttach(App& app, Hwnd hubWindow, WParam apiWindow, LParam status);
// HUBM_SKYPE_ATTACHED.
void OnSkypeAttached(App& app, Hwnd hubWindow);
// WM_COPYDATA: copies the client's text and posts it to the hub for parsing.
// The copy stays the hub's until HUBM_SKYPE_NOTIFY takes it, so copies still
// queued when the window goes are freed with it.
LResult OnCopyData(App& app, Hwnd hubWindow, WParam sender, LParam record);
// The copy a HUBM_SKYPE_NOTIFY names, handed over to the caller; null when the
// message names no copy of ours (posted by someone else, or already taken).
char* TakeNotificationCopy(App& app, WParam copy);

}  // namespace calvox
