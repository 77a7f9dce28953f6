#include "calls/call_reactions.h"

#include "sound/recording.h"
#include "hub/hub_messages.h"
#include "handset/leds.h"
#include "handset/mcu_protocol.h"
#include "client/notification_parser.h"
#include "client/profile.h"

namespace calvox {

namespace {

void SetIndicator(App& app, int& cached, int value) {
    if (value == cached) return;
    SendMcuCommand(app, McuCommand::Indicator, static_cast<std::uint8_t>(value));
    cached = value;
}

void KillPickupTimer(App& app, Hwnd hubWindow) {
    if (app.hub.amPickupTimer == 0) return;
    app.platform.clock.KillTimer(hubWindow, app.hub.amPickupTimer);
    app.hub.amPickupTimer = 0;
}

}  // namespace

void ReactToCurrentCall(App& app, Hwnd hubWindow, HandsetCallState state) {
    HubState& hub = app.hub;
    CallRecord* call = hub.currentCall;
    if (call == nullptr) return;
    const Settings& s = app.settings;

    if (state != HandsetCallState::CALLSTATE_INCOMING &&
        state != HandsetCallState::CALLSTATE_TALKING) {
        SwitchVoicemailRecording(app, hubWindow, false);
        SwitchCallRecording(app, hubWindow, false);
    }
    SendMcuText(app, call->partnerDisplayName, CallStateText(state));
    if (const UserRecord* contact = app.directory.FindContactByHandle(call->partnerHandle))
        SendMcuCommand(app, McuCommand::ContactNumber, static_cast<std::uint8_t>(contact->number));
    SendMcuText(app, call->partnerHandle, McuCommand::Handle);

    hub.ringing = state == HandsetCallState::CALLSTATE_INCOMING;
    if (!hub.gboxPresent && app.driverPlayer.IsPresent()) {
        if (hub.ringing && s.voiceMail && hub.amPickupTimer == 0) {
            app.platform.clock.SetTimer(hubWindow, TIMER_AM_PICKUP, PickupDelayMs(s.ring2Vm));
            hub.amPickupTimer = TIMER_AM_PICKUP;
        } else if (!hub.ringing) {
            KillPickupTimer(app, hubWindow);
        }
    }
    if (s.callRecord && state == HandsetCallState::CALLSTATE_TALKING &&
        !(hub.gboxPresent && s.callOut) && app.driverPlayer.IsIdle())
        SwitchCallRecording(app, hubWindow, true);
    RingerControl(app, hub.ringing);

    if (call->ended) hub.currentCall = nullptr;
    if (hub.uiMode != UiMode::Normal) {
        hub.uiMode = UiMode::Normal;
        app.directory.SetCallPosition(0);
        app.directory.SetContactPosition(-1);
    }
    UpdateCallingLed(app, hubWindow, state);
}

void RefreshCallIndicators(App& app) {
    SetIndicator(app, app.indicators.hold,
                 IndicatorValue(McuIndicator::OnHold, app.directory.HasLiveHeldCall()));
    SetIndicator(app, app.indicators.conference,
                 IndicatorValue(McuIndicator::Conference, app.directory.HasLiveConferenceCall()));
}

void RingerControl(App& app, bool ringing) {
    if (ringing && app.hub.ownStatus == OwnStatus::DoNotDisturb) return;
    if (app.settings.rightAsRinger) {
        if (ringing) {
            app.mixer.SetMasterVolume(-1, 100);
            if (app.soundPlayer && app.platform.mixer.GetDeviceCount() > 1) {
                FindRingtone(app);
                app.soundPlayer->Load(app.hub.hubWindow, app.ringtone);
                app.soundPlayer->Play(true);
            }
        } else {
            if (app.soundPlayer) app.soundPlayer->Stop();
            app.mixer.SetMasterVolume(-1, 0);
        }
        return;
    }
    if (ringing) app.device.BuzzerOn();
    else app.device.BuzzerOff();
}

void ResetSkypeState(App& app, Hwnd hubWindow) {
    HubState& hub = app.hub;
    SwitchVoicemailRecording(app, hubWindow, false);
    SwitchCallRecording(app, hubWindow, false);
    // A ringing call goes with the lists: so do its ringer, pick-up timer and
    // calling LED.
    if (hub.ringing) {
        RingerControl(app, false);
        KillPickupTimer(app, hubWindow);
    }
    if (hub.ringBlinkTimer != 0 || (hub.ledOutput & hub.callingMask) != 0)
        UpdateCallingLed(app, hubWindow, HandsetCallState::CALLSTATE_IDLE);
    hub.currentCall = nullptr;
    app.directory.DeleteAllContacts();
    app.directory.DeleteAllCalls();
    app.historicCallIds.Clear();
    hub.uiMode = UiMode::Normal;
    SendMcuCommand(app, McuCommand::IdleScreen, 0);
    app.numberEntry.clear();
    hub.ringing = false;
}

void ResetHandsetMenu(App& app) {
    app.hub.uiMode = UiMode::Normal;
    app.hub.micMuted = 0;
    app.hub.hookDown = false;
    app.hub.capsActive = false;
    app.directory.SetCallPosition(0);
    app.directory.SetContactPosition(-1);
}

}  // namespace calvox
