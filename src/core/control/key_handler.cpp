#include "control/key_handler.h"

#include "platform/observer_port.h"

namespace calvox {

void HandleKeyAction(App& app, Hwnd, int code, int count, bool released) {
    // The simulator shows every key action; the actions themselves come later.
    if (app.observer) app.observer->KeyAction(code, count, released);
}

}  // namespace calvox
