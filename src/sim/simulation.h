// The virtual Windows that calvox-sim runs the program against, and the
// runner that plays a scenario on it.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "sim/files.h"
#include "sim/scheduler.h"
#include "sim/script.h"

namespace calvox::sim {

struct TraceLine {
    std::int64_t time;
    std::string text;  // channel first
};

// Where the steps come from: a parsed script or lines typed at a prompt.
class StepSource {
public:
    virtual ~StepSource() = default;
    virtual bool Next(Step& step) = 0;
};

class Simulation : public WindowPort,
                   public ClockPort,
                   public ThreadPort,
                   public ProfilePort,
                   public FilePort,
                   public ShellPort,
                   public TextPort,
                   public HidPort,
                   public ObserverPort {
public:
    explicit Simulation(std::ostream& out, std::ostream& err);
    ~Simulation() override;

    // Applies the world lines; false with `error` set on a line it cannot take.
    bool ApplyWorld(const std::vector<ScriptLine>& world, ParseError& error);
    // Runs the steps; returns the exit code (0 all held, 1 an expect failed,
    // 2 a step could not run).
    int Run(StepSource& steps);

    // WindowPort
    Hwnd FindWindow(const std::string& className, const std::string& title) override;
    bool RegisterClass(const WindowClassSpec& spec, WindowProc proc) override;
    Hwnd CreateWindow(const WindowCreateSpec& spec) override;
    void ShowWindow(Hwnd, int) override {}
    void UpdateWindow(Hwnd) override {}
    bool GetMessage(Msg& msg) override;
    void TranslateMessage(const Msg&) override {}
    LResult DispatchMessage(const Msg& msg) override;
    bool PostMessage(Hwnd window, unsigned message, WParam wParam, LParam lParam) override;
    void PostQuitMessage(int code) override;
    LResult DefWindowProc(Hwnd window, unsigned message, WParam wParam, LParam lParam) override;
    bool IsWindow(Hwnd window) override;
    Hwnd GetForegroundWindow() override { return foreground_; }
    unsigned RegisterWindowMessage(const std::string& text) override;
    void BroadcastMessageTimeout(unsigned message, WParam wParam, LParam lParam,
                                 unsigned timeoutMs) override;
    LResult SendCopyData(Hwnd to, Hwnd from, const CopyDataRecord& record) override;
    DeviceNotifyHandle RegisterDeviceInterfaceNotification(Hwnd window,
                                                           const Guid& classGuid) override;
    void UnregisterDeviceNotification(DeviceNotifyHandle) override {}

    // ClockPort
    void SetTimer(Hwnd window, std::uintptr_t id, std::uint32_t periodMs) override;
    void KillTimer(Hwnd window, std::uintptr_t id) override;
    std::uintptr_t SetThreadTimer(std::uint32_t periodMs, ThreadTimerProc proc) override;
    void KillThreadTimer(std::uintptr_t id) override;
    void Sleep(std::uint32_t ms) override;
    std::int64_t Now() override { return epoch_ + now_ / 1000; }
    std::uint32_t TickCount() override { return static_cast<std::uint32_t>(now_); }

    // ThreadPort
    EventHandle CreateEvent(const std::string& name, bool manualReset, bool signaled) override;
    void SetEvent(EventHandle event) override { scheduler_.SetEvent(event); }
    void ResetEvent(EventHandle event) override { scheduler_.ResetEvent(event); }
    void CloseEvent(EventHandle event) override { scheduler_.CloseEvent(event); }
    WaitResult WaitEvent(EventHandle event, std::uint32_t timeoutMs) override;
    ThreadHandle StartThread(std::function<void()> body) override;
    bool JoinThread(ThreadHandle thread, std::uint32_t timeoutMs) override;
    void TerminateThread(ThreadHandle thread) override { scheduler_.Abandon(thread); }
    void CloseThread(ThreadHandle thread) override { scheduler_.Forget(thread); }
    void WorkerSleep(std::uint32_t ms) override { scheduler_.Sleep(ms); }
    LockHandle CreateLock() override { return scheduler_.CreateLock(); }
    void Acquire(LockHandle lock) override { scheduler_.Acquire(lock); }
    void Release(LockHandle lock) override { scheduler_.Release(lock); }
    void DestroyLock(LockHandle lock) override { scheduler_.DestroyLock(lock); }

    // ProfilePort
    int GetInt(const std::string& section, const std::string& key, int defaultValue,
               const std::string& path) override;
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& path, std::size_t bufferSize) override;
    bool WriteString(const std::string& section, const std::string& key,
                     const std::string& value, const std::string& path) override;

