// Commands to the handset's microcontroller: display texts, indicators, digits.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "config/settings.h"
#include "handset/handset_device.h"
#include "handset/mcu_commands.h"
#include "platform/clock_port.h"

namespace calvox {

inline constexpr unsigned kMcuCommandPauseMs = 100;
inline constexpr unsigned kMcuTextPairPauseMs = 5;
// The number-entry line holds at most this many digits.
inline constexpr std::size_t kNumberEntryChars = 32;

// One MCU command with its data, or a text transfer when `text` is set.
struct McuCommandItem {
    McuCommand command = McuCommand::IdleScreen;
    std::uint8_t value = 0;
    bool isText = false;
    std::string text;
};

// The commands that pass the voicemail settings to the handset, in order.
std::vector<McuCommandItem> VoiceMailSettingsCommands(const Settings& settings);

// The microcontroller's display as the program drives it, with the number
// line it echoes the client's digits on. Any command outside number entry
// ends that line first, so the line lives here with the sender.
class McuDisplay {
public:
    McuDisplay(HandsetDevice& device, ClockPort& clock) : device_(device), clock_(clock) {}

    // What else goes when the number line is cleared (the client's address bar).
    void SetOnClear(std::function<void()> onClear) { onClear_ = std::move(onClear); }

    // False when nothing was written: no microcontroller, or the write failed.
    bool Command(McuCommand command, std::uint8_t value);
    void Digit(std::uint8_t ch);
    void Text(const std::string& text, McuCommand command);
    // The idle screen, with the number line and the address bar emptied.
    void Clear();
    void SendVoiceMailSettings(const Settings& settings);

    // The number line: a digit the client typed, echoed (the line starts on
    // the first); forgetting it keeps the display as it is.
    void EchoDigit(char ch);
    void ForgetNumberEntry() { numberEntry_.clear(); }
    bool NumberEntryActive() const { return numberEntryActive_; }
    const std::string& NumberEntry() const { return numberEntry_; }
    void SetNumberEntry(const std::string& digits, bool active) {
        numberEntry_ = digits;
        numberEntryActive_ = active;
    }

    // Which microcontroller answered: the voicemail box ("gbox") has its own dialogue.
    void SetGboxPresent(bool present) { gboxPresent_ = present; }
    bool GboxPresent() const { return gboxPresent_; }

private:
    void EndNumberEntry();
    bool Write(McuCommand command, std::uint8_t b3, std::uint8_t b4);

    HandsetDevice& device_;
    ClockPort& clock_;
    std::function<void()> onClear_;
    std::string numberEntry_;
    bool numberEntryActive_ = false;
    bool gboxPresent_ = false;
};

}  // namespace calvox
