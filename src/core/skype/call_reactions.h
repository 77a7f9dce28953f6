// What the handset shows and does when the current call changes.
#pragma once

#include "app/app.h"

namespace calvox {

// The client connection starts over: no calls, contacts, recordings or
// number entry; the display is cleared.
void ResetSkypeState(App& app, Hwnd hubWindow);
// The handset starts over: browsing, mute, hook and caps state.
void ResetHandsetMenu(App& app);

}  // namespace calvox
