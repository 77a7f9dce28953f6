// Playing a scenario: world lines, the step machine and expectation checks.
#include "sim/runner.h"

#include <map>
#include <ostream>

#include "hub/startup.h"
#include "sim/codepage.h"
#include "sim/words.h"
#include "sim/world.h"

namespace calvox::sim {

namespace {

bool InPlace(const Word& word, bool step) {
    switch (word.where) {
        case Where::World:
            return !step;
        case Where::Both:
            return true;
        case Where::Step:
        case Where::Start:
            return step;
        case Where::Prompt:
            break;
    }
    return false;
}

}  // namespace

Runner::Runner(World& world, std::ostream& out, std::ostream& err)
    : world_(world), out_(out), err_(err), raw_(out) {}

void Runner::Write(const std::string& text) {
    if (muted_) return;
    trace_.push_back({world_.clock.Ms(), text});
    presenter_->TraceWritten(trace_.back());
}

bool Runner::ApplyWorld(const std::vector<ScriptLine>& world, ParseError& error) {
    for (const ScriptLine& line : world) {
        const Word* word = FindWord(line.word);
        if (word == nullptr || word->act == nullptr || !InPlace(*word, false)) {
            error = {line.lineNo, "unknown command '" + line.word + "'"};
            return false;
        }
        if (std::string why = word->act(*this, line); !why.empty()) {
            error = {line.lineNo, why};
            return false;
        }
    }
    world_.Complete();
    return true;
}

// --- the step machine ----------------------------------------------------------

int Runner::Run(StepSource& steps) {
    steps_ = &steps;
    world_.windows.SetIdle([this] { return StepIdle(); });
    while (BeginNextStep()) {
        const Step& step = *step_;
        started_ = true;
        if (step.line.word == "start" && !world_.windows.HasRun()) {
            presenter_->StepBegins(step.line);
            RunProcess(step.line.text, false);
            if (exitCode_ == 2) break;
        }
        if (step_) EndStep();
    }
    out_.flush();
    return exitCode_;
}

void Runner::RunProcess(const std::string& commandLine, bool nested) {
    std::string line;
    Utf8ToCp1252(commandLine, line);
    world_.windows.RunProcess(nested, [&] {
        Platform platform = world_.MakePlatform();
        RunProgram(platform, line);
    });
}

void Runner::Then(ScriptLine line, bool told) { stepParts_.push_back({std::move(line), told}); }

void Runner::ShowHandset(const std::string& caption) {
    // For a reader of the trace; no channel, so no expect sees it.
    if (!muted_) presenter_->HandsetShown(caption, world_.HandsetPicture());
}

bool Runner::BeginNextStep() {
    if (sourceDone_) return false;
    Step step;
    if (!steps_->Next(step)) {
        sourceDone_ = true;
        return false;
    }
    step_ = std::move(step);
    // Expects look only at their own step's lines: the trace need not grow
    // with the length of a run.
    trace_.clear();
    return true;
}

void Runner::EndStep() {
    if (!step_) return;
    CheckExpects(*step_);
    step_.reset();
    out_.flush();
}

bool Runner::StepIdle() {
    if (step_ && !stepParts_.empty()) {
        const StepPart part = std::move(stepParts_.front());
        stepParts_.pop_front();
        if (part.told) presenter_->StepBegins(part.line);
        if (Execute(part.line)) return true;
    } else {
        EndStep();
        if (exitCode_ == 2 || !BeginNextStep()) {
            EndProgramQuietly();
            return false;
        }
        presenter_->StepBegins(step_->line);
        if (Execute(step_->line)) return true;
    }
    stepParts_.clear();
    // A typed step that could not run did nothing; the next one comes.
    if (forgiving_) return true;
    EndStep();
    EndProgramQuietly();
    return false;
}

bool Runner::Execute(const ScriptLine& line) {
    const Word* word = FindWord(line.word);
    if (word == nullptr || word->act == nullptr || !InPlace(*word, true))
        return StepError(line, "unknown command '" + line.word + "'");
    std::string why = word->refuse != nullptr ? word->refuse(world_, line) : std::string();
    if (why.empty()) why = word->act(*this, line);
    return why.empty() || StepError(line, why);
}

void Runner::EndProgramQuietly() {
    // The script is over while the program runs: end it without a trace so
    // that its threads and objects are released.
    muted_ = true;
    world_.windows.DestroyHub();
}

bool Runner::StepError(const ScriptLine& line, const std::string& reason) {
    if (forgiving_) {
        out_ << "  ? " << reason << '\n';
        return false;
    }
    err_ << "calvox-sim: line " << line.lineNo << ": " << reason << '\n';
    exitCode_ = 2;
    return false;
}

void Runner::CheckExpects(const Step& step) {
    if (step.expects.empty()) return;
    std::map<std::string, std::vector<const TraceLine*>> byChannel;
    for (const TraceLine& line : trace_)
        byChannel[line.text.substr(0, line.text.find(' '))].push_back(&line);

    std::map<std::string, std::vector<const Expect*>> expected;
    for (const Expect& e : step.expects) expected[e.channel].push_back(&e);

    for (const auto& [channel, expects] : expected) {
        const auto& lines = byChannel[channel];
        const Expect* failed = nullptr;
        if (expects.front()->none) {
            if (!lines.empty()) failed = expects.front();
        } else {
            for (std::size_t i = 0; i < expects.size() && !failed; ++i)
                if (i >= lines.size() || !MatchExpect(*expects[i], lines[i]->text, lines[i]->time))
                    failed = expects[i];
            if (!failed && lines.size() > expects.size()) failed = expects.back();
        }
        if (failed == nullptr) continue;
        if (exitCode_ == 0) exitCode_ = 1;
        err_ << "calvox-sim: line " << failed->lineNo << ": expect failed: " << failed->text
             << "\n  step at line " << step.line.lineNo << " wrote:\n";
        for (const TraceLine& line : trace_) err_ << "  @" << line.time << ' ' << line.text << '\n';
        if (trace_.empty()) err_ << "  (nothing)\n";
    }
}

}  // namespace calvox::sim
