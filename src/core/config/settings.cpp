#include "config/settings.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <limits>

namespace calvox {

namespace {

constexpr const char* kScanModeNames[] = {"SCAN_4X4", "SCAN_4X5", "SCAN_2X2",
                                          "SCAN_2X3", "SCAN_1X8", "MCU_MODE"};

std::string JoinPath(const std::string& folder, const std::string& name) {
    return folder + "\\" + name;
}

std::string KeyName(int n) { return "KEY" + std::to_string(n); }

// Reads a string key into a 260-byte buffer; a key counts only when non-empty.
bool ReadString(Platform& platform, const char* section, const char* key,
                const std::string& path, std::string& value) {
    std::string text = platform.profile.GetString(section, key, path, kTextBufferSize);
    if (text.empty()) return false;
    value = std::move(text);
    return true;
}

void ReadInt(Platform& platform, const char* section, const char* key, const std::string& path,
             int& value) {
    value = platform.profile.GetInt(section, key, value, path);
}

void ReadKeyTable(Platform& platform, const char* section, const std::string& path,
                  KeyTable& table) {
    for (int n = 0; n < kKeySlots; ++n) {
        std::string name;
        if (ReadString(platform, section, KeyName(n).c_str(), path, name))
            table[n] = KeyFunctionFromName(name);
    }
}

// An icon file name from the settings becomes "<module>\Icons\<name>"; a
// path that does not fit the 260-byte buffer counts as no icon.
std::string IconPath(const std::string& moduleDir, const std::string& name) {
    std::string path;
    if (!CopyBounded(moduleDir + "\\Icons\\" + name, kTextBufferSize, path)) return {};
    return path;
}

}  // namespace

bool CopyBounded(const std::string& text, std::size_t bufferSize, std::string& out) {
    if (bufferSize == 0 || text.size() >= bufferSize) return false;
    out = text;
    return true;
}

std::string GetModuleDirectory(FilePort& files) {
    std::string path = files.GetModuleFileName();
    std::size_t slash = path.rfind('\\');
    if (slash == std::string::npos) return path;
    return path.substr(0, slash);
}

std::string GetSettingsPath(FilePort& files) {
    std::string path = JoinPath(GetModuleDirectory(files), kSettingsFileName);
    files.SetFileAttributes(path, kFileAttributeHidden | kFileAttributeNormal);
    return path;
}

std::uint16_t ParseHexWord(const std::string& text) {
    std::size_t n = std::min<std::size_t>(text.size(), 4);
    unsigned value = 0;
    for (std::size_t i = 0; i < n; ++i) {
        char c = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
        unsigned digit = 0;
        if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
        else if (c >= 'A' && c <= 'F') digit = static_cast<unsigned>(c - 'A' + 10);
        value = value * 16 + digit;
    }
    return static_cast<std::uint16_t>(value);
}

int ScanModeFromText(const std::string& text) {
    for (int i = 0; i < static_cast<int>(std::size(kScanModeNames)); ++i) {
        if (text.find(kScanModeNames[i]) != std::string::npos) return i + 1;
    }
    return MCU_MODE;
}

std::vector<std::uint8_t> CallOutCodesFromText(const std::string& text) {
    std::vector<std::uint8_t> codes;
    for (char c : text) {
        if (c >= '1' && c <= '9') codes.push_back(static_cast<std::uint8_t>(c - '0'));
        else if (c == '0') codes.push_back(11);
        else if (c == '*') codes.push_back(10);
        else if (c == '#') codes.push_back(12);
    }
    return codes;
}

std::string PinFromProduct(std::uint32_t product) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04u", product / kPinScramblingFactor);
    return buffer;
}

