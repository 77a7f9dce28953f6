// What the handset shows and does when the client's calls, contacts and
// status change, the ringer, the microcontroller's greeting, the microphone
// mute's notices, and the resets of the handset and of the link.
#include "calls/call_reactions.h"

#include "base/hub_messages.h"
#include "client/presence.h"

namespace calvox {

CallReactions::CallReactions(const CallReactionParts& p)
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
      mixer_(p.mixer),
      driverPlayer_(p.driverPlayer),
      soundPlayer_(p.soundPlayer),
      tray_(p.tray),
      actions_(p.actions),
      state_(p.state) {}

HandsetCallState HandsetCallStateFor(CallStatus status, CallType type) {
    switch (status) {
        case ROUTING:
        case EARLYMEDIA:
            return HandsetCallState::CALLSTATE_OUTGOING;
        case RINGING:
            return type == INCOMING_PSTN || type == INCOMING_P2P
                       ? HandsetCallState::CALLSTATE_INCOMING
                       : HandsetCallState::CALLSTATE_OUTGOING;
        case INPROGRESS:
        case ONHOLD:
            return HandsetCallState::CALLSTATE_TALKING;
        default:
            return HandsetCallState::CALLSTATE_IDLE;
    }
}

void CallReactions::OnClientEvents(const ClientEvents& events) {
    for (const ClientEvent& event : events) {
        switch (event.kind) {
            case ClientEventKind::CallStatusChanged:
                OnCallStatusChanged(event.call,
                                    HandsetCallStateFor(event.status, event.call->type));
                break;
            case ClientEventKind::MissedCallsChanged:
                UpdateMissedIndicator();
                break;
            case ClientEventKind::OwnStatusChanged:
                display_.Command(McuCommand::OwnStatus, OwnStatusCode(session_.Status()));
                break;
            case ClientEventKind::LoggedOut:
                OnLoggedOut();
                break;
            case ClientEventKind::CallsDropped:
                state_.currentCall = nullptr;
                break;
            case ClientEventKind::ContactPresenceChanged:
                if (state_.uiMode == UiMode::Normal) ShowPresenceChange(*event.contact);
                break;
            case ClientEventKind::ButtonReleased:
                OnClientButton(event.key);
                break;
        }
    }
}

void CallReactions::OnCallStatusChanged(CallRecord* call, HandsetCallState state) {
    if (state == HandsetCallState::CALLSTATE_INCOMING) actions_.FocusClient();
    if (state_.currentCall == nullptr && state != HandsetCallState::CALLSTATE_IDLE)
        state_.currentCall = call;
    if (state_.currentCall == call) ReactToCurrentCall(state);
    RefreshCallIndicators();
}

void CallReactions::OnLoggedOut() {
    ResetSkypeState();
    tray_.ShowConnected(false);
    display_.Command(McuCommand::OwnStatus, OwnStatusCode(OwnStatus::Offline));
}

void CallReactions::OnClientButton(const std::string& key) {
    if (key == "NO") {
        const CallRecord* call = state_.currentCall;
        if (call == nullptr || call->ended) {
            display_.ForgetNumberEntry();
            display_.Command(McuCommand::IdleScreen, 0);
        }
        return;
    }
    display_.EchoDigit(key[0]);
}

void CallReactions::ShowPresenceChange(const UserRecord& contact) {
    if (contact.displayName.empty()) return;
    display_.Text(contact.displayName,
                  contact.online ? McuCommand::NowOnline : McuCommand::NowOffline);
    display_.Command(McuCommand::ContactNumber, static_cast<std::uint8_t>(contact.number));
    display_.Command(McuCommand::ContactStatus, static_cast<std::uint8_t>(contact.status));
    display_.Text(contact.handle, McuCommand::Handle);
}

void CallReactions::SetIndicator(int& cached, int value) {
    if (value == cached) return;
    display_.Command(McuCommand::Indicator, static_cast<std::uint8_t>(value));
    cached = value;
}

void CallReactions::UpdateMissedIndicator() {
    SetIndicator(state_.indicators.missed,
                 IndicatorValue(McuIndicator::MissedCall, directory_.HasUnseenMissedCall()));
}

void CallReactions::RefreshCallIndicators() {
    SetIndicator(state_.indicators.hold,
                 IndicatorValue(McuIndicator::OnHold, directory_.HasLiveHeldCall()));
    SetIndicator(state_.indicators.conference,
                 IndicatorValue(McuIndicator::Conference, directory_.HasLiveConferenceCall()));
}

void CallReactions::KillPickupTimer() {
    if (!state_.pickupTimerSet) return;
    hubWindow_.KillTimer(TIMER_AM_PICKUP);
    state_.pickupTimerSet = false;
}

void CallReactions::ReactToCurrentCall(HandsetCallState state) {
    CallRecord* call = state_.currentCall;
    if (call == nullptr) return;
    const Settings& s = settings_;

    if (state != HandsetCallState::CALLSTATE_INCOMING &&
        state != HandsetCallState::CALLSTATE_TALKING) {
        actions_.SwitchVoicemailRecording(false);
        actions_.SwitchCallRecording(false);
    }
    display_.Text(call->partnerDisplayName, CallStateText(state));
    if (const UserRecord* contact = directory_.FindContactByHandle(call->partnerHandle))
        display_.Command(McuCommand::ContactNumber, static_cast<std::uint8_t>(contact->number));
    display_.Text(call->partnerHandle, McuCommand::Handle);

    state_.ringing = state == HandsetCallState::CALLSTATE_INCOMING;
    if (!display_.GboxPresent() && driverPlayer_.IsPresent()) {
        if (state_.ringing && s.voiceMail && !state_.pickupTimerSet) {
            hubWindow_.SetTimer(TIMER_AM_PICKUP, PickupDelayMs(s.ring2Vm));
            state_.pickupTimerSet = true;
        } else if (!state_.ringing) {
            KillPickupTimer();
        }
    }
    if (s.callRecord && state == HandsetCallState::CALLSTATE_TALKING &&
        !(display_.GboxPresent() && s.callOut) && driverPlayer_.IsIdle())
        actions_.SwitchCallRecording(true);
    RingerControl(state_.ringing);

    if (call->ended) state_.currentCall = nullptr;
    if (state_.uiMode != UiMode::Normal) {
        state_.uiMode = UiMode::Normal;
        directory_.SetCallPosition(0);
        directory_.SetContactPosition(-1);
    }
    leds_.UpdateCalling(state);
}

void CallReactions::RingerControl(bool ringing) {
    if (ringing && session_.Status() == OwnStatus::DoNotDisturb) return;
    if (settings_.rightAsRinger) {
        if (ringing) {
            mixer_.SetMasterVolume(-1, 100);
            if (soundPlayer_ && platform_.mixer.GetDeviceCount() > 1) {
                const std::string& ringtone = session_.RefreshRingtone();
                soundPlayer_->Load(ringtone);
                soundPlayer_->Play(true);
            }
        } else {
            if (soundPlayer_) soundPlayer_->Stop();
            mixer_.SetMasterVolume(-1, 0);
        }
        return;
    }
    if (ringing)
        device_.BuzzerOn();
    else
        device_.BuzzerOff();
}

void CallReactions::ResetSkypeState() {
    actions_.SwitchVoicemailRecording(false);
    actions_.SwitchCallRecording(false);
    // A ringing call goes with the lists: so do its ringer, pick-up timer and
    // calling LED.
    if (state_.ringing) {
        RingerControl(false);
        KillPickupTimer();
    }
    if (leds_.CallingShows()) leds_.UpdateCalling(HandsetCallState::CALLSTATE_IDLE);
    state_.currentCall = nullptr;
    directory_.DeleteAllContacts();
    directory_.DeleteAllCalls();
    historicIds_.Clear();
    state_.uiMode = UiMode::Normal;
    display_.Command(McuCommand::IdleScreen, 0);
    display_.ForgetNumberEntry();
    state_.ringing = false;
}

void CallReactions::ResetHandsetMenu() {
    state_.uiMode = UiMode::Normal;
    state_.micMuted = false;
    state_.hookDown = false;
    directory_.SetCallPosition(0);
    directory_.SetContactPosition(-1);
}

void CallReactions::OnClientAttached() {
    ResetSkypeState();
    actions_.ApplyAudioDevices();
    for (const char* command : {"PROTOCOL 10", "GET CURRENTUSERHANDLE", "GET CONNSTATUS",
                                "GET USERSTATUS", "SEARCH FRIENDS"})
        link_.Send(command);
    if (device_.IsFound()) tray_.ShowConnected(true);
}

void CallReactions::OnMcuReady(bool gbox) {
    device_.SetMcuPresent(true);
    display_.SetGboxPresent(gbox);
    if (!settings_.logoLine1.empty()) display_.Text(settings_.logoLine1, McuCommand::LogoLine1);
    if (!settings_.logoLine2.empty()) display_.Text(settings_.logoLine2, McuCommand::LogoLine2);
    display_.Command(McuCommand::IdleScreen, 0);
    if (gbox) display_.SendVoiceMailSettings(settings_);
    auto& indicators = state_.indicators;
    indicators.missed = IndicatorValue(McuIndicator::MissedCall, directory_.HasUnseenMissedCall());
    indicators.hold = IndicatorValue(McuIndicator::OnHold, directory_.HasLiveHeldCall());
    indicators.conference =
        IndicatorValue(McuIndicator::Conference, directory_.HasLiveConferenceCall());
    display_.Command(McuCommand::Indicator, IndicatorValue(McuIndicator::Muted, state_.micMuted));
    display_.Command(McuCommand::Indicator, static_cast<std::uint8_t>(indicators.missed));
    display_.Command(McuCommand::Indicator,
                     IndicatorValue(McuIndicator::NewVoiceMail, actions_.NewVoicemailExists()));
    display_.Command(McuCommand::Indicator, static_cast<std::uint8_t>(indicators.hold));
    display_.Command(McuCommand::Indicator, static_cast<std::uint8_t>(indicators.conference));
    display_.Command(McuCommand::OwnStatus, OwnStatusCode(session_.Status()));
}

void CallReactions::OnAudioButtons(unsigned buttons) {
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
        actions_.ToggleMicMute();
        leds_.UpdateMuting(state_.micMuted);
    }
}

