// The Win32 implementation of the ports: each call is a translation to the
// Windows API of the same name; every rule stays in the core.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
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

// The hidden window's port; one a process (the window and timer callbacks
// reach it through that one instance).
std::unique_ptr<WindowPort> MakeWindowPort();
// A modal dialog from the program's resources, for the window port.
void RunDialogBox(int resourceId, Hwnd owner, const std::function<void(DialogItems&)>& init);

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

// The longest window text read from another program.
inline constexpr std::size_t kWindowTextLimit = 4096;

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

// The ports whose Win32 records stay private to their own source files.
std::unique_ptr<ThreadPort> MakeThreadPort();
std::unique_ptr<ProfilePort> MakeProfilePort();
std::unique_ptr<FilePort> MakeFilePort();
std::unique_ptr<HidPort> MakeHidPort();
std::unique_ptr<UsbPort> MakeUsbPort();
std::unique_ptr<AudioEndpointPort> MakeAudioEndpointPort();
std::unique_ptr<RegistryPort> MakeRegistryPort();
std::unique_ptr<SystemPort> MakeSystemPort();
std::unique_ptr<MixerPort> MakeMixerPort();
std::unique_ptr<DriverPort> MakeDriverPort();
// DirectSound and DirectSoundCapture from the system's "dsound.dll", loaded
// on first use.
std::unique_ptr<SoundPort> MakeSoundPort();
std::unique_ptr<BinaryFilePort> MakeBinaryFilePort();
// The diagnostic log file, rolled over to `path`.1 when the next line would
// take it past `rollOverBytes`; the program's is Calvox.log beside it.
std::unique_ptr<LogPort> MakeLogPort(std::string path, std::size_t rollOverBytes);
std::unique_ptr<LogPort> MakeLogPort();

// Every port of one process, as the entry point hands them to the core.
struct WinPlatform {
    std::unique_ptr<WindowPort> window = MakeWindowPort();
    WinClock clock;
    std::unique_ptr<ThreadPort> threads = MakeThreadPort();
    std::unique_ptr<ProfilePort> profile = MakeProfilePort();
    std::unique_ptr<FilePort> files = MakeFilePort();
    WinShell shell;
    WinText text;
    std::unique_ptr<HidPort> hid = MakeHidPort();
    std::unique_ptr<UsbPort> usb = MakeUsbPort();
    std::unique_ptr<AudioEndpointPort> endpoints = MakeAudioEndpointPort();
    std::unique_ptr<RegistryPort> registry = MakeRegistryPort();
    std::unique_ptr<SystemPort> system = MakeSystemPort();
    std::unique_ptr<MixerPort> mixer = MakeMixerPort();
    std::unique_ptr<DriverPort> driver = MakeDriverPort();
    std::unique_ptr<SoundPort> sound = MakeSoundPort();
    std::unique_ptr<LogPort> log = MakeLogPort();
    std::unique_ptr<BinaryFilePort> binaryFiles = MakeBinaryFilePort();
    Platform ports{*window, clock,   *threads, *profile,     *files,    shell,
                   text,    *hid,    *usb,     *endpoints,   *registry, *system,
                   *mixer,  *driver, *sound,   *binaryFiles, nullptr,   log.get()};
};

}  // namespace calvox::win32
