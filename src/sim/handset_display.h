// What the virtual handset shows: the texts, digits and indicators its
// microcontroller was sent, and its LED lines and buzzer. For the picture of
// the interactive mode.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace calvox::sim {

class HandsetDisplay {
public:
    // One output report as written (bytes 1-4).
    void Feed(const std::array<std::uint8_t, 4>& bytes);
    // A few lines of text, each starting with two blanks.
    std::string Picture() const;

private:
    std::map<int, std::string> texts_;  // by text command code
    int pendingCode_ = -1;
    std::string pending_;
    std::string digits_;
    bool numberEntry_ = false;
    std::array<bool, 5> indicators_{};
    int ownStatus_ = 0;
    int contactNumber_ = -1;
    int contactStatus_ = -1;
    std::uint8_t gpioLevels_ = 0;
    std::uint8_t gpioMask_ = 0;
    bool buzzer_ = false;
};

}  // namespace calvox::sim
