// What each key function does in each call state.
#include "calls/key_handler.h"

#include <string_view>
#include <vector>

#include "base/hub_messages.h"
#include "client/presence.h"
#include "sound/recording.h"

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

}  // namespace

KeyFunctions::KeyFunctions(const KeyFunctionParts& p)
    : platform_(p.platform),
      settings_(p.settings),
      link_(p.link),
      session_(p.session),
      directory_(p.directory),
      display_(p.display),
      contacts_(p.contacts),
      automation_(p.automation),
      mixer_(p.mixer),
      driverPlayer_(p.driverPlayer),
      answeringMachine_(p.answeringMachine),
      soundPlayer_(p.soundPlayer),
      companion_(p.companion),
      actions_(p.actions),
      state_(p.state) {}

void KeyFunctions::ResetToNormalMode() {
    if (state_.uiMode == UiMode::Normal) return;
    directory_.SetContactPosition(-1);
    directory_.SetCallPosition(0);
    state_.uiMode = UiMode::Normal;
}

// Without a call: dial what the display shows, or press the client's YES.
void KeyFunctions::DialFromDisplay() {
    std::string handle;
    if (IsPhoneListMode(state_.uiMode)) {
        if (const std::string* current = directory_.CurrentContactHandle()) handle = *current;
    } else if (state_.uiMode == UiMode::History) {
        if (const CallRecord* call = directory_.StepCall(0)) handle = call->partnerHandle;
    } else {
        actions_.PressClientButton("YES");
        return;
    }
    // Nothing to dial is no call: "CALL " alone would only draw an error.
    if (!handle.empty()) link_.Send("CALL " + handle);
}

void KeyFunctions::OnSkypeKey() {
    WindowPort& window = platform_.window;
    ClientWindows& client = automation_.Windows();
    if (state_.uiMode != UiMode::Normal || !IsLive(window, client.mainForm)) return;
    actions_.FocusClient();
    if (window.GetForegroundWindow() == client.mainForm) {
        actions_.PressClientButton("SKYPE");
        link_.Send("FOCUS");
    }
    if (!IsLive(window, client.historyList))
        calvox::FindClientWindows(window, client, link_.ApiWindow());
    platform_.clock.Sleep(kSkypeKeyPauseMs);
    if (IsLive(window, client.historyList) && ShowsAtCorner(window, client.historyList))
        LeftClick(window, client.historyList, 5, 5);
}

void KeyFunctions::OnContactListKey() {
    WindowPort& window = platform_.window;
    const ClientWindows& client = automation_.Windows();
    if (state_.uiMode != UiMode::Normal || !IsLive(window, client.pageControl)) return;
    actions_.FocusClient();
    Rect list;
    if (!window.GetWindowRect(client.contactList, list)) return;
    auto listShows = [&] {
        return window.WindowFromPoint(list.left, list.top) == client.contactList;
    };
    if (listShows()) return;
    LeftClick(window, client.pageControl, 5, 5);
    if (session_.ProtocolVersion() < 5) actions_.PressClientButton("SKYPE");
    platform_.clock.Sleep(kContactTabPauseMs);
    if (!listShows() && IsLive(window, client.pageControl))
        LeftClick(window, client.pageControl, 5, 20);
}

void KeyFunctions::OnMinimizeKey() {
    if (state_.uiMode != UiMode::Normal) return;
    if (!IsLive(platform_.window, automation_.Windows().mainForm)) actions_.FindClientWindows();
    automation_.Minimize();
}

void KeyFunctions::OnBackspaceKey() {
    if (state_.uiMode != UiMode::Normal) return;
    automation_.PostKeyToAddressBar(vk::kBack);
    if (display_.NumberEntryActive()) display_.Command(McuCommand::DeleteDigit, 0);
}

void KeyFunctions::OnPhoneListKey(int code) {
    if (state_.currentCall != nullptr) return;
    const UiMode mode = PhoneListMode(code);
    state_.uiMode = state_.uiMode == mode ? UiMode::Normal : mode;
    directory_.SetContactPosition(-1);
    if (state_.uiMode == mode)
        contacts_.ShowContact(true, static_cast<int>(mode));
    else
        display_.Command(McuCommand::IdleScreen, 0);
}

