// Virtual time: the clock and the timers, beside the scheduler that runs the
// worker threads one at a time.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/clock_port.h"
#include "platform/window_port.h"
#include "sim/scheduler.h"
#include "sim/trace.h"

namespace calvox::sim {

class VirtualClock : public ClockPort {
public:
    explicit VirtualClock(TraceWrite write) : write_(std::move(write)) {}

    // Milliseconds of virtual time since the run began.
    std::int64_t Ms() const { return now_; }
    // The time workers and devices read; it only moves forward.
    const std::int64_t& MsRef() const { return now_; }
    void SetEpoch(std::int64_t seconds) { epoch_ = seconds; }
    // The wall clock at virtual time 0, in seconds since 1970.
    std::int64_t Epoch() const { return epoch_; }
    // The worker threads, which run in virtual time.
    Scheduler& threads() { return scheduler_; }

    // A `wait` step: time runs to `target` while the program is idle.
    void WaitUntil(std::int64_t target) { waitTarget_ = target; }
    // Moves time on to the next timer or wake-up before the wait's end, or to
    // its end; false when no wait runs.
    bool PassWaitTime();
    // The timer due first at or before now, as the message it posts.
    std::optional<Msg> DueTimerMessage();
    // A window's timers go with it.
    void KillTimersOf(Hwnd window);
    // Runs a thread timer's procedure (a WM_TIMER without a window).
    void FireThreadTimer(std::uintptr_t id);

    // ClockPort
    void SetTimer(Hwnd window, std::uintptr_t id, std::uint32_t periodMs) override;
    void KillTimer(Hwnd window, std::uintptr_t id) override;
    std::uintptr_t SetThreadTimer(std::uint32_t periodMs, ThreadTimerProc proc) override;
    void KillThreadTimer(std::uintptr_t id) override;
    void Sleep(std::uint32_t ms) override;
    std::int64_t Now() override { return epoch_ + now_ / 1000; }
    std::uint32_t TickCount() override { return static_cast<std::uint32_t>(now_); }

private:
    struct Timer {
        Hwnd window = 0;  // 0: a thread timer
        std::uintptr_t id = 0;
        std::uint32_t period = 0;
        std::int64_t due = 0;
        std::uint64_t seq = 0;
        ThreadTimerProc proc;
    };
    std::optional<std::int64_t> NextTimerDue() const;

    TraceWrite write_;
    std::int64_t now_ = 0;
    std::int64_t epoch_ = 1161234567;
    Scheduler scheduler_{now_};
    std::vector<Timer> timers_;
    std::uint64_t timerSeq_ = 0;
    std::uintptr_t nextThreadTimer_ = 1;
    std::optional<std::int64_t> waitTarget_;
};

}  // namespace calvox::sim
