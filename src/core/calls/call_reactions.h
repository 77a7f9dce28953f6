// What the handset shows and does when the client's calls, contacts and
// status change: the current call's display, the ringer, the indicators, the
// voicemail pick-up; the microcontroller's greeting, the microphone mute's
// notices; and the resets of the handset and of the link.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/hub_window.h"
#include "calls/call_actions.h"
#include "calls/call_state.h"
#include "client/historic_call_ids.h"
#include "client/notification_parser.h"
#include "client/skype_directory.h"
#include "client/transport.h"
#include "config/settings.h"
#include "handset/handset_device.h"
#include "handset/leds.h"
#include "handset/mcu_protocol.h"
#include "platform/platform.h"
#include "shell/tray.h"
#include "sound/driver_wave_player.h"
#include "sound/handset_mixer.h"
#include "sound/sound_player.h"

namespace calvox {

// The parts the reactions act through.
struct CallReactionParts {
    Platform& platform;
    Settings& settings;
    HubWindow& hubWindow;
    ClientLink& link;
    NotificationParser& session;
    SkypeDirectory& directory;
    HistoricCallIds& historicIds;
    HandsetDevice& device;
    McuDisplay& display;
    Leds& leds;
    HandsetMixer& mixer;
    DriverWavePlayer& driverPlayer;
    // Made by the first handset set-up that finds a handset.
    std::unique_ptr<SoundPlayer>& soundPlayer;
    Tray& tray;
    CallActions& actions;
    CallState& state;
};

class CallReactions {
public:
    explicit CallReactions(const CallReactionParts& parts);

    // Events of the client.
    void OnClientEvents(const ClientEvents& events);
    // HUBM_SKYPE_ATTACHED: the link starts over.
    void OnClientAttached();
    // The microcontroller answered the probe: logo, settings and every indicator.
    void OnMcuReady(bool gbox);
    // The microphone mute changed outside the program (the mixer's notice).
    void OnMicMuteChanged(bool muted);
    // HUBM_AUDIO_BUTTONS: the chip's own volume, speaker and microphone buttons.
    void OnAudioButtons(unsigned buttons);
    // TIMER_AM_PICKUP: true when it was that timer.
    bool OnTimer(std::uintptr_t id);
    // The companion changed the voicemail settings in the file.
    void OnVoiceMailSettingsChanged();

    // The client connection starts over: no calls, contacts, recordings or
    // number entry; the display is cleared and the ringer stops.
    void ResetSkypeState();
    // The handset starts over: browsing, mute and hook state.
    void ResetHandsetMenu();

private:
    void OnCallStatusChanged(CallRecord* call, HandsetCallState state);
    void ReactToCurrentCall(HandsetCallState state);
    void RefreshCallIndicators();
    void UpdateMissedIndicator();
    void SetIndicator(int& cached, int value);
    void RingerControl(bool ringing);
    void KillPickupTimer();
    void OnLoggedOut();
    void OnClientButton(const std::string& key);
    void ShowPresenceChange(const UserRecord& contact);

    Platform& platform_;
    Settings& settings_;
    HubWindow& hubWindow_;
    ClientLink& link_;
    NotificationParser& session_;
    SkypeDirectory& directory_;
    HistoricCallIds& historicIds_;
    HandsetDevice& device_;
    McuDisplay& display_;
    Leds& leds_;
    HandsetMixer& mixer_;
    DriverWavePlayer& driverPlayer_;
    std::unique_ptr<SoundPlayer>& soundPlayer_;
    Tray& tray_;
    CallActions& actions_;
    CallState& state_;
};

}  // namespace calvox
