// The system of the virtual Windows (its version, user, wall clock's time
// zone and code page), and what the program tells its observers and log.
#pragma once

#include <string>

#include "platform/log_port.h"
#include "platform/observer_port.h"
#include "platform/system_port.h"
#include "platform/text_port.h"
#include "sim/trace.h"

namespace calvox::sim {

class VirtualSystem : public SystemPort, public TextPort {
public:
    // "MAJOR.MINOR", as `windows-version` gives it.
    void SetVersion(std::string version) { version_ = std::move(version); }

    // SystemPort
    bool GetVersion(OsVersion& version) override;
    bool GetUserName(std::string& name) override {
        name = "user";
        return true;
    }
    bool GetAppDataFolder(std::string& folder) override {
        folder = "C:\\Documents and Settings\\user\\Application Data";
        return true;
    }
    bool ToLocalTime(std::int64_t seconds, LocalTimeParts& parts) override;

    // TextPort: code page 1252.
    bool AnsiToWide(const std::string& ansi, std::u16string& wide) override;
    bool WideToAnsi(const std::u16string& wide, std::string& ansi) override;

private:
    std::string version_ = "5.1";
};

// The key actions, sound loads and recordings the program reports, and its
// diagnostic log: straight to the trace.
class TraceObserver : public ObserverPort, public LogPort {
public:
    explicit TraceObserver(TraceWrite write) : write_(std::move(write)) {}

    void KeyAction(int code, int count, bool released) override;
    void SoundLoad(const std::string& file) override;
    void RecorderStart(const std::string& device, const std::string& file) override;
    void RecorderStop() override { write_("recorder stop"); }
    void WriteLine(const std::string& line) override;

private:
    TraceWrite write_;
};

}  // namespace calvox::sim
