// The root object of one run: the single instances of the program, created
// once by the entry point and handed to every handler.
#pragma once

#include <atomic>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "sound/answering_machine.h"
#include "sound/driver_wave_player.h"
#include "sound/sound_player.h"
#include "base/diagnostic_log.h"
#include "hub/hub_state.h"
#include "sound/handset_mixer.h"
#include "config/settings.h"
#include "handset/handset_device.h"
#include "platform/platform.h"
#include "client/historic_call_ids.h"
#include "client/skype_directory.h"

namespace calvox {

// Where the search for the client's calls stands after attaching: all calls
// listed first, then the active ones, then done.
enum class CallSearchPhase { SEARCH_ALL_CALLS = 2, SEARCH_ACTIVE_CALLS = 3, SEARCH_DONE = 4 };

struct App {
    explicit App(Platform& p)
        : platform(p),
          log(p.log),
          device(p, &log),
          mixer(p),
          driverPlayer(p, &log),
          answeringMachine(p, settings, soundPlayer, &log),
          observer(p.observer) {}

    Platform& platform;
    // Declared before everything that writes to it, so it is destroyed after them.
    DiagnosticLog log;
    HubState hub;
    Settings settings;
    HandsetDevice device;
    HandsetMixer mixer;
    DriverWavePlayer driverPlayer;
    // Created by the first handset set-up, kept for the run.
    std::unique_ptr<SoundPlayer> soundPlayer;
    AnsweringMachine answeringMachine;
    // Digits the user is typing, echoed on the handset display.
    std::string numberEntry;
    bool numberEntryActive = false;

    // The Skype client as the notifications describe it.
    SkypeDirectory directory;
    HistoricCallIds historicCallIds;
    CallSearchPhase callSearchPhase = CallSearchPhase::SEARCH_DONE;
    std::string currentUserHandle;
    int protocolVersion = 0;
    std::string ringtone;
    // Client texts posted to the hub and not yet parsed (see OnCopyData).
    std::deque<std::unique_ptr<char[]>> notificationCopies;
    // Last values sent for the missed-call, hold and conference indicators.
    struct IndicatorCache {
        int missed = 3;
        int hold = 7;
        int conference = 9;
    } indicators;
    ObserverPort* observer;
};

// The start-up of one process: the launcher or the resident role. Returns when
// the process would end.
void RunProgram(Platform& platform, const std::string& commandLine);

// The launcher role's prefix, and what it opens: the text after the prefix
// where it was found; empty when the command line holds no prefix.
inline constexpr const char* kLinkPrefix = "SKYPELINK-";
bool FindLaunchLink(const std::string& commandLine, std::string& link);

// The hidden window's class and creation parameters.
WindowClassSpec HiddenWindowClass();
WindowCreateSpec HiddenWindowCreation();

}  // namespace calvox
