// What each key function does in each call state: the handset's keys and the
// microcontroller's requests, dispatched to their handlers.
#pragma once

#include <memory>
#include <string>

#include "calls/call_actions.h"
#include "calls/call_state.h"
#include "calls/client_windows.h"
#include "calls/contact_display.h"
#include "calls/key_event_filter.h"
#include "client/notification_parser.h"
#include "client/skype_directory.h"
#include "client/transport.h"
#include "config/settings.h"
#include "handset/mcu_protocol.h"
#include "platform/file_port.h"
#include "platform/platform.h"
#include "shell/companion.h"
#include "sound/answering_machine.h"
#include "sound/driver_wave_player.h"
#include "sound/handset_mixer.h"
#include "sound/sound_player.h"

namespace calvox {

// Codes produced by the handset's microcontroller rather than by a key slot.
enum class McuAction : int {
    FirstDialCharacter = 0xA1,  // 0xA1-0xAC: "123456789*0#"
    LastDialCharacter = 0xAC,
    ClearAddressBar = 0xB1,
    Answer = 0xB2,
    AnswerToo = 0xB3,
    StartAnsweringMachine = 0xB4,
    AnswerToVoicemail = 0xB5,
    PressYes = 0xB6,
    StopOrFinish = 0xB7,
    StopOrFinishToo = 0xB8,
    Ignored = 0xB9,
    StartCallRecording = 0xBA,
    CallContact = 0xE0,  // count carries the contact id
};

// Codes that neither answer a ringing call nor wait for the client to come
// forward: the settings and sound keys and every microcontroller code.
constexpr bool IsExemptCode(int code) { return (code & 0xA0) != 0; }

// The dial character of a microcontroller dial code, 0 for any other code.
char McuDialCharacter(int code);

// The call recording ("*.wav" in `folder`) made last: the latest creation
// time, the later file in the listing on a tie. False when none gives a time.
bool FindNewestRecording(FilePort& files, const std::string& folder, std::string& newest);

// The parts the key functions act through.
struct KeyFunctionParts {
    Platform& platform;
    Settings& settings;
    ClientLink& link;
    NotificationParser& session;
    SkypeDirectory& directory;
    McuDisplay& display;
    ContactDisplay& contacts;
    ClientAutomation& automation;
    HandsetMixer& mixer;
    DriverWavePlayer& driverPlayer;
    AnsweringMachine& answeringMachine;
    // Made by the first handset set-up that finds a handset.
    std::unique_ptr<SoundPlayer>& soundPlayer;
    CompanionLink& companion;
    CallActions& actions;
    CallState& state;
};

class KeyFunctions final : public KeyActions {
public:
    explicit KeyFunctions(const KeyFunctionParts& parts);

    // A key function from the key filter or the microcontroller.
    void HandleKeyAction(int code, int count, bool released) override;
    // HUBM_MCU_REQUEST.
    void OnMcuRequest(McuRequest request, LParam data);

private:
    // A long "0" becomes "+": the "0" its press typed is taken back from the
    // address bar and the handset's number line.
    void TakeBackTypedDigit();
    // One dial character: DTMF into a call in progress, else the client's digit
    // button; a long "0" (count non-zero) becomes "+".
    void SendDigit(char ch, int count);
    // A digit key in key-up mode: DTMF into a call in progress, else typed into
    // the client's address bar.
    void TypeDigitIntoAddressBar(int code, int count);

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
    ClientLink& link_;
    NotificationParser& session_;
    SkypeDirectory& directory_;
    McuDisplay& display_;
    ContactDisplay& contacts_;
    ClientAutomation& automation_;
    HandsetMixer& mixer_;
    DriverWavePlayer& driverPlayer_;
    AnsweringMachine& answeringMachine_;
    std::unique_ptr<SoundPlayer>& soundPlayer_;
    CompanionLink& companion_;
    CallActions& actions_;
    CallState& state_;
};

}  // namespace calvox
