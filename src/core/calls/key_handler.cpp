#include "calls/key_handler.h"

#include <string_view>
#include <vector>

#include "sound/recording.h"
#include "calls/call_actions.h"
#include "calls/client_windows.h"
#include "handset/mcu_protocol.h"
#include "platform/observer_port.h"
#include "calls/contact_display.h"
#include "client/transport.h"

namespace calvox {

namespace {

constexpr unsigned kSkypeKeyPauseMs = 200;
constexpr unsigned kContactTabPauseMs = 100;

// Modes that open the phone list, by key.
UiMode PhoneListMode(int code) {
    if (code == PHONELIST_ONLINE) return UiMode::OnlineContacts;
    if (code == PHONELIST_OFFLINE) return UiMode::OfflineContacts;
    return UiMode::AllContacts;
}

bool IsPhoneListMode(UiMode mode) {
    return mode == UiMode::AllContacts || mode == UiMode::OnlineContacts ||
           mode == UiMode::OfflineContacts;
}

// Keys that act without bringing the client forward first.
bool SkipsFocusFirst(int code) {
    switch (code) {
        case CONTACT_LIST:
        case MINIMIZE:
        case ENTER:
        case PHONELIST:
        case HISTORYCALL:
        case HOOKBUTTON:
        case PHONELIST_ONLINE:
        case PHONELIST_OFFLINE:
        case DISABLECR:
        case PLAYLASTCR:
        case STOPPLAYCR:
        case VOLUMESTEPUP:
        case VOLUMESTEPDOWN:
        case VOLUMEMUTE:
            return true;
        default:
            return false;
    }
}

void ResetToNormalMode(App& app) {
    if (app.hub.uiMode == UiMode::Normal) return;
    app.directory.SetContactPosition(-1);
    app.directory.SetCallPosition(0);
    app.hub.uiMode = UiMode::Normal;
}

// Without a call: dial what the display shows, or press the client's YES.
void DialFromDisplay(App& app, Hwnd hubWindow) {
    std::string handle;
    if (IsPhoneListMode(app.hub.uiMode)) {
        if (const std::string* current = app.directory.CurrentContactHandle()) handle = *current;
    } else if (app.hub.uiMode == UiMode::History) {
        if (const CallRecord* call = app.directory.StepCall(0)) handle = call->partnerHandle;
    } else {
        PressClientButton(app, hubWindow, "YES");
        return;
    }
    // Nothing to dial is no call: "CALL " alone would only draw an error.
    if (!handle.empty()) SendSkypeCommand(app, "CALL " + handle, hubWindow);
}

void LeftClick(WindowPort& window, Hwnd target, int x, int y) {
    window.PostMessage(target, wm::kLButtonDown, kMkLButton, MakePointParam(x, y));
    window.PostMessage(target, wm::kLButtonUp, kMkLButton, MakePointParam(x, y));
}

// The window at the top-left corner of `target` is `target` itself: it shows.
bool ShowsAtCorner(WindowPort& window, Hwnd target) {
    Rect rect;
    return window.GetWindowRect(target, rect) &&
           window.WindowFromPoint(rect.left, rect.top) == target;
}

void MinimizeClient(App& app) {
    WindowPort& window = app.platform.window;
    const Hwnd form = app.hub.clientWindows.mainForm;
    if (IsLive(window, form) && window.IsWindowVisible(form))
        window.PostMessage(form, wm::kSysCommand, kScMinimize, 0);
}

void OnSkypeKey(App& app, Hwnd hubWindow) {
    WindowPort& window = app.platform.window;
    ClientWindows& client = app.hub.clientWindows;
    if (app.hub.uiMode != UiMode::Normal || !IsLive(window, client.mainForm)) return;
    FocusSkypeClient(app, hubWindow);
    if (window.GetForegroundWindow() == client.mainForm) {
        PressClientButton(app, hubWindow, "SKYPE");
        SendSkypeCommand(app, "FOCUS", hubWindow);
    }
    if (!IsLive(window, client.historyList))
        FindClientWindows(window, client, app.hub.skypeApiWindow);
    app.platform.clock.Sleep(kSkypeKeyPauseMs);
    if (IsLive(window, client.historyList) && ShowsAtCorner(window, client.historyList))
        LeftClick(window, client.historyList, 5, 5);
}

void OnContactListKey(App& app, Hwnd hubWindow) {
    WindowPort& window = app.platform.window;
    const ClientWindows& client = app.hub.clientWindows;
    if (app.hub.uiMode != UiMode::Normal || !IsLive(window, client.pageControl)) return;
    FocusSkypeClient(app, hubWindow);
    Rect list;
    if (!window.GetWindowRect(client.contactList, list)) return;
    auto listShows = [&] {
        return window.WindowFromPoint(list.left, list.top) == client.contactList;
    };
    if (listShows()) return;
    LeftClick(window, client.pageControl, 5, 5);
    if (app.protocolVersion < 5) PressClientButton(app, hubWindow, "SKYPE");
    app.platform.clock.Sleep(kContactTabPauseMs);
    if (!listShows() && IsLive(window, client.pageControl))
        LeftClick(window, client.pageControl, 5, 20);
}

void OnPhoneListKey(App& app, int code) {
    if (app.hub.currentCall != nullptr) return;
    const UiMode mode = PhoneListMode(code);
    app.hub.uiMode = app.hub.uiMode == mode ? UiMode::Normal : mode;
    app.directory.SetContactPosition(-1);
    if (app.hub.uiMode == mode)
        ShowContact(app, true, static_cast<int>(mode));
    else
        SendMcuCommand(app, McuCommand::IdleScreen, 0);
}

void OnHistoryKey(App& app, Hwnd hubWindow) {
    if (app.hub.currentCall != nullptr) return;
    if (app.hub.uiMode == UiMode::History) {
        app.hub.uiMode = UiMode::Normal;
        SendMcuCommand(app, McuCommand::IdleScreen, 0);
        app.directory.SetCallPosition(0);
    } else {
        app.hub.uiMode = UiMode::History;
        ShowHistoryCall(app, hubWindow, 0);
    }
}

void OnUpDown(App& app, Hwnd hubWindow, bool down) {
    const UiMode mode = app.hub.uiMode;
    if (IsPhoneListMode(mode))
        ShowContact(app, down, static_cast<int>(mode));
    else if (mode == UiMode::History)
        ShowHistoryCall(app, hubWindow, down ? 1 : -1);
    else
        PressClientButton(app, hubWindow, down ? "DOWN" : "UP");
}

void OnDialing(App& app, Hwnd hubWindow) {
    if (const CallRecord* current = app.hub.currentCall) {
        const CallRecord* other = app.directory.FindRingingIncomingCall();
        if (other != nullptr && other != current) {
            SetCallStatus(app, hubWindow, *current, "ONHOLD");
            app.platform.clock.Sleep(kResumePauseMs);
            SetCallStatus(app, hubWindow, *other, "INPROGRESS");
        } else {
            PressClientButton(app, hubWindow, "YES");
        }
    } else {
        DialFromDisplay(app, hubWindow);
    }
    ResetToNormalMode(app);
}

void OnHandOff(App& app, Hwnd hubWindow) {
    ResetToNormalMode(app);
    const CallRecord* current = app.hub.currentCall;
    if (current != nullptr && current->status != ONHOLD)
        FinishCurrentCall(app, hubWindow, true);
    else
        PressClientButton(app, hubWindow, "NO");
}

void OnHookSwitch(App& app, Hwnd hubWindow) {
    const CallRecord* current = app.hub.currentCall;
    if (current == nullptr) {
        DialFromDisplay(app, hubWindow);
    } else if (app.hub.ringing) {
        SetCallStatus(app, hubWindow, *current, "INPROGRESS");
    } else {
        // A held call is finished too; then another held call resumes.
        SetCallStatus(app, hubWindow, *current, "FINISHED");
        ResumeHeldCall(app, hubWindow, current);
    }
}

void OnHookButton(App& app, Hwnd hubWindow, bool released) {
    if (const CallRecord* current = app.hub.currentCall) {
        if (!released)
            PressClientButton(app, hubWindow, "NO");
        else if (app.hub.ringing)
            SetCallStatus(app, hubWindow, *current, "INPROGRESS");
    }
    if (app.hub.hookDown)
        MinimizeClient(app);
    else
        FocusSkypeClient(app, hubWindow);
}

void OnCallRecordSwitch(App& app, Hwnd hubWindow, bool on) {
    const int wanted = on ? 1 : 0;
    if (app.settings.callRecord != wanted) {
        app.settings.callRecord = wanted;
        SwitchCallRecording(app, hubWindow, on);
    }
    WriteCallRecord(app.platform, app.settings.callRecord);
    WindowPort& window = app.platform.window;
    if (IsLive(window, app.hub.companionWindow))
        window.PostMessage(app.hub.companionWindow, app.hub.registeredMessages[REG_VM_CHANGING],
                           VMS_RECORDING_CHANGED, 0);
}

void PlayLastRecording(App& app, Hwnd hubWindow) {
    std::string file;
    if (!FindNewestRecording(app.platform.files, app.settings.crFolder, file) || !app.soundPlayer)
        return;
    SoundPlayer& player = *app.soundPlayer;
    if (player.IsPlaying()) player.Stop();
    player.Load(hubWindow, file);
    player.Play(true);
}

void ToggleSpeakerMute(HandsetMixer& mixer) {
    std::uint32_t mute = 0;
    if (!mixer.SpeakerMute(false, mute)) return;
    mute = mute ? 0 : 1;
    mixer.SpeakerMute(true, mute);
}

void OnCursorKey(App& app, bool right) {
    PostKeyToAddressBar(app, right ? vk::kRight : vk::kLeft);
    if (app.numberEntryActive)
        SendMcuCommand(app, right ? McuCommand::CursorRight : McuCommand::CursorLeft, 0);
}

void StartAnsweringMachine(App& app, Hwnd hubWindow) {
    const Settings& s = app.settings;
    if (s.enableAm != 0) {
        const DialogueMode start = s.voiceMail != 0 ? DialogueMode::Choice : DialogueMode::Pin;
        app.answeringMachine.Start(hubWindow, static_cast<int>(start));
    } else if (s.voiceMail != 0) {
        app.answeringMachine.Start(hubWindow, static_cast<int>(DialogueMode::Message));
    }
}

void StartCallRecordingNow(App& app, Hwnd hubWindow) {
    const CallRecord* current = app.hub.currentCall;
    if (app.settings.callRecord != 0 && current != nullptr && current->status == INPROGRESS &&
        app.driverPlayer.IsIdle())
        SwitchCallRecording(app, hubWindow, true);
}

void CallContact(App& app, Hwnd hubWindow, int id) {
    if (app.hub.currentCall != nullptr) return;
    const UserRecord* contact = app.directory.FindContactByNumber(id);
    if (contact != nullptr && !contact->handle.empty())
        SendSkypeCommand(app, "CALL " + contact->handle, hubWindow);
}

void DispatchMcuAction(App& app, Hwnd hubWindow, int code, int count) {
    switch (static_cast<McuAction>(code)) {
        case McuAction::ClearAddressBar:
            ClearAddressBar(app);
            break;
        case McuAction::Answer:
        case McuAction::AnswerToo:
            AnswerRingingCall(app, hubWindow);
            break;
        case McuAction::StartAnsweringMachine:
            StartAnsweringMachine(app, hubWindow);
            break;
        case McuAction::AnswerToVoicemail:
            AnswerRingingCall(app, hubWindow);
            SwitchVoicemailRecording(app, hubWindow, true);
            break;
        case McuAction::PressYes:
            PressClientButton(app, hubWindow, "YES");
            break;
        case McuAction::StopOrFinish:
        case McuAction::StopOrFinishToo:
            if (app.answeringMachine.IsBusy())
                app.answeringMachine.Stop();
            else
                FinishCurrentCall(app, hubWindow, false);
            break;
        case McuAction::StartCallRecording:
            StartCallRecordingNow(app, hubWindow);
            break;
        case McuAction::CallContact:
            CallContact(app, hubWindow, count);
            break;
        default:
            if (char ch = McuDialCharacter(code)) SendDigit(app, ch, hubWindow, count);
            break;
    }
}

void Dispatch(App& app, Hwnd hubWindow, int code, int count, bool released) {
    HubState& hub = app.hub;
    const bool normal = hub.uiMode == UiMode::Normal;
    switch (code) {
        case SKYPE:
            OnSkypeKey(app, hubWindow);
            break;
        case DIALING:
            OnDialing(app, hubWindow);
            break;
        case HAND_OFF:
            OnHandOff(app, hubWindow);
            break;
        case UP:
        case DOWN:
            OnUpDown(app, hubWindow, code == DOWN);
            break;
        case CONTACT_LIST:
            OnContactListKey(app, hubWindow);
            break;
        case MINIMIZE:
            if (!normal) break;
            if (!IsLive(app.platform.window, hub.clientWindows.mainForm)) {
                FindClientWindows(app.platform.window, hub.clientWindows, hub.skypeApiWindow);
                FindAddressBar(app.platform.window, hub.clientWindows, hub.skypeApiWindow);
            }
            MinimizeClient(app);
            break;
        case ENTER:
            SendKeyDown(app.platform.window, vk::kReturn);
            SendKeyUp(app.platform.window, vk::kReturn);
            break;
        case BACKSPACE:
            if (!normal) break;
            PostKeyToAddressBar(app, vk::kBack);
            if (app.numberEntryActive) SendMcuCommand(app, McuCommand::DeleteDigit, 0);
            break;
        case HOOK_OFF:
            if (normal) SendSkypeCommand(app, "HOOK OFF", hubWindow);
            break;
        case PHONELIST:
        case PHONELIST_ONLINE:
        case PHONELIST_OFFLINE:
            OnPhoneListKey(app, code);
            break;
        case HOOK_SWITCH:
            OnHookSwitch(app, hubWindow);
            break;
        case HISTORYCALL:
            OnHistoryKey(app, hubWindow);
            break;
        case HOOKBUTTON:
            OnHookButton(app, hubWindow, released);
            break;
        case ENABLECR:
        case DISABLECR:
            OnCallRecordSwitch(app, hubWindow, code == ENABLECR);
            break;
        case PLAYLASTCR:
            PlayLastRecording(app, hubWindow);
            break;
        case STOPPLAYCR:
            if (app.soundPlayer) app.soundPlayer->Stop();
            break;
        case VOLUMESTEPUP:
        case VOLUMESTEPDOWN:
            app.mixer.StepMasterVolume(code == VOLUMESTEPUP);
            break;
        case VOLUMEMUTE:
            ToggleSpeakerMute(app.mixer);
            break;
        case NUMBER_4_LONG:
        case NUMBER_6_LONG:
            OnCursorKey(app, code == NUMBER_6_LONG);
            break;
        default:
            if (code >= NUMBER_0 && code <= NUMBER_PLUS) {
                if (app.settings.keyUpMode != 0)
                    TypeDigitIntoAddressBar(app, code, hubWindow, count);
                else
                    SendDigit(app, KeyUpDialCharacter(code), hubWindow, count);
            } else {
                DispatchMcuAction(app, hubWindow, code, count);
            }
            break;
    }
}

}  // namespace

bool FindNewestRecording(FilePort& files, const std::string& folder, std::string& newest) {
    std::vector<std::string> recordings;
    ListFiles(files, recordings, folder, "*.wav", true);
    std::uint64_t newestTime = 0;
    bool found = false;
    for (const std::string& file : recordings) {
        std::uint64_t created = 0;
        if (!files.GetCreationTime(file, created)) continue;
        if (!found || created >= newestTime) {
            newest = file;
            newestTime = created;
            found = true;
        }
    }
    return found;
}

char McuDialCharacter(int code) {
    constexpr std::string_view kCharacters = "123456789*0#";
    const int first = static_cast<int>(McuAction::FirstDialCharacter);
    if (code < first || code > static_cast<int>(McuAction::LastDialCharacter)) return 0;
    return kCharacters[static_cast<std::size_t>(code - first)];
}

void HandleKeyAction(App& app, Hwnd hubWindow, int code, int count, bool released) {
    // The simulator shows every key action that reaches the handler.
    if (app.observer) app.observer->KeyAction(code, count, released);
    HubState& hub = app.hub;
    if (code == LED_CALLING || code == LED_MUTING) return;

    // While the hook button is held, only its release counts.
    if (hub.hookDown && code != HOOKBUTTON) return;
    if (code == HOOKBUTTON) hub.hookDown = !released;

    if (!IsLive(app.platform.window, hub.skypeApiWindow)) {
        BroadcastDiscover(app, hubWindow);
        return;
    }

    const bool exempt = IsExemptCode(code);
    if (hub.ringing && code != HAND_OFF && code != HOOKBUTTON && !exempt &&
        (app.settings.anyKeyAnswer != 0 || code == DIALING)) {
        SendSkypeCommand(app, "HOOK OFF", hubWindow);
        FocusSkypeClient(app, hubWindow);
        return;
    }

    // The first key press may only bring the client forward.
    if (hub.uiMode == UiMode::Normal && !SkipsFocusFirst(code) &&
        !(hub.currentCall != nullptr && code == HAND_OFF)) {
        if (FocusSkypeClient(app, hubWindow) && app.settings.focusAndContinue == 0 && !exempt)
            return;
    }

    Dispatch(app, hubWindow, code, count, released);
}

}  // namespace calvox
