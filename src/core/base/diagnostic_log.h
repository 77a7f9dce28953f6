// The diagnostic log: off unless the settings file turns it on; then each
// notable event (start, the handset found or why not, the mixer, the client's
// link, sound device failures, recordings) is one line through the log port.
#pragma once

#include <cstdint>
#include <string>

#include "platform/log_port.h"

namespace calvox {

class DiagnosticLog {
public:
    explicit DiagnosticLog(LogPort* port) : port_(port) {}
    void SetEnabled(bool enabled) { enabled_ = enabled && port_ != nullptr; }
    bool Enabled() const { return enabled_; }
    void Write(const std::string& line) {
        if (enabled_) port_->WriteLine(line);
    }

private:
    LogPort* port_;
    bool enabled_ = false;
};

// A line for a log that may be absent: parts built without one log nothing.
inline void WriteLog(DiagnosticLog* log, const std::string& line) {
    if (log != nullptr) log->Write(line);
}

// A result code as Windows tools print it: 0x80070057.
std::string ResultCodeText(std::uint32_t code);
// A name in double quotes, so a line with names in it still splits into words.
std::string Quoted(const std::string& text);

}  // namespace calvox
