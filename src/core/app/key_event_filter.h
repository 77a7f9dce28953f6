// Raw key events from the handset become key-function codes.
#pragma once

#include "app/app.h"

namespace calvox {

// HUBM_KEY_DOWN, HUBM_KEY_UP, HUBM_MCU_KEY and HUBM_MCU_ACTION.
void KeyEventFilter(App& app, Hwnd hubWindow, unsigned message, WParam wParam, LParam lParam);

}  // namespace calvox
