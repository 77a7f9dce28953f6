// Figures of a real Calvox.exe under Wine, with this program as the Skype
// client (not a test: scripts/wine-bench.sh runs it; it takes minutes):
// the round trip from a notification sent by WM_COPYDATA to the follow-up
// query coming back, the idle CPU time over 60 s with no handset and the
// client attached, and the program's private memory.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "calvox_fixture.h"
// After <windows.h>, which the fixture brings.
#include <psapi.h>

namespace wine_test {
namespace {

double Seconds(const FILETIME& t) {
    ULARGE_INTEGER v;
    v.LowPart = t.dwLowDateTime;
    v.HighPart = t.dwHighDateTime;
    return static_cast<double>(v.QuadPart) / 1e7;
}

class Measure : public CalvoxTest {};

TEST_F(Measure, RoundTripIdleCpuAndMemory) {
    ASSERT_NO_FATAL_FAILURE(StartAttached());
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, calvox.id());
    ASSERT_NE(process, nullptr);

    // Each notification names a new call, so each brings back one query.
    constexpr int kNotifications = 10000;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> us;
    us.reserve(kNotifications);
    for (int i = 0; i < kNotifications; ++i) {
        const std::string id = std::to_string(100000 + i);
        // Events() is a reference: the loop must not copy what it received.
        const std::vector<PeerEvent>& events = client.Events();
        const std::size_t before = events.size();
        QueryPerformanceCounter(&start);
        ASSERT_EQ(SendCopyData(hidden, client.hwnd(), "CALL " + id + " STATUS RINGING"), 1);
        ASSERT_TRUE(PumpUntil(
            [&] {
                return std::any_of(events.begin() + static_cast<std::ptrdiff_t>(before),
                                   events.end(),
                                   [](const PeerEvent& e) { return e.message == WM_COPYDATA; });
            },
            3000))
            << id;
        QueryPerformanceCounter(&end);
        const auto reply =
            std::find_if(events.begin() + static_cast<std::ptrdiff_t>(before), events.end(),
                         [](const PeerEvent& e) { return e.message == WM_COPYDATA; });
        ASSERT_EQ(reply->text, "GET CALL " + id + " TIMESTAMP");
        us.push_back(static_cast<double>(end.QuadPart - start.QuadPart) * 1e6 /
                     static_cast<double>(frequency.QuadPart));
    }
    std::sort(us.begin(), us.end());
    std::printf("round trip over %d notifications: p50 %.1f us, p99 %.1f us, max %.1f us\n",
                kNotifications, us[us.size() / 2], us[us.size() * 99 / 100], us.back());
    std::fflush(stdout);

    FILETIME created, exited, kernel0, user0, kernel1, user1;
    ASSERT_TRUE(GetProcessTimes(process, &created, &exited, &kernel0, &user0));
    PumpFor(60000);
    ASSERT_TRUE(GetProcessTimes(process, &created, &exited, &kernel1, &user1));
    const double cpu = Seconds(kernel1) - Seconds(kernel0) + Seconds(user1) - Seconds(user0);
    std::printf("idle CPU over 60 s, no handset, client attached: %.3f s (%.3f %%)\n", cpu,
                cpu / 60.0 * 100.0);

    PROCESS_MEMORY_COUNTERS_EX memory{};
    ASSERT_TRUE(GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                                     sizeof memory));
    std::printf("private memory: %.1f MiB, working set %.1f MiB (after %d notifications)\n",
                static_cast<double>(memory.PrivateUsage) / 1048576.0,
                static_cast<double>(memory.WorkingSetSize) / 1048576.0, kNotifications);
    std::fflush(stdout);
    CloseHandle(process);
    ASSERT_NO_FATAL_FAILURE(CloseCalvox());
}

}  // namespace
}  // namespace wine_test