void KeyFunctions::OnHistoryKey() {
    if (state_.currentCall != nullptr) return;
    if (state_.uiMode == UiMode::History) {
        state_.uiMode = UiMode::Normal;
        display_.Command(McuCommand::IdleScreen, 0);
        directory_.SetCallPosition(0);
    } else {
        state_.uiMode = UiMode::History;
        contacts_.ShowHistoryCall(0);
    }
}

void KeyFunctions::OnUpDown(bool down) {
    const UiMode mode = state_.uiMode;
    if (IsPhoneListMode(mode))
        contacts_.ShowContact(down, static_cast<int>(mode));
    else if (mode == UiMode::History)
        contacts_.ShowHistoryCall(down ? 1 : -1);
    else
        actions_.PressClientButton(down ? "DOWN" : "UP");
}

void KeyFunctions::OnDialing() {
    if (const CallRecord* current = state_.currentCall) {
        const CallRecord* other = directory_.FindRingingIncomingCall();
        if (other != nullptr && other != current) {
            actions_.SetCallStatus(*current, "ONHOLD");
            platform_.clock.Sleep(kResumePauseMs);
            actions_.SetCallStatus(*other, "INPROGRESS");
        } else {
            actions_.PressClientButton("YES");
        }
    } else {
        DialFromDisplay();
    }
    ResetToNormalMode();
}

void KeyFunctions::OnHandOff() {
    ResetToNormalMode();
    const CallRecord* current = state_.currentCall;
    if (current != nullptr && current->status != ONHOLD)
        actions_.FinishCurrentCall(true);
    else
        actions_.PressClientButton("NO");
}

void KeyFunctions::OnHookSwitch() {
    const CallRecord* current = state_.currentCall;
    if (current == nullptr) {
        DialFromDisplay();
    } else if (state_.ringing) {
        actions_.SetCallStatus(*current, "INPROGRESS");
    } else {
        // A held call is finished too; then another held call resumes.
        actions_.SetCallStatus(*current, "FINISHED");
        actions_.ResumeHeldCall(current);
    }
}

void KeyFunctions::OnHookButton(bool released) {
    if (const CallRecord* current = state_.currentCall) {
        if (!released)
            actions_.PressClientButton("NO");
        else if (state_.ringing)
            actions_.SetCallStatus(*current, "INPROGRESS");
    }
    if (state_.hookDown)
        automation_.Minimize();
    else
        actions_.FocusClient();
}

void KeyFunctions::OnCallRecordSwitch(bool on) {
    const int wanted = on ? 1 : 0;
    if (settings_.callRecord != wanted) {
        settings_.callRecord = wanted;
        actions_.SwitchCallRecording(on);
    }
    WriteCallRecord(platform_, settings_.callRecord);
    companion_.NotifyRecordingChanged();
}

void KeyFunctions::PlayLastRecording() {
    std::string file;
    if (!FindNewestRecording(platform_.files, settings_.crFolder, file) || !soundPlayer_) return;
    SoundPlayer& player = *soundPlayer_;
    if (player.IsPlaying()) player.Stop();
    player.Load(file);
    player.Play(true);
}

void KeyFunctions::OnCursorKey(bool right) {
    automation_.PostKeyToAddressBar(right ? vk::kRight : vk::kLeft);
    if (display_.NumberEntryActive())
        display_.Command(right ? McuCommand::CursorRight : McuCommand::CursorLeft, 0);
}

void KeyFunctions::OnDigitKey(int code, int count) {
    if (settings_.keyUpMode != 0)
        TypeDigitIntoAddressBar(code, count);
    else
        SendDigit(KeyUpDialCharacter(code), count);
}

