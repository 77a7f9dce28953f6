// Calvox.ini: every setting with its default, the readers and the write-backs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/key_table.h"
#include "platform/platform.h"

namespace calvox {

enum ScanMode : int {
    SCAN_DEVICE_DEFAULT = 0,  // keep the device's own mode
    SCAN_4X4 = 1,
    SCAN_4X5 = 2,
    SCAN_2X2 = 3,
    SCAN_2X3 = 4,
    SCAN_1X8 = 5,
    MCU_MODE = 6,
};

// USB vendor id that the handset maker's chips report. Change it here (or with
// CUSTOMER/DEVICEVID) for other hardware; see docs/settings.md.
inline constexpr std::uint16_t kDefaultDeviceVid = 0x2BC7;
inline constexpr std::uint16_t kDefaultDevicePid = 0x000E;

// AMPRODUCT holds the remote-access PIN times this factor; the companion
// program writes the key with the same factor.
inline constexpr std::uint32_t kPinScramblingFactor = 7919;

inline constexpr const char* kDefaultProductTitle = "Zorvik Quillon";
inline constexpr const char* kSettingsFileName = "Calvox.ini";
inline constexpr const char* kCompanionFileName = "Velmora.exe";

// Fixed text buffers of the settings file: 260 bytes, so 259 characters.
inline constexpr std::size_t kTextBufferSize = 260;

struct Settings {
    // Keypad and device.
    KeyTable keyTable = DefaultKeyTable();
    KeyTable capsKeyTable = DefaultCapsKeyTable();
    int scanMode = MCU_MODE;
    int buzzerEnable = 1;
    int buzzerDuration = 90;
    int rightAsRinger = 0;
    int anyKeyAnswer = 1;
    int gpioPullHigh = 0;

    // CUSTOMER.
    int minimumVolume = 0;
    int beDefaultAudio = 0;
    int focusAndContinue = 0;
    int firstMasterVolume = 0;
    int micBoostOff = 0;
    int keyUpMode = 0;
    int keyComposite = 0;
    int hideTrayIcon = 0;
    // DIAGNOSTICS: the log a user can send (off unless set).
    int diagnosticLog = 0;
    int changeDeviceGain = 0;
    int changeMasterVol = 0;
    int changeRecMicVol = 0;
    std::uint16_t deviceVid = kDefaultDeviceVid;
    std::uint16_t devicePid = kDefaultDevicePid;

    // LOGO.
    std::string logoLine1;
    std::string logoLine2;

    // VM, owned by the companion program.
    int callOut = 0;
    int ring2CallOut = 6;
    int voiceMail = 0;
    int ring2Vm = 12;
    double voicemailDelay = 24;  // seconds: one ring counts as two
    int vmDuration = 30;
    int callRecord = 0;
    int enableAm = 0;
    int ring2Am = 6;
    std::string pin = "4817";
    std::vector<std::uint8_t> callOutCodes;  // the handset's digit codes
    std::string vmFolder;
    std::string crFolder;
    std::string greeting;
    std::string companionPath;
    char switchSymbol = '*';
};

// What LoadDeviceSettings fills beyond Settings: the product title and the
// full paths of the two tray icon files (empty when not configured).
struct DeviceTexts {
    std::string product = kDefaultProductTitle;
    std::string connectIconPath;
    std::string disconnectIconPath;
};

// The executable's folder, without a trailing backslash.
std::string GetModuleDirectory(FilePort& files);
// "<module folder>\Calvox.ini"; every call also makes the file hidden and
// clears a read-only flag (attributes exactly 0x82).
std::string GetSettingsPath(FilePort& files);

std::uint16_t ParseHexWord(const std::string& text);
int ScanModeFromText(const std::string& text);
// One code byte per dial character: '1'-'9' 1-9, '0' 11, '*' 10, '#' 12;
// anything else is skipped.
std::vector<std::uint8_t> CallOutCodesFromText(const std::string& text);
// The PIN that AMPRODUCT stands for, as four digits.
std::string PinFromProduct(std::uint32_t product);

// One line for each setting that does not read as it is written (a name
// that names nothing, an id in the wrong form, a number outside what the
// program uses), for the diagnostic log.
using SettingNotes = std::vector<std::string>;

void LoadDeviceSettings(Platform& platform, Settings& settings, DeviceTexts& texts,
                        SettingNotes* notes = nullptr);
void LoadVoiceMailSettings(Platform& platform, Settings& settings, bool firstTime,
                           SettingNotes* notes = nullptr);

// Values used where integers from the file meet arithmetic.
std::uint32_t DurationMs(int value);  // a negative duration counts as 0
std::uint16_t ClampVolume(int value);
// A volume from the file for a mixer write: negative keeps the current volume (-1).
std::int64_t ConfiguredVolume(int value);
std::uint32_t PickupDelayMs(int ring2Vm);  // 2 s a ring, without overflow

// VM/MAKEACALL: the number the companion asks to call, read when it asks.
std::string ReadConfiguredCallNumber(Platform& platform);

// Write-backs.
void WriteCallRecord(Platform& platform, int callRecord);
void WriteDeviceGainCleared(Platform& platform);
// HANDLES/KEYn and HANDLES/COUNT, the contact list exported for other readers.
void WriteContactHandle(Platform& platform, std::size_t index, const std::string& handle);
void WriteContactCount(Platform& platform, std::size_t count);
void WriteDisplayName(Platform& platform, const std::string& handle, const std::string& name);

// Bounded copy into a fixed text buffer of `bufferSize` bytes; false (and
// `out` untouched) when the text does not fit.
bool CopyBounded(const std::string& text, std::size_t bufferSize, std::string& out);

}  // namespace calvox
