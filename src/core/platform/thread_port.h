// Worker threads, named events and locks. Workers block only through these
// calls, so the simulator can run them under virtual time.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace calvox {

using EventHandle = std::uintptr_t;  // 0 = none
using ThreadHandle = std::uintptr_t;
using LockHandle = std::uintptr_t;

inline constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;

enum class WaitResult { Signaled, Timeout, Failed };

class ThreadPort {
public:
    virtual ~ThreadPort() = default;

    virtual EventHandle CreateEvent(const std::string& name, bool manualReset,
                                    bool initiallySignaled) = 0;
    virtual void SetEvent(EventHandle event) = 0;
    virtual void ResetEvent(EventHandle event) = 0;
    virtual void CloseEvent(EventHandle event) = 0;
    virtual WaitResult WaitEvent(EventHandle event, std::uint32_t timeoutMs) = 0;
    // Waits until one of `events` is signalled; `index` names the first that
    // is. A worker waits on its stop event together with its work this way, so
    // a stop that arrives at any moment ends the wait.
    virtual WaitResult WaitEvents(const std::vector<EventHandle>& events, std::uint32_t timeoutMs,
                                  std::size_t& index) = 0;

    // `name` tells the workers apart ("reader", "scan", "buzzer", "capture").
    virtual ThreadHandle StartThread(const std::string& name, std::function<void()> body) = 0;
    // True when the thread has ended within the time limit.
    virtual bool JoinThread(ThreadHandle thread, std::uint32_t timeoutMs) = 0;
    // The last resort after JoinThread gave up: the thread is left to end with
    // the process (killing it could leave a lock held for the exit that
    // follows); releases the handle.
    virtual void AbandonThread(ThreadHandle thread) = 0;
    virtual void CloseThread(ThreadHandle thread) = 0;

    // A pause of a worker thread.
    virtual void WorkerSleep(std::uint32_t ms) = 0;

    virtual LockHandle CreateLock() = 0;
    virtual void Acquire(LockHandle lock) = 0;
    virtual void Release(LockHandle lock) = 0;
    virtual void DestroyLock(LockHandle lock) = 0;
};

}  // namespace calvox
