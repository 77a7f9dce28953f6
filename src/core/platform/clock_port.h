// Timers and time. Every pause of the program goes through here, so the
// simulator can run it under virtual time.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/types.h"

namespace calvox {

using ThreadTimerProc = std::function<void(std::uintptr_t id)>;

// The longest period a timer runs (USER_TIMER_MAXIMUM): a longer one is
// this long, so periods computed from settings or files never wrap.
inline constexpr std::uint32_t kTimerMaximumMs = 2147483647u;
constexpr std::uint32_t TimerPeriodMs(std::uint64_t ms) {
    return ms > kTimerMaximumMs ? kTimerMaximumMs : static_cast<std::uint32_t>(ms);
}

class ClockPort {
public:
    virtual ~ClockPort() = default;

    // Window timers: starting a running id replaces it.
    virtual void SetTimer(Hwnd window, std::uintptr_t id, std::uint32_t periodMs) = 0;
    virtual void KillTimer(Hwnd window, std::uintptr_t id) = 0;
    // Timers without a window, delivered by the message loop to proc; 0 on failure.
    virtual std::uintptr_t SetThreadTimer(std::uint32_t periodMs, ThreadTimerProc proc) = 0;
    virtual void KillThreadTimer(std::uintptr_t id) = 0;

    // A pause of the hub thread.
    virtual void Sleep(std::uint32_t ms) = 0;
    // Wall clock in seconds since 1970.
    virtual std::int64_t Now() = 0;
    virtual std::uint32_t TickCount() = 0;
};

}  // namespace calvox
