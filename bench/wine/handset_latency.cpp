// The time from a key's input report injected at the virtual handset to the
// peer client receiving the command the key sends, through the real HID
// stack and Calvox.exe under Wine (not a test: scripts/wine-latency.sh runs
// it). While a call rings every key answers it with "HOOK OFF", so each
// press is one measurement; p50/p99 over the presses, for a microcontroller
// key event and for a keypad matrix key found by the scan.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "calvox_fixture.h"
#include "virtual_handset.h"

namespace wine_test {
namespace {

constexpr int kPresses = 1000;

class HandsetLatency : public CalvoxTest {
protected:
    void TearDown() override {
        CalvoxTest::TearDown();
        handset.Unplug();
    }

    void Notify(const std::string& text) {
        ASSERT_EQ(SendCopyData(hidden, client.hwnd(), text), 1) << text;
    }

    // Starts Calvox with the handset and lets call 1 ring.
    void StartRinging(const HandsetConfig& config) {
        ASSERT_TRUE(handset.Plug(config));
        ASSERT_NO_FATAL_FAILURE(StartAttached());
        PumpFor(2500);  // the hello sequence and the key-flood second
        for (const char* text : {"CALL 1 TIMESTAMP 1161234500", "CALL 1 TYPE INCOMING_P2P",
                                 "CALL 1 PARTNER_HANDLE ab", "CALL 1 STATUS RINGING"})
            ASSERT_NO_FATAL_FAILURE(Notify(text));
        PumpFor(1500);
        handset.Take();
    }

    // Injects `press` (then `release`, if any) kPresses times; the times in
    // ms until "HOOK OFF" arrived, sorted.
    void Measure(std::initializer_list<std::uint8_t> press,
                 std::initializer_list<std::uint8_t> release, const char* what) {
        std::vector<double> ms;
        const std::vector<PeerEvent>& events = client.Events();
        for (int i = 0; i < kPresses; ++i) {
            const std::size_t before = events.size();
            const double start = VirtualHandset::NowMs();
            ASSERT_TRUE(handset.Inject(press));
            ASSERT_TRUE(PumpUntil(
                [&] {
                    return std::any_of(events.begin() + static_cast<std::ptrdiff_t>(before),
                                       events.end(), [](const PeerEvent& e) {
                                           return e.message == WM_COPYDATA && e.text == "HOOK OFF";
                                       });
                },
                3000))
                << "press " << i;
            ms.push_back(VirtualHandset::NowMs() - start);
            if (release.size() > 0) {
                ASSERT_TRUE(handset.Inject(release));
                PumpFor(40);
            }
            if (i % 100 == 99) handset.Take();  // keep the device's log small
        }
        std::sort(ms.begin(), ms.end());
        std::printf(
            "%s: key report at the device -> HOOK OFF at the client over %d presses: "
            "p50 %.1f ms, p99 %.1f ms, max %.1f ms\n",
            what, kPresses, ms[ms.size() / 2], ms[ms.size() * 99 / 100], ms.back());
        std::fflush(stdout);
    }

    VirtualHandset handset;
};

TEST_F(HandsetLatency, McuKey) {
    ASSERT_NO_FATAL_FAILURE(StartRinging({}));
    // MCU key event 7 (digit 1); the hub acknowledges each event first.
    Measure({0x40, 0x07, 0x00, 0x00}, {}, "MCU key");
    ASSERT_NO_FATAL_FAILURE(CloseCalvox());
}

TEST_F(HandsetLatency, ScanKey) {
    ASSERT_TRUE(folder.Write("Calvox.ini", "[SCANMODE]\r\nMODE=SCAN_4X5\r\n"));
    HandsetConfig config;
    config.mcuAnswer = 0;
    ASSERT_NO_FATAL_FAILURE(StartRinging(config));
    // Matrix key 7: row bit 1, column bit 5; released by the same row with no column.
    Measure({0x00, 0x22}, {0x00, 0x02}, "Scan key");
    ASSERT_NO_FATAL_FAILURE(CloseCalvox());
}

}  // namespace
}  // namespace wine_test
