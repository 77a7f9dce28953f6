// The Win32 implementation of the ports: each call is a translation to the
// Windows API of the same name; every rule stays in the core.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// After windows.h, which they need.
#include <dbt.h>
#include <shellapi.h>
// The API's ANSI/wide macros would rename the ports' methods of the same name,
// in the core's headers too, whichever comes first.
#undef FindWindow
#undef RegisterClass
#undef CreateWindow
#undef GetMessage
#undef DispatchMessage
#undef PostMessage
#undef DefWindowProc
#undef RegisterWindowMessage
#undef CreateEvent
#undef CreateDirectory
#undef GetFileAttributes
#undef SetFileAttributes
#undef GetModuleFileName
#undef GetWindowsDirectory
#undef ShellExecute
#undef GetUserName
#undef GetClassName
#undef GetWindowText
#undef SetWindowText
#undef SendMessage
#undef LoadString
#undef DialogBox

#include "platform/platform.h"

namespace calvox::win32 {

GUID ToGUID(const Guid& guid);
Guid FromGUID(const GUID& guid);

class WinWindow final : public WindowPort {
public:
    WinWindow();
    ~WinWindow() override;
    WinWindow(const WinWindow&) = delete;
    WinWindow& operator=(const WinWindow&) = delete;

    Hwnd FindWindow(const std::string& className, const std::string& title) override;
    bool RegisterClass(const WindowClassSpec& windowClass, WindowProc proc) override;
    Hwnd CreateWindow(const WindowCreateSpec& creation) override;
    void ShowWindow(Hwnd window, int show) override;
    void UpdateWindow(Hwnd window) override;

    bool GetMessage(Msg& msg) override;
    void TranslateMessage(const Msg& msg) override;
    LResult DispatchMessage(const Msg& msg) override;

    bool PostMessage(Hwnd window, unsigned message, WParam wParam, LParam lParam) override;
    void PostQuitMessage(int code) override;
    LResult DefWindowProc(Hwnd window, unsigned message, WParam wParam, LParam lParam) override;
    bool IsWindow(Hwnd window) override;
    Hwnd GetForegroundWindow() override;

    unsigned RegisterWindowMessage(const std::string& text) override;
    void BroadcastMessageTimeout(unsigned message, WParam wParam, LParam lParam,
                                 unsigned timeoutMs) override;
    LResult SendCopyData(Hwnd to, Hwnd from, const CopyDataRecord& record) override;

    DeviceNotifyHandle RegisterDeviceInterfaceNotification(Hwnd window, const Guid& classGuid,
                                                           DeviceInterfaceProc proc) override;
    void UnregisterDeviceNotification(DeviceNotifyHandle handle) override;

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
    void DestroyMenu(MenuHandle menu) override;
    void DialogBox(int resourceId, Hwnd owner,
                   const std::function<void(DialogItems&)>& init) override;

    // The class procedure of a window, for the shared WNDPROC; null when the
    // class is not one of ours.
    const WindowProc* ProcOfClass(std::uint16_t atom) const;
    // A WM_DEVICECHANGE to one of our windows: an arrival or removal of a
    // device interface is told to the procedures that watch its class.
    void DeviceChanged(Hwnd window, WParam event, LParam broadcast);

private:
    std::map<std::uint16_t, WindowProc> procs_;  // by class atom
    struct Watch {
        Hwnd window;
        Guid classGuid;
        DeviceInterfaceProc proc;
    };
    std::map<DeviceNotifyHandle, Watch> watches_;
};

class WinClock final : public ClockPort {
public:
    WinClock();
    ~WinClock() override;
    WinClock(const WinClock&) = delete;
    WinClock& operator=(const WinClock&) = delete;

