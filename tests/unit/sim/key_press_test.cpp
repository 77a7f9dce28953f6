#include "sim/key_press.h"

#include <gtest/gtest.h>

#include "config/settings.h"

namespace calvox::sim {
namespace {

struct PressCase {
    KeypadMode mode;
    int slot;
    std::vector<InputReport> reports;  // what the keypad's wiring sends
};

// Worked out from the keypads' wiring: the row the scan drives on the low
// lines, the key's column on the lines above them.
const PressCase kCases[] = {
    {{true, MCU_MODE, false}, 24, {{0x40, 0x18, 0, 0}}},
    // 4x5: rows on lines 0-2 (none driven: the fourth row), columns on 3-7.
    {{false, SCAN_4X5, false}, 7, {{0, 0x22, 0, 0}, {0, 0x02, 0, 0}}},
    {{false, SCAN_4X5, false}, 17, {{0, 0x20, 0, 0}, {0, 0x00, 0, 0}}},
    {{false, SCAN_4X5, false}, 20, {}},
    // 4x4: rows on lines 0-3, columns on 4-7.
    {{false, SCAN_4X4, false}, 13, {{0, 0x28, 0, 0}, {0, 0x08, 0, 0}}},
    // 2x3: line 0 high for the first row, low for the second; columns on 1-3.
    {{false, SCAN_2X3, false}, 4, {{0, 0x04, 0, 0}, {0, 0x00, 0, 0}}},
    {{false, SCAN_2X3, false}, 6, {}},
    // Direct keys: a line each; pulled high, a key pressed pulls its line low.
    {{false, SCAN_1X8, false}, 6, {{0, 0x40, 0, 0}, {0, 0x00, 0, 0}}},
    {{false, SCAN_2X2, true}, 1, {{0, 0x0D, 0, 0}, {0, 0x0F, 0, 0}}},
    {{false, SCAN_2X2, false}, 4, {}},
};

TEST(KeyPress, ReportsFollowTheKeypadOfEachMode) {
    for (const PressCase& c : kCases) {
        EXPECT_EQ(KeyPressReports(c.mode, c.slot), c.reports)
            << "scan mode " << c.mode.scanMode << ", slot " << c.slot;
    }
}

}  // namespace
}  // namespace calvox::sim
