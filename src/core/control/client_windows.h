// The Skype client's own windows.
#pragma once

#include "app/app.h"

namespace calvox {

// Fill the main form, page control and lists / the address-bar edit from the
// client's top-level windows.
bool FindClientWindows(App& app, Hwnd apiWindow);
bool FindAddressBar(App& app, Hwnd apiWindow);

}  // namespace calvox
