// Worker threads under virtual time. Workers are real threads, but only one
// thread of the simulation runs at a time: a worker runs when the hub thread
// hands it the baton and gives it back when it blocks in a port call.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/thread_port.h"

namespace calvox::sim {

class Scheduler : public ThreadPort {
public:
    explicit Scheduler(std::int64_t& now) : now_(now) {}
    ~Scheduler() override;

    EventHandle CreateEvent(const std::string& name, bool manualReset, bool signaled) override;
    void SetEvent(EventHandle event) override;
    void ResetEvent(EventHandle event) override;
    void CloseEvent(EventHandle event) override;
    bool IsSignaled(EventHandle event) const;

    ThreadHandle StartThread(const std::string& name, std::function<void()> body) override;
    // Like a wait for an event: a worker that is asleep is waited for until it
    // wakes and ends, within the time limit.
    bool JoinThread(ThreadHandle thread, std::uint32_t timeoutMs) override;
    bool IsFinished(ThreadHandle thread) const;
    // Workers started and not yet finished, abandoned ones included.
    std::size_t Unfinished() const;
    void AbandonThread(ThreadHandle thread) override;  // never run it again
    void CloseThread(ThreadHandle thread) override;

    LockHandle CreateLock() override;
    void DestroyLock(LockHandle lock) override;

    // Blocking calls. On a worker they hand the baton back. The hub thread
    // waits for a worker or a virtual device: the workers run and time moves
    // on to their wake-ups until the event comes or the time-out has passed.
    WaitResult WaitEvent(EventHandle event, std::uint32_t timeoutMs) override;
    // The first of `events` that is signalled ends the wait; `index` names it.
    WaitResult WaitEvents(const std::vector<EventHandle>& events, std::uint32_t timeoutMs,
                          std::size_t& index) override;
    void WorkerSleep(std::uint32_t ms) override;
    // Locks are tried once on the hub thread (the hub never blocks on a worker).
    void Acquire(LockHandle lock) override;
    void Release(LockHandle lock) override;

    bool OnWorker() const;
    // The name the running worker was started with; empty on the hub thread.
    std::string CurrentName() const;
    // Runs every worker that can go on now, until all wait.
    void RunReady();
    // The earliest time a sleeping or timed-out wait falls due, if any.
    std::optional<std::int64_t> NextWake() const;
    // On the hub thread: the workers run and time moves on to their wake-ups
    // until `done` holds (true) or the next wake-up lies past `limit` (false).
    bool RunUntil(std::int64_t limit, const std::function<bool()>& done);

private:
    enum class Block { Start, None, Event, Sleep, Lock, Done };
    struct Worker {
        std::thread thread;
        std::string name;
        std::function<void()> body;
        Block block = Block::Start;
        std::vector<EventHandle> events;
        std::size_t index = 0;  // which of `events` ended the wait
        LockHandle lock = 0;
        std::int64_t due = -1;  // -1: no time limit
        bool running = false;
        bool abandoned = false;
        WaitResult result = WaitResult::Signaled;
    };
    struct Event {
        bool manualReset = false;
        bool signaled = false;
    };

    // A worker's wait; on the hub thread the events are tried once.
    WaitResult WorkerWait(const std::vector<EventHandle>& events, std::uint32_t timeoutMs,
                          std::size_t& index);
    bool Ready(Worker& w);
    // Takes the first signalled event of `events` (a wait on a missing one fails).
    std::optional<WaitResult> TakeSignaled(const std::vector<EventHandle>& events,
                                           std::size_t& index);
    void Resume(Worker& w);
    void Yield(Worker& w, std::unique_lock<std::mutex>& lock);

    // Shared with the worker threads: a worker still blocked when the
    // scheduler goes keeps waiting on them until the process ends.
    struct Sync {
        std::mutex mutex;
        std::condition_variable cv;
    };

    std::int64_t& now_;
    std::shared_ptr<Sync> sync_ = std::make_shared<Sync>();
    std::mutex& mutex_ = sync_->mutex;
    std::condition_variable& cv_ = sync_->cv;
    std::vector<std::unique_ptr<Worker>> workers_;
    std::map<EventHandle, Event> events_;
    std::map<std::string, EventHandle> named_;
    std::map<LockHandle, bool> locks_;  // held
    std::uintptr_t nextHandle_ = 0x100;
};

}  // namespace calvox::sim
