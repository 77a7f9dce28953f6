// The hub's own window as the parts that need it hold it: the owner of the
// program's timers, the target of its private messages and the sender it
// names to other programs. Known from the window's creation on.
#pragma once

#include <cstdint>

#include "platform/clock_port.h"
#include "platform/window_port.h"

namespace calvox {

class HubWindow {
public:
    HubWindow(WindowPort& windows, ClockPort& clock) : windows_(windows), clock_(clock) {}
    HubWindow(const HubWindow&) = delete;
    HubWindow& operator=(const HubWindow&) = delete;

    // WM_CREATE: the one place the handle comes in.
    void Created(Hwnd handle) { handle_ = handle; }
    Hwnd Handle() const { return handle_; }

    void SetTimer(std::uintptr_t id, std::uint32_t periodMs) {
        clock_.SetTimer(handle_, id, periodMs);
    }
    void KillTimer(std::uintptr_t id) { clock_.KillTimer(handle_, id); }
    bool Post(unsigned message, WParam wParam, LParam lParam) {
        return windows_.PostMessage(handle_, message, wParam, lParam);
    }

private:
    WindowPort& windows_;
    ClockPort& clock_;
    Hwnd handle_ = 0;
};

}  // namespace calvox
