// What each key function does in each call state.
#pragma once

#include "app/app.h"

namespace calvox {

void HandleKeyAction(App& app, Hwnd hubWindow, int code, int count, bool released);

}  // namespace calvox
