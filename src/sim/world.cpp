#include "sim/world.h"

#include "base/hub_messages.h"
#include "config/settings.h"
#include "handset/handset_device.h"
#include "handset/report_decoder.h"
#include "sim/codepage.h"

namespace calvox::sim {

namespace {

constexpr const char* kMediaCategories = "SYSTEM\\CurrentControlSet\\Control\\MediaCategories\\";

}  // namespace

World::World(TraceWrite write)
    : clock(write),
      files(write, [this] { return clock.Now(); }),
      shell(write, files.disk()),
      observer(write),
      driver(write),
      client(write, desktop),
      companion(write, desktop),
      windows(WindowsHost{write, desktop, clock, client, companion, shell.Language()}),
      handsets(clock.threads(),
               HandsetHost{write,
                           [this] { return traceScan || clock.threads().CurrentName() != "scan"; },
                           [this](EventHandle e, std::uint32_t ms) {
                               return clock.threads().WaitEvent(e, ms);
                           }}),
      mixers(write),
      registry(write),
      sound(clock.MsRef(),
            SoundHost{write,
                      [this] {
                          std::vector<std::string> names(mixers.GetDeviceCount());
                          for (unsigned i = 0; i < names.size(); ++i)
                              mixers.GetDeviceName(i, names[i]);
                          return names;
                      },
                      [this](std::function<void()> body) {
                          clock.threads().StartThread("sound device", std::move(body));
                      },
                      [this](std::uint32_t ms) { clock.threads().WorkerSleep(ms); },
                      [this](EventHandle event) { clock.threads().SetEvent(event); }}) {}

Platform World::MakePlatform() {
    return Platform{windows, clock,    clock.threads(), files,    files,     shell,
                    system,  handsets, handsets,        handsets, registry,  system,
                    mixers,  driver,   sound,           files,    &observer, &observer};
}

void World::Complete() {
    files.StampWorldFiles(clock.Epoch());
    for (int i = 0; i < handsets.Count(); ++i) mixers.AttachHandset(i, handsets.Spec(i).audio);
}

void World::AddHandset(const HandsetSpec& spec) {
    const int i = handsets.Add(spec);
    registry.Set(RegistryHive::LocalMachine,
                 std::string(kMediaCategories) + GuidText(handsets.NameGuid(i)), "Name",
                 spec.audio);
}

void World::SendDeviceChange(DeviceInterfaceChange change, const Guid& classGuid) {
    windows.DeviceInterfaceChanged(change, classGuid);
}

void World::PlugHandset(int handset, bool plugged) {
    if (plugged) {
        handsets.Plug(handset);
        mixers.SetPresent(handset, true);
        SendDeviceChange(DeviceInterfaceChange::Arrived, kAudioInterfaceClass);
        SendDeviceChange(DeviceInterfaceChange::Arrived, handsets.GetHidGuid());
    } else {
        handsets.Unplug(handset);
        mixers.SetPresent(handset, false);
        SendDeviceChange(DeviceInterfaceChange::Removed, handsets.GetHidGuid());
        SendDeviceChange(DeviceInterfaceChange::Removed, kAudioInterfaceClass);
    }
}

std::string World::PlugRefusal(const ScriptLine& line) const {
    std::int64_t n = 1;
    if (!line.args.empty()) ParseNumber(line.args[0].text, n);
    const std::string which = "handset " + std::to_string(n);
    if (n < 1 || n > handsets.Count()) return "no " + which + " is declared";
    const bool plug = line.word == "plug";
    if (handsets.IsPlugged(static_cast<int>(n - 1)) == plug)
        return which + (plug ? " is already plugged in" : " is not plugged in");
    return {};
}

int World::HandsetOfStep() const {
    const int open = handsets.InUse();
    if (open >= 0) return open;
    for (int i = 0; i < handsets.Count(); ++i)
        if (handsets.IsPlugged(i)) return i;
    return -1;
}

std::string World::HandsetPicture() const {
    const int i = handsets.InUse();
    return i < 0 ? std::string() : handsets.DisplayPicture(i);
}

std::string World::KeyPress(const std::string& name, std::vector<InputReport>& reports) {
    const int function = KeyFunctionFromName(name);
    // The key table as the settings file gives it; the caps layer needs a
    // held CAPSLOCK key, which a press never leaves.
    int slot = -1;
    for (int n = 0; n < kKeySlots && slot < 0; ++n) {
        const std::string text =
            files.GetString("KEYDEFINE", "KEY" + std::to_string(n), kSettingsPath, kTextBufferSize);
        if ((text.empty() ? n : KeyFunctionFromName(text)) == function) slot = n;
    }
    if (slot < 0) return "no key of the handset has " + name;
    const int handset = HandsetOfStep();
    if (handset < 0) return "no handset is plugged in";
    const HandsetSpec& spec = handsets.Spec(handset);
    const std::string modeText =
        files.GetString("SCANMODE", "MODE", kSettingsPath, kTextBufferSize);
    const int scanMode = modeText.empty() ? MCU_MODE : ScanModeFromText(modeText);
    const std::string product = Utf16ToCp1252(spec.product);
    const int productType = product.find(kHeadphoneSetProduct) != std::string::npos
                                ? kProductHeadphoneSet
                                : kProductGeneric;
    // A microcontroller that answers the probe sends the keys in every mode.
    const KeypadMode mode{scanMode == MCU_MODE || spec.mcu.has_value(),
                          ResolveScanMode(scanMode, productType),
                          files.GetInt("GPIOPULLHIGH", "MODE", 0, kSettingsPath) != 0};
    reports = KeyPressReports(mode, slot);
    if (reports.empty())
        return "the keypad has no key in slot " + std::to_string(slot) + " (KEY" +
               std::to_string(slot) + "=" + name + ")";
    return {};
}

void World::SendText(Hwnd from, std::string bytes) {
    windows.SendCopyDataToHub(from, std::move(bytes));
}

bool World::ResolveMessage(const Token& token, unsigned& message, std::string& error) {
    if (token.quoted) {
        std::string text;
        Utf8ToCp1252(token.text, text);
        message = windows.RegisterWindowMessage(text);
        return true;
    }
    std::int64_t number;
    if (ParseNumber(token.text, number)) {
        message = static_cast<unsigned>(number);
        return true;
    }
    if (MessageByName(token.text, message)) return true;
    error = "unknown message '" + token.text + "'";
    return false;
}

bool World::ResolveParam(const Token& token, std::int64_t& value, std::string& error) const {
    if (ParseNumber(token.text, value)) return true;
    const std::string& r = token.text;
    Hwnd w = 0;
    if (r == "hub")
        w = windows.Hub();
    else if (r == "companion")
        w = companion.Window();
    else if (r == "other")
        w = desktop.other();
    else if (r == "dead")
        w = desktop.dead();
    else if (!client.RoleWindow(r, w)) {
        error = "unknown window role '" + r + "'";
        return false;
    }
    value = static_cast<std::int64_t>(w);
    return true;
}

}  // namespace calvox::sim
