#include "handset/handset_device.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "config/settings.h"
#include "support/null_platform.h"

namespace calvox {
namespace {

using Clock = std::chrono::steady_clock;

// Real threads and events, and a handset whose reads never complete unless
// cancelled. `holdReads` parks the reader inside Read until the program
// starts joining it: the latest moment a read can begin.
class ThreadedHandset : public test::NullPlatform {
public:
    bool holdReads = false;
    bool terminated = false;
    bool open = true;
    int failingOpen = 0;  // the n-th open (from 1) fails; 0: none does
    bool capsFail = false;

    ~ThreadedHandset() override {
        {
            std::lock_guard<std::mutex> g(mutex_);
            abandoned_ = true;
        }
        cv_.notify_all();
        for (auto& [handle, thread] : threads_)
            if (thread.joinable()) thread.join();
    }

    EventHandle CreateEvent(const std::string&, bool manualReset, bool signaled) override {
        std::lock_guard<std::mutex> g(mutex_);
        events_[++next_] = {manualReset, signaled};
        return next_;
    }
    void SetEvent(EventHandle e) override {
        std::lock_guard<std::mutex> g(mutex_);
        events_[e].signaled = true;
        cv_.notify_all();
    }
    void ResetEvent(EventHandle e) override {
        std::lock_guard<std::mutex> g(mutex_);
        events_[e].signaled = false;
    }
    WaitResult WaitEvent(EventHandle e, std::uint32_t ms) override {
        std::size_t index = 0;
        return WaitEvents({e}, ms, index);
    }
    WaitResult WaitEvents(const std::vector<EventHandle>& events, std::uint32_t ms,
                          std::size_t& index) override {
        std::unique_lock<std::mutex> lock(mutex_);
        const auto due = Clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            for (std::size_t i = 0; i < events.size(); ++i) {
                Event& event = events_[events[i]];
                if (!event.signaled) continue;
                if (!event.manualReset) event.signaled = false;
                index = i;
                return WaitResult::Signaled;
            }
            if (abandoned_) return WaitResult::Failed;
            if (ms == kInfinite)
                cv_.wait(lock);
            else if (cv_.wait_until(lock, due) == std::cv_status::timeout)
                return WaitResult::Timeout;
        }
    }
    ThreadHandle StartThread(const std::string&, std::function<void()> body) override {
        std::lock_guard<std::mutex> g(mutex_);
        const ThreadHandle handle = ++next_;
        threads_[handle] = std::thread([this, handle, body = std::move(body)] {
            body();
            std::lock_guard<std::mutex> g(mutex_);
            finished_[handle] = true;
            cv_.notify_all();
        });
        return handle;
    }
    bool JoinThread(ThreadHandle thread, std::uint32_t ms) override {
        std::unique_lock<std::mutex> lock(mutex_);
        joining_ = true;
        cv_.notify_all();
        return cv_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return finished_[thread]; });
    }
    void AbandonThread(ThreadHandle) override {
        terminated = true;
        std::lock_guard<std::mutex> g(mutex_);
        abandoned_ = true;  // the thread is let go and ends with the test
        cv_.notify_all();
    }
    void WorkerSleep(std::uint32_t ms) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
    // One lock stands for every lock the device makes.
    void Acquire(LockHandle) override { lock_.lock(); }
    void Release(LockHandle) override { lock_.unlock(); }

    std::vector<std::string> EnumerateHidInterfaces() override { return {"handset"}; }
    HidHandle OpenDevice(const std::string&) override {
        std::lock_guard<std::mutex> g(mutex_);
        return open && ++opens_ != failingOpen ? ++next_ : 0;
    }
    std::string LastError(HidHandle device) override {
        return device == 0 ? "CreateFile failed: error 32"
                           : "HidD_GetPreparsedData failed: error 1";
    }
    bool GetAttributes(HidHandle, std::uint16_t& vid, std::uint16_t& pid) override {
        vid = 0x1234;
        pid = 0x000E;
        return true;
    }
    bool GetCaps(HidHandle, std::uint16_t& in, std::uint16_t& out) override {
        in = out = 5;
        return !capsFail;
    }
    bool Write(HidHandle, const std::vector<std::uint8_t>&, std::uint32_t) override { return true; }
    // Nothing moves the handset: only the device's cancel ends a read, also
    // one that begins after it.
    HidReadResult Read(HidHandle device, std::uint8_t*, std::size_t, std::size_t&) override {
        std::unique_lock<std::mutex> lock(mutex_);
        if (holdReads) cv_.wait(lock, [&] { return joining_ || abandoned_; });
        cv_.wait(lock, [&] { return cancelled_.count(device) > 0 || abandoned_; });
        return HidReadResult::Cancelled;
    }
    void CancelRead(HidHandle device) override {
        std::lock_guard<std::mutex> g(mutex_);
        cancelled_.insert(device);
        cv_.notify_all();
    }

