#include "sim/scheduler.h"

#include <algorithm>

namespace calvox::sim {

namespace {
thread_local void* tCurrentWorker = nullptr;
}

Scheduler::~Scheduler() {
    // Workers still blocked are never resumed; let them go with the process.
    // Their records stay, since a spurious wake-up looks at them.
    std::lock_guard<std::mutex> g(mutex_);
    for (auto& w : workers_) {
        if (w->thread.joinable()) w->thread.detach();
        if (w->block != Block::Done) static_cast<void>(w.release());
    }
}

EventHandle Scheduler::CreateEvent(const std::string& name, bool manualReset, bool signaled) {
    std::lock_guard<std::mutex> g(mutex_);
    if (!name.empty()) {
        auto it = named_.find(name);
        if (it != named_.end()) return it->second;
    }
    EventHandle h = nextHandle_++;
    events_[h] = Event{manualReset, signaled};
    if (!name.empty()) named_[name] = h;
    return h;
}

void Scheduler::SetEvent(EventHandle event) {
    std::lock_guard<std::mutex> g(mutex_);
    auto it = events_.find(event);
    if (it != events_.end()) it->second.signaled = true;
}

void Scheduler::ResetEvent(EventHandle event) {
    std::lock_guard<std::mutex> g(mutex_);
    auto it = events_.find(event);
    if (it != events_.end()) it->second.signaled = false;
}

void Scheduler::CloseEvent(EventHandle event) {
    std::lock_guard<std::mutex> g(mutex_);
    // Named events live on while the world knows their name (another process
    // may hold them); unnamed ones go.
    for (const auto& [name, h] : named_)
        if (h == event) return;
    events_.erase(event);
}

bool Scheduler::IsSignaled(EventHandle event) const {
    std::lock_guard<std::mutex> g(mutex_);
    auto it = events_.find(event);
    return it != events_.end() && it->second.signaled;
}

ThreadHandle Scheduler::StartThread(const std::string& name, std::function<void()> body) {
    std::lock_guard<std::mutex> g(mutex_);
    auto w = std::make_unique<Worker>();
    w->name = name;
    w->body = std::move(body);
    Worker* raw = w.get();
    workers_.push_back(std::move(w));
    raw->thread = std::thread([raw, sync = sync_] {
        tCurrentWorker = raw;
        {
            std::unique_lock<std::mutex> lock(sync->mutex);
            sync->cv.wait(lock, [raw] { return raw->running; });
        }
        raw->body();
        std::unique_lock<std::mutex> lock(sync->mutex);
        raw->block = Block::Done;
        raw->running = false;
        sync->cv.notify_all();
    });
    return reinterpret_cast<ThreadHandle>(raw);
}

bool Scheduler::IsFinished(ThreadHandle thread) const {
    std::lock_guard<std::mutex> g(mutex_);
    return reinterpret_cast<Worker*>(thread)->block == Block::Done;
}

std::size_t Scheduler::Unfinished() const {
    std::lock_guard<std::mutex> g(mutex_);
    return static_cast<std::size_t>(std::count_if(
        workers_.begin(), workers_.end(), [](const auto& w) { return w->block != Block::Done; }));
}

void Scheduler::AbandonThread(ThreadHandle thread) {
    std::lock_guard<std::mutex> g(mutex_);
    reinterpret_cast<Worker*>(thread)->abandoned = true;
}

void Scheduler::CloseThread(ThreadHandle thread) {
    std::unique_lock<std::mutex> lock(mutex_);
    auto* w = reinterpret_cast<Worker*>(thread);
    for (auto it = workers_.begin(); it != workers_.end(); ++it) {
        if (it->get() != w) continue;
        if (w->block == Block::Done) {
            lock.unlock();
            w->thread.join();
            lock.lock();
            workers_.erase(it);
        }
        return;
    }
}

LockHandle Scheduler::CreateLock() {
    std::lock_guard<std::mutex> g(mutex_);
    LockHandle h = nextHandle_++;
    locks_[h] = false;
    return h;
}

void Scheduler::DestroyLock(LockHandle lock) {
    std::lock_guard<std::mutex> g(mutex_);
    locks_.erase(lock);
}

bool Scheduler::OnWorker() const { return tCurrentWorker != nullptr; }

std::string Scheduler::CurrentName() const {
    // Only the running worker reads its own name, and it never changes.
    const auto* w = static_cast<const Worker*>(tCurrentWorker);
    return w != nullptr ? w->name : std::string();
}

void Scheduler::Yield(Worker& w, std::unique_lock<std::mutex>& lock) {
    w.running = false;
    cv_.notify_all();
    cv_.wait(lock, [&w] { return w.running; });
}

WaitResult Scheduler::WaitEvent(EventHandle event, std::uint32_t timeoutMs) {
    std::size_t index = 0;
    return WaitEvents({event}, timeoutMs, index);
}

std::optional<WaitResult> Scheduler::TakeSignaled(const std::vector<EventHandle>& events,
                                                  std::size_t& index) {
    for (std::size_t i = 0; i < events.size(); ++i) {
        auto it = events_.find(events[i]);
        if (it == events_.end()) return WaitResult::Failed;
        if (!it->second.signaled) continue;
        if (!it->second.manualReset) it->second.signaled = false;
        index = i;
        return WaitResult::Signaled;
    }
    return std::nullopt;
}

WaitResult Scheduler::WaitEvents(const std::vector<EventHandle>& events, std::uint32_t timeoutMs,
                                 std::size_t& index) {
    if (OnWorker()) return WorkerWait(events, timeoutMs, index);
    // Nothing is written on `sleep`.
    WaitResult result = WaitResult::Timeout;
    auto signalled = [&] {
        result = WorkerWait(events, 0, index);
        return result != WaitResult::Timeout;
    };
    // Without a limit a wake-up may never bring the event (a scan loop
    // wakes for ever), so the hub gives up rather than hang.
    if (timeoutMs == kInfinite) {
        RunReady();
        signalled();
        return result;
    }
    const std::int64_t limit = now_ + timeoutMs;
    if (RunUntil(limit, signalled)) return result;
    now_ = limit;
    RunReady();
    return WorkerWait(events, 0, index);
}

bool Scheduler::JoinThread(ThreadHandle thread, std::uint32_t timeoutMs) {
    const std::int64_t limit = now_ + timeoutMs;
    if (RunUntil(limit, [&] { return IsFinished(thread); })) return true;
    now_ = std::max(now_, limit);
    RunReady();
    return IsFinished(thread);
}

bool Scheduler::RunUntil(std::int64_t limit, const std::function<bool()>& done) {
    for (;;) {
        RunReady();
        if (done()) return true;
        std::optional<std::int64_t> wake = NextWake();
        if (!wake || *wake > limit) return false;
        now_ = std::max(now_, *wake);
    }
}

WaitResult Scheduler::WorkerWait(const std::vector<EventHandle>& events, std::uint32_t timeoutMs,
                                 std::size_t& index) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (std::optional<WaitResult> now = TakeSignaled(events, index)) return *now;
    auto* w = static_cast<Worker*>(tCurrentWorker);
    if (w == nullptr || timeoutMs == 0) return WaitResult::Timeout;
    w->block = Block::Event;
    w->events = events;
    w->due = timeoutMs == kInfinite ? -1 : now_ + timeoutMs;
    Yield(*w, lock);
    index = w->index;
    return w->result;
}