    // FilePort
    std::string GetModuleFileName() override { return "C:\\Calvox\\Calvox.exe"; }
    std::string GetWindowsDirectory() override { return "C:\\WINDOWS"; }
    std::uint32_t GetFileAttributes(const std::string& path) override;
    bool SetFileAttributes(const std::string& path, std::uint32_t attributes) override;
    bool CreateDirectory(const std::string& path) override;
    std::vector<std::string> FindFiles(const std::string& pattern) override;

    // ShellPort
    void ShellExecute(Hwnd window, const std::string& verb, const std::string& file,
                      const std::string& parameters, const std::string& folder,
                      int show) override;
    bool NotifyIcon(TrayOp op, const TrayIconRecord& record) override;
    IconHandle LoadIconFile(const std::string& path) override;
    IconHandle LoadIconResource(int id) override;
    void DestroyIcon(IconHandle) override {}

    // TextPort
    bool AnsiToWide(const std::string& ansi, std::u16string& wide) override;
    bool WideToAnsi(const std::u16string& wide, std::string& ansi) override;

    // HidPort
    Guid GetHidGuid() override;

    // ObserverPort
    void KeyAction(int code, int count, bool released) override;

private:
    struct Process {
        Hwnd hub = 0;
        WindowProc proc;
        std::deque<Msg> queue;
        bool destroyed = false;
        bool quitPosted = false;
        bool ended = false;
        bool nested = false;
    };
    struct Timer {
        Hwnd window = 0;  // 0: a thread timer
        std::uintptr_t id = 0;
        std::uint32_t period = 0;
        std::int64_t due = 0;
        std::uint64_t seq = 0;
        ThreadTimerProc proc;
    };
    struct Client {
        bool exists = false;
        Hwnd api = 0, mainForm = 0, pageControl = 0, contactList = 0, historyList = 0,
             addressBar = 0;
        bool answerDiscover = true;
        LResult returns = 1;
        std::optional<std::int64_t> returnsCount;
        std::string layout = "standard";
    };

    // Trace.
    void Write(const std::string& text);
    std::string Role(Hwnd window) const;
    std::string Hex(std::uint64_t value) const;

    // Running.
    void RunProcess(const std::string& commandLine, bool nested);
    bool StepIdle();  // the queue is empty: advance the step machine; false to end the loop
    bool BeginNextStep();
    void EndStep();
    bool ExecuteStep(const Step& step);
    bool ExecuteWhileEnded(const Step& step);
    void CheckExpects(const Step& step, std::size_t firstLine);
    std::optional<Msg> DueTimerMessage(std::int64_t limit);
    std::optional<std::int64_t> NextTimerDue() const;
    void SendToHub(unsigned message, WParam wParam, LParam lParam);
    void PostToHub(unsigned message, WParam wParam, LParam lParam);
    void SendDeviceChange(WParam event, const Guid& classGuid);
    void StartClient();
    void EndProgramQuietly();
    void DestroyHub(Process& process);
    Process* ProcessOf(Hwnd window);
    std::string ChannelOf(const std::string& text) const;
    bool ResolveMessage(const Token& token, unsigned& message, std::string& error);
    bool ResolveParam(const Token& token, std::int64_t& value, std::string& error);
    void ApplyFileLine(const ScriptLine& line);
    bool StepError(const Step& step, const std::string& reason);

    std::ostream& out_;
    std::ostream& err_;
    std::int64_t now_ = 0;
    std::int64_t epoch_ = 1161234567;
    Scheduler scheduler_;
    FileSystem files_;
    std::vector<TraceLine> trace_;
    bool muted_ = false;

    std::vector<std::unique_ptr<Process>> processes_;
    Process* current_ = nullptr;  // the process whose loop runs
    std::map<std::string, WindowProc> classes_;
    std::vector<Timer> timers_;
    std::uint64_t timerSeq_ = 0;
    std::uintptr_t nextThreadTimer_ = 1;

    std::vector<std::string> registered_;
    std::map<Hwnd, std::string> roles_;
    Hwnd nextWindow_ = 0x10010;
    Hwnd other_ = 0;
    Hwnd dead_ = 0;
    Hwnd instanceWindow_ = 0;
    Hwnd companion_ = 0;
    Hwnd foreground_ = 0;
    Client client_;
    bool companionFile_ = false;
    std::string windowsVersion_ = "5.1";
    std::string uiLanguage_ = "en-US";
    bool trayPresent_ = false;
    std::map<IconHandle, std::string> icons_;
    IconHandle nextIcon_ = 0x100;

    // Step machine.
    StepSource* steps_ = nullptr;
    std::optional<Step> step_;
    std::size_t stepFirstLine_ = 0;
    std::optional<std::int64_t> waitTarget_;
    bool programEnded_ = false;
    bool sourceDone_ = false;
    int exitCode_ = 0;
};

}  // namespace calvox::sim
