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

std::string SettingText(const char* section, const char* key, const std::string& text) {
    return "setting [" + std::string(section) + "] " + key + "=" + text;
}

void Note(SettingNotes* notes, const char* section, const char* key, const std::string& text,
          const std::string& what) {
    if (notes != nullptr) notes->push_back(SettingText(section, key, text) + " " + what);
}

bool IsDecimal(const std::string& text) {
    std::size_t i = !text.empty() && text[0] == '-' ? 1 : 0;
    if (i == text.size()) return false;
    for (; i < text.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    return true;
}

// What the program does with an integer outside the values it uses.
enum class IntegerRange {
    Any,          // flags: any non-zero value is on
    NotNegative,  // durations: a negative one counts as 0
    Volume,       // mixer volumes 0-65535; 0 (and below) leaves the volume alone
    HandsetByte,  // passed to the handset in one byte
    PickupRings,  // RING2VM: the pick-up delay and a handset byte
};

std::string OutsideRange(IntegerRange range, int value) {
    const std::string handsetByte =
        "reaches the handset as " + std::to_string(static_cast<unsigned>(value) & 0xFFu);
    switch (range) {
        case IntegerRange::Any:
            break;
        case IntegerRange::NotNegative:
            if (value < 0) return "counts as 0";
            break;
        case IntegerRange::Volume:
            if (value < 0) return "counts as 0 (off)";
            if (value > 0xFFFF) return "counts as 65535";
            break;
        case IntegerRange::HandsetByte:
            if (value < 0 || value > 0xFF) return handsetByte;
            break;
        case IntegerRange::PickupRings:
            if (value < 0) return "counts as 0 rings and " + handsetByte;
            if (value > 0xFF) return handsetByte;
            break;
    }
    return {};
}

void ReadInt(Platform& platform, const char* section, const char* key, const std::string& path,
             int& value, IntegerRange range, SettingNotes* notes) {
    value = platform.profile.GetInt(section, key, value, path);
    if (notes == nullptr) return;
    const std::string text = platform.profile.GetString(section, key, path, kTextBufferSize);
    if (text.empty()) return;
    if (!IsDecimal(text)) Note(notes, section, key, text, "reads as " + std::to_string(value));
    const std::string outside = OutsideRange(range, value);
    if (!outside.empty()) Note(notes, section, key, text, outside);
}

void ReadKeyTable(Platform& platform, const char* section, const std::string& path, KeyTable& table,
                  SettingNotes* notes) {
    for (int n = 0; n < kKeySlots; ++n) {
        const std::string key = KeyName(n);
        std::string name;
        if (!ReadString(platform, section, key.c_str(), path, name)) continue;
        table[n] = KeyFunctionFromName(name);
        if (table[n] == KEY_UNKNOWN)
            Note(notes, section, key.c_str(), name, "names no key function: the key does nothing");
    }
}

bool IsHexWord(const std::string& text) {
    return !text.empty() && text.size() <= 4 && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isxdigit(static_cast<unsigned char>(c));
    });
}

