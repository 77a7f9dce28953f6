// Throughput of the notification parser on what the client sends, and the
// cost of filling a long contact list.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/app.h"
#include "support/null_platform.h"
#include "skype/notification_parser.h"

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

// The hub's way in: a heap copy of the client's UTF-8 text, owned by the parser.
void Notify(App& app, const std::string& text) {
    char* block = new char[text.size() + 1];
    std::memcpy(block, text.c_str(), text.size() + 1);
    HandleNotification(app, 1, block);
}

void BM_NotificationMix(benchmark::State& state) {
    NullPlatform platform;
    App app(platform.ports);
    app.hub.skypeApiWindow = NullPlatform::kClient;
    for (int i = 0; i < 1000; ++i) app.directory.AddContact(Handle(i), "Name " + Handle(i));
    const std::vector<std::string> mix = TrafficMix();
    for (auto _ : state) {
        for (const std::string& text : mix) Notify(app, text);
        state.PauseTiming();
        app.directory.DeleteAllCalls();
        app.hub.currentCall = nullptr;
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(mix.size()));
    state.counters["notifications/s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * mix.size()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_NotificationMix)->Unit(benchmark::kMillisecond);

void BM_FillContactList(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    std::vector<std::string> replies;
    for (int i = 0; i < count; ++i)
        replies.push_back("USER " + Handle(i) + " FULLNAME Person " + Handle(i));
    const std::string users = UsersReply(count);
    for (auto _ : state) {
        NullPlatform platform;
        App app(platform.ports);
        app.hub.skypeApiWindow = NullPlatform::kClient;
        Notify(app, users);
        for (const std::string& text : replies) Notify(app, text);
        for (int i = 0; i < count; ++i) Notify(app, "USER " + Handle(i) + " ONLINESTATUS ONLINE");
        benchmark::DoNotOptimize(app.directory.Contacts().size());
    }
    state.SetComplexityN(count);
}
BENCHMARK(BM_FillContactList)->Arg(1000)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond)
    ->Complexity();

}  // namespace
}  // namespace calvox::bench

BENCHMARK_MAIN();
