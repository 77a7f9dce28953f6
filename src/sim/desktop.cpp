#include "sim/desktop.h"

#include "sim/trace.h"

namespace calvox::sim {

Desktop::Desktop() {
    other_ = Make("other");
    dead_ = Make("dead");
    foreground = other_;
}

Hwnd Desktop::Make(const char* role) {
    const Hwnd window = next_;
    next_ += 0x10;
    if (role != nullptr) roles_[window] = role;
    return window;
}

std::string Desktop::Role(Hwnd window) const {
    auto it = roles_.find(window);
    return it != roles_.end() ? it->second : Hex(window);
}

}  // namespace calvox::sim
