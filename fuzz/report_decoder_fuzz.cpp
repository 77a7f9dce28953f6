// Input reports through the decoder in every scan mode. The first byte picks
// the mode (0-7: 0 resolves from the product type, 7 is out of range), the
// pull direction of the keypad lines and whether a scan runs; the rest are
// reports of four bytes, decoded in turn by one decoder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "handset/report_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const int mode = calvox::ResolveScanMode(data[0] & 7, (data[0] >> 6) & 1);
    calvox::ReportDecoder decoder(mode, (data[0] & 8) != 0);
    const bool scanning = (data[0] & 16) != 0;
    (void)calvox::ScanPatternFor(mode);
    for (std::size_t i = 1; i + 4 <= size; i += 4) {
        calvox::ReportDecoder::Result result =
            decoder.Decode(data[i], data[i + 1], data[i + 2], data[i + 3], scanning);
        // A report is one event of the handset: it never turns into a flood.
        if (result.messages.size() > 64) std::abort();
    }
    return 0;
}
