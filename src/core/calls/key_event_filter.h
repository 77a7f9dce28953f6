// Raw key events from the handset become key-function codes for the key
// handler: the caps layer, auto-repeat, long presses and the key modes.
#pragma once

#include "hub/app.h"

namespace calvox {

void OnKeyDown(App& app, Hwnd hubWindow, int slot, int n);
void OnKeyUp(App& app, Hwnd hubWindow, int slot, int n);
void OnMcuKey(App& app, Hwnd hubWindow, int code, int r);
void OnMcuAction(App& app, Hwnd hubWindow, int action);

// HUBM_KEY_DOWN, HUBM_KEY_UP, HUBM_MCU_KEY and HUBM_MCU_ACTION.
void KeyEventFilter(App& app, Hwnd hubWindow, unsigned message, WParam wParam, LParam lParam);

}  // namespace calvox
