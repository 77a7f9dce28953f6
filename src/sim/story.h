// A run told as a story: what the client says and what you do with the
// handset in words, what Calvox does in return (its commands to the client
// as sent, its reports to the handset decoded), and the handset's display
// drawn when a step asks for it. The timers and pauses stay out of it.
#pragma once

#include <iosfwd>
#include <map>
#include <string>

#include "sim/simulation.h"

namespace calvox::sim {

class Story : public TracePresenter {
public:
    explicit Story(std::ostream& out) : out_(out) {}
    void StepBegins(const ScriptLine& line) override;
    void TraceWritten(const TraceLine& line) override;
    void HandsetShown(const std::string& caption, const std::string& picture) override;

private:
    std::string ClientSays(const std::string& text);
    std::string YouPress(const std::string& function);
    void HandsetReport(const std::string& bytes);
    void Say(const std::string& text);

    struct Call {
        std::string partner;
        std::string direction = "with";  // "from" an incoming call, "to" an outgoing one
    };
    std::ostream& out_;
    std::map<std::string, Call> calls_;
    std::map<std::string, std::string> names_;  // full names by handle
    bool offHook_ = false;
    int pressed_ = -1;  // the function of the last key pressed, until the program takes it
    bool buzzer_ = false;
    int textCode_ = -1;  // a text under way to the handset
    std::string text_;
};

}  // namespace calvox::sim
