// Commands to the handset's microcontroller: display texts, indicators, digits.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hub/app.h"
#include "handset/mcu_commands.h"

namespace calvox {

inline constexpr unsigned kMcuCommandPauseMs = 100;
inline constexpr unsigned kMcuTextPairPauseMs = 5;
// The number-entry line holds at most this many digits.
inline constexpr std::size_t kNumberEntryChars = 32;

// True when the command was written, or when no microcontroller is present
// to take it.
bool SendMcuCommand(App& app, McuCommand command, std::uint8_t value);
void SendMcuDigit(App& app, std::uint8_t ch);
void SendMcuText(App& app, const std::string& text, McuCommand command);
void ClearDisplay(App& app);

// One MCU command with its data, or a text transfer when `text` is set.
struct McuCommandItem {
    McuCommand command = McuCommand::IdleScreen;
    std::uint8_t value = 0;
    bool isText = false;
    std::string text;
};
// The commands that pass the voicemail settings to the handset, in order.
std::vector<McuCommandItem> VoiceMailSettingsCommands(const Settings& settings);

void SendVoiceMailSettingsToHandset(App& app);

}  // namespace calvox
