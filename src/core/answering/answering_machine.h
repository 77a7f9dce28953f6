// The answering-machine dialogue with its prompts and PIN.
#pragma once

#include <string>

#include "config/settings.h"
#include "platform/types.h"

namespace calvox {

class AnsweringMachine {
public:
    // The prompt files beside the program, named for the configured language.
    void BuildPrompts(const Settings&) {}
    // Starts the dialogue: mode 1 the choice prompt, 2 the PIN prompt, 3 the
    // greeting and the message. The prompts and the recorder come with the
    // sound player; until then a started dialogue only counts as busy.
    void Start(Hwnd hubWindow, int mode) {
        hubWindow_ = hubWindow;
        active_ = mode >= 1 && mode <= 3;
    }
    // A digit the caller keyed in during the dialogue.
    void OnDigit(char) {}
    bool IsBusy() const { return active_; }
    // Ends the dialogue; its step timer stops.
    void Stop() { active_ = false; }

private:
    Hwnd hubWindow_ = 0;
    bool active_ = false;
};

}  // namespace calvox
