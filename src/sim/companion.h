// The companion voicemail program: a window that announces itself to the
// program and is told of its settings by registered messages.
#pragma once

#include <string>

#include "platform/window_port.h"
#include "sim/desktop.h"
#include "sim/trace.h"

namespace calvox::sim {

class Companion {
public:
    Companion(TraceWrite write, Desktop& desktop) : write_(std::move(write)), desktop_(desktop) {}

    // Its window, made when it first announces itself.
    Hwnd Announce() {
        if (window_ == 0) window_ = desktop_.Make("companion");
        return window_;
    }
    void Exit() {
        if (window_ != 0) desktop_.SetRole(window_, "dead");
        window_ = 0;
    }
    Hwnd Window() const { return window_; }
    // A registered message the program posted to it.
    void Receive(const std::string& message, WParam wParam, LParam lParam) {
        write_("companion< " + message + " " + desktop_.Role(static_cast<Hwnd>(wParam)) + " " +
               std::to_string(lParam));
    }

private:
    TraceWrite write_;
    Desktop& desktop_;
    Hwnd window_ = 0;
};

}  // namespace calvox::sim
