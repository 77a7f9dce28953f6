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
#include "sim/virtual_handset.h"
#include "sim/virtual_mixer.h"
#include "sim/virtual_registry.h"
#include "sim/virtual_sound.h"

namespace calvox::sim {

struct TraceLine {
    std::int64_t time;
    std::string text;  // channel first
};

// The Windows name of a message as the trace writes it ("WM_CHAR"), else its
// number in hexadecimal.
std::string MessageName(unsigned message);

// How a run is shown: each step as it begins, each trace line as it is
// written, and the handset pictures that steps ask for.
class TracePresenter {
public:
    virtual ~TracePresenter() = default;
    virtual void StepBegins(const ScriptLine& line) = 0;
    virtual void TraceWritten(const TraceLine& line) = 0;
    virtual void HandsetShown(const std::string& caption, const std::string& picture) = 0;
};

// The trace as the scenario language writes it: "@MS CHANNEL ...".
class RawTrace : public TracePresenter {
public:
    explicit RawTrace(std::ostream& out) : out_(out) {}
    void StepBegins(const ScriptLine&) override {}
    void TraceWritten(const TraceLine& line) override;
    void HandsetShown(const std::string& caption, const std::string& picture) override;

private:
    std::ostream& out_;
};

// Where the steps come from: a parsed script or lines typed at a prompt.
class StepSource {
public:
    virtual ~StepSource() = default;
    virtual bool Next(Step& step) = 0;
};

// The steps of a parsed script, in order.
class ScriptSteps : public StepSource {
public:
    explicit ScriptSteps(std::vector<Step> steps) : steps_(std::move(steps)) {}
    bool Next(Step& step) override {
        if (next_ >= steps_.size()) return false;
        step = steps_[next_++];
        return true;
    }

private:
    std::vector<Step> steps_;
    std::size_t next_ = 0;
};

class Simulation : public WindowPort,
                   public ClockPort,
                   public ThreadPort,
                   public ProfilePort,
                   public FilePort,
                   public ShellPort,
                   public TextPort,
                   public HidPort,
                   public UsbPort,
                   public AudioEndpointPort,
                   public RegistryPort,
                   public SystemPort,
                   public MixerPort,
                   public DriverPort,
                   public BinaryFilePort,
                   public ObserverPort,
                   public LogPort {
public:
    explicit Simulation(std::ostream& out, std::ostream& err);
    ~Simulation() override;

    // Applies the world lines; false with `error` set on a line it cannot take.
    bool ApplyWorld(const std::vector<ScriptLine>& world, ParseError& error);
    // Runs the steps; returns the exit code (0 all held, 1 an expect failed,
    // 2 a step could not run).
    int Run(StepSource& steps);
    // Shows the run through `presenter` instead of the raw trace.
    void SetPresenter(TracePresenter& presenter) { presenter_ = &presenter; }
    // Steps typed at a prompt: one that cannot run is refused with a "?" line
    // on the output, and the run goes on.
    void ForgiveStepErrors() { forgiving_ = true; }
    // The program has run and its run has ended.
    bool ProgramEnded() const { return !processes_.empty() && processes_.front()->ended; }
    // Worker threads of the program that have not ended.
    std::size_t UnfinishedThreads() const { return scheduler_.Unfinished(); }

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
    std::uint32_t GetWindowProcessId(Hwnd window) override;
    std::vector<Hwnd> EnumTopLevelWindows() override;
    std::vector<Hwnd> EnumDescendants(Hwnd parent) override;
    std::string GetClassName(Hwnd window) override;
    bool IsWindowVisible(Hwnd window) override;
    bool GetWindowRect(Hwnd window, Rect& rect) override;
    Hwnd WindowFromPoint(int x, int y) override;
    bool GetWindowText(Hwnd window, std::string& text) override;
    LResult SetWindowText(Hwnd window, const char* text) override;
    bool SendKeyInput(const KeyInput& input) override;
    bool SendMouseInput(const MouseInput& input) override;
    int GetSystemMetrics(int index) override;
    MenuHandle CreatePopupMenu() override;
    bool AppendMenuItem(MenuHandle menu, unsigned id, const std::u16string& text) override;
    bool GetCursorPos(int& x, int& y) override;
    bool SetForegroundWindow(Hwnd window) override;
    unsigned TrackPopupMenu(MenuHandle menu, unsigned flags, int x, int y, Hwnd owner) override;
    void DestroyMenu(MenuHandle menu) override { menus_.erase(menu); }
    void DialogBox(int resourceId, Hwnd owner,
                   const std::function<void(DialogItems&)>& init) override;

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
    WaitResult WaitEvents(const std::vector<EventHandle>& events, std::uint32_t timeoutMs,
                          std::size_t& index) override;
    ThreadHandle StartThread(const std::string& name, std::function<void()> body) override;
    bool JoinThread(ThreadHandle thread, std::uint32_t timeoutMs) override;
    void AbandonThread(ThreadHandle thread) override { scheduler_.Abandon(thread); }
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
    bool ReadTextFile(const std::string& path, std::string& content) override;
    bool GetCreationTime(const std::string& path, std::uint64_t& fileTime) override;

    // ShellPort
    void ShellExecute(Hwnd window, const std::string& verb, const std::string& file,
                      const std::string& parameters, const std::string& folder,
                      int show) override;
    bool NotifyIcon(TrayOp op, const TrayIconRecord& record) override;
    IconHandle LoadIconFile(const std::string& path) override;
    IconHandle LoadIconResource(int id) override;
    void DestroyIcon(IconHandle) override {}
    std::u16string LoadString(int id) override;
    bool GetVersionTranslations(std::vector<VersionTranslation>& translations) override;
    bool QueryVersionString(const std::string& subBlock, std::u16string& value) override;

    // TextPort
    bool AnsiToWide(const std::string& ansi, std::u16string& wide) override;
    bool WideToAnsi(const std::u16string& wide, std::string& ansi) override;

    // HidPort
    Guid GetHidGuid() override { return handsets_.GetHidGuid(); }
    std::vector<std::string> EnumerateHidInterfaces() override {
        return handsets_.EnumerateHidInterfaces();
    }
    HidHandle OpenDevice(const std::string& path) override { return handsets_.OpenDevice(path); }
    void CloseDevice(HidHandle handle) override { handsets_.CloseDevice(handle); }
    bool GetAttributes(HidHandle handle, std::uint16_t& vendorId,
                       std::uint16_t& productId) override {
        return handsets_.GetAttributes(handle, vendorId, productId);
    }
    bool GetCaps(HidHandle handle, std::uint16_t& inputLength,
                 std::uint16_t& outputLength) override {
        return handsets_.GetCaps(handle, inputLength, outputLength);
    }
    bool GetProductString(HidHandle handle, std::u16string& text) override {
        return handsets_.GetProductString(handle, text);
    }
    HidReadResult Read(HidHandle handle, std::uint8_t* buffer, std::size_t length,
                       std::size_t& bytesRead) override {
        return handsets_.Read(handle, buffer, length, bytesRead);
    }
    void CancelRead(HidHandle handle) override { handsets_.CancelRead(handle); }
    bool Write(HidHandle handle, const std::vector<std::uint8_t>& report,
               std::uint32_t timeoutMs) override {
        return handsets_.Write(handle, report, timeoutMs);
    }
    std::string LastError(HidHandle handle) override { return handsets_.LastError(handle); }

    // UsbPort
    UsbHandle OpenHostController(int n) override { return handsets_.OpenHostController(n); }
    std::vector<std::string> EnumerateHostControllers() override {
        return handsets_.EnumerateHostControllers();
    }
    UsbHandle OpenPath(const std::string& path, bool isHubName) override {
        return handsets_.OpenPath(path, isHubName);
    }
    bool GetRootHubName(UsbHandle controller, std::string& name) override {
        return handsets_.GetRootHubName(controller, name);
    }
    bool GetPortCount(UsbHandle hub, int& ports) override {
        return handsets_.GetPortCount(hub, ports);
    }
    bool GetConnection(UsbHandle hub, int port, UsbConnection& connection) override {
        return handsets_.GetConnection(hub, port, connection);
    }
    bool GetConnectionName(UsbHandle hub, int port, std::string& name) override {
        return handsets_.GetConnectionName(hub, port, name);
    }
    bool GetConfigurationDescriptor(UsbHandle hub, int port,
                                    std::vector<std::uint8_t>& bytes) override {
        return handsets_.GetConfigurationDescriptor(hub, port, bytes);
    }

    void CloseUsb(UsbHandle handle) override { handsets_.CloseUsb(handle); }

    // AudioEndpointPort
    std::vector<std::vector<std::string>> EnumerateCategory(const Guid& category, int maxDevices,
                                                            int maxInterfaces) override {
        return handsets_.EnumerateCategory(category, maxDevices, maxInterfaces);
    }
    ComponentIdResult QueryComponentName(const std::string& path, Guid& nameGuid) override {
        return handsets_.QueryComponentName(path, nameGuid);
    }

    // RegistryPort
    bool ReadString(RegistryHive hive, const std::string& key, const std::string& value,
                    std::size_t maxBytes, std::string& out) override {
        return registry_.ReadString(hive, key, value, maxBytes, out);
    }
    bool KeyExists(RegistryHive hive, const std::string& key) override {
        return registry_.KeyExists(hive, key);
    }
    bool CreateKey(RegistryHive hive, const std::string& key) override {
        return registry_.CreateKey(hive, key);
    }
    bool EnumerateSubkey(RegistryHive hive, const std::string& key, std::uint32_t index,
                         std::string& name) override {
        return registry_.EnumerateSubkey(hive, key, index, name);
    }
    bool ReadDword(RegistryHive hive, const std::string& key, const std::string& value,
                   std::uint32_t& out) override {
        return registry_.ReadDword(hive, key, value, out);
    }
    bool WriteString(RegistryHive hive, const std::string& key, const std::string& value,
                     const std::string& text) override {
        return registry_.WriteString(hive, key, value, text);
    }
    bool WriteDword(RegistryHive hive, const std::string& key, const std::string& value,
                    std::uint32_t data) override {
        return registry_.WriteDword(hive, key, value, data);
    }

    // SystemPort
    bool GetVersion(OsVersion& version) override;
    bool GetUserName(std::string& name) override {
        name = "user";
        return true;
    }
    bool GetAppDataFolder(std::string& folder) override {
        folder = "C:\\Documents and Settings\\user\\Application Data";
        return true;
    }
    bool ToLocalTime(std::int64_t seconds, LocalTimeParts& parts) override;

    // MixerPort
    unsigned GetDeviceCount() override { return mixers_.GetDeviceCount(); }
    bool GetDeviceName(unsigned id, std::string& name) override {
        return mixers_.GetDeviceName(id, name);
    }
    void Close(MixerHandle mixer) override { mixers_.Close(mixer); }
    MixerHandle Open(unsigned id, Hwnd callbackWindow) override {
        return mixers_.Open(id, callbackWindow);
    }
    bool GetDestinationCount(MixerHandle mixer, std::uint32_t& count) override {
        return mixers_.GetDestinationCount(mixer, count);
    }
    bool GetDestination(MixerHandle mixer, std::uint32_t destination, MixerLine& line) override {
        return mixers_.GetDestination(mixer, destination, line);
    }
    bool GetSource(MixerHandle mixer, std::uint32_t destination, std::uint32_t source,
                   MixerLine& line) override {
        return mixers_.GetSource(mixer, destination, source, line);
    }
    bool GetControlByType(MixerHandle mixer, std::uint32_t lineId, std::uint32_t type,
                          MixerControl& control) override {
        return mixers_.GetControlByType(mixer, lineId, type, control);
    }
    bool GetAllControls(MixerHandle mixer, const MixerLine& line,
                        std::vector<MixerControl>& controls) override {
        return mixers_.GetAllControls(mixer, line, controls);
    }
    bool GetValues(MixerHandle mixer, std::uint32_t controlId, std::uint32_t channels,
                   std::vector<std::uint32_t>& values) override {
        return mixers_.GetValues(mixer, controlId, channels, values);
    }
    bool SetValues(MixerHandle mixer, std::uint32_t controlId,
                   const std::vector<std::uint32_t>& values) override {
        return mixers_.SetValues(mixer, controlId, values);
    }

    // DriverPort: the handset driver's control object, when `driver` installs it.
    bool InitializeCom() override { return true; }
    void UninitializeCom() override {}
    DriverObject Create(const Guid& classId, const Guid& interfaceId) override;
    void ReleaseObject(DriverObject) override {}
    int Set(DriverObject object, std::uint32_t property, void* block, std::uint32_t size) override;
    int Get(DriverObject object, std::uint32_t property, void* block, std::uint32_t size) override;

    // BinaryFilePort: the virtual files; the built-in ring is silence.
    FileHandle OpenFile(const std::string& path, FileOpenMode mode) override;
    bool FileSize(FileHandle file, std::uint64_t& size) override;
    bool SeekFile(FileHandle file, std::uint64_t offset) override;
    bool ReadFile(FileHandle file, void* dst, std::size_t bytes, std::size_t& got) override;
    bool WriteFile(FileHandle file, const void* src, std::size_t bytes) override;
    void CloseFile(FileHandle file) override { openFiles_.erase(file); }
    bool LoadResource(const std::string& name, const std::string& type,
                      std::vector<std::uint8_t>& bytes) override;

    // The sound devices.
    SoundPort& Sound() { return sound_; }

    // The client's API window (0 without a client), for tests that attach by hand.
    Hwnd ClientApiWindow() const { return client_.exists ? client_.api : 0; }

    // What the handset in use shows; empty without one.
    std::string HandsetPicture() const {
        const int i = handsets_.InUse();
        return i < 0 ? std::string() : handsets_.DisplayPicture(i);
    }

    // The virtual devices, for tests that look at them directly.
    VirtualHandsets& Handsets() { return handsets_; }
    VirtualMixers& Mixers() { return mixers_; }
    VirtualRegistry& Registry() { return registry_; }

    // Why a step cannot run in the present state of the world (plugging a
    // plugged handset); empty when it can. A script is checked as a whole by
    // the parser; typed steps are checked here.
    std::string Refusal(const ScriptLine& step) const;

    // ObserverPort
    void KeyAction(int code, int count, bool released) override;
    void SoundLoad(const std::string& file) override;
    void RecorderStart(const std::string& device, const std::string& file) override;
    void RecorderStop() override;

    // LogPort: the diagnostic log goes straight to the trace.
    void WriteLine(const std::string& line) override;

    // A popup menu's items, as the person at the prompt is shown them.
    struct MenuItem {
        unsigned id = 0;
        std::string text;  // UTF-8
    };
    // Who chooses from a popup menu that no `menu-choose` answered (the
    // person at the prompt); without one such a menu returns nothing.
    using MenuChooser = std::function<unsigned(const std::vector<MenuItem>&)>;
    void SetMenuChooser(MenuChooser chooser) { menuChooser_ = std::move(chooser); }

private:
    struct Process {
        Hwnd hub = 0;
        WindowProc proc;
        std::deque<Msg> queue;
        bool destroyed = false;
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
    // One of the client's windows, as the window functions see it.
    struct ClientWindow {
        Hwnd handle = 0;
        Hwnd parent = 0;  // 0: top-level
        const char* className = "";
        Rect rect;
    };
    struct Client {
        bool exists = false;
        Hwnd api = 0, mainForm = 0, pageControl = 0, contactList = 0, historyList = 0,
             addressBar = 0;
        Hwnd addressHolder = 0;  // the bar or filter bar around the edit
        std::string addressText;
        bool historyShowing = false;
        bool pageControlPressed = false;
        Hwnd focus = 0;  // the window that takes typed keys
        bool shiftDown = false;
        bool answerDiscover = true;
        LResult returns = 1;
        std::optional<std::int64_t> returnsCount;
        std::string layout = "standard";
        // What the client has told of itself, for `ring`: its contacts'
        // full names by handle, and the highest call id it has named.
        std::map<std::string, std::string> fullNames;
        std::int64_t lastCallId = 0;
    };

    // The client's windows (client_windows.cpp).
    std::vector<ClientWindow> ClientWindowList() const;
    std::optional<ClientWindow> FindClientWindow(Hwnd window) const;
    std::string MessageTrace(const char* how, Hwnd window, unsigned message, WParam wParam,
                             const std::string& lParam) const;
    void ClientWindowMessage(Hwnd window, unsigned message, WParam wParam, LParam lParam);
    void TypeIntoFocus(std::uint16_t virtualKey);

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
    bool PressKey(const Step& step);
    void Ring(const ScriptLine& line);
    void NoteClientText(const std::string& text);
    void CheckExpects(const Step& step, std::size_t firstLine);
    std::optional<Msg> DueTimerMessage(std::int64_t limit);
    std::optional<std::int64_t> NextTimerDue() const;
    void SendToHub(unsigned message, WParam wParam, LParam lParam);
    void PostToHub(unsigned message, WParam wParam, LParam lParam);
    void SendDeviceChange(WParam event, const Guid& classGuid);
    void PlugHandset(int handset, bool plugged);
    bool SetMixerFromStep(const Step& step);
    int HandsetOfStep() const;
    void StartClient();
    void EndProgramQuietly();
    void DestroyHub(Process& process);
    Process* ProcessOf(Hwnd window);
    std::string ChannelOf(const std::string& text) const;
    bool ResolveMessage(const Token& token, unsigned& message, std::string& error);
    bool ResolveParam(const Token& token, std::int64_t& value, std::string& error);
    void ApplyFileLine(const ScriptLine& line);
    void ApplyFileContent(const ScriptLine& line, const std::string& path);
    bool StepError(const Step& step, const std::string& reason);

    std::ostream& out_;
    std::ostream& err_;
    RawTrace raw_;
    TracePresenter* presenter_ = &raw_;
    bool forgiving_ = false;
    std::int64_t now_ = 0;
    std::int64_t epoch_ = 1161234567;
    Scheduler scheduler_;
    FileSystem files_;
    bool started_ = false;                 // the steps have begun
    std::vector<std::string> worldFiles_;  // world files without a creation time of their own
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
    struct Driver {
        bool installed = false;
        bool refuse = false;
        std::map<std::uint32_t, std::optional<std::int32_t>> status;  // nullopt: queries fail
        std::int32_t lastReply = 0;
    } driver_;
    std::string windowsVersion_ = "5.1";
    VirtualHandsets handsets_;
    VirtualMixers mixers_;
    VirtualRegistry registry_;
    VirtualSound sound_;
    struct OpenFileState {
        std::string path;
        std::uint64_t position = 0;
    };
    std::map<FileHandle, OpenFileState> openFiles_;
    FileHandle nextFile_ = 0x900;
    bool traceScan_ = false;
    std::int64_t diskFree_ = -1;  // bytes the disk still holds; -1: no limit
    std::string uiLanguage_ = "en-US";
    bool trayPresent_ = false;
    std::map<IconHandle, std::string> icons_;
    IconHandle nextIcon_ = 0x100;
    std::map<MenuHandle, std::vector<MenuItem>> menus_;
    MenuHandle nextMenu_ = 0x2000;
    std::optional<unsigned> menuChoice_;  // from `menu-choose`, for the next menu
    MenuChooser menuChooser_;

    // Step machine.
    StepSource* steps_ = nullptr;
    std::optional<Step> step_;
    std::size_t stepFirstLine_ = 0;
    std::optional<std::int64_t> waitTarget_;
    // Parts of the step that run one after another, each when the program is
    // idle again (the client's texts of `ring`, the key release of `press`).
    struct StepPart {
        ScriptLine line;
        bool told = false;  // shown to the presenter as a step of its own
    };
    std::deque<StepPart> stepParts_;
    bool sourceDone_ = false;
    int exitCode_ = 0;
};

}  // namespace calvox::sim
