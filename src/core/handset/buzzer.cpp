#include "handset/buzzer.h"

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

void StartBuzzerThread(App& app) {
    ThreadPort& threads = app.platform.threads;
    HubState& hub = app.hub;
    hub.buzzerEvent = threads.CreateEvent(kBuzzerEventName, true, false);
    if (hub.buzzerEvent == 0) return;
    hub.buzzerStopEvent = threads.CreateEvent("", true, false);
    if (hub.buzzerStopEvent == 0) return;
    hub.buzzerThread = threads.StartThread(
        "buzzer", [&threads, &device = app.device, beep = hub.buzzerEvent,
                   stop = hub.buzzerStopEvent] { BuzzerThreadBody(threads, device, beep, stop); });
}

void StopBuzzerThread(App& app) {
    ThreadPort& threads = app.platform.threads;
    HubState& hub = app.hub;
    if (hub.buzzerThread != 0) {
        // The stop is seen at the thread's next wake-up. One that does not
        // answer within the limit is left with its events, not killed.
        threads.SetEvent(hub.buzzerStopEvent);
        if (!threads.JoinThread(hub.buzzerThread, kWorkerStopLimitMs)) {
            WriteLog(&app.log, "buzzer thread did not stop in time: left to end with the program");
            threads.AbandonThread(hub.buzzerThread);
            hub.buzzerThread = 0;
            hub.buzzerStopEvent = hub.buzzerEvent = 0;
            return;
        }
        threads.CloseThread(hub.buzzerThread);
        hub.buzzerThread = 0;
    }
    for (std::uintptr_t* event : {&hub.buzzerStopEvent, &hub.buzzerEvent}) {
        if (*event != 0) threads.CloseEvent(*event);
        *event = 0;
    }
}

}  // namespace calvox