void LoadDeviceSettings(Platform& platform, Settings& s, DeviceTexts& texts) {
    const std::string moduleDir = GetModuleDirectory(platform.files);
    const std::string path = JoinPath(moduleDir, kSettingsFileName);
    std::uint32_t attributes = platform.files.GetFileAttributes(path);
    if (attributes != kInvalidFileAttributes)
        platform.files.SetFileAttributes(path, attributes | kFileAttributeHidden);

    s.keyTable = DefaultKeyTable();
    ReadKeyTable(platform, "KEYDEFINE", path, s.keyTable);
    s.capsKeyTable = DefaultCapsKeyTable();
    ReadKeyTable(platform, "CAPSKEYDEFINE", path, s.capsKeyTable);

    s.scanMode = MCU_MODE;
    std::string mode;
    if (ReadString(platform, "SCANMODE", "MODE", path, mode)) s.scanMode = ScanModeFromText(mode);

    ReadInt(platform, "BUZZER", "ENABLE", path, s.buzzerEnable);
    ReadInt(platform, "BUZZER", "DURATION", path, s.buzzerDuration);
    ReadInt(platform, "RIGHTASRINGER", "MODE", path, s.rightAsRinger);
    ReadInt(platform, "ANYKEYANSWER", "MODE", path, s.anyKeyAnswer);
    ReadInt(platform, "GPIOPULLHIGH", "MODE", path, s.gpioPullHigh);
    ReadInt(platform, "CUSTOMER", "MINIMUMVOLUME", path, s.minimumVolume);
    ReadInt(platform, "CUSTOMER", "BEDEFAULTAUDIO", path, s.beDefaultAudio);
    ReadInt(platform, "CUSTOMER", "FOCUSANDCONTINUE", path, s.focusAndContinue);
    ReadInt(platform, "CUSTOMER", "FIRSTMASTERVOLUME", path, s.firstMasterVolume);
    ReadInt(platform, "CUSTOMER", "MICBOOSTOFF", path, s.micBoostOff);
    ReadInt(platform, "CUSTOMER", "KEYUPMODE", path, s.keyUpMode);
    ReadInt(platform, "CUSTOMER", "KEYCOMPOSITE", path, s.keyComposite);
    ReadInt(platform, "CUSTOMER", "HIDETRAYICON", path, s.hideTrayIcon);
    ReadInt(platform, "DIAGNOSTICS", "LOG", path, s.diagnosticLog);

    ReadString(platform, "LOGO", "LINE1", path, s.logoLine1);
    ReadString(platform, "LOGO", "LINE2", path, s.logoLine2);
    ReadString(platform, "CUSTOMER", "PRODUCT", path, texts.product);
    std::string icon;
    if (ReadString(platform, "CUSTOMER", "CONNECTICON", path, icon))
        texts.connectIconPath = IconPath(moduleDir, icon);
    if (ReadString(platform, "CUSTOMER", "DISCONNECTICON", path, icon))
        texts.disconnectIconPath = IconPath(moduleDir, icon);

    ReadInt(platform, "CUSTOMER", "CHANGEDEVICEGAIN", path, s.changeDeviceGain);
    ReadInt(platform, "CUSTOMER", "CHANGEMASTERVOL", path, s.changeMasterVol);
    ReadInt(platform, "CUSTOMER", "CHANGERECMICVOL", path, s.changeRecMicVol);

    std::string id;
    if (ReadString(platform, "CUSTOMER", "DEVICEVID", path, id)) s.deviceVid = ParseHexWord(id);
    if (ReadString(platform, "CUSTOMER", "DEVICEPID", path, id)) s.devicePid = ParseHexWord(id);
}