void ReadHexWord(Platform& platform, const char* key, const std::string& path, std::uint16_t& value,
                 SettingNotes* notes) {
    std::string text;
    if (!ReadString(platform, "CUSTOMER", key, path, text)) return;
    value = ParseHexWord(text);
    if (!IsHexWord(text)) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%04X", static_cast<unsigned>(value));
        Note(notes, "CUSTOMER", key, text, std::string("reads as ") + digits);
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

namespace {

void ReadScanMode(Platform& platform, const std::string& path, Settings& s, SettingNotes* notes) {
    s.scanMode = MCU_MODE;
    std::string mode;
    if (!ReadString(platform, "SCANMODE", "MODE", path, mode)) return;
    s.scanMode = ScanModeFromText(mode);
    const bool named = mode.find(kScanModeNames[s.scanMode - 1]) != std::string::npos;
    if (!named)
        Note(notes, "SCANMODE", "MODE", mode, "names no scan mode: MCU_MODE is used");
    else if (mode != kScanModeNames[s.scanMode - 1])
        Note(notes, "SCANMODE", "MODE", mode,
             std::string("reads as ") + kScanModeNames[s.scanMode - 1]);
}

void ReadDeviceFlags(Platform& platform, const std::string& path, Settings& s,
                     SettingNotes* notes) {
    ReadInt(platform, "BUZZER", "ENABLE", path, s.buzzerEnable, IntegerRange::Any, notes);
    ReadInt(platform, "BUZZER", "DURATION", path, s.buzzerDuration, IntegerRange::NotNegative,
            notes);
    ReadInt(platform, "RIGHTASRINGER", "MODE", path, s.rightAsRinger, IntegerRange::Any, notes);
    ReadInt(platform, "ANYKEYANSWER", "MODE", path, s.anyKeyAnswer, IntegerRange::Any, notes);
    ReadInt(platform, "GPIOPULLHIGH", "MODE", path, s.gpioPullHigh, IntegerRange::Any, notes);
    ReadInt(platform, "CUSTOMER", "MINIMUMVOLUME", path, s.minimumVolume, IntegerRange::Volume,
            notes);
    ReadInt(platform, "CUSTOMER", "BEDEFAULTAUDIO", path, s.beDefaultAudio, IntegerRange::Any,
            notes);
    ReadInt(platform, "CUSTOMER", "FOCUSANDCONTINUE", path, s.focusAndContinue, IntegerRange::Any,
            notes);
    ReadInt(platform, "CUSTOMER", "FIRSTMASTERVOLUME", path, s.firstMasterVolume,
            IntegerRange::Volume, notes);
    ReadInt(platform, "CUSTOMER", "MICBOOSTOFF", path, s.micBoostOff, IntegerRange::Any, notes);
    ReadInt(platform, "CUSTOMER", "KEYUPMODE", path, s.keyUpMode, IntegerRange::Any, notes);
    ReadInt(platform, "CUSTOMER", "KEYCOMPOSITE", path, s.keyComposite, IntegerRange::Any, notes);
    ReadInt(platform, "CUSTOMER", "HIDETRAYICON", path, s.hideTrayIcon, IntegerRange::Any, notes);
    ReadInt(platform, "DIAGNOSTICS", "LOG", path, s.diagnosticLog, IntegerRange::Any, notes);
}

void SetVoiceMailDefaults(const std::string& moduleDir, Settings& s) {
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

void ReadPinAndCallOutNumber(Platform& platform, const std::string& path, Settings& s,
                             SettingNotes* notes) {
    // The profile reader gives no way to tell an absent key from any integer,
    // so read the text and scale it only when it is there.
    std::string product;
    if (ReadString(platform, "VM", "AMPRODUCT", path, product)) {
        int value = platform.profile.GetInt("VM", "AMPRODUCT", 0, path);
        s.pin = PinFromProduct(static_cast<std::uint32_t>(value));
        // The note leaves the value out: it gives the PIN away.
        const auto stored = static_cast<std::uint32_t>(value);
        if (notes != nullptr && (!IsDecimal(product) || stored % kPinScramblingFactor != 0 ||
                                 stored / kPinScramblingFactor > 9999))
            notes->push_back("setting [VM] AMPRODUCT is not a four-digit PIN times " +
                             std::to_string(kPinScramblingFactor));
    }
    std::string number;
    if (ReadString(platform, "VM", "CALLNUM", path, number)) {
        s.callOutCodes = CallOutCodesFromText(number);
        std::string kept;
        for (char c : number)
            if (std::isdigit(static_cast<unsigned char>(c)) || c == '*' || c == '#') kept += c;
        if (kept != number) Note(notes, "VM", "CALLNUM", number, "reads as " + kept);
    }
}

}  // namespace

void LoadDeviceSettings(Platform& platform, Settings& s, DeviceTexts& texts, SettingNotes* notes) {
    const std::string moduleDir = GetModuleDirectory(platform.files);
    const std::string path = JoinPath(moduleDir, kSettingsFileName);
    std::uint32_t attributes = platform.files.GetFileAttributes(path);
    if (attributes != kInvalidFileAttributes)
        platform.files.SetFileAttributes(path, attributes | kFileAttributeHidden);

    s.keyTable = DefaultKeyTable();
    ReadKeyTable(platform, "KEYDEFINE", path, s.keyTable, notes);
    s.capsKeyTable = DefaultCapsKeyTable();
    ReadKeyTable(platform, "CAPSKEYDEFINE", path, s.capsKeyTable, notes);

    ReadScanMode(platform, path, s, notes);
    ReadDeviceFlags(platform, path, s, notes);

    ReadString(platform, "LOGO", "LINE1", path, s.logoLine1);
    ReadString(platform, "LOGO", "LINE2", path, s.logoLine2);
    ReadString(platform, "CUSTOMER", "PRODUCT", path, texts.product);
    std::string icon;
    if (ReadString(platform, "CUSTOMER", "CONNECTICON", path, icon))
        texts.connectIconPath = IconPath(moduleDir, icon);
    if (ReadString(platform, "CUSTOMER", "DISCONNECTICON", path, icon))
        texts.disconnectIconPath = IconPath(moduleDir, icon);

    ReadInt(platform, "CUSTOMER", "CHANGEDEVICEGAIN", path, s.changeDeviceGain, IntegerRange::Any,
            notes);
    ReadInt(platform, "CUSTOMER", "CHANGEMASTERVOL", path, s.changeMasterVol, IntegerRange::Volume,
            notes);
    ReadInt(platform, "CUSTOMER", "CHANGERECMICVOL", path, s.changeRecMicVol, IntegerRange::Volume,
            notes);

    ReadHexWord(platform, "DEVICEVID", path, s.deviceVid, notes);
    ReadHexWord(platform, "DEVICEPID", path, s.devicePid, notes);
}

void LoadVoiceMailSettings(Platform& platform, Settings& s, bool firstTime, SettingNotes* notes) {
    if (firstTime) SetVoiceMailDefaults(GetModuleDirectory(platform.files), s);
    const std::string path = GetSettingsPath(platform.files);

    ReadInt(platform, "VM", "CALLOUT", path, s.callOut, IntegerRange::Any, notes);
    ReadInt(platform, "VM", "RING2CALLOUT", path, s.ring2CallOut, IntegerRange::HandsetByte, notes);
    ReadInt(platform, "VM", "VOICEMAIL", path, s.voiceMail, IntegerRange::Any, notes);
    ReadInt(platform, "VM", "RING2VM", path, s.ring2Vm, IntegerRange::PickupRings, notes);
    s.voicemailDelay = 2.0 * s.ring2Vm;
    ReadInt(platform, "VM", "VMDURATION", path, s.vmDuration, IntegerRange::NotNegative, notes);
    ReadInt(platform, "VM", "CALLRECORD", path, s.callRecord, IntegerRange::Any, notes);
    ReadInt(platform, "VM", "ENABLEAM", path, s.enableAm, IntegerRange::Any, notes);
    ReadInt(platform, "VM", "RING2AM", path, s.ring2Am, IntegerRange::HandsetByte, notes);

    ReadPinAndCallOutNumber(platform, path, s, notes);

    ReadString(platform, "VM", "VMFOLDER", path, s.vmFolder);
    ReadString(platform, "VM", "CRFOLDER", path, s.crFolder);
    ReadString(platform, "VM", "GREETING", path, s.greeting);
    std::string symbol;
    if (ReadString(platform, "VM", "SWITCHSYMBOL", path, symbol)) {
        s.switchSymbol = symbol[0];
        const char* used = symbol[0] == '#' ? "#" : "*";
        if (symbol != used)
            Note(notes, "VM", "SWITCHSYMBOL", symbol, std::string("counts as ") + used);
    }
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

std::string ReadConfiguredCallNumber(Platform& platform) {
    return platform.profile.GetString("VM", "MAKEACALL", GetSettingsPath(platform.files),
                                      kTextBufferSize);
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
