// Latency of the program's own work from an event to what leaves it, on the
// null platform (its pauses return at once, so they are not counted).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "base/hub_messages.h"
#include "bench_handset.h"
#include "calls/key_event_filter.h"
#include "client/notification_parser.h"
#include "config/key_table.h"
#include "handset/report_decoder.h"

namespace calvox::bench {
namespace {

// "CALL n STATUS RINGING" for a known incoming call, to the first output
// report (the partner's name on the display).
void BM_NotificationToReport(benchmark::State& state) {
    BenchHandset platform;
    Hub hub(platform.ports);
    hub.Link().SetApiWindow(BenchHandset::kClient);
    OpenHandset(hub);
    std::vector<double> latencies;
    int id = 1000;
    for (auto _ : state) {
        const std::string call = "CALL " + std::to_string(++id);
        Notify(hub, call + " TIMESTAMP " + std::to_string(id));
        Notify(hub, call + " TYPE INCOMING_P2P");
        Notify(hub, call + " PARTNER_HANDLE caller" + std::to_string(id));
        Notify(hub, call + " PARTNER_DISPNAME Caller Number " + std::to_string(id));
        // The link's heap copy of the client's text, as the transport makes it.
        const std::string ringing = call + " STATUS RINGING";
        std::unique_ptr<char[]> block(new char[ringing.size() + 1]);
        ringing.copy(block.get(), ringing.size());
        block[ringing.size()] = '\0';
        platform.Mark();
        const auto start = BenchClock::now();
        hub.Reactions().OnClientEvents(hub.Parser().Parse(block.get()));
        // The partner's name on the display: MCU text command 0x05.
        if (platform.reports == 0 || platform.firstBytes[1] != 0x40 ||
            platform.firstBytes[2] != 0x85) {
            state.SkipWithError("the name did not reach the handset");
            break;
        }
        const double seconds = std::chrono::duration<double>(platform.firstReport - start).count();
        state.SetIterationTime(seconds);
        latencies.push_back(seconds * 1e6);
        Notify(hub, call + " STATUS FINISHED");
        // A long run must not measure a growing history.
        if (hub.Directory().Calls().size() > 1000) {
            hub.SharedCallState().currentCall = nullptr;
            hub.Directory().DeleteAllCalls();
        }
    }
    const Percentiles p = LatencyPercentiles(latencies);
    state.counters["p50_us"] = p.p50;
    state.counters["p99_us"] = p.p99;
}
BENCHMARK(BM_NotificationToReport)->UseManualTime()->Unit(benchmark::kMicrosecond);

// A key press of the handset while a call rings: its input report through the
// decoder, the key filter and the key handler to the command's bytes handed
// to the window port (with the default ANYKEYANSWER, "HOOK OFF").
void BM_KeyToCommand(benchmark::State& state) {
    constexpr std::uint8_t kHookKey = 0x0B;
    BenchHandset platform;
    Hub hub(platform.ports);
    hub.Link().SetApiWindow(BenchHandset::kClient);
    hub.CurrentSettings().keyTable[kHookKey] = HOOK_SWITCH;
    OpenHandset(hub);
    for (const char* line :
         {"CALL 77 TIMESTAMP 1161234567", "CALL 77 TYPE INCOMING_P2P", "CALL 77 STATUS RINGING"})
        Notify(hub, line);
    ReportDecoder decoder(MCU_MODE, false);
    std::vector<double> latencies;
    for (auto _ : state) {
        platform.Mark();
        const auto start = BenchClock::now();
        const ReportDecoder::Result result = decoder.Decode(0x40, kHookKey, 0x00, 0x00, false);
        for (const PostedMessage& m : result.messages) hub.Handle(m.message, m.wParam, m.lParam);
        if (platform.commands == 0) {
            state.SkipWithError("the key sent no command");
            break;
        }
        const double seconds = std::chrono::duration<double>(platform.firstCommand - start).count();
        state.SetIterationTime(seconds);
        latencies.push_back(seconds * 1e6);
    }
    const Percentiles p = LatencyPercentiles(latencies);
    state.counters["p50_us"] = p.p50;
    state.counters["p99_us"] = p.p99;
    state.SetLabel(platform.firstCommandText);
}
BENCHMARK(BM_KeyToCommand)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace calvox::bench
