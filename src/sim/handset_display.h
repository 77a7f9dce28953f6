// What the virtual handset shows: the texts, digits and indicators its
// microcontroller was sent, and its LED lines and buzzer, drawn as a small
// display for the interactive mode and the story.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>

#include "handset/mcu_commands.h"

namespace calvox::sim {

// A text the display holds, with the words a user reads it by.
std::string McuTextLabel(McuCommand command);
// An indicator by what it tells ("missed call").
std::string IndicatorName(McuIndicator indicator);
// A status code of the client in words ("online"), or "status N".
std::string PresenceWords(const std::string& clientWord, int code);

class HandsetDisplay {
public:
    // One output report as written (bytes 1-4).
    void Feed(const std::array<std::uint8_t, 4>& bytes);
    // The display in a frame, each line starting with two blanks.
    std::string Picture() const;

private:
    // Two characters of a text; the text ends with a report that has a zero.
    void FeedText(McuCommand command, std::uint8_t first, std::uint8_t second);
    void FeedCommand(McuCommand command, std::uint8_t value);

    std::map<McuCommand, std::string> texts_;
    int pendingCode_ = -1;
    std::string pending_;
    std::string digits_;
    bool numberEntry_ = false;
    std::array<bool, kMcuIndicatorCount> indicators_{};
    int ownStatus_ = 0;
    int contactNumber_ = -1;
    int contactStatus_ = -1;
    std::uint8_t gpioLevels_ = 0;
    std::uint8_t gpioMask_ = 0;
    bool buzzer_ = false;
};

}  // namespace calvox::sim
