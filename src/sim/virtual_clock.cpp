#include "sim/virtual_clock.h"

#include <algorithm>

namespace calvox::sim {

bool VirtualClock::PassWaitTime() {
    if (!waitTarget_) return false;
    std::optional<std::int64_t> next = NextTimerDue();
    std::optional<std::int64_t> wake = scheduler_.NextWake();
    if (wake && (!next || *wake < *next)) next = wake;
    if (next && *next <= *waitTarget_) {
        now_ = std::max(now_, *next);
    } else {
        now_ = std::max(now_, *waitTarget_);
        waitTarget_.reset();
    }
    return true;
}

void VirtualClock::SetTimer(Hwnd window, std::uintptr_t id, std::uint32_t periodMs) {
    std::erase_if(timers_, [&](const Timer& t) { return t.window == window && t.id == id; });
    timers_.push_back({window, id, periodMs, now_ + periodMs, ++timerSeq_, {}});
    write_("timer set " + Hex(id) + " " + std::to_string(periodMs));
}

void VirtualClock::KillTimer(Hwnd window, std::uintptr_t id) {
    auto n =
        std::erase_if(timers_, [&](const Timer& t) { return t.window == window && t.id == id; });
    if (n > 0) write_("timer kill " + Hex(id));
}

void VirtualClock::KillTimersOf(Hwnd window) {
    std::erase_if(timers_, [&](const Timer& t) { return t.window == window; });
}

std::uintptr_t VirtualClock::SetThreadTimer(std::uint32_t periodMs, ThreadTimerProc proc) {
    std::uintptr_t id = nextThreadTimer_++;
    timers_.push_back({0, id, periodMs, now_ + periodMs, ++timerSeq_, std::move(proc)});
    write_("ttimer set " + std::to_string(id) + " " + std::to_string(periodMs));
    return id;
}

void VirtualClock::KillThreadTimer(std::uintptr_t id) {
    auto n = std::erase_if(timers_, [&](const Timer& t) { return t.window == 0 && t.id == id; });
    if (n > 0) write_("ttimer kill " + std::to_string(id));
}

void VirtualClock::FireThreadTimer(std::uintptr_t id) {
    for (const Timer& t : timers_) {
        if (t.window == 0 && t.id == id) {
            ThreadTimerProc proc = t.proc;
            proc(t.id);
            return;
        }
    }
}

std::optional<Msg> VirtualClock::DueTimerMessage() {
    Timer* best = nullptr;
    auto before = [](const Timer& a, const Timer& b) {
        if (a.due != b.due) return a.due < b.due;
        bool aThread = a.window == 0, bThread = b.window == 0;
        if (aThread != bThread) return !aThread;  // window timers first
        return a.seq < b.seq;
    };
    for (Timer& t : timers_)
        if (t.due <= now_ && (best == nullptr || before(t, *best))) best = &t;
    if (best == nullptr) return std::nullopt;
    // A late periodic timer is next due one period after it fired.
    best->due = now_ + std::max<std::uint32_t>(best->period, 1);
    best->seq = ++timerSeq_;
    return Msg{best->window, wm::kTimer, best->id, 0};
}

std::optional<std::int64_t> VirtualClock::NextTimerDue() const {
    std::optional<std::int64_t> next;
    for (const Timer& t : timers_)
        if (!next || t.due < *next) next = t.due;
    return next;
}

void VirtualClock::Sleep(std::uint32_t ms) {
    if (scheduler_.OnWorker()) {
        scheduler_.WorkerSleep(ms);
        return;
    }
    write_("sleep " + std::to_string(ms));
    const std::int64_t target = now_ + ms;
    scheduler_.RunUntil(target, [] { return false; });
    now_ = target;
    scheduler_.RunReady();
}

}  // namespace calvox::sim
