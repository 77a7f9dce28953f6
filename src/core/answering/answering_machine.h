// The answering-machine dialogue with its prompts and PIN.
#pragma once

#include <string>

#include "config/settings.h"

namespace calvox {

class AnsweringMachine {
public:
    // The prompt files beside the program, named for the configured language.
    void BuildPromptNames(const Settings&) {}
    // The dialogue ends; its step timer stops.
    void EndDialogue() { active_ = false; }
    bool IsBusy() const { return active_; }
    // A digit the caller keyed in during the dialogue.
    void DigitInput(char) {}

private:
    bool active_ = false;
};

}  // namespace calvox
