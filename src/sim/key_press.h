// The input reports that a press of one key of the handset sends, worked out
// with the program's own report decoder so that they mean to the reader what
// the handset's keypad would.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace calvox::sim {

using InputReport = std::array<std::uint8_t, 4>;  // bytes 1-4

// How the handset sends its keys.
struct KeypadMode {
    bool mcuKeys = true;    // key events of its microcontroller
    int scanMode = 0;       // otherwise: the resolved scan mode
    bool pullHigh = false;  // [GPIOPULLHIGH] MODE non-zero
};

// An MCU key event, or a keypad press and its release; empty when the
// keypad of this mode has no key in `slot`.
std::vector<InputReport> KeyPressReports(const KeypadMode& mode, int slot);

}  // namespace calvox::sim
