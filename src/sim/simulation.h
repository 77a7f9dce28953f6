// calvox-sim: the virtual Windows (the world) that the program runs against,
// and the runner that plays a scenario on it.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "sim/runner.h"
#include "sim/script.h"
#include "sim/trace.h"
#include "sim/world.h"

namespace calvox::sim {

class Simulation {
public:
    Simulation(std::ostream& out, std::ostream& err)
        : world_([this](const std::string& text) { runner_.Write(text); }),
          runner_(world_, out, err) {}

    // Applies the world lines; false with `error` set on a line it cannot take.
    bool ApplyWorld(const std::vector<ScriptLine>& world, ParseError& error) {
        return runner_.ApplyWorld(world, error);
    }
    // Runs the steps; returns the exit code (0 all held, 1 an expect failed,
    // 2 a step could not run).
    int Run(StepSource& steps) { return runner_.Run(steps); }
    // Shows the run through `presenter` instead of the raw trace.
    void SetPresenter(TracePresenter& presenter) { runner_.SetPresenter(presenter); }
    // Steps typed at a prompt: one that cannot run is refused with a "?" line
    // on the output, and the run goes on.
    void ForgiveStepErrors() { runner_.ForgiveStepErrors(); }
    // The program has run and its run has ended.
    bool ProgramEnded() const { return world_.windows.ProgramEnded(); }
    // Worker threads of the program that have not ended.
    std::size_t UnfinishedThreads() { return world_.clock.threads().Unfinished(); }
    // Why a typed step cannot run in the present state of the world; empty when it can.
    std::string Refusal(const ScriptLine& step) const;
    // What the handset in use shows; empty without one.
    std::string HandsetPicture() const { return world_.HandsetPicture(); }

    using MenuItem = sim::MenuItem;
    using MenuChooser = sim::MenuChooser;
    void SetMenuChooser(MenuChooser chooser) { world_.windows.SetMenuChooser(std::move(chooser)); }

    // The world's services, for tests that drive or look at them directly.
    World& world() { return world_; }
    SoundPort& Sound() { return world_.sound; }
    VirtualHandsets& Handsets() { return world_.handsets; }
    VirtualMixers& Mixers() { return world_.mixers; }
    VirtualRegistry& Registry() { return world_.registry; }
    // The client's API window (0 without a client), for tests that attach by hand.
    Hwnd ClientApiWindow() const { return world_.client.Exists() ? world_.client.Api() : 0; }
    // The ports a run of the program is given.
    Platform MakePlatform() { return world_.MakePlatform(); }

private:
    World world_;
    Runner runner_;
};

}  // namespace calvox::sim
