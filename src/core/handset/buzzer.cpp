#include "handset/buzzer.h"

#include <vector>

namespace calvox {

namespace {

void BuzzerThreadBody(ThreadPort& threads, HandsetDevice& device, EventHandle beep,
                      EventHandle stop) {
    // The stop event is never reset, so a stop that comes during a beep is
    // still there when the thread waits again.
    const std::vector<EventHandle> wakers{stop, beep};
    for (;;) {
        std::size_t woken = 0;
        if (threads.WaitEvents(wakers, kInfinite, woken) != WaitResult::Signaled || woken == 0)
            return;
        // Presses during the beep are part of it; a stop cuts it short.
        device.Beep(-1, stop);
        threads.ResetEvent(beep);
    }
}

}  // namespace

void BuzzerThread::Start() {
    event_ = threads_.CreateEvent(kBuzzerEventName, true, false);
    if (event_ == 0) return;
    stopEvent_ = threads_.CreateEvent("", true, false);
    if (stopEvent_ == 0) return;
    thread_ = threads_.StartThread(
        "buzzer", [&threads = threads_, &device = device_, beep = event_, stop = stopEvent_] {
            BuzzerThreadBody(threads, device, beep, stop);
        });
}

void BuzzerThread::Stop() {
    if (thread_ != 0) {
        // The stop is seen at the thread's next wake-up. One that does not
        // answer within the limit is left with its events, not killed.
        threads_.SetEvent(stopEvent_);
        if (!threads_.JoinThread(thread_, kWorkerStopLimitMs)) {
            WriteLog(&log_, "buzzer thread did not stop in time: left to end with the program");
            threads_.AbandonThread(thread_);
            thread_ = 0;
            stopEvent_ = event_ = 0;
            return;
        }
        threads_.CloseThread(thread_);
        thread_ = 0;
    }
    for (std::uintptr_t* event : {&stopEvent_, &event_}) {
        if (*event != 0) threads_.CloseEvent(*event);
        *event = 0;
    }
}

void BuzzerThread::Signal() {
    if (event_ != 0) threads_.SetEvent(event_);
}

}  // namespace calvox
