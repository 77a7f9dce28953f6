// What the handset shows and does when the current call changes, the ringer,
// and the resets of the handset and of the client connection.
#pragma once

#include "hub/app.h"
#include "handset/mcu_commands.h"

namespace calvox {

// A status change of HubState::currentCall to handset state `state`.
void ReactToCurrentCall(App& app, Hwnd hubWindow, HandsetCallState state);
// The hold and conference indicators, sent only when they change.
void RefreshCallIndicators(App& app);
void RingerControl(App& app, bool ringing);
// The client connection starts over: no calls, contacts, recordings or
// number entry; the display is cleared and the ringer stops.
void ResetSkypeState(App& app, Hwnd hubWindow);
// The handset starts over: browsing, mute, hook and caps state.
void ResetHandsetMenu(App& app);

}  // namespace calvox
