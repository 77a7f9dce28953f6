// Throughput of the notification parser on what the client sends, and the
// cost of filling a long contact list.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "client/notification_parser.h"
#include "hub/hub.h"
#include "support/null_platform.h"

namespace calvox::bench {
namespace {

using test::NullPlatform;

std::string Handle(int i) { return "contact." + std::to_string(i * 7919 % 100003); }

std::string UsersReply(int count) {
    std::string text = "USERS ";
    for (int i = 0; i < count; ++i) text += (i ? ", " : "") + Handle(i);
    return text;
}

// A realistic hour of traffic: call properties and statuses, presence changes,
// and one contact search of 1000 handles.
std::vector<std::string> TrafficMix() {
    std::vector<std::string> mix;
    for (int call = 0; call < 50; ++call) {
        const std::string id = std::to_string(1000 + call);
        mix.push_back("CALL " + id + " STATUS RINGING");
        mix.push_back("CALL " + id + " TIMESTAMP " + std::to_string(1161234567 + call * 60));
        mix.push_back("CALL " + id + " TYPE INCOMING_P2P");
        mix.push_back("CALL " + id + " PARTNER_DISPNAME Caller Number " + id);
        mix.push_back("CALL " + id + " PARTNER_HANDLE " + Handle(call));
        mix.push_back("CALL " + id + " CONF_ID 0");
        mix.push_back("CALL " + id + " SEEN TRUE");
        mix.push_back("CALL " + id + " STATUS RINGING");
        mix.push_back("CALL " + id + " STATUS INPROGRESS");
        mix.push_back("CALL " + id + " STATUS FINISHED");
        for (int u = 0; u < 20; ++u)
            mix.push_back("USER " + Handle(call * 20 + u) + " ONLINESTATUS " +
                          (u % 2 ? "ONLINE" : "AWAY"));
    }
    mix.push_back(UsersReply(1000));
    return mix;
}

// The hub's way in: the link's heap copy of the client's UTF-8 text.
void Notify(Hub& hub, const std::string& text) {
    std::unique_ptr<char[]> block(new char[text.size() + 1]);
    std::memcpy(block.get(), text.c_str(), text.size() + 1);
    hub.Reactions().OnClientEvents(hub.Parser().Parse(block.get()));
}

void BM_NotificationMix(benchmark::State& state) {
    NullPlatform platform;
    Hub hub(platform.ports);
    hub.Link().SetApiWindow(NullPlatform::kClient);
    for (int i = 0; i < 1000; ++i) hub.Directory().AddContact(Handle(i), "Name " + Handle(i));
    const std::vector<std::string> mix = TrafficMix();
    for (auto _ : state) {
        for (const std::string& text : mix) Notify(hub, text);
        state.PauseTiming();
        hub.Directory().DeleteAllCalls();
        hub.SharedCallState().currentCall = nullptr;
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(mix.size()));
    state.counters["notifications/s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * mix.size()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_NotificationMix)->Unit(benchmark::kMillisecond);

// Names in the order the client happens to send them (arg 1: pseudo-random)
// or already sorted (arg 1: 0).
std::string PersonName(int i, bool shuffled) {
    const int n = shuffled ? i * 7919 % 100003 : i;
    char text[16];
    std::snprintf(text, sizeof text, "%08d", n);
    return std::string("Person ") + text;
}

// The contact search of an attach: the handles, then each one's full name and
// presence.
void BM_FillContactList(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const bool shuffled = state.range(1) != 0;
    std::vector<std::string> replies;
    for (int i = 0; i < count; ++i)
        replies.push_back("USER " + Handle(i) + " FULLNAME " + PersonName(i, shuffled));
    const std::string users = UsersReply(count);
    for (auto _ : state) {
        NullPlatform platform;
        Hub hub(platform.ports);
        hub.Link().SetApiWindow(NullPlatform::kClient);
        Notify(hub, users);
        for (const std::string& text : replies) Notify(hub, text);
        for (int i = 0; i < count; ++i) Notify(hub, "USER " + Handle(i) + " ONLINESTATUS ONLINE");
        benchmark::DoNotOptimize(hub.Directory().ContactAt(0));
    }
    state.SetComplexityN(count);
}
BENCHMARK(BM_FillContactList)
    ->ArgsProduct({{1000, 10000, 20000}, {0, 1}})
    ->ArgNames({"contacts", "shuffled"})
    ->Unit(benchmark::kMillisecond);

// Many contacts sharing one display name, each with its presence.
void BM_ContactsSharingOneName(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        NullPlatform platform;
        Hub hub(platform.ports);
        hub.Link().SetApiWindow(NullPlatform::kClient);
        for (int i = 0; i < count; ++i) Notify(hub, "USER " + Handle(i) + " FULLNAME Same Name");
        for (int i = 0; i < count; ++i) Notify(hub, "USER " + Handle(i) + " ONLINESTATUS AWAY");
        benchmark::DoNotOptimize(hub.Directory().ContactAt(0));
    }
    state.SetComplexityN(count);
}
BENCHMARK(BM_ContactsSharingOneName)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// The call history replayed at attach: the two call searches, then each
// call's timestamp, the six follow-up replies and its final status. Arg 1:
// the replies arrive newest first (0), oldest first (1) or pseudo-random (2).
void BM_CallHistoryReplay(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const int order = static_cast<int>(state.range(1));
    std::string ids = "CALLS ";
    std::vector<std::string> replies;
    for (int i = 0; i < count; ++i) {
        const std::string id = std::to_string(100000 + i);
        ids += (i ? ", " : "") + id;
        int age = i;
        if (order == 1) age = count - 1 - i;
        if (order == 2) age = static_cast<int>(static_cast<std::int64_t>(i) * 7919 % count);
        const std::string call = "CALL " + id;
        replies.push_back(call + " TIMESTAMP " + std::to_string(1300000000 - age * 60));
        replies.push_back(call + " TYPE " + (i % 3 ? "INCOMING_P2P" : "OUTGOING_PSTN"));
        replies.push_back(call + " PARTNER_DISPNAME Caller " + std::to_string(i % 500));
        replies.push_back(call + " PARTNER_HANDLE " + Handle(i % 500));
        replies.push_back(call + " CONF_ID 0");
        replies.push_back(call + " SEEN TRUE");
        replies.push_back(call + " STATUS " + (i % 7 ? "FINISHED" : "MISSED"));
    }
    for (auto _ : state) {
        NullPlatform platform;
        Hub hub(platform.ports);
        hub.Link().SetApiWindow(NullPlatform::kClient);
        hub.Parser().SetSearchPhase(CallSearchPhase::SEARCH_ALL_CALLS);
        Notify(hub, ids);
        Notify(hub, "CALLS ");
        for (const std::string& text : replies) Notify(hub, text);
        benchmark::DoNotOptimize(hub.Directory().Calls().size());
    }
    state.SetComplexityN(count);
    state.counters["notifications/s"] =
        benchmark::Counter(static_cast<double>(state.iterations() * (replies.size() + 2)),
                           benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CallHistoryReplay)
    ->ArgsProduct({{1000, 10000, 20000}, {0, 1, 2}})
    ->ArgNames({"calls", "order"})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace calvox::bench
