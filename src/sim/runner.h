// The runner that plays a scenario on the world: it owns the steps, checks
// their expects against the trace it keeps, and shows the run.
#pragma once

#include <deque>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "sim/script.h"
#include "sim/trace.h"

namespace calvox::sim {

class World;

// Where the steps come from: a parsed script or lines typed at a prompt.
class StepSource {
public:
    virtual ~StepSource() = default;
    virtual bool Next(Step& step) = 0;
};

// The steps of a parsed script, in order.
class ScriptSteps : public StepSource {
public:
    explicit ScriptSteps(std::vector<Step> steps) : steps_(std::move(steps)) {}
    bool Next(Step& step) override {
        if (next_ >= steps_.size()) return false;
        step = steps_[next_++];
        return true;
    }

private:
    std::vector<Step> steps_;
    std::size_t next_ = 0;
};

class Runner {
public:
    Runner(World& world, std::ostream& out, std::ostream& err);

    // Applies the world lines; false with `error` set on a line it cannot take.
    bool ApplyWorld(const std::vector<ScriptLine>& world, ParseError& error);
    // Runs the steps; returns the exit code (0 all held, 1 an expect failed,
    // 2 a step could not run).
    int Run(StepSource& steps);
    // Shows the run through `presenter` instead of the raw trace.
    void SetPresenter(TracePresenter& presenter) { presenter_ = &presenter; }
    // Steps typed at a prompt: one that cannot run is refused with a "?" line
    // on the output, and the run goes on.
    void ForgiveStepErrors() { forgiving_ = true; }
    // A trace line of the world's, at the present virtual time.
    void Write(const std::string& text);

    // --- for the words' handlers
    World& world() { return world_; }
    // The steps have begun.
    bool Started() const { return started_; }
    // A part of the step that runs when the program is idle again; a told
    // part is shown to the presenter as a step of its own.
    void Then(ScriptLine line, bool told);
    // Shows the handset's display (outside the trace).
    void ShowHandset(const std::string& caption);
    // Runs one process of the program with this command line (UTF-8).
    void RunProcess(const std::string& commandLine, bool nested);

private:
    bool StepIdle();  // the queue is empty: advance the step machine; false to end the loop
    bool BeginNextStep();
    void EndStep();
    // Runs one step's line; false when it could not run.
    bool Execute(const ScriptLine& line);
    bool StepError(const ScriptLine& line, const std::string& reason);
    void CheckExpects(const Step& step);
    void EndProgramQuietly();

    World& world_;
    std::ostream& out_;
    std::ostream& err_;
    RawTrace raw_;
    TracePresenter* presenter_ = &raw_;
    bool forgiving_ = false;
    bool started_ = false;
    std::vector<TraceLine> trace_;  // the lines of the step that runs
    bool muted_ = false;

    StepSource* steps_ = nullptr;
    std::optional<Step> step_;
    struct StepPart {
        ScriptLine line;
        bool told = false;
    };
    std::deque<StepPart> stepParts_;
    bool sourceDone_ = false;
    int exitCode_ = 0;
};

}  // namespace calvox::sim
