// The buzzer thread: one beep each time the buzzer event is signalled.
#pragma once

#include <cstdint>

#include "base/diagnostic_log.h"
#include "handset/handset_device.h"
#include "platform/thread_port.h"

namespace calvox {

inline constexpr const char* kBuzzerEventName = "ZVK_HID_BUZZER_EVENT";
inline constexpr std::uint32_t kWorkerStopLimitMs = 1000;

class BuzzerThread {
public:
    BuzzerThread(ThreadPort& threads, HandsetDevice& device, DiagnosticLog& log)
        : threads_(threads), device_(device), log_(log) {}

    void Start();
    void Stop();
    // A key beep, when the thread's event exists.
    void Signal();

private:
    ThreadPort& threads_;
    HandsetDevice& device_;
    DiagnosticLog& log_;
    std::uintptr_t event_ = 0;
    std::uintptr_t stopEvent_ = 0;
    std::uintptr_t thread_ = 0;
};

}  // namespace calvox
