#include "app/key_event_filter.h"

#include "app/hub_messages.h"

namespace calvox {

void KeyEventFilter(App& app, Hwnd, unsigned message, WParam, LParam) {
    // Every key-down counts towards the flood check of a fresh open.
    if (message == HUBM_KEY_DOWN) ++app.hub.keyDownCount;
}

}  // namespace calvox