void CallReactions::OnMicMuteChanged(bool muted) {
    if (muted == state_.micMuted) return;
    display_.Command(McuCommand::Indicator, IndicatorValue(McuIndicator::Muted, muted));
    state_.micMuted = muted;
    leds_.UpdateMuting(muted);
}

bool CallReactions::OnTimer(std::uintptr_t id) {
    if (!state_.pickupTimerSet || id != TIMER_AM_PICKUP) return false;
    KillPickupTimer();
    if (state_.ringing) {
        actions_.AnswerRingingCall();
        actions_.SwitchVoicemailRecording(true);
    }
    return true;
}

void CallReactions::OnVoiceMailSettingsChanged() {
    const int oldVoiceMail = settings_.voiceMail;
    const int oldCallRecord = settings_.callRecord;
    LoadVoiceMailSettings(platform_, settings_, false);
    display_.SendVoiceMailSettings(settings_);
    if (settings_.voiceMail != oldVoiceMail && oldVoiceMail != 0) {
        actions_.SwitchVoicemailRecording(false);
        // A call already ringing must not be picked up any more.
        KillPickupTimer();
    }
    if (settings_.callRecord != oldCallRecord)
        actions_.SwitchCallRecording(settings_.callRecord != 0);
}

}  // namespace calvox
