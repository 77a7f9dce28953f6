#include "device/buzzer.h"

namespace calvox {

namespace {

void BuzzerThreadBody(App& app) {
    ThreadPort& threads = app.platform.threads;
    for (;;) {
        if (threads.WaitEvent(app.hub.buzzerEvent, kInfinite) != WaitResult::Signaled) return;
        if (app.buzzerStop.load()) return;
        // Presses during the beep are part of it.
        app.device.Beep();
        threads.ResetEvent(app.hub.buzzerEvent);
    }
}

}  // namespace

void StartBuzzerThread(App& app) {
    ThreadPort& threads = app.platform.threads;
    app.buzzerStop = false;
    app.hub.buzzerEvent = threads.CreateEvent(kBuzzerEventName, true, false);
    if (app.hub.buzzerEvent == 0) return;
    app.hub.buzzerThread = threads.StartThread("buzzer", [&app] { BuzzerThreadBody(app); });
}

void StopBuzzerThread(App& app) {
    ThreadPort& threads = app.platform.threads;
    if (app.hub.buzzerThread != 0) {
        // Wake it with the stop flag set; only a thread that does not answer
        // within the limit is terminated.
        app.buzzerStop = true;
        threads.SetEvent(app.hub.buzzerEvent);
        if (threads.JoinThread(app.hub.buzzerThread, kWorkerStopLimitMs))
            threads.CloseThread(app.hub.buzzerThread);
        else
            threads.TerminateThread(app.hub.buzzerThread);
        app.hub.buzzerThread = 0;
    }
    if (app.hub.buzzerEvent != 0) {
        threads.CloseEvent(app.hub.buzzerEvent);
        app.hub.buzzerEvent = 0;
    }
}

}  // namespace calvox
