// A null platform with one handset plugged in: its output reports complete at
// once and each write is stamped, so a benchmark can time the way from an
// event to the first report the handset receives.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "handset/handset_device.h"
#include "hub/hub.h"
#include "support/null_platform.h"

namespace calvox::bench {

using BenchClock = std::chrono::steady_clock;

class BenchHandset : public test::NullPlatform {
public:
    static constexpr std::uint16_t kVendor = 0x1234, kProduct = 0x5678;
    static constexpr HidHandle kHandle = 7;

    std::vector<std::string> EnumerateHidInterfaces() override { return {"\\\\?\\hid#handset"}; }
    HidHandle OpenDevice(const std::string&) override { return kHandle; }
    bool GetAttributes(HidHandle, std::uint16_t& vid, std::uint16_t& pid) override {
        vid = kVendor;
        pid = kProduct;
        return true;
    }
    bool GetCaps(HidHandle, std::uint16_t& in, std::uint16_t& out) override {
        in = out = 5;
        return true;
    }
    bool Write(HidHandle, const std::vector<std::uint8_t>& report, std::uint32_t) override {
        if (reports++ > 0) return true;
        firstReport = BenchClock::now();
        firstBytes = report;
        return true;
    }
    WaitResult WaitEvent(EventHandle, std::uint32_t) override { return WaitResult::Signaled; }
    // The bytes of a command handed to the window port for the client.
    LResult SendCopyData(Hwnd, Hwnd, std::string_view bytes) override {
        if (commands++ == 0) {
            firstCommand = BenchClock::now();
            firstCommandText.assign(bytes);
        }
        return 1;
    }

    // Forgets the reports and commands so far; the next of each is stamped.
    void Mark() { reports = commands = 0; }

    std::size_t reports = 0;
    BenchClock::time_point firstReport;
    std::vector<std::uint8_t> firstBytes;
    std::size_t commands = 0;
    BenchClock::time_point firstCommand;
    std::string firstCommandText;
};

// The handset opened in MCU mode, as handset set-up leaves it.
inline void OpenHandset(Hub& hub) {
    hub.Device().SetScanMode(MCU_MODE);
    hub.Device().Open(BenchHandset::kVendor, BenchHandset::kProduct, kDeviceKindHandset);
}

// A text of the client, as the link hands it on, to the hub's side of the calls.
inline void Notify(Hub& hub, const std::string& text) {
    hub.Reactions().OnClientEvents(hub.Parser().ParseText(text));
}

// Median and 99th percentile of per-event latencies, in microseconds.
struct Percentiles {
    double p50 = 0, p99 = 0;
};
inline Percentiles LatencyPercentiles(std::vector<double> us) {
    if (us.empty()) return {};
    std::sort(us.begin(), us.end());
    return {us[us.size() / 2], us[std::min(us.size() - 1, us.size() * 99 / 100)]};
}

}  // namespace calvox::bench
