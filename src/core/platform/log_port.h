// The diagnostic log a user can turn on and send: one line per notable event.
// Windows appends the lines to a file beside the program on a writer thread of
// its own; the simulator writes them on its trace.
#pragma once

#include <string>

namespace calvox {

class LogPort {
public:
    virtual ~LogPort() = default;
    // One line, without its line break. Returns at once whatever the disk does.
    virtual void WriteLine(const std::string& line) = 0;
};

}  // namespace calvox