void LoadVoiceMailSettings(Platform& platform, Settings& s, bool firstTime) {
    if (firstTime) {
        const std::string moduleDir = GetModuleDirectory(platform.files);
        s.callOut = 0;
        s.ring2CallOut = 6;
        s.callOutCodes.clear();
        s.voiceMail = 0;
        s.ring2Vm = 12;
        s.vmFolder = JoinPath(moduleDir, "VM");
        s.greeting = JoinPath(moduleDir, "Greeting.wav");
        s.vmDuration = 30;
        s.callRecord = 0;
        s.crFolder = JoinPath(moduleDir, "CR");
        s.companionPath = JoinPath(moduleDir, kCompanionFileName);
        s.enableAm = 0;
        s.pin = "4817";
        s.ring2Am = 6;
    }
    const std::string path = GetSettingsPath(platform.files);

    ReadInt(platform, "VM", "CALLOUT", path, s.callOut);
    ReadInt(platform, "VM", "RING2CALLOUT", path, s.ring2CallOut);
    ReadInt(platform, "VM", "VOICEMAIL", path, s.voiceMail);
    ReadInt(platform, "VM", "RING2VM", path, s.ring2Vm);
    s.voicemailDelay = 2.0 * s.ring2Vm;
    ReadInt(platform, "VM", "VMDURATION", path, s.vmDuration);
    ReadInt(platform, "VM", "CALLRECORD", path, s.callRecord);
    ReadInt(platform, "VM", "ENABLEAM", path, s.enableAm);
    ReadInt(platform, "VM", "RING2AM", path, s.ring2Am);

    // The profile reader gives no way to tell an absent key from any integer,
    // so read the text and scale it only when it is there.
    std::string product;
    if (ReadString(platform, "VM", "AMPRODUCT", path, product)) {
        int value = platform.profile.GetInt("VM", "AMPRODUCT", 0, path);
        s.pin = PinFromProduct(static_cast<std::uint32_t>(value));
    }
    std::string number;
    if (ReadString(platform, "VM", "CALLNUM", path, number))
        s.callOutCodes = CallOutCodesFromText(number);

    ReadString(platform, "VM", "VMFOLDER", path, s.vmFolder);
    ReadString(platform, "VM", "CRFOLDER", path, s.crFolder);
    ReadString(platform, "VM", "GREETING", path, s.greeting);
    std::string symbol;
    if (ReadString(platform, "VM", "SWITCHSYMBOL", path, symbol)) s.switchSymbol = symbol[0];
}

std::vector<McuCommandItem> VoiceMailSettingsCommands(const Settings& s) {
    std::vector<McuCommandItem> items;
    auto command = [&](std::uint8_t code, int value) {
        items.push_back({code, static_cast<std::uint8_t>(value), false, {}});
    };
    if (s.callOut) command(0x23, s.ring2CallOut);
    else command(0x24, 0);
    if (s.enableAm || s.voiceMail)
        command(0x25, static_cast<int>(std::min(static_cast<unsigned>(s.ring2Am),
                                                static_cast<unsigned>(s.ring2Vm))));
    else command(0x26, 0);
    if (s.voiceMail) command(0x27, s.ring2Vm);
    else command(0x28, 0);
    command(0x21, s.switchSymbol == '#' ? 12 : 10);
    if (!s.callOutCodes.empty()) {
        items.push_back({0x22, 0, true,
                         std::string(s.callOutCodes.begin(), s.callOutCodes.end())});
    }
    return items;
}

std::uint32_t DurationMs(int value) { return value < 0 ? 0u : static_cast<std::uint32_t>(value); }

std::uint16_t ClampVolume(int value) {
    return static_cast<std::uint16_t>(std::clamp(value, 0, 0xFFFF));
}

std::int64_t ConfiguredVolume(int value) { return value < 0 ? -1 : ClampVolume(value); }

std::uint32_t PickupDelayMs(int ring2Vm) {
    if (ring2Vm <= 0) return 0;
    return TimerPeriodMs(static_cast<std::uint64_t>(ring2Vm) * 2 * 1000);
}

void WriteCallRecord(Platform& platform, int callRecord) {
    platform.profile.WriteString("VM", "CALLRECORD", std::to_string(callRecord),
                                 GetSettingsPath(platform.files));
}

void WriteDeviceGainCleared(Platform& platform) {
    platform.profile.WriteString("CUSTOMER", "CHANGEDEVICEGAIN", "0",
                                 GetSettingsPath(platform.files));
}

namespace {
// A value must stay on its own line of the file.
std::string OneLine(std::string value) {
    std::replace(value.begin(), value.end(), '\r', ' ');
    std::replace(value.begin(), value.end(), '\n', ' ');
    return value;
}
}  // namespace

void WriteContactHandle(Platform& platform, std::size_t index, const std::string& handle) {
    platform.profile.WriteString("HANDLES", KeyName(static_cast<int>(index)), OneLine(handle),
                                 GetSettingsPath(platform.files));
}

void WriteContactCount(Platform& platform, std::size_t count) {
    platform.profile.WriteString("HANDLES", "COUNT", std::to_string(count),
                                 GetSettingsPath(platform.files));
}

void WriteDisplayName(Platform& platform, const std::string& handle, const std::string& name) {
    platform.profile.WriteString("DISPLAYNAME", OneLine(handle), OneLine(name),
                                 GetSettingsPath(platform.files));
}

}  // namespace calvox
