// The trace a run writes: its lines, and how they are shown.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

#include "sim/script.h"

namespace calvox::sim {

// How a piece of the virtual Windows writes a trace line ("channel ...").
using TraceWrite = std::function<void(const std::string&)>;

struct TraceLine {
    std::int64_t time;
    std::string text;  // channel first
};

// How a run is shown: each step as it begins, each trace line as it is
// written, and the handset pictures that steps ask for.
class TracePresenter {
public:
    virtual ~TracePresenter() = default;
    virtual void StepBegins(const ScriptLine& line) = 0;
    virtual void TraceWritten(const TraceLine& line) = 0;
    virtual void HandsetShown(const std::string& caption, const std::string& picture) = 0;
};

// The trace as the scenario language writes it: "@MS CHANNEL ...".
class RawTrace : public TracePresenter {
public:
    explicit RawTrace(std::ostream& out) : out_(out) {}
    void StepBegins(const ScriptLine&) override {}
    void TraceWritten(const TraceLine& line) override;
    void HandsetShown(const std::string& caption, const std::string& picture) override;

private:
    std::ostream& out_;
};

// "0x1f", as the trace writes handles and parameters.
std::string Hex(std::uint64_t value);

// The Windows name of a message as the trace writes it ("WM_CHAR"), else its
// number in hexadecimal.
std::string MessageName(unsigned message);

// A message by its name (WM_TIMER, HUBM_TRAY, ...); false for a name the
// simulator does not know.
bool MessageByName(const std::string& name, unsigned& message);

}  // namespace calvox::sim
