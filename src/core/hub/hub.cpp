#include "hub/hub.h"

#include <cstring>

#include "base/hub_messages.h"
#include "calls/key_handler.h"
#include "handset/usb_walk.h"

namespace calvox {

Hub::Hub(Platform& p)
    : platform_(p),
      log_(p.log),
      hubWindow_(p.window, p.clock),
      device_(p, &log_, &hubWindow_),
      mixer_(p, hubWindow_),
      driverPlayer_(p, hubWindow_, &log_),
      answeringMachine_(p, settings_, soundPlayer_, hubWindow_, &log_),
      display_(device_, p.clock),
      leds_(device_, hubWindow_),
      buzzer_(p.threads, device_, log_),
      link_(p.window, p.text, log_, hubWindow_, state_.registeredMessages),
      parser_(p, directory_, historicIds_, link_),
      tray_(p.shell, p.window, p.text, settings_, hubWindow_),
      companion_(p.window, p.shell, p.files, settings_, hubWindow_, state_.registeredMessages),
      contacts_(display_, directory_, link_, p.system),
      automation_(p.window, p.clock),
      actions_(CallActionParts{p, settings_, link_, directory_, display_, automation_, mixer_,
                               driverPlayer_, callState_}),
      reactions_(CallReactionParts{p, settings_, hubWindow_, link_, parser_, directory_,
                                   historicIds_, device_, display_, leds_, mixer_, driverPlayer_,
                                   soundPlayer_, tray_, actions_, callState_}),
      keys_(KeyFunctionParts{p, settings_, link_, parser_, directory_, display_, contacts_,
                             automation_, mixer_, driverPlayer_, answeringMachine_, soundPlayer_,
                             companion_, actions_, callState_}),
      filter_(settings_, log_, buzzer_, answeringMachine_, display_, automation_, keys_) {
    // The number line and the client's address bar are cleared together.
    display_.SetOnClear([this] { automation_.ClearAddressBar(); });
}

void Hub::LoadConfiguration() {
    DeviceTexts texts;
    SettingNotes notes;
    LoadDeviceSettings(platform_, settings_, texts, &notes);
    log_.SetEnabled(settings_.diagnosticLog != 0);
    log_.Write("start, settings " + Quoted(GetSettingsPath(platform_.files)) + ", handset " +
               (settings_.deviceVid == 0 && settings_.devicePid == 0
                    ? std::string("any")
                    : DeviceIdText(settings_.deviceVid, settings_.devicePid)));
    tray_.SetTexts(texts.product, texts.connectIconPath, texts.disconnectIconPath);
    state_.scanMode = settings_.scanMode;
    state_.deviceVid = settings_.deviceVid;
    state_.devicePid = settings_.devicePid;

    LoadVoiceMailSettings(platform_, settings_, true, &notes);
    for (const std::string& note : notes) log_.Write(note);
    answeringMachine_.BuildPrompts(settings_);

    if (state_.scanMode == SCAN_2X2 || state_.scanMode == SCAN_1X8)
        leds_.SetMasks(LedMasksFromKeyTable(settings_.keyTable));
}

void Hub::RegisterMessages() {
    WindowPort& windows = platform_.window;
    for (int i = 0; i < REG_COUNT; ++i)
        state_.registeredMessages[i] = windows.RegisterWindowMessage(kRegisteredMessageTexts[i]);
    state_.taskbarCreatedMessage = windows.RegisterWindowMessage(kTaskbarCreated);

    state_.audioNotification = windows.RegisterDeviceInterfaceNotification(
        hubWindow_.Handle(), kAudioInterfaceClass,
        [this](DeviceInterfaceChange change) { OnDeviceChange(change, true); });
    state_.hidNotification = windows.RegisterDeviceInterfaceNotification(
        hubWindow_.Handle(), platform_.hid.GetHidGuid(),
        [this](DeviceInterfaceChange change) { OnDeviceChange(change, false); });
}

LResult Hub::OnCreate() {
    LoadConfiguration();
    tray_.LoadIcons();
    tray_.AddDisconnected();
    RegisterMessages();
    link_.BroadcastDiscover();

    filter_.ResetKeyDownCount();
    SetUpHandset();
    actions_.ApplyAudioDevices();

    buzzer_.Start();
    device_.SetBuzzerDuration(DurationMs(settings_.buzzerDuration));
    return 0;
}

LResult Hub::OnDestroy() {
    companion_.TellLeaving();
    driverPlayer_.StopAndRelease();
    answeringMachine_.Stop();
    tray_.DestroyIcons();
    if (soundPlayer_) {
        soundPlayer_->ReleaseDevice();
        soundPlayer_.reset();
    }
    tray_.Remove();
    display_.Command(McuCommand::IdleScreen, 0);
    buzzer_.Stop();
    device_.Close();
    mixer_.Close();
    if (state_.audioNotification != 0)
        platform_.window.UnregisterDeviceNotification(state_.audioNotification);
    if (state_.hidNotification != 0)
        platform_.window.UnregisterDeviceNotification(state_.hidNotification);
    state_.audioNotification = state_.hidNotification = 0;
    link_.DropNotificationCopies();
    platform_.window.PostQuitMessage(0);
    return 0;
}

void Hub::RunHandsetSetupAgain() {
    filter_.ResetKeyDownCount();
    SetUpHandset();
    actions_.ApplyAudioDevices();
}

void Hub::OnKeyFloodCheck() {
    hubWindow_.KillTimer(TIMER_KEY_FLOOD);
    if (filter_.KeyDownCount() > 10) {
        // So many presses in the first second: the keypad is read in the wrong mode.
        device_.Close();
        int lower = 0;
        if (state_.scanMode == SCAN_4X5)
            lower = SCAN_4X4;
        else if (state_.scanMode == SCAN_2X3)
            lower = SCAN_2X2;
        if (lower != 0) {
            state_.scanMode = lower;
            SetUpHandset();
        }
    }
    filter_.ResetKeyDownCount();
}

void Hub::OnTimer(WParam id) {
    if (reactions_.OnTimer(id) || leds_.OnTimer(id)) return;
    if (id == TIMER_KEY_FLOOD) {
        OnKeyFloodCheck();
    } else if (id == TIMER_HANDSET_REINIT) {
        hubWindow_.KillTimer(TIMER_HANDSET_REINIT);
        RunHandsetSetupAgain();
    }
}

void Hub::OnDeviceChange(DeviceInterfaceChange change, bool audio) {
    if (change == DeviceInterfaceChange::Removed) {
        filter_.ResetKeyDownCount();
        mixer_.Close();
        SetUpHandset();
        actions_.ApplyAudioDevices();
        return;
    }
    std::int64_t now = platform_.clock.Now();
    if (audio)
        state_.audioArrivalTime = now;
    else
        state_.hidArrivalTime = now;
    if (std::uint32_t delay = PairArrivals(state_.audioArrivalTime, state_.hidArrivalTime))
        hubWindow_.SetTimer(TIMER_HANDSET_REINIT, delay);
}

void Hub::OnMixerLineChange() {
    std::uint32_t muted = 0;
    if (!mixer_.LineCommand(kDirectionRecording, "MICROPHONE", "GETMUTE", muted)) return;
    reactions_.OnMicMuteChanged(muted != 0);
}

void Hub::OnMixerControlChange() {
    std::uint32_t volume = 0;
    int balance = 0;
    if (settings_.rightAsRinger && mixer_.GetMasterVolume(volume, balance)) {
        // At volume 0 both channels read back as balance 50; rewriting it
        // would only raise another change notice.
        const int wanted = callState_.ringing ? 100 : 0;
        if (volume > 0 && balance != wanted) mixer_.SetMasterVolume(volume, wanted);
    }
    const std::uint32_t minimum = ClampVolume(settings_.minimumVolume);
    if (minimum != 0 && mixer_.GetMasterVolume(volume, balance) && volume < minimum)
        mixer_.SetMasterVolume(minimum, balance);
}

LResult Hub::OnCopyData(Hwnd sender, std::string bytes) {
    return link_.OnCopyData(sender, std::move(bytes));
}

void Hub::OnMixerChange(MixerChange change) {
    switch (change) {
        case MixerChange::Line:
            OnMixerLineChange();
            return;
        case MixerChange::Control:
            OnMixerControlChange();
            return;
    }
}

void Hub::OnSkypeNotify(WParam copyId) {
    const std::optional<std::string> text = link_.TakeNotificationCopy(copyId);
    reactions_.OnClientEvents(parser_.Parse(text ? text->c_str() : nullptr));
}

void Hub::OnSkypeAttach(WParam apiWindow, LParam status) {
    if (!link_.OnAttach(apiWindow, status)) return;
    actions_.FindClientWindows();
    hubWindow_.Post(HUBM_SKYPE_ATTACHED, 0, 0);
}

LResult Hub::OnCompanionChanging(unsigned message, WParam code, LParam lParam) {
    switch (code) {
        case VMS_SETTINGS_CHANGED:
            reactions_.OnVoiceMailSettingsChanged();
            break;
        case VMS_MAKE_CALL:
            return actions_.MakeConfiguredCall() ? 1 : 0;
        case VMS_DETACH:
            companion_.OnDetach();
            break;
        case VMS_MESSAGES_CHANGED:
            display_.Command(McuCommand::Indicator, IndicatorValue(McuIndicator::NewVoiceMail,
                                                                   actions_.NewVoicemailExists()));
            break;
        default:
            break;
    }
    return platform_.window.DefWindowProc(hubWindow_.Handle(), message, code, lParam);
}

void Hub::OnTray(LParam mouseMessage) {
    if (!Tray::OpensMenu(mouseMessage)) return;
    const bool settingsAvailable =
        companion_.Exists() && (driverPlayer_.IsPresent() || display_.GboxPresent());
    switch (tray_.ShowMenu(settingsAvailable)) {
        case TrayCommand::Settings:
            if (settingsAvailable)
                companion_.OpenSettings(display_.GboxPresent(), driverPlayer_.IsPresent());
            else
                tray_.ShowAboutBox();
            break;
        case TrayCommand::Exit:
            link_.SendBareAudioCommands();
            hubWindow_.Post(wm::kClose, 0, 0);
            break;
        case TrayCommand::None:
            break;
    }
}

LResult Hub::OnRegisteredMessage(unsigned message, WParam wParam, LParam lParam) {
    const auto& registered = state_.registeredMessages;
    if (message == registered[REG_VM_CHANGING]) return OnCompanionChanging(message, wParam, lParam);
    if (message == registered[REG_VM_DISCOVER]) {
        companion_.OnDiscover(wParam);
    } else if (message == registered[REG_SKYPE_ATTACH]) {
        OnSkypeAttach(wParam, lParam);
        return 0;
    } else if (message == state_.taskbarCreatedMessage) {
        tray_.OnTaskbarCreated();
        return 0;
    }
    return platform_.window.DefWindowProc(hubWindow_.Handle(), message, wParam, lParam);
}

// The messages of the handset's threads and of the sound parts; false for any other.
bool Hub::OnHandsetMessage(unsigned message, WParam wParam, LParam lParam) {
    switch (message) {
        case HUBM_KEY_DOWN:
        case HUBM_KEY_UP:
        case HUBM_MCU_KEY:
        case HUBM_MCU_ACTION:
            filter_.OnMessage(message, wParam, lParam);
            return true;
        case HUBM_AM_DIALOGUE_END:
            display_.Command(McuCommand::CallEnded, 0);
            filter_.OnMessage(HUBM_MCU_ACTION, 0, 0);
            return true;
        case HUBM_MCU_READY:
            reactions_.OnMcuReady(wParam == static_cast<WParam>(McuReady::Gbox));
            return true;
        case HUBM_MCU_EVENT:
            // Every report is acknowledged but an empty call-contact request.
            if (wParam != static_cast<WParam>(McuRequest::CallContact))
                display_.Command(McuCommand::Acknowledge, 0);
            return true;
        case HUBM_MCU_REQUEST:
            keys_.OnMcuRequest(static_cast<McuRequest>(wParam), lParam);
            return true;
        case HUBM_AUDIO_BUTTONS:
            reactions_.OnAudioButtons(static_cast<unsigned>(wParam));
            return true;
        case HUBM_SPEAKER_UNMUTE: {
            std::uint32_t unmuted = 0;
            mixer_.SpeakerMute(true, unmuted);
            return true;
        }
        case HUBM_PLAYBACK_DONE:
            actions_.FinishCurrentCall(false);
            return true;
        default:
            return false;
    }
}

std::uint32_t PairArrivals(std::int64_t& audioArrivalTime, std::int64_t& hidArrivalTime) {
    if (audioArrivalTime <= 0 || hidArrivalTime <= 0) return 0;
    std::int64_t d = hidArrivalTime - audioArrivalTime;
    if (d < 0) d = -d;
    if (d > 15) return 0;
    audioArrivalTime = hidArrivalTime = 0;
    return d <= 1 ? kReinitSoonMs : kReinitLaterMs;
}

LResult Hub::Handle(unsigned message, WParam wParam, LParam lParam) {
    switch (message) {
        case wm::kCreate:
            return OnCreate();
        case wm::kDestroy:
            return OnDestroy();
        case wm::kTimer:
            OnTimer(wParam);
            return 0;
        case wm::kDeviceChange:
            // The window port tells the watched classes' arrivals and removals
            // (OnDeviceChange); the broadcast itself is answered as before.
            return 0;
        case HUBM_SKYPE_NOTIFY:
            OnSkypeNotify(wParam);
            return 0;
        case HUBM_SKYPE_ATTACHED:
            reactions_.OnClientAttached();
            return 0;
        case HUBM_TRAY:
            OnTray(lParam);
            return 0;
        default:
            break;
    }
    if (OnHandsetMessage(message, wParam, lParam)) return 0;
    if (message >= 0xC000 && message <= 0xFFFF) return OnRegisteredMessage(message, wParam, lParam);
    return platform_.window.DefWindowProc(hubWindow_.Handle(), message, wParam, lParam);
}

}  // namespace calvox
