// A long run of the program in the simulator: client notifications, handset
// keys and plug/unplug cycles in one run, in virtual time. The heap is
// sampled at the same point of every round; after a warm-up it must not grow
// beyond a small allowance, since each round ends with the call history
// cleared and the contact list stays within its fixed set of handles. At the
// end every worker thread of the program must have stopped. Under
// AddressSanitizer, leaks are reported when the process ends.
//
//   calvox_soak NOTIFICATIONS KEYS CYCLES   (CALVOX_SOAK_TRACE=1: print the trace)
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CALVOX_SOAK_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define CALVOX_SOAK_ASAN 1
#endif
#ifdef CALVOX_SOAK_ASAN
// From the sanitizer runtime (gcc ships no header for it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

#include "sim/script.h"
#include "sim/simulation.h"

namespace calvox::sim {
namespace {

std::size_t HeapInUse() {
#ifdef CALVOX_SOAK_ASAN
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

// The trace is not kept: a long run would only fill memory with it.
class NullBuffer : public std::streambuf {
protected:
    int overflow(int c) override { return c; }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

constexpr int kHandles = 500;
constexpr int kNotificationsPerRound = 1000;
const char* const kStatuses[] = {"ONLINE", "AWAY", "DND", "OFFLINE", "NA"};
// Keys of the handset's microcontroller: arrows, digits, hook, lists.
const std::uint8_t kKeys[] = {0x03, 0x04, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D};

// Generates the run one round at a time: each round is about a thousand
// notifications (calls that ring, are answered and end; presence changes,
// renames, removals and re-adds) with keys between them, ends with the call
// history changing, and every so many rounds the handset is unplugged and
// plugged again.
class SoakSteps : public StepSource {
public:
    SoakSteps(long notifications, long keys, long cycles)
        : notifications_(notifications), keys_(keys), cycles_(cycles) {
        rounds_ = std::max(1L, notifications / kNotificationsPerRound);
        keysPerRound_ = std::max(0L, keys / rounds_);
        cycleEvery_ = cycles > 0 ? std::max(1L, rounds_ / cycles) : 0;
    }

    bool Next(Step& step) override {
        if (pending_.empty() && !Refill()) return false;
        ScriptLine line;
        ParseError error;
        if (!ParseLine(pending_.back(), ++lineNo_, false, line, error)) {
            std::cerr << "calvox_soak: bad generated line: " << pending_.back() << ": "
                      << error.reason << '\n';
            std::exit(2);
        }
        pending_.pop_back();
        step = Step{std::move(line), {}};
        return true;
    }

    std::vector<std::size_t> samples;
    long sentNotifications = 0, sentKeys = 0, sentCycles = 0;

private:
    bool Refill() {
        if (round_ >= rounds_) return false;
        // The heap at the start of every round, where the tables are alike.
        samples.push_back(HeapInUse());
        std::vector<std::string> lines;
        long keysLeft = keysPerRound_;
        const long keyEvery = keysPerRound_ > 0 ? kNotificationsPerRound / keysPerRound_ : 0;
        auto notify = [&](const std::string& text) {
            lines.push_back("skype " + text);
            ++sentNotifications;
            if (keyEvery > 0 && keysLeft > 0 && sentNotifications % keyEvery == 0) {
                char report[32];
                std::snprintf(report, sizeof report, "report 40 %02x 00 00",
                              kKeys[sentKeys % std::size(kKeys)]);
                lines.push_back(report);
                ++sentKeys;
                --keysLeft;
            }
        };
        int n = 0;
        while (n < kNotificationsPerRound - 1) {
            const std::string id = std::to_string(1000 + callId_++);
            const std::string h = "soak" + std::to_string(callId_ % kHandles);
            for (const std::string& text :
                 {"CALL " + id + " TIMESTAMP " + std::to_string(1161234567 + callId_),
                  "CALL " + id + " TYPE INCOMING_P2P", "CALL " + id + " PARTNER_HANDLE " + h,
                  "CALL " + id + " PARTNER_DISPNAME Caller " + h, "CALL " + id + " STATUS RINGING",
                  "CALL " + id + " STATUS INPROGRESS", "CALL " + id + " STATUS FINISHED"}) {
                notify(text);
                ++n;
            }
            for (int u = 0; u < 20 && n < kNotificationsPerRound - 1; ++u, ++n) {
                const int who = static_cast<int>((callId_ * 31 + u) % kHandles);
                const std::string handle = "soak" + std::to_string(who);
                switch ((callId_ + u) % 10) {
                    case 0:  // a rename among a few names: the old records stay by design
                        notify("USER " + handle + " FULLNAME Person " + std::to_string(who) + " v" +
                               std::to_string(callId_ % 3));
                        break;
                    case 1:
                        notify("USER " + handle + " BUDDYSTATUS 1");
                        break;
                    default:
                        notify("USER " + handle + " ONLINESTATUS " +
                               kStatuses[(callId_ + u) % std::size(kStatuses)]);
                }
            }
        }
        notify("CALLHISTORYCHANGED");
        lines.push_back("wait 200");
        if (cycleEvery_ > 0 && sentCycles < cycles_ && round_ % cycleEvery_ == cycleEvery_ - 1) {
            lines.push_back("unplug");
            lines.push_back("wait 500");
            lines.push_back("plug");
            lines.push_back("wait 1500");
            ++sentCycles;
        }
        ++round_;
        pending_.assign(lines.rbegin(), lines.rend());
        return true;
    }

    long notifications_, keys_, cycles_;
    long rounds_ = 0, keysPerRound_ = 0, cycleEvery_ = 0, round_ = 0;
    long callId_ = 0;
    int lineNo_ = 0;
    std::vector<std::string> pending_;  // the round's lines, last first
};

int Soak(long notifications, long keys, long cycles) {
    // CALVOX_SOAK_TRACE=1 shows the trace, to see what a run does.
    NullBuffer discard;
    std::ostream out(std::getenv("CALVOX_SOAK_TRACE") ? std::cout.rdbuf() : &discard);
    Simulation sim(out, std::cerr);
    Script world;
    ParseError error;
    // A handset and the client, with the contact search of the attach done.
    std::string text = "handset\nclient\nstart\nwait 1000\nskype USERS";
    for (int i = 0; i < kHandles; ++i) text += (i ? ", soak" : " soak") + std::to_string(i);
    text += '\n';
    for (int i = 0; i < kHandles; ++i)
        text +=
            "skype USER soak" + std::to_string(i) + " FULLNAME Person " + std::to_string(i) + '\n';
    if (!ParseScript(text, world, error) || !sim.ApplyWorld(world.world, error)) {
        std::cerr << "calvox_soak: world: " << error.reason << '\n';
        return 2;
    }

    struct Steps : StepSource {
        std::vector<Step> head;
        std::size_t next = 0;
        SoakSteps* rest;
        bool Next(Step& step) override {
            if (next < head.size()) {
                step = head[next++];
                return true;
            }
            return rest->Next(step);
        }
    } steps;
    SoakSteps soak(notifications, keys, cycles);
    steps.head = world.steps;
    steps.rest = &soak;
    const int rc = sim.Run(steps);

    const std::vector<std::size_t>& s = soak.samples;
    const std::size_t warm = s.size() / 5;
    std::size_t peak = 0;
    for (std::size_t i = warm; i < s.size(); ++i) peak = std::max(peak, s[i]);
    const long growth = s.empty() ? 0 : static_cast<long>(peak) - static_cast<long>(s[warm]);
    std::printf("calvox_soak: %ld notifications, %ld key reports, %ld plug/unplug cycles\n",
                soak.sentNotifications, soak.sentKeys, soak.sentCycles);
    for (std::size_t i = 0; i < s.size(); i += std::max<std::size_t>(1, s.size() / 10))
        std::printf("  heap at round %zu: %zu bytes\n", i, s[i]);
    std::printf("  growth after warm-up (round %zu): %ld bytes; unfinished threads: %zu\n", warm,
                growth, sim.UnfinishedThreads());
    // Hash tables and vectors grow in steps; anything like a per-event leak
    // (a few bytes a notification) would pass this at once.
    constexpr long kAllowance = 256 * 1024;
    if (rc != 0) return rc;
    if (growth > kAllowance || sim.UnfinishedThreads() != 0) return 1;
    return 0;
}

}  // namespace
}  // namespace calvox::sim

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: calvox_soak NOTIFICATIONS KEYS CYCLES\n");
        return 2;
    }
    return calvox::sim::Soak(std::atol(argv[1]), std::atol(argv[2]), std::atol(argv[3]));
}
