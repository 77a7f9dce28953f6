// Commands to the handset's microcontroller: display texts, indicators, digits.
#pragma once

#include <cstdint>
#include <string>

#include "app/app.h"

namespace calvox {

inline constexpr unsigned kMcuCommandPauseMs = 100;
inline constexpr unsigned kMcuTextPairPauseMs = 5;
// The number-entry line holds at most this many digits.
inline constexpr std::size_t kNumberEntryChars = 32;

// Each returns the write result, or 0 when no microcontroller is present.
int SendMcuCommand(App& app, std::uint8_t code, std::uint8_t value);
void SendMcuDigit(App& app, std::uint8_t ch);
void SendMcuText(App& app, const std::string& text, std::uint8_t code);
void ClearDisplay(App& app);

void SendVoiceMailSettingsToHandset(App& app);

}  // namespace calvox
