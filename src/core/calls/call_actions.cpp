#include "calls/call_actions.h"

#include "sound/driver_wave_player.h"
#include "sound/recording.h"
#include "hub/hub_messages.h"
#include "sound/handset_mixer.h"
#include "calls/client_windows.h"
#include "handset/mcu_protocol.h"
#include "client/transport.h"

namespace calvox {

namespace {
bool FileExists(FilePort& files, const std::string& path) {
    return files.GetFileAttributes(path) != kInvalidFileAttributes;
}
}  // namespace

void SetCallStatus(App& app, Hwnd hubWindow, const CallRecord& call, std::string_view status) {
    SendSkypeCommand(app, "SET CALL " + call.id + " STATUS " + std::string(status), hubWindow);
}

void SendDtmf(App& app, Hwnd hubWindow, const CallRecord& call, char ch) {
    SendSkypeCommand(app, "SET CALL " + call.id + " DTMF " + std::string(1, ch), hubWindow);
}

void PressClientButton(App& app, Hwnd hubWindow, std::string_view button) {
    SendSkypeCommand(app, "BTN_PRESSED " + std::string(button), hubWindow);
    SendSkypeCommand(app, "BTN_RELEASED " + std::string(button), hubWindow);
}

void AnswerRingingCall(App& app, Hwnd hubWindow) {
    const CallRecord* call = app.hub.currentCall;
    if (call != nullptr && app.hub.ringing) SetCallStatus(app, hubWindow, *call, "INPROGRESS");
}

void FinishCurrentCall(App& app, Hwnd hubWindow, bool resumeHeld) {
    const CallRecord* call = app.hub.currentCall;
    if (call == nullptr || call->status == ONHOLD) return;
    SetCallStatus(app, hubWindow, *call, "FINISHED");
    if (resumeHeld) ResumeHeldCall(app, hubWindow, call);
}

void ResumeHeldCall(App& app, Hwnd hubWindow, const CallRecord* finished) {
    // The call just finished may still be listed as held: it is not resumed.
    const CallRecord* held = nullptr;
    for (const CallRecord* call : app.directory.Calls()) {
        if (call->status == ONHOLD && call != finished) {
            held = call;
            break;
        }
    }
    if (held == nullptr) return;
    app.platform.clock.Sleep(kResumePauseMs);
    SetCallStatus(app, hubWindow, *held, "INPROGRESS");
}
void HandleAudioButtons(App& app, Hwnd hubWindow, unsigned buttons) {
    HandsetMixer& mixer = app.mixer;
    if (app.platform.mixer.GetDeviceCount() < 2) return;
    std::string handsetName;
    if (!mixer.GetName(handsetName)) return;
    // The buttons act on the handset only when it is not the first mixer
    // device (that one the system's own volume keys already serve).
    mixer.Close();
    std::string firstName;
    const bool readFirst = mixer.GetMixerName(0, firstName);
    mixer.OpenByName(hubWindow, handsetName);
    if (!readFirst || firstName == handsetName) return;
    std::uint32_t mute = 0;
    switch (buttons) {
        case 1: mixer.StepMasterVolume(true); break;
        case 2: mixer.StepMasterVolume(false); break;
        case 4:
            if (mixer.SpeakerMute(false, mute)) {
                mute = mute ? 0 : 1;
                mixer.SpeakerMute(true, mute);
            }
            break;
        default: break;
    }
}

bool ToggleMicMute(App& app) {
    std::uint32_t muted = 0;
    if (!app.mixer.LineCommand(kDirectionRecording, "MICROPHONE", "GETMUTE", muted)) return false;
    std::uint32_t toggled = muted ? 0 : 1;
    app.mixer.LineCommand(kDirectionRecording, "MICROPHONE", "SETMUTE", toggled);
    const bool result = SendMcuCommand(app, McuCommand::Indicator,
                                       IndicatorValue(McuIndicator::Muted, toggled != 0));
    app.hub.micMuted = static_cast<int>(toggled);
    return result;
}
void PostKeyToAddressBar(App& app, std::uint16_t virtualKey) {
    WindowPort& window = app.platform.window;
    const Hwnd edit = app.hub.clientWindows.addressBar;
    if (!IsLive(window, edit)) return;
    window.PostMessage(edit, wm::kKeyDown, virtualKey, 1);
    window.PostMessage(edit, wm::kKeyUp, virtualKey, kKeyUpParam);
    app.platform.clock.Sleep(kPostedKeyPauseMs);
}

LResult ClearAddressBar(App& app) {
    WindowPort& window = app.platform.window;
    const Hwnd edit = app.hub.clientWindows.addressBar;
    if (!IsLive(window, edit)) return 0;
    return window.SetWindowText(edit, nullptr);
}

void TakeBackTypedDigit(App& app) {
    PostKeyToAddressBar(app, vk::kBack);
    SendMcuCommand(app, McuCommand::DeleteDigit, 0);  // backspace on the number-entry line
}

void SendDigit(App& app, char ch, Hwnd hubWindow, int count) {
    if (const CallRecord* call = app.hub.currentCall;
        call != nullptr && call->status == INPROGRESS) {
        SendDtmf(app, hubWindow, *call, ch);
        return;
    }
    if (app.hub.uiMode != UiMode::Normal) return;
    if (ch == '0' && count != 0) {
        // A long "0" is "+": the "0" its press typed goes again.
        TakeBackTypedDigit(app);
        ch = '+';
    }
    PressClientButton(app, hubWindow, std::string(1, ch));
}

int MakeConfiguredCall(App& app, Hwnd hubWindow) {
    if (app.hub.currentCall != nullptr) return 0;
    std::string number = app.platform.profile.GetString(
        "VM", "MAKEACALL", GetSettingsPath(app.platform.files), kTextBufferSize);
    if (number.empty()) return 0;
    SendSkypeCommand(app, "CALL " + number, hubWindow);
    return 1;
}

bool NewVoicemailExists(App& app) {
    std::vector<std::string> messages;
    return ListFiles(app.platform.files, messages, app.settings.vmFolder, "*_N.wav", true) &&
           !messages.empty();
}

int OpenCompanion(App& app, Hwnd hubWindow, bool start) {
    if (!FileExists(app.platform.files, app.settings.companionPath)) return 0;
    if (!start) {
        Hwnd companion = app.hub.companionWindow;
        if (companion != 0 && app.platform.window.IsWindow(companion))
            app.platform.window.PostMessage(companion, app.hub.registeredMessages[REG_VM_CHANGING],
                                            VMS_DETACH, 0);
        return 1;
    }
    bool driver = app.driverPlayer.IsPresent();
    const char* argument = "SETTING";
    if (app.hub.gboxPresent && !driver) argument = "SETTINGWITHOUTVM";
    else if (!app.hub.gboxPresent && driver) argument = "SETTINGWITHOUTGBOX";
    app.platform.shell.ShellExecute(hubWindow, "Open", app.settings.companionPath, argument, "",
                                    kSwShow);
    return 1;
}

}  // namespace calvox
