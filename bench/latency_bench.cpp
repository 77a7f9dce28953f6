// Latency of the program's own work from an event to what leaves it, on the
// null platform (its pauses return at once, so they are not counted).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench_handset.h"
#include "skype/notification_parser.h"

namespace calvox::bench {
namespace {

// "CALL n STATUS RINGING" for a known incoming call, to the first output
// report (the partner's name on the display).
void BM_NotificationToReport(benchmark::State& state) {
    BenchHandset platform;
    App app(platform.ports);
    app.hub.skypeApiWindow = BenchHandset::kClient;
    OpenHandset(app);
    std::vector<double> latencies;
    int id = 1000;
    for (auto _ : state) {
        const std::string call = "CALL " + std::to_string(++id);
        HandleNotificationText(app, 1, call + " TIMESTAMP " + std::to_string(id));
        HandleNotificationText(app, 1, call + " TYPE INCOMING_P2P");
        HandleNotificationText(app, 1, call + " PARTNER_HANDLE caller" + std::to_string(id));
        HandleNotificationText(app, 1,
                               call + " PARTNER_DISPNAME Caller Number " + std::to_string(id));
        // The hub's heap copy of the client's text, as the transport makes it.
        const std::string ringing = call + " STATUS RINGING";
        char* block = new char[ringing.size() + 1];
        ringing.copy(block, ringing.size());
        block[ringing.size()] = '\0';
        platform.Mark();
        const auto start = BenchClock::now();
        HandleNotification(app, 1, block);
        // The partner's name on the display: MCU text command 0x05.
        if (platform.reports == 0 || platform.firstBytes[1] != 0x40 ||
            platform.firstBytes[2] != 0x85) {
            state.SkipWithError("the name did not reach the handset");
            break;
        }
        const double seconds = std::chrono::duration<double>(platform.firstReport - start).count();
        state.SetIterationTime(seconds);
        latencies.push_back(seconds * 1e6);
        HandleNotificationText(app, 1, call + " STATUS FINISHED");
        // A long run must not measure a growing history.
        if (app.directory.Calls().size() > 1000) {
            app.hub.currentCall = nullptr;
            app.directory.DeleteAllCalls();
        }
    }
    const Percentiles p = LatencyPercentiles(latencies);
    state.counters["p50_us"] = p.p50;
    state.counters["p99_us"] = p.p99;
}
BENCHMARK(BM_NotificationToReport)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace calvox::bench
