#include "hub/handset_setup.h"

#include "base/hub_messages.h"
#include "handset/usb_walk.h"
#include "hub/hub.h"
#include "sound/default_devices.h"

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

void ApplyMixerLevels(Platform& platform, Settings& s, HandsetDevice& device, HandsetMixer& mixer) {
    std::uint32_t value = 0;
    mixer.LineCommand(kDirectionRecording, "MICROPHONE", "SETMUTE", value);

    int productClass = 0;
    if (device.QueryProductClass(productClass) && productClass == kProductClassHeadphoneSet) {
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
        WriteDeviceGainCleared(platform);
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

void Hub::OpenHandset(const std::string& name, std::uint16_t vendorId, std::uint16_t productId,
                      int kind) {
    if (state_.scanMode != SCAN_DEVICE_DEFAULT) device_.SetScanMode(state_.scanMode);
    device_.SetGpioPullHigh(settings_.gpioPullHigh != 0);
    if (device_.Open(vendorId, productId, kind))
        log_.Write("handset found " + name + ", reports in " +
                   std::to_string(device_.InputLength()) + " out " +
                   std::to_string(device_.OutputLength()) + " bytes" +
                   (device_.OpenFailure().empty() ? "" : " (" + device_.OpenFailure() + ")"));
    else
        log_.Write("handset not found: " + name +
                   " is on the USB but no HID interface has its ids");
    hubWindow_.SetTimer(TIMER_KEY_FLOOD, kKeyFloodPeriodMs);
}

// The handset's mixer by its endpoint's name; the name the mixer has.
std::string Hub::OpenHandsetMixer(std::uint16_t vendorId, std::uint16_t productId) {
    std::string name = "USB";
    std::string found;
    if (FindAudioEndpointName(platform_, kRenderCategory, DeviceIdText(vendorId, productId), found))
        name = found;
    const std::string wanted = name;
    const bool mixerOpen = mixer_.OpenByName(name);
    mixer_.GetName(name);
    if (mixerOpen)
        log_.Write("mixer opened " + Quoted(name));
    else if (!mixer_.OpenFailure().empty())
        log_.Write("mixer not opened: the mixer named like " + Quoted(wanted) + " failed (" +
                   mixer_.OpenFailure() + ")");
    else
        log_.Write("mixer not found: no mixer named like " + Quoted(wanted));
    return name;
}

void Hub::ApplyMixerSettings() {
    const Settings& s = settings_;
    ApplyMixerLevels(platform_, settings_, device_, mixer_);
    if (s.beDefaultAudio == 0) KeepHandsetNonDefault(platform_.registry, platform_.mixer, mixer_);
    if (s.rightAsRinger) mixer_.SetMasterVolume(-1, 0);
    if (IsWindows2000(platform_.system)) {
        std::uint32_t full = 0xFFFF;
        mixer_.LineCommand(kDirectionRecording, "LINE0", "SETVALUE", full);
    }
    if (s.firstMasterVolume) mixer_.SetMasterVolume(ConfiguredVolume(s.firstMasterVolume), -1);
    if (s.micBoostOff) {
        std::uint32_t off = 0;
        mixer_.LineCommand(kDirectionRecording, "LINE0", "SETAGC", off);
    }
}

void Hub::SetUpHandset() {
    device_.Close();
    mixer_.Close();
    if (soundPlayer_) soundPlayer_->ReleaseDevice();
    driverPlayer_.StopAndRelease();
    reactions_.ResetHandsetMenu();
    filter_.ResetCaps();
    display_.SetGboxPresent(false);
    tray_.ShowConnected(false);
    UsbDeviceList handsets;
    handsets.Walk(platform_);
    const UsbDeviceEntry* entry = ChooseHandset(handsets, state_.deviceVid, state_.devicePid);
    if (entry == nullptr) {
        LogNoHandset(log_, handsets, state_.deviceVid, state_.devicePid);
        return;
    }
    const auto entryVid = static_cast<std::uint16_t>(entry->vendorId);
    const auto entryPid = static_cast<std::uint16_t>(entry->productId);
    OpenHandset(entry->name, entryVid, entryPid, entry->kind);
    const std::string name = OpenHandsetMixer(entryVid, entryPid);
    ApplyMixerSettings();
    if (!soundPlayer_) soundPlayer_ = std::make_unique<SoundPlayer>(platform_, hubWindow_, &log_);
    soundPlayer_->SetDevice(name);
    driverPlayer_.Create();
    if (link_.IsAttached() && parser_.Status() != OwnStatus::Offline) tray_.ShowConnected(true);
}

}  // namespace calvox
