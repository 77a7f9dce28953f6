// The handset's side of the calls: what the handset shows and does when the
// current call changes, the ringer, the key functions in each call state and
// the call actions they share. Owns the current call, ringing, the browsing
// mode, the hook and the microphone mute.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/hub_window.h"
#include "calls/call_state.h"
#include "calls/client_windows.h"
#include "calls/contact_display.h"
#include "calls/key_event_filter.h"
#include "client/historic_call_ids.h"
#include "client/notification_parser.h"
#include "client/skype_directory.h"
#include "client/transport.h"
#include "config/settings.h"
#include "handset/handset_device.h"
#include "handset/leds.h"
#include "handset/mcu_protocol.h"
#include "platform/observer_port.h"
#include "platform/platform.h"
#include "shell/companion.h"
#include "shell/tray.h"
#include "sound/answering_machine.h"
#include "sound/driver_wave_player.h"
#include "sound/handset_mixer.h"
#include "sound/sound_player.h"

namespace calvox {

// The parts the calls act through.
struct CallsParts {
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
    ContactDisplay& contacts;
    ClientAutomation& automation;
    HandsetMixer& mixer;
    DriverWavePlayer& driverPlayer;
    AnsweringMachine& answeringMachine;
    // Made by the first handset set-up that finds a handset.
    std::unique_ptr<SoundPlayer>& soundPlayer;
    Tray& tray;
    CompanionLink& companion;
};

class Calls final : public KeyActions {
public:
    explicit Calls(const CallsParts& parts);

    CallState& State() { return state_; }

    // Events of the client.
    void OnClientEvents(const ClientEvents& events);
    // HUBM_SKYPE_ATTACHED: the link starts over.
    void OnClientAttached();
    // The client's windows, looked up again.
    void FindClientWindows();
    // "SET AUDIO_IN/OUT", "SET RINGER" with the handset's mixer device.
    void ApplyAudioDevices();

    // The microcontroller answered the probe: logo, settings and every indicator.
    void OnMcuReady(bool gbox);
    // HUBM_MCU_REQUEST.
    void OnMcuRequest(McuRequest request, LParam data);
    // The microphone mute changed outside the program (the mixer's notice).
    void OnMicMuteChanged(bool muted);
    // HUBM_AUDIO_BUTTONS: the chip's own volume, speaker and microphone buttons.
    void OnAudioButtons(unsigned buttons);
    // TIMER_AM_PICKUP: true when it was that timer.
    bool OnTimer(std::uintptr_t id);
    // The companion changed the voicemail settings in the file.
    void OnVoiceMailSettingsChanged();
    // The companion asks for the call configured in VM/MAKEACALL; true when placed.
    bool MakeConfiguredCall();
    // A voicemail message ("*_N.wav") waits in the voicemail folder.
    bool NewVoicemailExists();

    // A key function from the key filter or the microcontroller.
    void HandleKeyAction(int code, int count, bool released) override;

    void AnswerRingingCall();
    // resumeHeld: after the hang-up, resume a call on hold.
    void FinishCurrentCall(bool resumeHeld);
    void SwitchVoicemailRecording(bool on);
    void SwitchCallRecording(bool on);

    // The client connection starts over: no calls, contacts, recordings or
    // number entry; the display is cleared and the ringer stops.
    void ResetSkypeState();
    // The handset starts over: browsing, mute and hook state.
    void ResetHandsetMenu();

private:
    // Call actions.
    void SetCallStatus(const CallRecord& call, std::string_view status);
    void SendDtmf(const CallRecord& call, char ch);
    // The client's own button ("YES", "5", ...), pressed and released.
    void PressClientButton(std::string_view button);
    // After a hang-up: the first call on hold, unless it is the one hung up, resumes.
    void ResumeHeldCall(const CallRecord* finished);
    // Flips the microphone mute; the indicator follows.
    void ToggleMicMute();
    // A long "0" becomes "+": the "0" its press typed is taken back from the
    // address bar and the handset's number line.
    void TakeBackTypedDigit();
    // One dial character: DTMF into a call in progress, else the client's digit
    // button; a long "0" (count non-zero) becomes "+".
    void SendDigit(char ch, int count);
    // A digit key in key-up mode: DTMF into a call in progress, else typed into
    // the client's address bar.
    void TypeDigitIntoAddressBar(int code, int count);
    // Brings the client forward; false when it already was (or is not there).
    bool FocusClient();

    // Reactions.
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

    // Key functions.
    void ResetToNormalMode();
    void DialFromDisplay();
    void OnSkypeKey();
    void OnContactListKey();
    void OnMinimizeKey();
    void OnBackspaceKey();
    void OnPhoneListKey(int code);
    void OnHistoryKey();
    void OnUpDown(bool down);
    void OnDialing();
    void OnHandOff();
    void OnHookSwitch();
    void OnHookButton(bool released);
    void OnCallRecordSwitch(bool on);
    void PlayLastRecording();
    void OnCursorKey(bool right);
    void OnDigitKey(int code, int count);
    void StartAnsweringMachine();
    void StartCallRecordingNow();
    void CallContact(int id);
    bool DispatchCallKey(int code, bool released);
    bool DispatchClientKey(int code);
    bool DispatchSoundKey(int code);
    void DispatchMcuAction(int code, int count);
    void Dispatch(int code, int count, bool released);

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
    ContactDisplay& contacts_;
    ClientAutomation& automation_;
    HandsetMixer& mixer_;
    DriverWavePlayer& driverPlayer_;
    AnsweringMachine& answeringMachine_;
    std::unique_ptr<SoundPlayer>& soundPlayer_;
    Tray& tray_;
    CompanionLink& companion_;
    CallState state_;
};

}  // namespace calvox
