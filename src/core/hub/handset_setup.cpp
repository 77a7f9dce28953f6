#include "hub/handset_setup.h"

#include "hub/hub_messages.h"
#include "shell/tray.h"
#include "sound/default_devices.h"
#include "handset/usb_walk.h"
#include "calls/call_reactions.h"

namespace calvox {

namespace {

const UsbDeviceEntry* ChooseHandset(const UsbDeviceList& list, std::uint16_t vendorId,
                                    std::uint16_t productId) {
    for (const UsbDeviceEntry& entry : list.Entries()) {
        if (entry.kind != kDeviceKindHandset) continue;
        if ((vendorId == 0 && productId == 0) ||
            (entry.vendorId == vendorId && entry.productId == productId))
            return &entry;
    }
    return nullptr;
}

void ApplyMixerLevels(App& app) {
    HandsetMixer& mixer = app.mixer;
    Settings& s = app.settings;
    std::uint32_t value = 0;
    mixer.LineCommand(kDirectionRecording, "MICROPHONE", "SETMUTE", value);

    int productClass = 0;
    if (app.device.QueryProductClass(productClass) && productClass == kProductClassHeadphoneSet) {
        // A headphone set: keep the microphone out of the earpiece, at full level.
        value = 1;
        mixer.LineCommand(kDirectionPlayback, "MICROPHONE", "SETMUTE", value);
        value = 0xFFFF;
        mixer.LineCommand(kDirectionRecording, "MICROPHONE", "SETVALUE", value);
        value = 0;
        mixer.LineCommand(kDirectionRecording, "MICROPHONE", "SETAGC", value);
    }

    if (s.changeDeviceGain) {
        // A one-shot request: cleared in the file before it is applied.
        s.changeDeviceGain = 0;
        WriteDeviceGainCleared(app.platform);
        if (s.changeMasterVol) mixer.SetMasterVolume(ConfiguredVolume(s.changeMasterVol), -1);
        if (s.changeRecMicVol > 0) {
            value = ClampVolume(s.changeRecMicVol);
            mixer.LineCommand(kDirectionRecording, "MICROPHONE", "SETVALUE", value);
        }
    }
}

// Why set-up found no handset: none on the USB passes the fingerprint, or
// those that do are not the ones the settings name.
void LogNoHandset(DiagnosticLog& log, const UsbDeviceList& handsets, std::uint16_t vendorId,
                  std::uint16_t productId) {
    if (!log.Enabled()) return;
    std::string seen;
    for (const UsbDeviceEntry& entry : handsets.Entries()) {
        // The walk meets a device once for each of its interfaces.
        if (seen.find(entry.name) == std::string::npos) seen += " " + entry.name;
    }
    if (seen.empty()) {
        log.Write("handset not found: no supported handset on the USB");
        return;
    }
    log.Write("handset not found: the settings ask for " + DeviceIdText(vendorId, productId) +
              ", the USB has" + seen);
}

}  // namespace

bool IsWindows2000(SystemPort& system) {
    OsVersion version;
    return system.GetVersion(version) && version.major == 5 && version.minor == 0;
}

void HandsetSetup(App& app, Hwnd hubWindow, int scanMode, std::uint16_t vendorId,
                  std::uint16_t productId) {
    Settings& s = app.settings;
    app.device.Close();
    app.mixer.Close();
    if (app.soundPlayer) app.soundPlayer->ReleaseDevice();
    app.driverPlayer.StopAndRelease();

    ResetHandsetMenu(app);
    app.hub.gboxPresent = false;
    TraySetIcon(app, hubWindow, app.hub.trayTip, app.hub.disconnectIcon);

    UsbDeviceList handsets;
    handsets.Walk(app.platform);
    const UsbDeviceEntry* entry = ChooseHandset(handsets, vendorId, productId);
    if (entry == nullptr) {
        LogNoHandset(app.log, handsets, vendorId, productId);
        return;
    }
    const auto entryVid = static_cast<std::uint16_t>(entry->vendorId);
    const auto entryPid = static_cast<std::uint16_t>(entry->productId);

    app.device.SetNotifyWindow(hubWindow);
    if (scanMode != SCAN_DEVICE_DEFAULT) app.device.SetScanMode(scanMode);
    app.device.SetGpioPullHigh(s.gpioPullHigh != 0);
    if (app.device.Open(entryVid, entryPid, entry->kind))
        app.log.Write(
            "handset found " + entry->name + ", reports in " +
            std::to_string(app.device.InputLength()) + " out " +
            std::to_string(app.device.OutputLength()) + " bytes" +
            (app.device.OpenFailure().empty() ? "" : " (" + app.device.OpenFailure() + ")"));
    else
        app.log.Write("handset not found: " + entry->name +
                      " is on the USB but no HID interface has its ids");

    app.platform.clock.SetTimer(hubWindow, TIMER_KEY_FLOOD, kKeyFloodPeriodMs);

    std::string name = "USB";
    std::string found;
    if (FindAudioEndpointName(app.platform, kRenderCategory, DeviceIdText(entryVid, entryPid),
                              found))
        name = found;

    const std::string wanted = name;
    const bool mixerOpen = app.mixer.OpenByName(hubWindow, name);
    app.mixer.GetName(name);
    app.log.Write(mixerOpen ? "mixer opened " + Quoted(name)
                            : "mixer not found: no mixer named like " + Quoted(wanted));

    ApplyMixerLevels(app);
    if (s.beDefaultAudio == 0)
        KeepHandsetNonDefault(app.platform.registry, app.platform.mixer, app.mixer);
    if (s.rightAsRinger) app.mixer.SetMasterVolume(-1, 0);
    if (IsWindows2000(app.platform.system)) {
        std::uint32_t full = 0xFFFF;
        app.mixer.LineCommand(kDirectionRecording, "LINE0", "SETVALUE", full);
    }
    if (s.firstMasterVolume) app.mixer.SetMasterVolume(ConfiguredVolume(s.firstMasterVolume), -1);
    if (s.micBoostOff) {
        std::uint32_t off = 0;
        app.mixer.LineCommand(kDirectionRecording, "LINE0", "SETAGC", off);
    }

    if (!app.soundPlayer) app.soundPlayer = std::make_unique<SoundPlayer>(app.platform, &app.log);
    app.soundPlayer->SetDevice(name);
    app.driverPlayer.Create();

    Hwnd client = app.hub.skypeApiWindow;
    if (client != 0 && app.platform.window.IsWindow(client) &&
        app.hub.ownStatus != OwnStatus::Offline)
        TraySetIcon(app, hubWindow, app.hub.trayTip, app.hub.connectIcon);
}

}  // namespace calvox
