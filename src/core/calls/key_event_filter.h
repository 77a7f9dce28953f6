// Raw key events from the handset become key-function codes for the key
// handler: the caps layer, auto-repeat, long presses and the key modes.
#pragma once

#include <cstdint>

#include "base/diagnostic_log.h"
#include "calls/client_windows.h"
#include "config/settings.h"
#include "handset/buzzer.h"
#include "handset/mcu_protocol.h"
#include "sound/answering_machine.h"

namespace calvox {

// Where the filter's key functions go.
class KeyActions {
public:
    virtual void HandleKeyAction(int code, int count, bool released) = 0;

protected:
    ~KeyActions() = default;
};

class KeyEventFilter {
public:
    KeyEventFilter(const Settings& settings, DiagnosticLog& log, BuzzerThread& buzzer,
                   AnsweringMachine& answeringMachine, McuDisplay& display,
                   ClientAutomation& automation, KeyActions& actions)
        : settings_(settings),
          log_(log),
          buzzer_(buzzer),
          answeringMachine_(answeringMachine),
          display_(display),
          automation_(automation),
          actions_(actions) {}

    void OnKeyDown(int slot, int n);
    void OnKeyUp(int slot, int n);
    void OnMcuKey(int code, int r);
    void OnMcuAction(int action);
    // HUBM_KEY_DOWN, HUBM_KEY_UP, HUBM_MCU_KEY and HUBM_MCU_ACTION.
    void OnMessage(unsigned message, WParam wParam, LParam lParam);

    bool CapsActive() const { return capsActive_; }
    void ResetCaps() { capsActive_ = false; }
    // Presses and repeats since the last reset: a flood means a wrong scan mode.
    int KeyDownCount() const { return keyDownCount_; }
    void ResetKeyDownCount() { keyDownCount_ = 0; }

private:
    // The function of a repeated or long press; false when the report does nothing.
    bool HeldFunction(int& f, int& n);

    const Settings& settings_;
    DiagnosticLog& log_;
    BuzzerThread& buzzer_;
    AnsweringMachine& answeringMachine_;
    McuDisplay& display_;
    ClientAutomation& automation_;
    KeyActions& actions_;
    bool capsActive_ = false;
    int keyDownCount_ = 0;
};

}  // namespace calvox
