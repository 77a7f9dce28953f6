// What the handset's side keeps about the calls, and the handset state a
// client's call status stands for.
#pragma once

#include "client/skype_directory.h"
#include "handset/mcu_commands.h"

namespace calvox {

// What the handset display is browsing.
enum class UiMode : int {
    Normal = 1,
    AllContacts = 2,
    OnlineContacts = 3,
    OfflineContacts = 4,
    History = 5,
};

struct CallState {
    CallRecord* currentCall = nullptr;
    bool ringing = false;
    UiMode uiMode = UiMode::Normal;
    bool hookDown = false;
    bool micMuted = false;
    bool pickupTimerSet = false;
    // Last values sent for the missed-call, hold and conference indicators.
    struct IndicatorCache {
        int missed = 3;
        int hold = 7;
        int conference = 9;
    } indicators;
};

// The handset state a call status stands for.
HandsetCallState HandsetCallStateFor(CallStatus status, CallType type);

}  // namespace calvox
