// A platform that answers every call at once and remembers nothing but what
// the benchmarks count, so they measure the program's own work. Tests derive
// from it to fake one service and leave the rest inert.
#pragma once

#include "platform/platform.h"

namespace calvox::test {

class NullPlatform : public WindowPort, public ClockPort, public ThreadPort,
                           public ProfilePort, public FilePort, public ShellPort,
                           public TextPort, public HidPort, public UsbPort,
                           public AudioEndpointPort, public RegistryPort, public SystemPort,
                           public MixerPort, public DriverPort, public SoundPort,
                           public BinaryFilePort {
public:
    static constexpr Hwnd kClient = 0x200;
    std::size_t commandsSent = 0;
    std::size_t profileWrites = 0;

    Platform ports{*this, *this, *this, *this, *this, *this, *this, *this, *this,
                   *this, *this, *this, *this, *this, *this, *this, nullptr};

    // WindowPort
    Hwnd FindWindow(const std::string&, const std::string&) override { return 0; }
    bool RegisterClass(const WindowClassSpec&, WindowHandlers) override { return true; }
    Hwnd CreateWindow(const WindowCreateSpec&) override { return 0; }
    void ShowWindow(Hwnd, int) override {}
    void UpdateWindow(Hwnd) override {}
    int Run() override { return 0; }
    bool PostMessage(Hwnd, unsigned, WParam, LParam) override { return true; }
    void PostQuitMessage(int) override {}
    LResult DefWindowProc(Hwnd, unsigned, WParam, LParam) override { return 0; }
    bool IsWindow(Hwnd w) override { return w == kClient; }
    Hwnd GetForegroundWindow() override { return 0; }
    unsigned RegisterWindowMessage(const std::string&) override { return 0xC000; }
    void BroadcastMessageTimeout(unsigned, WParam, LParam, unsigned) override {}
    LResult SendCopyData(Hwnd, Hwnd, std::string_view) override {
        ++commandsSent;
        return 1;
    }
    DeviceNotifyHandle RegisterDeviceInterfaceNotification(Hwnd, const Guid&,
                                                           DeviceInterfaceProc) override {
        return 1;
    }
    void UnregisterDeviceNotification(DeviceNotifyHandle) override {}
    std::uint32_t GetWindowProcessId(Hwnd) override { return 0; }
    std::vector<Hwnd> EnumTopLevelWindows() override { return {}; }
    std::vector<Hwnd> EnumDescendants(Hwnd) override { return {}; }
    std::string GetClassName(Hwnd) override { return {}; }
    bool IsWindowVisible(Hwnd) override { return false; }
    bool GetWindowRect(Hwnd, Rect&) override { return false; }
    Hwnd WindowFromPoint(int, int) override { return 0; }
    bool GetWindowText(Hwnd, std::string&) override { return false; }
    LResult SetWindowText(Hwnd, const char*) override { return 0; }
    bool SendKeyInput(const KeyInput&) override { return true; }
    bool SendMouseInput(const MouseInput&) override { return true; }
    int GetSystemMetrics(int) override { return 0; }
    MenuHandle CreatePopupMenu() override { return 0; }
    bool AppendMenuItem(MenuHandle, unsigned, const std::u16string&) override { return false; }
    bool GetCursorPos(int&, int&) override { return false; }
    bool SetForegroundWindow(Hwnd) override { return false; }
    unsigned TrackPopupMenu(MenuHandle, unsigned, int, int, Hwnd) override { return 0; }
    void DestroyMenu(MenuHandle) override {}
    void DialogBox(int, Hwnd, const std::function<void(DialogItems&)>&) override {}

    // ClockPort
    void SetTimer(Hwnd, std::uintptr_t, std::uint32_t) override {}
    void KillTimer(Hwnd, std::uintptr_t) override {}
    std::uintptr_t SetThreadTimer(std::uint32_t, ThreadTimerProc) override { return 1; }
    void KillThreadTimer(std::uintptr_t) override {}
    void Sleep(std::uint32_t) override {}
    std::int64_t Now() override { return 1161234567; }
    std::uint32_t TickCount() override { return 0; }

    // ThreadPort
    EventHandle CreateEvent(const std::string&, bool, bool) override { return 1; }
    void SetEvent(EventHandle) override {}
    void ResetEvent(EventHandle) override {}
    void CloseEvent(EventHandle) override {}
    WaitResult WaitEvent(EventHandle, std::uint32_t) override { return WaitResult::Timeout; }
    WaitResult WaitEvents(const std::vector<EventHandle>&, std::uint32_t, std::size_t&) override {
        return WaitResult::Timeout;
    }
    ThreadHandle StartThread(const std::string&, std::function<void()>) override { return 0; }
    bool JoinThread(ThreadHandle, std::uint32_t) override { return true; }
    void AbandonThread(ThreadHandle) override {}
    void CloseThread(ThreadHandle) override {}
    void WorkerSleep(std::uint32_t) override {}
    LockHandle CreateLock() override { return 1; }
    void Acquire(LockHandle) override {}
    void Release(LockHandle) override {}
    void DestroyLock(LockHandle) override {}

    // ProfilePort
    int GetInt(const std::string&, const std::string&, int value, const std::string&) override {
        return value;
    }
    std::string GetString(const std::string&, const std::string&, const std::string&,
                          std::size_t) override {
        return {};
    }
    bool WriteString(const std::string&, const std::string&, const std::string&,
                     const std::string&) override {
        ++profileWrites;
        return true;
    }

    // FilePort
    std::string GetModuleFileName() override { return "C:\\Calvox\\Calvox.exe"; }
    std::string GetWindowsDirectory() override { return "C:\\WINDOWS"; }
    std::uint32_t GetFileAttributes(const std::string&) override { return kInvalidFileAttributes; }
    bool SetFileAttributes(const std::string&, std::uint32_t) override { return false; }
    bool CreateDirectory(const std::string&) override { return false; }
    std::vector<std::string> FindFiles(const std::string&) override { return {}; }
    bool ReadTextFile(const std::string&, std::string&) override { return false; }
    bool GetCreationTime(const std::string&, std::uint64_t&) override { return false; }

    // ShellPort
    void ShellExecute(Hwnd, const std::string&, const std::string&, const std::string&,
                      const std::string&, int) override {}
    bool NotifyIcon(TrayOp, const TrayIconRecord&) override { return true; }
    IconHandle LoadIconFile(const std::string&) override { return 0; }
    IconHandle LoadIconResource(int) override { return 1; }
    void DestroyIcon(IconHandle) override {}
    std::u16string LoadString(int) override { return {}; }
    bool GetVersionTranslations(std::vector<VersionTranslation>&) override { return false; }
    bool QueryVersionString(const std::string&, std::u16string&) override { return false; }

    // TextPort: the benchmarks' texts are ASCII.
    bool AnsiToWide(const std::string& ansi, std::u16string& wide) override {
        wide.assign(ansi.begin(), ansi.end());
        return true;
    }
    bool WideToAnsi(const std::u16string& wide, std::string& ansi) override {
        ansi.clear();
        for (char16_t c : wide) ansi += c < 0x100 ? static_cast<char>(c) : '?';
        return true;
    }

    // HidPort
    Guid GetHidGuid() override { return {}; }
    std::vector<std::string> EnumerateHidInterfaces() override { return {}; }
    HidHandle OpenDevice(const std::string&) override { return 0; }
    void CloseDevice(HidHandle) override {}
    bool GetAttributes(HidHandle, std::uint16_t&, std::uint16_t&) override { return false; }
    bool GetCaps(HidHandle, std::uint16_t&, std::uint16_t&) override { return false; }
    bool GetProductString(HidHandle, std::u16string&) override { return false; }
    HidReadResult Read(HidHandle, std::uint8_t*, std::size_t, std::size_t&) override {
        return HidReadResult::Failed;
    }
    void CancelRead(HidHandle) override {}
    bool Write(HidHandle, const std::vector<std::uint8_t>&, std::uint32_t) override {
        return false;
    }
    std::string LastError(HidHandle) override { return {}; }

    // UsbPort
    UsbHandle OpenHostController(int) override { return 0; }
    std::vector<std::string> EnumerateHostControllers() override { return {}; }
    UsbHandle OpenPath(const std::string&, bool) override { return 0; }
    void CloseUsb(UsbHandle) override {}
    bool GetRootHubName(UsbHandle, std::string&) override { return false; }
    bool GetPortCount(UsbHandle, int&) override { return false; }
    bool GetConnection(UsbHandle, int, UsbConnection&) override { return false; }
    bool GetConnectionName(UsbHandle, int, std::string&) override { return false; }
    bool GetConfigurationDescriptor(UsbHandle, int, std::vector<std::uint8_t>&) override {
        return false;
    }

    // AudioEndpointPort
    std::vector<std::vector<std::string>> EnumerateCategory(const Guid&, int, int) override {
        return {};
    }
    ComponentIdResult QueryComponentName(const std::string&, Guid&) override {
        return ComponentIdResult::OpenFailed;
    }

    // RegistryPort
    bool ReadString(RegistryHive, const std::string&, const std::string&, std::size_t,
                    std::string&) override {
        return false;
    }

    bool KeyExists(RegistryHive, const std::string&) override { return false; }
    bool CreateKey(RegistryHive, const std::string&) override { return false; }
    bool EnumerateSubkey(RegistryHive, const std::string&, std::uint32_t, std::string&) override {
        return false;
    }
    bool ReadDword(RegistryHive, const std::string&, const std::string&, std::uint32_t&) override {
        return false;
    }
    bool WriteString(RegistryHive, const std::string&, const std::string&,
                     const std::string&) override {
        return false;
    }
    bool WriteDword(RegistryHive, const std::string&, const std::string&, std::uint32_t) override {
        return false;
    }

    // SystemPort
    bool GetVersion(OsVersion&) override { return false; }
    bool GetUserName(std::string&) override { return false; }
    bool GetAppDataFolder(std::string&) override { return false; }
    bool ToLocalTime(std::int64_t, LocalTimeParts&) override { return false; }

    // MixerPort
    unsigned GetDeviceCount() override { return 0; }
    bool GetDeviceName(unsigned, std::string&) override { return false; }
    MixerHandle Open(unsigned, Hwnd) override { return 0; }
    void Close(MixerHandle) override {}
    bool GetDestinationCount(MixerHandle, std::uint32_t&) override { return false; }
    bool GetDestination(MixerHandle, std::uint32_t, MixerLine&) override { return false; }
    bool GetSource(MixerHandle, std::uint32_t, std::uint32_t, MixerLine&) override { return false; }
    bool GetControlByType(MixerHandle, std::uint32_t, std::uint32_t, MixerControl&) override {
        return false;
    }
    bool GetAllControls(MixerHandle, const MixerLine&, std::vector<MixerControl>&) override {
        return false;
    }
    bool GetValues(MixerHandle, std::uint32_t, std::uint32_t, std::vector<std::uint32_t>&) override {
        return false;
    }
    bool SetValues(MixerHandle, std::uint32_t, const std::vector<std::uint32_t>&) override {
        return false;
    }
    std::string LastError() override { return {}; }

    // DriverPort
    bool InitializeCom() override { return true; }
    void UninitializeCom() override {}
    DriverObject Create(const Guid&, const Guid&) override { return 0; }
    void ReleaseObject(DriverObject) override {}
    int Set(DriverObject, std::uint32_t, void*, std::uint32_t) override { return 0; }
    int Get(DriverObject, std::uint32_t, void*, std::uint32_t) override { return 0; }

    // SoundPort: no sound library.
    HResult EnumeratePlaybackDevices(std::vector<SoundDevice>&) override { return kEFail; }
    HResult CreatePlayback(const Guid*, SoundObject&) override { return kEFail; }
    HResult SetCooperativeLevel(SoundObject, Hwnd, CooperativeLevel) override { return kEFail; }
    HResult SetPrimaryFormat(SoundObject, const WaveFormat&) override { return kEFail; }
    HResult CreateBuffer(SoundObject, std::uint32_t, std::uint32_t, const WaveFormat&,
                         SoundBuffer&) override {
        return kEFail;
    }
    HResult GetBufferStatus(SoundBuffer, std::uint32_t&) override { return kEFail; }
    HResult RestoreBuffer(SoundBuffer) override { return kEFail; }
    HResult LockBuffer(SoundBuffer, std::uint32_t, std::uint32_t, LockedRegion&) override {
        return kEFail;
    }
    HResult UnlockBuffer(SoundBuffer, const LockedRegion&) override { return kEFail; }
    HResult PlayBuffer(SoundBuffer, bool) override { return kEFail; }
    HResult StopBuffer(SoundBuffer) override { return kEFail; }
    void ReleaseBuffer(SoundBuffer) override {}
    void ReleaseSound(SoundObject) override {}
    HResult EnumerateCaptureDevices(std::vector<SoundDevice>&) override { return kEFail; }
    HResult CreateCapture(const Guid*, SoundObject&) override { return kEFail; }
    HResult CreateCaptureBuffer(SoundObject, std::uint32_t, const WaveFormat&,
                                SoundBuffer&) override {
        return kEFail;
    }
    HResult GetCaptureFormat(SoundBuffer, WaveFormat&) override { return kEFail; }
    HResult SetNotifications(SoundBuffer, const std::vector<std::uint32_t>&, EventHandle) override {
        return kEFail;
    }
    HResult StartCapture(SoundBuffer) override { return kEFail; }
    HResult StopCapture(SoundBuffer) override { return kEFail; }
    HResult GetReadPosition(SoundBuffer, std::uint32_t&) override { return kEFail; }
    HResult LockCapture(SoundBuffer, std::uint32_t, std::uint32_t, LockedRegion&) override {
        return kEFail;
    }
    HResult UnlockCapture(SoundBuffer, const LockedRegion&) override { return kEFail; }
    void ReleaseCaptureBuffer(SoundBuffer) override {}
    void ReleaseCapture(SoundObject) override {}

    // BinaryFilePort
    FileHandle OpenFile(const std::string&, FileOpenMode) override { return 0; }
    bool FileSize(FileHandle, std::uint64_t&) override { return false; }
    bool SeekFile(FileHandle, std::uint64_t) override { return false; }
    bool ReadFile(FileHandle, void*, std::size_t, std::size_t&) override { return false; }
    bool WriteFile(FileHandle, const void*, std::size_t) override { return false; }
    void CloseFile(FileHandle) override {}
    bool LoadResource(const std::string&, const std::string&,
                      std::vector<std::uint8_t>&) override {
        return false;
    }
};

}  // namespace calvox::test
