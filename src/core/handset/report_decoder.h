// What one input report of the handset means: the messages the reader posts.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/types.h"

namespace calvox {

struct PostedMessage {
    unsigned message;
    WParam wParam;
    LParam lParam;
    friend bool operator==(const PostedMessage&, const PostedMessage&) = default;
};

// Scan mode 0 follows from the product type: a headphone set scans 2x3,
// any other handset 4x5.
int ResolveScanMode(int scanMode, int productType);

// The GPIO reports the keypad scan writes: byte 2 / byte 3 of each step.
struct ScanStep {
    std::uint8_t levels;
    std::uint8_t mask;
};
struct ScanPattern {
    std::vector<ScanStep> steps;  // empty: no scan
    bool oneShot = false;         // write the first step once and end
};
ScanPattern ScanPatternFor(int scanMode);

// The reader's state across reports: key states, hold counts, MCU key counters.
class ReportDecoder {
public:
    ReportDecoder(int resolvedScanMode, bool gpioPullHigh);

    struct Result {
        std::vector<PostedMessage> messages;
        bool mcuHello = false;  // the MCU event must be signalled
    };
    // b1..b4 are bytes 1-4 of the report; `scanning` says whether a keypad
    // scan runs (GPIO keys are decoded only then).
    Result Decode(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3, std::uint8_t b4,
                  bool scanning);

private:
    void DecodeMatrix(std::uint8_t b2, Result& result);
    void DecodeDirect(std::uint8_t b2, int lines, Result& result);

    int mode_;
    bool pullHigh_;
    std::array<std::uint8_t, 20> keyState_{};
    std::array<std::uint32_t, 20> holdCount_{};
    std::array<std::int32_t, 64> mcuCounter_{};
};

}  // namespace calvox