    void SetTimer(Hwnd window, std::uintptr_t id, std::uint32_t periodMs) override;
    void KillTimer(Hwnd window, std::uintptr_t id) override;
    std::uintptr_t SetThreadTimer(std::uint32_t periodMs, ThreadTimerProc proc) override;
    void KillThreadTimer(std::uintptr_t id) override;
    void Sleep(std::uint32_t ms) override;
    std::int64_t Now() override;
    std::uint32_t TickCount() override;

    // Runs the procedure of a thread timer, for the shared TIMERPROC.
    void Fire(std::uintptr_t id);

private:
    std::map<std::uintptr_t, ThreadTimerProc> threadTimers_;
};

// The exit code of a thread this program had to terminate, so that one can be
// told from a thread that returned (0) or ended with the process.
inline constexpr unsigned long kTerminatedThreadExitCode = 0xDEAD7E57;

class WinThreads final : public ThreadPort {
public:
    EventHandle CreateEvent(const std::string& name, bool manualReset,
                            bool initiallySignaled) override;
    void SetEvent(EventHandle event) override;
    void ResetEvent(EventHandle event) override;
    void CloseEvent(EventHandle event) override;
    WaitResult WaitEvent(EventHandle event, std::uint32_t timeoutMs) override;
    WaitResult WaitEvents(const std::vector<EventHandle>& events, std::uint32_t timeoutMs,
                          std::size_t& index) override;

    ThreadHandle StartThread(const std::string& name, std::function<void()> body) override;
    bool JoinThread(ThreadHandle thread, std::uint32_t timeoutMs) override;
    void AbandonThread(ThreadHandle thread) override;
    void CloseThread(ThreadHandle thread) override;
    void WorkerSleep(std::uint32_t ms) override;

    LockHandle CreateLock() override;
    void Acquire(LockHandle lock) override;
    void Release(LockHandle lock) override;
    void DestroyLock(LockHandle lock) override;
};

inline constexpr std::size_t kLogRollOverBytes = 1024 * 1024;
inline constexpr std::size_t kLogQueueLimit = 1000;
inline constexpr DWORD kLogStopLimitMs = 2000;

// The diagnostic log file (Calvox.log beside the program), rolled over to
// Calvox.log.1 when the next line would take it past the limit.
// The longest window text read from another program.
inline constexpr std::size_t kWindowTextLimit = 4096;

class WinLog final : public LogPort {
public:
    WinLog();
    WinLog(std::string path, std::size_t rollOverBytes);
    ~WinLog() override;
    WinLog(const WinLog&) = delete;
    WinLog& operator=(const WinLog&) = delete;

    // Stamps the line with the local time and queues it; never waits for the disk.
    void WriteLine(const std::string& line) override;

    // What the writer thread works with: a thread that does not stop in time
    // keeps it, so it is left to end with the process instead of being killed.
    struct Writer;

private:
    Writer* writer_;
};

class WinProfile final : public ProfilePort {
public:
    int GetInt(const std::string& section, const std::string& key, int defaultValue,
               const std::string& path) override;
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& path, std::size_t bufferSize) override;
    bool WriteString(const std::string& section, const std::string& key, const std::string& value,
                     const std::string& path) override;
};

class WinShell final : public ShellPort {
public:
    void ShellExecute(Hwnd window, const std::string& verb, const std::string& file,
                      const std::string& parameters, const std::string& folder, int show) override;
    bool NotifyIcon(TrayOp op, const TrayIconRecord& record) override;
    IconHandle LoadIconFile(const std::string& path) override;
    IconHandle LoadIconResource(int id) override;
    void DestroyIcon(IconHandle icon) override;
    std::u16string LoadString(int id) override;
    bool GetVersionTranslations(std::vector<VersionTranslation>& translations) override;
    bool QueryVersionString(const std::string& subBlock, std::u16string& value) override;
};

class WinText final : public TextPort {
public:
    bool AnsiToWide(const std::string& ansi, std::u16string& wide) override;
    bool WideToAnsi(const std::u16string& wide, std::string& ansi) override;
};

