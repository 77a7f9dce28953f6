// What every window of the virtual Windows shares: handles, the roles the
// trace names them by, the window in the foreground, and the windows of
// other programs.
#pragma once

#include <map>
#include <string>

#include "platform/types.h"

namespace calvox::sim {

class Desktop {
public:
    Desktop();

    // A new window handle; with a role the trace names it by that role.
    Hwnd Make(const char* role);
    void SetRole(Hwnd window, const std::string& role) { roles_[window] = role; }
    // The role of a window as the trace writes it, else its handle in hexadecimal.
    std::string Role(Hwnd window) const;

    Hwnd other() const { return other_; }  // a window of some other program
    Hwnd dead() const { return dead_; }    // a handle of a window that has gone
    // The hidden window of another Calvox (`instance-running`); 0 without one.
    Hwnd instance() const { return instance_; }
    void StartInstance() { instance_ = Make("other"); }

    Hwnd foreground = 0;

private:
    std::map<Hwnd, std::string> roles_;
    Hwnd next_ = 0x10010;
    Hwnd other_ = 0;
    Hwnd dead_ = 0;
    Hwnd instance_ = 0;
};

}  // namespace calvox::sim
