// The event hub: the owner of the program's parts and the window procedure of
// the hidden window. Every event of the program arrives here as a message, is
// handled on this one thread and routed to the part it concerns.
#pragma once

#include <cstdint>
#include <memory>

#include "base/diagnostic_log.h"
#include "base/hub_window.h"
#include "calls/call_actions.h"
#include "calls/call_reactions.h"
#include "calls/call_state.h"
#include "calls/contact_display.h"
#include "calls/key_event_filter.h"
#include "calls/key_handler.h"
#include "client/historic_call_ids.h"
#include "client/notification_parser.h"
#include "client/skype_directory.h"
#include "client/transport.h"
#include "config/settings.h"
#include "handset/buzzer.h"
#include "handset/handset_device.h"
#include "handset/leds.h"
#include "handset/mcu_protocol.h"
#include "hub/hub_state.h"
#include "platform/platform.h"
#include "shell/companion.h"
#include "shell/tray.h"
#include "sound/answering_machine.h"
#include "sound/driver_wave_player.h"
#include "sound/handset_mixer.h"
#include "sound/sound_player.h"

namespace calvox {

class Hub {
public:
    explicit Hub(Platform& platform);
    Hub(const Hub&) = delete;
    Hub& operator=(const Hub&) = delete;

    // The window the hub runs on; its first message brings the handle.
    HubWindow& Window() { return hubWindow_; }
    // One message of the hidden window.
    LResult Handle(unsigned message, WParam wParam, LParam lParam);
    // A text the Skype client (or anyone) sent, already copied; what the sender gets back.
    LResult OnCopyData(Hwnd sender, std::string bytes);
    // The handset's mixer says a line or a control changed.
    void OnMixerChange(MixerChange change);

    // The parts, for tests and benchmarks that drive one of them.
    ClientLink& Link() { return link_; }
    NotificationParser& Parser() { return parser_; }
    CallState& SharedCallState() { return callState_; }
    CallActions& Actions() { return actions_; }
    CallReactions& Reactions() { return reactions_; }
    KeyFunctions& Keys() { return keys_; }
    SkypeDirectory& Directory() { return directory_; }
    HandsetDevice& Device() { return device_; }
    Settings& CurrentSettings() { return settings_; }

private:
    LResult OnCreate();
    void LoadConfiguration();
    void RegisterMessages();
    LResult OnDestroy();
    void SetUpHandset();
    void OpenHandset(const std::string& name, std::uint16_t vendorId, std::uint16_t productId,
                     int kind);
    std::string OpenHandsetMixer(std::uint16_t vendorId, std::uint16_t productId);
    void ApplyMixerSettings();
    void RunHandsetSetupAgain();
    void OnKeyFloodCheck();
    void OnTimer(WParam id);
    // A device interface of the handset's audio (audio) or HID class came or went.
    void OnDeviceChange(DeviceInterfaceChange change, bool audio);
    void OnMixerLineChange();
    void OnMixerControlChange();
    void OnSkypeNotify(WParam copyId);
    void OnSkypeAttach(WParam apiWindow, LParam status);
    LResult OnCompanionChanging(unsigned message, WParam code, LParam lParam);
    void OnTray(LParam mouseMessage);
    bool OnHandsetMessage(unsigned message, WParam wParam, LParam lParam);
    LResult OnRegisteredMessage(unsigned message, WParam wParam, LParam lParam);

    Platform& platform_;
    // Declared before everything that writes to it, so it is destroyed after them.
    DiagnosticLog log_;
    HubWindow hubWindow_;
    HubState state_;
    Settings settings_;
    HandsetDevice device_;
    HandsetMixer mixer_;
    DriverWavePlayer driverPlayer_;
    // Created by the first handset set-up that finds a handset, kept for the run.
    std::unique_ptr<SoundPlayer> soundPlayer_;
    AnsweringMachine answeringMachine_;
    McuDisplay display_;
    Leds leds_;
    BuzzerThread buzzer_;
    ClientLink link_;
    SkypeDirectory directory_;
    HistoricCallIds historicIds_;
    NotificationParser parser_;
    Tray tray_;
    CompanionLink companion_;
    ContactDisplay contacts_;
    ClientAutomation automation_;
    // The current call, ringing, browsing, hook and mute: what the three
    // parts below share.
    CallState callState_;
    CallActions actions_;
    CallReactions reactions_;
    KeyFunctions keys_;
    KeyEventFilter filter_;
};

// Arrival pairing of the handset's two interfaces: the re-initialisation delay
// to start, or 0 for none.
std::uint32_t PairArrivals(std::int64_t& audioArrivalTime, std::int64_t& hidArrivalTime);

}  // namespace calvox