void Scheduler::WorkerSleep(std::uint32_t ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    auto* w = static_cast<Worker*>(tCurrentWorker);
    if (w == nullptr) return;
    w->block = Block::Sleep;
    w->due = now_ + ms;
    Yield(*w, lock);
}

void Scheduler::Acquire(LockHandle handle) {
    std::unique_lock<std::mutex> lock(mutex_);
    auto* w = static_cast<Worker*>(tCurrentWorker);
    if (locks_[handle] && w != nullptr) {
        w->block = Block::Lock;
        w->lock = handle;
        Yield(*w, lock);
    }
    locks_[handle] = true;
}

void Scheduler::Release(LockHandle handle) {
    std::lock_guard<std::mutex> g(mutex_);
    locks_[handle] = false;
}

bool Scheduler::Ready(Worker& w) {
    if (w.abandoned) return false;
    switch (w.block) {
        case Block::Start:
        case Block::None:
            return true;
        case Block::Event: {
            if (std::optional<WaitResult> result = TakeSignaled(w.events, w.index)) {
                w.result = *result;
                return true;
            }
            if (w.due >= 0 && w.due <= now_) {
                w.result = WaitResult::Timeout;
                return true;
            }
            return false;
        }
        case Block::Sleep:
            return w.due <= now_;
        case Block::Lock:
            return !locks_[w.lock];
        case Block::Done:
            return false;
    }
    return false;
}

void Scheduler::Resume(Worker& w) {
    std::unique_lock<std::mutex> lock(mutex_);
    w.block = Block::None;
    w.running = true;
    cv_.notify_all();
    cv_.wait(lock, [&w] { return !w.running; });
}

void Scheduler::RunReady() {
    if (OnWorker()) return;
    for (bool ran = true; ran;) {
        ran = false;
        for (std::size_t i = 0; i < workers_.size(); ++i) {
            Worker* w = workers_[i].get();
            bool ready;
            {
                std::lock_guard<std::mutex> g(mutex_);
                ready = Ready(*w);
            }
            if (ready) {
                Resume(*w);
                ran = true;
            }
        }
    }
}

std::optional<std::int64_t> Scheduler::NextWake() const {
    std::lock_guard<std::mutex> g(mutex_);
    std::optional<std::int64_t> next;
    for (const auto& w : workers_) {
        if (w->abandoned || w->due < 0) continue;
        if (w->block != Block::Sleep && w->block != Block::Event) continue;
        if (!next || w->due < *next) next = w->due;
    }
    return next;
}

}  // namespace calvox::sim