class WinUsb final : public UsbPort {
public:
    UsbHandle OpenHostController(int n) override;
    std::vector<std::string> EnumerateHostControllers() override;
    UsbHandle OpenPath(const std::string& path, bool isHubName) override;
    void CloseUsb(UsbHandle handle) override;
    bool GetRootHubName(UsbHandle controller, std::string& name) override;
    bool GetPortCount(UsbHandle hub, int& ports) override;
    bool GetConnection(UsbHandle hub, int port, UsbConnection& connection) override;
    bool GetConnectionName(UsbHandle hub, int port, std::string& name) override;
    bool GetConfigurationDescriptor(UsbHandle hub, int port,
                                    std::vector<std::uint8_t>& bytes) override;
};

class WinEndpoints final : public AudioEndpointPort {
public:
    std::vector<std::vector<std::string>> EnumerateCategory(const Guid& category, int maxDevices,
                                                            int maxInterfaces) override;
    ComponentIdResult QueryComponentName(const std::string& path, Guid& nameGuid) override;
};

class WinSystem final : public SystemPort {
public:
    bool GetVersion(OsVersion& version) override;
    bool GetUserName(std::string& name) override;
    bool GetAppDataFolder(std::string& folder) override;
    bool ToLocalTime(std::int64_t seconds, LocalTimeParts& parts) override;
};

class WinDriver final : public DriverPort {
public:
    bool InitializeCom() override;
    void UninitializeCom() override;
    DriverObject Create(const Guid& classId, const Guid& interfaceId) override;
    void ReleaseObject(DriverObject object) override;
    int Set(DriverObject object, std::uint32_t property, void* block, std::uint32_t size) override;
    int Get(DriverObject object, std::uint32_t property, void* block, std::uint32_t size) override;
};

class WinBinaryFiles final : public BinaryFilePort {
public:
    FileHandle OpenFile(const std::string& path, FileOpenMode mode) override;
    bool FileSize(FileHandle file, std::uint64_t& size) override;
    bool SeekFile(FileHandle file, std::uint64_t offset) override;
    bool ReadFile(FileHandle file, void* dst, std::size_t bytes, std::size_t& got) override;
    bool WriteFile(FileHandle file, const void* src, std::size_t bytes) override;
    void CloseFile(FileHandle file) override;
    bool LoadResource(const std::string& name, const std::string& type,
                      std::vector<std::uint8_t>& bytes) override;
};

// The ports whose Win32 records stay private to their own source files.
std::unique_ptr<FilePort> MakeFilePort();
std::unique_ptr<HidPort> MakeHidPort();
std::unique_ptr<RegistryPort> MakeRegistryPort();
std::unique_ptr<MixerPort> MakeMixerPort();
// DirectSound and DirectSoundCapture from the system's "dsound.dll", loaded
// on first use.
std::unique_ptr<SoundPort> MakeSoundPort();

// Every port of one process, as the entry point hands them to the core.
struct WinPlatform {
    WinWindow window;
    WinClock clock;
    WinThreads threads;
    WinProfile profile;
    std::unique_ptr<FilePort> files = MakeFilePort();
    WinShell shell;
    WinText text;
    std::unique_ptr<HidPort> hid = MakeHidPort();
    WinUsb usb;
    WinEndpoints endpoints;
    std::unique_ptr<RegistryPort> registry = MakeRegistryPort();
    WinSystem system;
    std::unique_ptr<MixerPort> mixer = MakeMixerPort();
    WinDriver driver;
    std::unique_ptr<SoundPort> sound = MakeSoundPort();
    WinLog log;
    WinBinaryFiles binaryFiles;
    Platform ports{window, clock,  threads, profile,     *files,    shell,
                   text,   *hid,   usb,     endpoints,   *registry, system,
                   *mixer, driver, *sound,  binaryFiles, nullptr,   &log};
};

}  // namespace calvox::win32
