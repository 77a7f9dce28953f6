// What the reactions and the key functions both do to calls: the client's call
// commands and buttons, answering and finishing, the microphone mute, the
// recordings of the current call, bringing the client forward.
#pragma once

#include <string_view>

#include "calls/call_state.h"
#include "calls/client_windows.h"
#include "client/skype_directory.h"
#include "client/transport.h"
#include "config/settings.h"
#include "handset/mcu_protocol.h"
#include "platform/platform.h"
#include "sound/driver_wave_player.h"
#include "sound/handset_mixer.h"

namespace calvox {

// The pause between hanging up and resuming a held call.
inline constexpr unsigned kResumePauseMs = 500;
// What the client gets to take a key posted to its address bar.
inline constexpr unsigned kPostedKeyPauseMs = 50;
// What the client gets to come forward after "FOCUS".
inline constexpr unsigned kFocusPauseMs = 500;

// The parts the call actions act through.
struct CallActionParts {
    Platform& platform;
    const Settings& settings;
    ClientLink& link;
    SkypeDirectory& directory;
    McuDisplay& display;
    ClientAutomation& automation;
    HandsetMixer& mixer;
    DriverWavePlayer& driverPlayer;
    CallState& state;
};

class CallActions {
public:
    explicit CallActions(const CallActionParts& parts);

    void SetCallStatus(const CallRecord& call, std::string_view status);
    void SendDtmf(const CallRecord& call, char ch);
    // The client's own button ("YES", "5", ...), pressed and released.
    void PressClientButton(std::string_view button);

    void AnswerRingingCall();
    // resumeHeld: after the hang-up, resume a call on hold.
    void FinishCurrentCall(bool resumeHeld);
    // After a hang-up: the first call on hold, unless it is the one hung up, resumes.
    void ResumeHeldCall(const CallRecord* finished);
    // Flips the microphone mute; the indicator follows.
    void ToggleMicMute();
    // Brings the client forward; false when it already was (or is not there).
    bool FocusClient();
    // The client's windows, looked up again.
    void FindClientWindows();
    // "SET AUDIO_IN/OUT", "SET RINGER" with the handset's mixer device.
    void ApplyAudioDevices();
    void SwitchVoicemailRecording(bool on);
    void SwitchCallRecording(bool on);
    // The companion asks for the call configured in VM/MAKEACALL; true when placed.
    bool MakeConfiguredCall();
    // A voicemail message ("*_N.wav") waits in the voicemail folder.
    bool NewVoicemailExists();

private:
    Platform& platform_;
    const Settings& settings_;
    ClientLink& link_;
    SkypeDirectory& directory_;
    McuDisplay& display_;
    ClientAutomation& automation_;
    HandsetMixer& mixer_;
    DriverWavePlayer& driverPlayer_;
    CallState& state_;
};

}  // namespace calvox