private:
    struct Event {
        bool manualReset = false;
        bool signaled = false;
    };
    std::mutex mutex_;
    std::recursive_mutex lock_;
    std::condition_variable cv_;
    std::map<EventHandle, Event> events_;
    std::map<ThreadHandle, std::thread> threads_;
    std::map<ThreadHandle, bool> finished_;
    std::uintptr_t next_ = 0;
    bool joining_ = false;
    bool abandoned_ = false;
    std::set<HidHandle> cancelled_;
    int opens_ = 0;
};

TEST(HandsetDeviceClose, StopsAReaderWhoseReadBeginsAfterTheStop) {
    ThreadedHandset platform;
    platform.holdReads = true;
    {
        HandsetDevice device(platform.ports);
        device.SetScanMode(MCU_MODE);
        ASSERT_TRUE(device.Open(0x1234, 0x000E, kDeviceKindHandset));
        const auto start = Clock::now();
        device.Close();
        EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(kThreadStopLimitMs / 2));
    }
    EXPECT_FALSE(platform.terminated);
}

// Under ThreadSanitizer: what the buzzer and reader threads read while the
// hub re-opens the device and changes its settings is shared safely.
TEST(HandsetDeviceThreads, BeepsDuringReOpensAndSettingChanges) {
    ThreadedHandset platform;
    HubWindow notify(platform.ports.window, platform.ports.clock);
    HandsetDevice device(platform.ports, nullptr, &notify);
    device.SetScanMode(MCU_MODE);
    ASSERT_TRUE(device.Open(0x1234, 0x000E, kDeviceKindHandset));
    std::atomic<bool> done{false};
    std::thread buzzer([&] {
        while (!done) device.Beep(0);
    });
    for (int i = 0; i < 8; ++i) {
        notify.Created(test::NullPlatform::kClient + static_cast<Hwnd>(i % 2));
        device.SetGpioPullHigh(i % 2 == 0);
        device.SetBuzzerDuration(static_cast<std::uint32_t>(i));
        EXPECT_TRUE(device.Open(0x1234, 0x000E, i % 3 == 0 ? 0 : kDeviceKindHandset));
    }
    done = true;
    buzzer.join();
    device.Close();
    EXPECT_FALSE(platform.terminated);
}

TEST(HandsetDeviceReport, WrittenOnlyThroughAnOpenHandle) {
    struct Case {
        bool open, deviceOpens, written;
    };
    for (const Case& c :
         {Case{false, true, false}, Case{true, false, false}, Case{true, true, true}}) {
        ThreadedHandset platform;
        platform.open = c.deviceOpens;
        HandsetDevice device(platform.ports);
        device.SetScanMode(MCU_MODE);
        if (c.open) device.Open(0x1234, 0x000E, kDeviceKindHandset);
        EXPECT_EQ(device.SendReport(0x40, 0x81, 0, 0), c.written) << c.open << c.deviceOpens;
    }
}

// Open finds the device with one open, then opens its read and its write
// channel; the first failure among those and the capabilities is kept.
TEST(HandsetDeviceOpen, KeepsWhyAChannelOrItsCapabilitiesFailed) {
    struct Case {
        int failingOpen;
        bool capsFail;
        const char* failure;
    };
    for (const Case& c : {Case{0, false, ""}, Case{3, false, "CreateFile failed: error 32"},
                          Case{0, true, "HidD_GetPreparsedData failed: error 1"},
                          Case{2, true, "CreateFile failed: error 32"}}) {
        ThreadedHandset platform;
        platform.failingOpen = c.failingOpen;
        platform.capsFail = c.capsFail;
        HandsetDevice device(platform.ports);
        device.SetScanMode(MCU_MODE);
        ASSERT_TRUE(device.Open(0x1234, 0x000E, kDeviceKindHandset));
        EXPECT_EQ(device.OpenFailure(), c.failure) << c.failingOpen << c.capsFail;
        device.Close();
    }
}

}  // namespace
}  // namespace calvox
