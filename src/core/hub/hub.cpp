#include "hub/hub.h"

#include <cstring>

#include "sound/recording.h"
#include "hub/handset_setup.h"
#include "hub/hub_messages.h"
#include "calls/key_event_filter.h"
#include "shell/tray.h"
#include "sound/handset_mixer.h"
#include "calls/call_actions.h"
#include "calls/key_handler.h"
#include "handset/buzzer.h"
#include "handset/leds.h"
#include "handset/mcu_protocol.h"
#include "handset/usb_walk.h"
#include "calls/contact_display.h"
#include "client/notification_parser.h"
#include "client/transport.h"

namespace calvox {

namespace {

LResult OnCreate(App& app, Hwnd window) {
    HubState& hub = app.hub;
    Platform& platform = app.platform;
    hub.hubWindow = window;

    hub.trayTip = kDefaultProductTitle;
    DeviceTexts texts;
    SettingNotes notes;
    LoadDeviceSettings(platform, app.settings, texts, &notes);
    app.log.SetEnabled(app.settings.diagnosticLog != 0);
    app.log.Write("start, settings " + Quoted(GetSettingsPath(platform.files)) + ", handset " +
                  (app.settings.deviceVid == 0 && app.settings.devicePid == 0
                       ? std::string("any")
                       : DeviceIdText(app.settings.deviceVid, app.settings.devicePid)));
    hub.trayTip = texts.product;
    hub.connectIconPath = texts.connectIconPath;
    hub.disconnectIconPath = texts.disconnectIconPath;
    hub.scanMode = app.settings.scanMode;

    hub.deviceVid = app.settings.deviceVid;
    hub.devicePid = app.settings.devicePid;

    LoadVoiceMailSettings(platform, app.settings, true, &notes);
    for (const std::string& note : notes) app.log.Write(note);
    app.answeringMachine.BuildPrompts(app.settings);

    if (hub.scanMode == SCAN_2X2 || hub.scanMode == SCAN_1X8) {
        LedMasks masks = LedMasksFromKeyTable(app.settings.keyTable);
        hub.mutingMask = masks.muting;
        hub.callingMask = masks.calling;
    }

    LoadTrayIcons(app);
    TrayAdd(app, window, hub.trayTip, hub.disconnectIcon);

    for (int i = 0; i < REG_COUNT; ++i)
        hub.registeredMessages[i] = platform.window.RegisterWindowMessage(kRegisteredMessageTexts[i]);
    hub.taskbarCreatedMessage = platform.window.RegisterWindowMessage(kTaskbarCreated);

    hub.audioNotification =
        platform.window.RegisterDeviceInterfaceNotification(window, kAudioInterfaceClass);
    hub.hidClassGuid = platform.hid.GetHidGuid();
    hub.hidNotification =
        platform.window.RegisterDeviceInterfaceNotification(window, hub.hidClassGuid);

    BroadcastDiscover(app, window);

    hub.keyDownCount = 0;
    HandsetSetup(app, window, hub.scanMode, hub.deviceVid, hub.devicePid);
    ApplySkypeAudioDevices(app, window);

    StartBuzzerThread(app);
    app.device.SetBuzzerDuration(DurationMs(app.settings.buzzerDuration));
    return 0;
}

LResult OnDestroy(App& app, Hwnd window) {
    HubState& hub = app.hub;
    OpenCompanion(app, window, false);
    app.driverPlayer.StopAndRelease();
    app.answeringMachine.Stop();
    DestroyTrayIcons(app);
    if (app.soundPlayer) {
        app.soundPlayer->ReleaseDevice();
        app.soundPlayer.reset();
    }
    TrayRemove(app, window);
    SendMcuCommand(app, McuCommand::IdleScreen, 0);
    StopBuzzerThread(app);
    app.device.Close();
    app.mixer.Close();
    if (hub.audioNotification != 0)
        app.platform.window.UnregisterDeviceNotification(hub.audioNotification);
    if (hub.hidNotification != 0)
        app.platform.window.UnregisterDeviceNotification(hub.hidNotification);
    hub.audioNotification = hub.hidNotification = 0;
    // Texts still queued are never dispatched now.
    app.notificationCopies.clear();
    app.platform.window.PostQuitMessage(0);
    return 0;
}

void RunHandsetSetupAgain(App& app, Hwnd window) {
    app.hub.keyDownCount = 0;
    HandsetSetup(app, window, app.hub.scanMode, app.hub.deviceVid, app.hub.devicePid);
    ApplySkypeAudioDevices(app, window);
}

void OnKeyFloodCheck(App& app, Hwnd window) {
    HubState& hub = app.hub;
    app.platform.clock.KillTimer(window, TIMER_KEY_FLOOD);
    if (hub.keyDownCount > 10) {
        // So many presses in the first second: the keypad is read in the wrong mode.
        app.device.Close();
        int lower = 0;
        if (hub.scanMode == SCAN_4X5) lower = SCAN_4X4;
        else if (hub.scanMode == SCAN_2X3) lower = SCAN_2X2;
        if (lower != 0) {
            hub.scanMode = lower;
            HandsetSetup(app, window, hub.scanMode, hub.deviceVid, hub.devicePid);
        }
    }
    hub.keyDownCount = 0;
}

LResult OnTimer(App& app, Hwnd window, WParam id) {
    HubState& hub = app.hub;
    ClockPort& clock = app.platform.clock;
    if (hub.amPickupTimer != 0 && id == hub.amPickupTimer) {
        clock.KillTimer(window, hub.amPickupTimer);
        hub.amPickupTimer = 0;
        if (hub.ringing) {
            AnswerRingingCall(app, window);
            SwitchVoicemailRecording(app, window, true);
        }
    } else if (hub.ringBlinkTimer != 0 && id == hub.ringBlinkTimer) {
        RingBlinkTick(app);
    } else if (hub.muteBlinkTimer != 0 && id == hub.muteBlinkTimer) {
        MuteBlinkTick(app);
    } else if (id == TIMER_KEY_FLOOD) {
        OnKeyFloodCheck(app, window);
    } else if (id == TIMER_HANDSET_REINIT) {
        clock.KillTimer(window, TIMER_HANDSET_REINIT);
        RunHandsetSetupAgain(app, window);
    }
    return 0;
}

LResult OnDeviceChange(App& app, Hwnd window, WParam event, LParam lParam) {
    if (event != dbt::kDeviceArrival && event != dbt::kDeviceRemoveComplete) return 0;
    if (lParam == 0) return 0;
    DeviceBroadcastHeader header;
    std::memcpy(&header, reinterpret_cast<const void*>(lParam), sizeof header);
    if (header.deviceType != dbt::kDevTypDeviceInterface ||
        header.size < sizeof(DeviceInterfaceBroadcast))
        return 0;
    DeviceInterfaceBroadcast broadcast;
    std::memcpy(&broadcast, reinterpret_cast<const void*>(lParam), sizeof broadcast);
    HubState& hub = app.hub;
    bool audio = broadcast.classGuid == kAudioInterfaceClass;
    bool hid = broadcast.classGuid == hub.hidClassGuid;
    if (!audio && !hid) return 0;

    if (event == dbt::kDeviceRemoveComplete) {
        hub.keyDownCount = 0;
        app.mixer.Close();
        HandsetSetup(app, window, hub.scanMode, hub.deviceVid, hub.devicePid);
        ApplySkypeAudioDevices(app, window);
        return 0;
    }
    std::int64_t now = app.platform.clock.Now();
    if (audio) hub.audioArrivalTime = now;
    else hub.hidArrivalTime = now;
    if (std::uint32_t delay = PairArrivals(hub.audioArrivalTime, hub.hidArrivalTime))
        app.platform.clock.SetTimer(window, TIMER_HANDSET_REINIT, delay);
    return 0;
}

void OnMcuReady(App& app, WParam code) {
    HubState& hub = app.hub;
    app.device.SetMcuPresent(true);
    hub.gboxPresent = code == static_cast<WParam>(McuReady::Gbox);
    if (!app.settings.logoLine1.empty())
        SendMcuText(app, app.settings.logoLine1, McuCommand::LogoLine1);
    if (!app.settings.logoLine2.empty())
        SendMcuText(app, app.settings.logoLine2, McuCommand::LogoLine2);
    SendMcuCommand(app, McuCommand::IdleScreen, 0);
    if (hub.gboxPresent) SendVoiceMailSettingsToHandset(app);
    auto& indicators = app.indicators;
    indicators.missed =
        IndicatorValue(McuIndicator::MissedCall, app.directory.HasUnseenMissedCall());
    indicators.hold = IndicatorValue(McuIndicator::OnHold, app.directory.HasLiveHeldCall());
    indicators.conference =
        IndicatorValue(McuIndicator::Conference, app.directory.HasLiveConferenceCall());
    SendMcuCommand(app, McuCommand::Indicator, IndicatorValue(McuIndicator::Muted, hub.micMuted));
    SendMcuCommand(app, McuCommand::Indicator, static_cast<std::uint8_t>(indicators.missed));
    SendMcuCommand(app, McuCommand::Indicator,
                   IndicatorValue(McuIndicator::NewVoiceMail, NewVoicemailExists(app)));
    SendMcuCommand(app, McuCommand::Indicator, static_cast<std::uint8_t>(indicators.hold));
    SendMcuCommand(app, McuCommand::Indicator, static_cast<std::uint8_t>(indicators.conference));
    SendMcuCommand(app, McuCommand::OwnStatus, OwnStatusCode(hub.ownStatus));
}

void OnMixerLineChange(App& app, Hwnd window) {
    std::uint32_t muted = 0;
    if (!app.mixer.LineCommand(kDirectionRecording, "MICROPHONE", "GETMUTE", muted)) return;
    const int value = muted ? 1 : 0;
    if (value == app.hub.micMuted) return;
    SendMcuCommand(app, McuCommand::Indicator, IndicatorValue(McuIndicator::Muted, value != 0));
    app.hub.micMuted = value;
    UpdateMutingLed(app, window);
}

void OnMixerControlChange(App& app) {
    HandsetMixer& mixer = app.mixer;
    std::uint32_t volume = 0;
    int balance = 0;
    if (app.settings.rightAsRinger && mixer.GetMasterVolume(volume, balance)) {
        // At volume 0 both channels read back as balance 50; rewriting it
        // would only raise another change notice.
        const int wanted = app.hub.ringing ? 100 : 0;
        if (volume > 0 && balance != wanted) mixer.SetMasterVolume(volume, wanted);
    }
    const std::uint32_t minimum = ClampVolume(app.settings.minimumVolume);
    if (minimum != 0 && mixer.GetMasterVolume(volume, balance) && volume < minimum)
        mixer.SetMasterVolume(minimum, balance);
}

void OnSettingsChanged(App& app, Hwnd window) {
    int oldVoiceMail = app.settings.voiceMail;
    int oldCallRecord = app.settings.callRecord;
    LoadVoiceMailSettings(app.platform, app.settings, false);
    SendVoiceMailSettingsToHandset(app);
    if (app.settings.voiceMail != oldVoiceMail && oldVoiceMail != 0) {
        SwitchVoicemailRecording(app, window, false);
        // A call already ringing must not be picked up any more.
        if (app.hub.amPickupTimer != 0) {
            app.platform.clock.KillTimer(window, app.hub.amPickupTimer);
            app.hub.amPickupTimer = 0;
        }
    }
    if (app.settings.callRecord != oldCallRecord)
        SwitchCallRecording(app, window, app.settings.callRecord != 0);
}

LResult OnCompanionChanging(App& app, Hwnd window, unsigned message, WParam code, LParam lParam) {
    switch (code) {
        case VMS_SETTINGS_CHANGED:
            OnSettingsChanged(app, window);
            break;
        case VMS_MAKE_CALL:
            return MakeConfiguredCall(app, window);
        case VMS_DETACH:
            app.hub.companionWindow = 0;
            break;
        case VMS_MESSAGES_CHANGED:
            SendMcuCommand(app, McuCommand::Indicator,
                           IndicatorValue(McuIndicator::NewVoiceMail, NewVoicemailExists(app)));
            break;
        default:
            break;
    }
    return app.platform.window.DefWindowProc(window, message, code, lParam);
}

LResult OnCompanionDiscover(App& app, Hwnd window, unsigned message, WParam companion,
                            LParam lParam) {
    WindowPort& windows = app.platform.window;
    if (companion != 0 && windows.IsWindow(static_cast<Hwnd>(companion))) {
        app.hub.companionWindow = static_cast<Hwnd>(companion);
        windows.PostMessage(app.hub.companionWindow, app.hub.registeredMessages[REG_VM_ATTACH],
                            window, 0);
    }
    return windows.DefWindowProc(window, message, companion, lParam);
}

void OnMcuRequest(App& app, Hwnd window, WParam code, LParam data) {
    const auto request = static_cast<McuRequest>(code);
    if (request == McuRequest::CallContact) {
        if (data != 0)
            HandleKeyAction(app, window, static_cast<int>(McuAction::CallContact),
                            static_cast<int>(data), false);
    } else if (request == McuRequest::ShowCallState) {
        SendMcuCommand(app, McuCommand::OwnStatus, OwnStatusCode(app.hub.ownStatus));
        if (const CallRecord* call = app.hub.currentCall)
            SendMcuText(app, call->partnerDisplayName,
                        app.hub.ringing ? McuCommand::CallIncoming : McuCommand::CallTalking);
    } else if (request == McuRequest::ShowContact && data > 0) {
        const UserRecord* contact = app.directory.ContactAt(static_cast<std::size_t>(data - 1));
        if (contact != nullptr && !contact->displayName.empty())
            ShowContactGroup(
                app, *contact,
                contact->online ? McuCommand::ContactOnline : McuCommand::ContactOffline);
    }
}

LResult OnRegisteredMessage(App& app, Hwnd window, unsigned message, WParam wParam,
                            LParam lParam) {
    const auto& registered = app.hub.registeredMessages;
    if (message == registered[REG_VM_CHANGING])
        return OnCompanionChanging(app, window, message, wParam, lParam);
    if (message == registered[REG_VM_DISCOVER])
        return OnCompanionDiscover(app, window, message, wParam, lParam);
    if (message == registered[REG_SKYPE_ATTACH])
        return OnSkypeAttach(app, window, wParam, lParam);
    if (message == app.hub.taskbarCreatedMessage) {
        OnTaskbarCreated(app, window);
        return 0;
    }
    return app.platform.window.DefWindowProc(window, message, wParam, lParam);
}

}  // namespace

std::uint32_t PairArrivals(std::int64_t& audioArrivalTime, std::int64_t& hidArrivalTime) {
    if (audioArrivalTime <= 0 || hidArrivalTime <= 0) return 0;
    std::int64_t d = hidArrivalTime - audioArrivalTime;
    if (d < 0) d = -d;
    if (d > 15) return 0;
    audioArrivalTime = hidArrivalTime = 0;
    return d <= 1 ? kReinitSoonMs : kReinitLaterMs;
}

LResult HubWindowProc(App& app, Hwnd window, unsigned message, WParam wParam, LParam lParam) {
    switch (message) {
        case wm::kCreate:
            return OnCreate(app, window);
        case wm::kDestroy:
            return OnDestroy(app, window);
        case wm::kCopyData:
            return OnCopyData(app, window, wParam, lParam);
        case wm::kTimer:
            return OnTimer(app, window, wParam);
        case wm::kDeviceChange:
            return OnDeviceChange(app, window, wParam, lParam);
        case wm::kMixmLineChange:
            OnMixerLineChange(app, window);
            return 0;
        case wm::kMixmControlChange:
            OnMixerControlChange(app);
            return 0;
        case HUBM_SKYPE_NOTIFY:
            HandleNotification(app, window, TakeNotificationCopy(app, wParam));
            return 0;
        case HUBM_SKYPE_ATTACHED:
            OnSkypeAttached(app, window);
            return 0;
        case HUBM_SPEAKER_UNMUTE: {
            std::uint32_t unmuted = 0;
            app.mixer.SpeakerMute(true, unmuted);
            return 0;
        }
        case HUBM_AUDIO_BUTTONS:
            HandleAudioButtons(app, window, static_cast<unsigned>(wParam));
            if (wParam & 8) {
                ToggleMicMute(app);
                UpdateMutingLed(app, window);
            }
            return 0;
        case HUBM_KEY_DOWN:
        case HUBM_KEY_UP:
        case HUBM_MCU_KEY:
        case HUBM_MCU_ACTION:
            KeyEventFilter(app, window, message, wParam, lParam);
            return 0;
        case HUBM_AM_DIALOGUE_END:
            SendMcuCommand(app, McuCommand::CallEnded, 0);
            KeyEventFilter(app, window, HUBM_MCU_ACTION, 0, 0);
            return 0;
        case HUBM_MCU_READY:
            OnMcuReady(app, wParam);
            return 0;
        case HUBM_MCU_EVENT:
            // Every report is acknowledged but an empty call-contact request.
            if (wParam != static_cast<WParam>(McuRequest::CallContact))
                SendMcuCommand(app, McuCommand::Acknowledge, 0);
            return 0;
        case HUBM_MCU_REQUEST:
            OnMcuRequest(app, window, wParam, lParam);
            return 0;
        case HUBM_PLAYBACK_DONE:
            FinishCurrentCall(app, window, false);
            return 0;
        case HUBM_TRAY:
            OnTrayMessage(app, window, lParam);
            return 0;
        default:
            break;
    }
    if (message >= 0xC000 && message <= 0xFFFF)
        return OnRegisteredMessage(app, window, message, wParam, lParam);
    return app.platform.window.DefWindowProc(window, message, wParam, lParam);
}

}  // namespace calvox
