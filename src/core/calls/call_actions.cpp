#include "calls/call_actions.h"

#include "calls/calls.h"
#include "sound/recording.h"

namespace calvox {

Calls::Calls(const CallsParts& p)
    : platform_(p.platform),
      settings_(p.settings),
      hubWindow_(p.hubWindow),
      link_(p.link),
      session_(p.session),
      directory_(p.directory),
      historicIds_(p.historicIds),
      device_(p.device),
      display_(p.display),
      leds_(p.leds),
      contacts_(p.contacts),
      automation_(p.automation),
      mixer_(p.mixer),
      driverPlayer_(p.driverPlayer),
      answeringMachine_(p.answeringMachine),
      soundPlayer_(p.soundPlayer),
      tray_(p.tray),
      companion_(p.companion) {}

void Calls::SetCallStatus(const CallRecord& call, std::string_view status) {
    link_.Send("SET CALL " + call.id + " STATUS " + std::string(status));
}

void Calls::SendDtmf(const CallRecord& call, char ch) {
    link_.Send("SET CALL " + call.id + " DTMF " + std::string(1, ch));
}

void Calls::PressClientButton(std::string_view button) {
    link_.Send("BTN_PRESSED " + std::string(button));
    link_.Send("BTN_RELEASED " + std::string(button));
}

void Calls::AnswerRingingCall() {
    const CallRecord* call = state_.currentCall;
    if (call != nullptr && state_.ringing) SetCallStatus(*call, "INPROGRESS");
}

void Calls::FinishCurrentCall(bool resumeHeld) {
    const CallRecord* call = state_.currentCall;
    if (call == nullptr || call->status == ONHOLD) return;
    SetCallStatus(*call, "FINISHED");
    if (resumeHeld) ResumeHeldCall(call);
}

void Calls::ResumeHeldCall(const CallRecord* finished) {
    // The call just finished may still be listed as held: it is not resumed.
    const CallRecord* held = nullptr;
    for (const CallRecord* call : directory_.Calls()) {
        if (call->status == ONHOLD && call != finished) {
            held = call;
            break;
        }
    }
    if (held == nullptr) return;
    platform_.clock.Sleep(kResumePauseMs);
    SetCallStatus(*held, "INPROGRESS");
}

void Calls::OnAudioButtons(unsigned buttons) {
    if (platform_.mixer.GetDeviceCount() >= 2) {
        std::string handsetName;
        if (mixer_.GetName(handsetName)) {
            // The buttons act on the handset only when it is not the first mixer
            // device (that one the system's own volume keys already serve).
            mixer_.Close();
            std::string firstName;
            const bool readFirst = mixer_.GetMixerName(0, firstName);
            mixer_.OpenByName(handsetName);
            if (readFirst && firstName != handsetName) ApplyVolumeButtons(mixer_, buttons);
        }
    }
    if (buttons & 8) {
        ToggleMicMute();
        leds_.UpdateMuting(state_.micMuted);
    }
}

void Calls::ToggleMicMute() {
    std::uint32_t muted = 0;
    if (!mixer_.LineCommand(kDirectionRecording, "MICROPHONE", "GETMUTE", muted)) return;
    std::uint32_t toggled = muted ? 0 : 1;
    mixer_.LineCommand(kDirectionRecording, "MICROPHONE", "SETMUTE", toggled);
    display_.Command(McuCommand::Indicator, IndicatorValue(McuIndicator::Muted, toggled != 0));
    state_.micMuted = toggled != 0;
}

void Calls::OnMicMuteChanged(bool muted) {
    if (muted == state_.micMuted) return;
    display_.Command(McuCommand::Indicator, IndicatorValue(McuIndicator::Muted, muted));
    state_.micMuted = muted;
    leds_.UpdateMuting(muted);
}

void Calls::TakeBackTypedDigit() {
    automation_.PostKeyToAddressBar(vk::kBack);
    display_.Command(McuCommand::DeleteDigit, 0);  // backspace on the number-entry line
}

void Calls::TypeDigitIntoAddressBar(int code, int count) {
    char ch = KeyUpDialCharacter(code);
    if (ch == 0) return;
    if (const CallRecord* call = state_.currentCall;
        call != nullptr && call->status == INPROGRESS) {
        if (count == 0) SendDtmf(*call, ch);
        return;
    }
    if (state_.uiMode != UiMode::Normal) return;
    if (code == NUMBER_0 && count != 0) {
        // A long "0" is "+": the "0" its press typed goes again.
        TakeBackTypedDigit();
        ch = '+';
    }
    automation_.TypeIntoAddressBar(ch);
}

void Calls::SendDigit(char ch, int count) {
    if (const CallRecord* call = state_.currentCall;
        call != nullptr && call->status == INPROGRESS) {
        SendDtmf(*call, ch);
        return;
    }
    if (state_.uiMode != UiMode::Normal) return;
    if (ch == '0' && count != 0) {
        // A long "0" is "+": the "0" its press typed goes again.
        TakeBackTypedDigit();
        ch = '+';
    }
    PressClientButton(std::string(1, ch));
}

bool Calls::MakeConfiguredCall() {
    if (state_.currentCall != nullptr) return false;
    const std::string number = ReadConfiguredCallNumber(platform_);
    if (number.empty()) return false;
    link_.Send("CALL " + number);
    return true;
}

bool Calls::NewVoicemailExists() {
    std::vector<std::string> messages;
    return ListFiles(platform_.files, messages, settings_.vmFolder, "*_N.wav", true) &&
           !messages.empty();
}

bool Calls::FocusClient() {
    Hwnd mainForm = automation_.Windows().mainForm;
    WindowPort& window = platform_.window;
    if (mainForm == 0 || !window.IsWindow(mainForm) || window.GetForegroundWindow() == mainForm)
        return false;
    link_.Send("FOCUS");
    platform_.clock.Sleep(kFocusPauseMs);
    return true;
}

void Calls::FindClientWindows() { automation_.FindWindows(link_.ApiWindow()); }

void Calls::ApplyAudioDevices() {
    if (!link_.IsAttached()) return;
    std::string name;
    if (!mixer_.GetName(name) || name.size() >= kTextBufferSize) return;
    link_.Send("SET AUDIO_IN " + name);
    link_.Send("SET AUDIO_OUT " + name);
    link_.Send("SET RINGER " + name);
}

void Calls::SwitchVoicemailRecording(bool on) {
    if (!on) {
        driverPlayer_.StartVoicemail(false, "");
        return;
    }
    const CallRecord* call = state_.currentCall;
    if (call == nullptr) return;
    const Settings& s = settings_;
    driverPlayer_.Configure(s.greeting, s.vmDuration);
    const std::string file =
        RecordingFileName(s.vmFolder, call->partnerHandle, platform_.clock.Now(), 'N');
    EnsureFolder(platform_.files, s.vmFolder);
    driverPlayer_.StartVoicemail(true, file);
}

void Calls::SwitchCallRecording(bool on) {
    if (!on) {
        driverPlayer_.StartRecording(false, "");
        return;
    }
    const CallRecord* call = state_.currentCall;
    if (call == nullptr || call->status != INPROGRESS || !driverPlayer_.IsIdle()) return;
    const Settings& s = settings_;
    const std::int64_t now = platform_.clock.Now();
    EnsureFolder(platform_.files, s.crFolder);
    driverPlayer_.StartRecording(true,
                                 RecordingFileName(s.crFolder, call->partnerHandle, now, 'W'));
}

}  // namespace calvox
