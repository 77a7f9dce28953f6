// The virtual handset from a test program: install (plug) and remove (unplug)
// the root-enumerated device with its per-test parameters, inject input
// reports and read the output reports the device received.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace wine_test {

struct HandsetConfig {
    std::uint16_t vendorId = 0x2BC7;
    std::uint16_t productId = 0x000E;
    unsigned inputLength = 5;   // report id byte included
    unsigned outputLength = 8;  // report id byte included
    std::string product = "Virtual USB Handset";
    unsigned mcuAnswer = 0x80;  // 0: no microcontroller
    unsigned totalLength = 253;
    unsigned interfaces = 4;
    bool externalHub = false;
};

struct OutputReport {
    double ms = 0;                    // arrival, in ms of the performance counter
    std::vector<std::uint8_t> bytes;  // report id byte first
};

class VirtualHandset {
public:
    VirtualHandset() = default;
    ~VirtualHandset();  // unplugs a plugged device
    VirtualHandset(const VirtualHandset&) = delete;
    VirtualHandset& operator=(const VirtualHandset&) = delete;

    // Writes the parameters and installs the device; true once its control
    // channel says it is started.
    bool Plug(const HandsetConfig& config);
    // Removes the device; true once it is gone.
    bool Unplug();
    bool Plugged();

    // One input report: report id 0, then the bytes, zero-padded to the
    // input length.
    bool Inject(std::initializer_list<std::uint8_t> bytes);
    // The output reports received since the last call, oldest first.
    std::vector<OutputReport> Take();
    // Takes reports into `log` (pumping this thread's messages) until
    // done(log) holds or the time is up.
    bool CollectUntil(std::vector<OutputReport>& log,
                      const std::function<bool(const std::vector<OutputReport>&)>& done,
                      DWORD timeoutMs);

    static double NowMs();

private:
    bool Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                 DWORD* returned = nullptr);
    HandsetConfig config_;
    bool installed_ = false;
};

// Bytes 1-4 of a report, the part Calvox writes, for compact comparisons.
std::vector<std::uint8_t> Body(const OutputReport& report);

}  // namespace wine_test