void KeyFunctions::StartAnsweringMachine() {
    const Settings& s = settings_;
    if (s.enableAm != 0) {
        const DialogueMode start = s.voiceMail != 0 ? DialogueMode::Choice : DialogueMode::Pin;
        answeringMachine_.Start(static_cast<int>(start));
    } else if (s.voiceMail != 0) {
        answeringMachine_.Start(static_cast<int>(DialogueMode::Message));
    }
}

void KeyFunctions::StartCallRecordingNow() {
    const CallRecord* current = state_.currentCall;
    if (settings_.callRecord != 0 && current != nullptr && current->status == INPROGRESS &&
        driverPlayer_.IsIdle())
        actions_.SwitchCallRecording(true);
}

void KeyFunctions::CallContact(int id) {
    if (state_.currentCall != nullptr) return;
    const UserRecord* contact = directory_.FindContactByNumber(id);
    if (contact != nullptr && !contact->handle.empty()) link_.Send("CALL " + contact->handle);
}

void KeyFunctions::TakeBackTypedDigit() {
    automation_.PostKeyToAddressBar(vk::kBack);
    display_.Command(McuCommand::DeleteDigit, 0);  // backspace on the number-entry line
}

void KeyFunctions::TypeDigitIntoAddressBar(int code, int count) {
    char ch = KeyUpDialCharacter(code);
    if (ch == 0) return;
    if (const CallRecord* call = state_.currentCall;
        call != nullptr && call->status == INPROGRESS) {
        if (count == 0) actions_.SendDtmf(*call, ch);
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

void KeyFunctions::SendDigit(char ch, int count) {
    if (const CallRecord* call = state_.currentCall;
        call != nullptr && call->status == INPROGRESS) {
        actions_.SendDtmf(*call, ch);
        return;
    }
    if (state_.uiMode != UiMode::Normal) return;
    if (ch == '0' && count != 0) {
        // A long "0" is "+": the "0" its press typed goes again.
        TakeBackTypedDigit();
        ch = '+';
    }
    actions_.PressClientButton(std::string(1, ch));
}

void KeyFunctions::DispatchMcuAction(int code, int count) {
    switch (static_cast<McuAction>(code)) {
        case McuAction::ClearAddressBar:
            automation_.ClearAddressBar();
            break;
        case McuAction::Answer:
        case McuAction::AnswerToo:
            actions_.AnswerRingingCall();
            break;
        case McuAction::StartAnsweringMachine:
            StartAnsweringMachine();
            break;
        case McuAction::AnswerToVoicemail:
            actions_.AnswerRingingCall();
            actions_.SwitchVoicemailRecording(true);
            break;
        case McuAction::PressYes:
            actions_.PressClientButton("YES");
            break;
        case McuAction::StopOrFinish:
        case McuAction::StopOrFinishToo:
            if (answeringMachine_.IsBusy())
                answeringMachine_.Stop();
            else
                actions_.FinishCurrentCall(false);
            break;
        case McuAction::StartCallRecording:
            StartCallRecordingNow();
            break;
        case McuAction::CallContact:
            CallContact(count);
            break;
        default:
            if (char ch = McuDialCharacter(code)) SendDigit(ch, count);
            break;
    }
}

// The keys of a call and of the display's browsing; false for any other.
bool KeyFunctions::DispatchCallKey(int code, bool released) {
    switch (code) {
        case DIALING:
            OnDialing();
            return true;
        case HAND_OFF:
            OnHandOff();
            return true;
        case UP:
        case DOWN:
            OnUpDown(code == DOWN);
            return true;
        case HOOK_OFF:
            if (state_.uiMode == UiMode::Normal) link_.Send("HOOK OFF");
            return true;
        case PHONELIST:
        case PHONELIST_ONLINE:
        case PHONELIST_OFFLINE:
            OnPhoneListKey(code);
            return true;
        case HOOK_SWITCH:
            OnHookSwitch();
            return true;
        case HISTORYCALL:
            OnHistoryKey();
            return true;
        case HOOKBUTTON:
            OnHookButton(released);
            return true;
        default:
            return false;
    }
}

// The keys that work the client's own windows; false for any other.
bool KeyFunctions::DispatchClientKey(int code) {
    switch (code) {
        case SKYPE:
            OnSkypeKey();
            return true;
        case CONTACT_LIST:
            OnContactListKey();
            return true;
        case MINIMIZE:
            OnMinimizeKey();
            return true;
        case ENTER:
            SendKeyDown(platform_.window, vk::kReturn);
            SendKeyUp(platform_.window, vk::kReturn);
            return true;
        case BACKSPACE:
            OnBackspaceKey();
            return true;
        case NUMBER_4_LONG:
        case NUMBER_6_LONG:
            OnCursorKey(code == NUMBER_6_LONG);
            return true;
        default:
            return false;
    }
}

// The recording and volume keys; false for any other.
bool KeyFunctions::DispatchSoundKey(int code) {
    switch (code) {
        case ENABLECR:
        case DISABLECR:
            OnCallRecordSwitch(code == ENABLECR);
            return true;
        case PLAYLASTCR:
            PlayLastRecording();
            return true;
        case STOPPLAYCR:
            if (soundPlayer_) soundPlayer_->Stop();
            return true;
        case VOLUMESTEPUP:
        case VOLUMESTEPDOWN:
            mixer_.StepMasterVolume(code == VOLUMESTEPUP);
            return true;
        case VOLUMEMUTE:
            ToggleSpeakerMute(mixer_);
            return true;
        default:
            return false;
    }
}

void KeyFunctions::Dispatch(int code, int count, bool released) {
    if (DispatchCallKey(code, released) || DispatchClientKey(code) || DispatchSoundKey(code))
        return;
    if (code >= NUMBER_0 && code <= NUMBER_PLUS)
        OnDigitKey(code, count);
    else
        DispatchMcuAction(code, count);
}

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

void KeyFunctions::HandleKeyAction(int code, int count, bool released) {
    // The simulator shows every key action that reaches the handler.
    if (platform_.observer) platform_.observer->KeyAction(code, count, released);
    if (code == LED_CALLING || code == LED_MUTING) return;

    // While the hook button is held, only its release counts.
    if (state_.hookDown && code != HOOKBUTTON) return;
    if (code == HOOKBUTTON) state_.hookDown = !released;

    if (!link_.IsAttached()) {
        link_.BroadcastDiscover();
        return;
    }

    const bool exempt = IsExemptCode(code);
    if (state_.ringing && code != HAND_OFF && code != HOOKBUTTON && !exempt &&
        (settings_.anyKeyAnswer != 0 || code == DIALING)) {
        link_.Send("HOOK OFF");
        actions_.FocusClient();
        return;
    }

    // The first key press may only bring the client forward.
    if (state_.uiMode == UiMode::Normal && !SkipsFocusFirst(code) &&
        !(state_.currentCall != nullptr && code == HAND_OFF)) {
        if (actions_.FocusClient() && settings_.focusAndContinue == 0 && !exempt) return;
    }

    Dispatch(code, count, released);
}

void KeyFunctions::OnMcuRequest(McuRequest request, LParam data) {
    if (request == McuRequest::CallContact) {
        if (data != 0)
            HandleKeyAction(static_cast<int>(McuAction::CallContact), static_cast<int>(data),
                            false);
    } else if (request == McuRequest::ShowCallState) {
        display_.Command(McuCommand::OwnStatus, OwnStatusCode(session_.Status()));
        if (const CallRecord* call = state_.currentCall)
            display_.Text(call->partnerDisplayName,
                          state_.ringing ? McuCommand::CallIncoming : McuCommand::CallTalking);
    } else if (request == McuRequest::ShowContact && data > 0) {
        const UserRecord* contact = directory_.ContactAt(static_cast<std::size_t>(data - 1));
        if (contact != nullptr && !contact->displayName.empty())
            contacts_.ShowGroup(
                *contact, contact->online ? McuCommand::ContactOnline : McuCommand::ContactOffline);
    }
}

}  // namespace calvox
