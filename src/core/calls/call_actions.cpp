#include "calls/call_actions.h"

#include "sound/recording.h"

namespace calvox {

CallActions::CallActions(const CallActionParts& p)
    : platform_(p.platform),
      settings_(p.settings),
      link_(p.link),
      directory_(p.directory),
      display_(p.display),
      automation_(p.automation),
      mixer_(p.mixer),
      driverPlayer_(p.driverPlayer),
      state_(p.state) {}

void CallActions::SetCallStatus(const CallRecord& call, std::string_view status) {
    link_.Send("SET CALL " + call.id + " STATUS " + std::string(status));
}

void CallActions::SendDtmf(const CallRecord& call, char ch) {
    link_.Send("SET CALL " + call.id + " DTMF " + std::string(1, ch));
}

void CallActions::PressClientButton(std::string_view button) {
    link_.Send("BTN_PRESSED " + std::string(button));
    link_.Send("BTN_RELEASED " + std::string(button));
}

void CallActions::AnswerRingingCall() {
    const CallRecord* call = state_.currentCall;
    if (call != nullptr && state_.ringing) SetCallStatus(*call, "INPROGRESS");
}

void CallActions::FinishCurrentCall(bool resumeHeld) {
    const CallRecord* call = state_.currentCall;
    if (call == nullptr || call->status == ONHOLD) return;
    SetCallStatus(*call, "FINISHED");
    if (resumeHeld) ResumeHeldCall(call);
}

void CallActions::ResumeHeldCall(const CallRecord* finished) {
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

void CallActions::ToggleMicMute() {
    std::uint32_t muted = 0;
    if (!mixer_.LineCommand(kDirectionRecording, "MICROPHONE", "GETMUTE", muted)) return;
    std::uint32_t toggled = muted ? 0 : 1;
    mixer_.LineCommand(kDirectionRecording, "MICROPHONE", "SETMUTE", toggled);
    display_.Command(McuCommand::Indicator, IndicatorValue(McuIndicator::Muted, toggled != 0));
    state_.micMuted = toggled != 0;
}

bool CallActions::MakeConfiguredCall() {
    if (state_.currentCall != nullptr) return false;
    const std::string number = ReadConfiguredCallNumber(platform_);
    if (number.empty()) return false;
    link_.Send("CALL " + number);
    return true;
}

bool CallActions::NewVoicemailExists() {
    std::vector<std::string> messages;
    return ListFiles(platform_.files, messages, settings_.vmFolder, "*_N.wav", true) &&
           !messages.empty();
}

bool CallActions::FocusClient() {
    Hwnd mainForm = automation_.Windows().mainForm;
    WindowPort& window = platform_.window;
    if (mainForm == 0 || !window.IsWindow(mainForm) || window.GetForegroundWindow() == mainForm)
        return false;
    link_.Send("FOCUS");
    platform_.clock.Sleep(kFocusPauseMs);
    return true;
}

void CallActions::FindClientWindows() { automation_.FindWindows(link_.ApiWindow()); }

void CallActions::ApplyAudioDevices() {
    if (!link_.IsAttached()) return;
    std::string name;
    if (!mixer_.GetName(name) || name.size() >= kTextBufferSize) return;
    link_.Send("SET AUDIO_IN " + name);
    link_.Send("SET AUDIO_OUT " + name);
    link_.Send("SET RINGER " + name);
}

void CallActions::SwitchVoicemailRecording(bool on) {
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

void CallActions::SwitchCallRecording(bool on) {
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
