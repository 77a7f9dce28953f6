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

class Scheduler {
public:
    explicit Scheduler(std::int64_t& now) : now_(now) {}
    ~Scheduler();

    EventHandle CreateEvent(const std::string& name, bool manualReset, bool signaled);
    void SetEvent(EventHandle event);
    void ResetEvent(EventHandle event);
    void CloseEvent(EventHandle event);
    bool IsSignaled(EventHandle event) const;

    ThreadHandle StartThread(const std::string& name, std::function<void()> body);
    bool IsFinished(ThreadHandle thread) const;
    // Workers started and not yet finished, abandoned ones included.
    std::size_t Unfinished() const;
    void Abandon(ThreadHandle thread);  // never run it again
    void Forget(ThreadHandle thread);

    LockHandle CreateLock();
    void DestroyLock(LockHandle lock);

    // Blocking calls. On a worker they hand the baton back; on the hub thread
    // events and locks are tried once (the hub never blocks on a worker).
    WaitResult WaitEvent(EventHandle event, std::uint32_t timeoutMs);
    void Sleep(std::uint32_t ms);
    void Acquire(LockHandle lock);
    void Release(LockHandle lock);

    bool OnWorker() const;
    // The name the running worker was started with; empty on the hub thread.
    std::string CurrentName() const;
    // Runs every worker that can go on now, until all wait.
    void RunReady();
    // The earliest time a sleeping or timed-out wait falls due, if any.
    std::optional<std::int64_t> NextWake() const;

private:
    enum class Block { Start, None, Event, Sleep, Lock, Done };
    struct Worker {
        std::thread thread;
        std::string name;
        std::function<void()> body;
        Block block = Block::Start;
        EventHandle event = 0;
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

    bool Ready(Worker& w);
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
