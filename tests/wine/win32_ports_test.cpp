// The Win32 ports in this process, against the real API.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "win32/win_platform.h"
#include "wine_support.h"

namespace wine_test {
namespace {

using namespace calvox;
using namespace calvox::win32;

constexpr WParam kWatchdogCode = 0xDEAD;

// Posts WM_QUIT to the creating thread after a limit, so a message that never
// comes fails the test instead of hanging the loop.
class LoopWatchdog {
public:
    explicit LoopWatchdog(DWORD limitMs)
        : stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          thread_([this, limitMs, id = GetCurrentThreadId()] {
              if (WaitForSingleObject(stop_, limitMs) == WAIT_TIMEOUT)
                  PostThreadMessageA(id, WM_QUIT, kWatchdogCode, 0);
          }) {}
    ~LoopWatchdog() {
        SetEvent(stop_);
        thread_.join();
        CloseHandle(stop_);
    }

private:
    HANDLE stop_;
    std::thread thread_;
};

// The program's loop, through the port; returns the quit's code.
int RunLoop(WindowPort& windows) {
    LoopWatchdog watchdog(5000);
    return windows.Run();
}

WindowCreateSpec CreationOf(const std::string& className) {
    WindowCreateSpec creation;
    creation.className = className;
    creation.title = className;
    creation.style = WS_OVERLAPPEDWINDOW;
    creation.x = creation.width = CW_USEDEFAULT;
    return creation;
}

TEST(Win32Ports, ClassProcedureGetsCreationMessagesAndWindowTimers) {
    const std::unique_ptr<WindowPort> port = MakeWindowPort();
    WindowPort& windows = *port;
    WinClock clock;
    WindowClassSpec windowClass;
    windowClass.className = "Calvox port test window";
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.backgroundBrush = COLOR_WINDOW + 1;
    Hwnd createdAs = 0;
    std::vector<WParam> ticks;
    WindowHandlers handlers;
    handlers.message = [&](Hwnd w, unsigned m, WParam wp, LParam lp) {
        if (m == WM_CREATE) createdAs = w;
        if (m == WM_TIMER) {
            ticks.push_back(wp);
            if (ticks.size() == 2) {
                clock.KillTimer(w, wp);
                windows.PostQuitMessage(7);
            }
            return LResult{0};
        }
        return windows.DefWindowProc(w, m, wp, lp);
    };
    ASSERT_TRUE(windows.RegisterClass(windowClass, std::move(handlers)));

    Hwnd window = windows.CreateWindow(CreationOf(windowClass.className));
    ASSERT_NE(window, 0u);
    EXPECT_EQ(createdAs, window) << "WM_CREATE must reach the procedure inside CreateWindowEx";
    EXPECT_EQ(windows.FindWindow(windowClass.className, windowClass.className), window);
    EXPECT_EQ(GetClassLongPtrA(reinterpret_cast<HWND>(window), GCLP_HBRBACKGROUND),
              ULONG_PTR{COLOR_WINDOW + 1});
    EXPECT_TRUE(windows.IsWindow(window));

    clock.SetTimer(window, 0x413, 10);
    EXPECT_EQ(RunLoop(windows), 7);
    EXPECT_EQ(ticks, (std::vector<WParam>{0x413, 0x413}));
    DestroyWindow(reinterpret_cast<HWND>(window));
    EXPECT_FALSE(windows.IsWindow(window));
}

// The records only Windows lays out reach the class's handlers decoded: a
// WM_COPYDATA as its sender and a copy of its bytes, a mixer's notices as
// what changed. Everything else still reaches the message procedure.
TEST(Win32Ports, CopyDataAndMixerNoticesReachTheirHandlersDecoded) {
    const std::unique_ptr<WindowPort> port = MakeWindowPort();
    WindowPort& windows = *port;
    WindowClassSpec windowClass;
    windowClass.className = "Calvox decoded messages";
    std::vector<std::pair<Hwnd, std::string>> texts;
    std::vector<MixerChange> changes;
    std::vector<unsigned> others;
    WindowHandlers handlers;
    handlers.message = [&](Hwnd w, unsigned m, WParam wp, LParam lp) {
        if (m == WM_USER) {
            windows.PostQuitMessage(0);
            return LResult{0};
        }
        if (m == WM_COPYDATA || m == MM_MIXM_LINE_CHANGE || m == MM_MIXM_CONTROL_CHANGE)
            others.push_back(m);
        return windows.DefWindowProc(w, m, wp, lp);
    };
    handlers.copyData = [&](Hwnd sender, std::string bytes) {
        texts.emplace_back(sender, std::move(bytes));
        return LResult{42};
    };
    handlers.mixerChange = [&](MixerChange change) { changes.push_back(change); };
    ASSERT_TRUE(windows.RegisterClass(windowClass, std::move(handlers)));
    Hwnd window = windows.CreateWindow(CreationOf(windowClass.className));
    ASSERT_NE(window, 0u);
    HWND hwnd = reinterpret_cast<HWND>(window);

    char text[] = {'U', 'S', 'E', 'R', '\0', 'X'};
    struct Case {
        DWORD cbData;
        void* lpData;
        std::string bytes;
    };
    const Case cases[] = {
        {4, text, "USER"},                // no terminator: exactly the count
        {6, text, std::string(text, 6)},  // past a NUL: every byte counted
        {0, text, ""},                    // nothing counted
        {5, nullptr, ""},                 // a count without data
    };
    const HWND sender = reinterpret_cast<HWND>(std::uintptr_t{0x1234});
    for (const Case& c : cases) {
        COPYDATASTRUCT data{7, c.cbData, c.lpData};
        EXPECT_EQ(SendMessageA(hwnd, WM_COPYDATA, reinterpret_cast<WPARAM>(sender),
                               reinterpret_cast<LPARAM>(&data)),
                  42);
    }
    ASSERT_EQ(texts.size(), std::size(cases));
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(texts[i].first, reinterpret_cast<Hwnd>(sender)) << i;
        EXPECT_EQ(texts[i].second, cases[i].bytes) << i;
    }

    PostMessageA(hwnd, MM_MIXM_LINE_CHANGE, 0, 0);
    PostMessageA(hwnd, MM_MIXM_CONTROL_CHANGE, 0, 0);
    PostMessageA(hwnd, WM_USER, 0, 0);
    EXPECT_EQ(RunLoop(windows), 0);
    EXPECT_EQ(changes, (std::vector<MixerChange>{MixerChange::Line, MixerChange::Control}));
    EXPECT_TRUE(others.empty());
    DestroyWindow(hwnd);
}

TEST(Win32Ports, ThreadTimersReachTheirOwnProcedureThroughTheLoop) {
    const std::unique_ptr<WindowPort> port = MakeWindowPort();
    WindowPort& windows = *port;
    WinClock clock;
    std::vector<std::uintptr_t> firstTicks, secondTicks;
    std::uintptr_t first = 0, second = 0;
    auto maybeQuit = [&] {
        if (firstTicks.size() >= 2 && secondTicks.size() >= 2) {
            clock.KillThreadTimer(first);
            clock.KillThreadTimer(second);
            windows.PostQuitMessage(0);
        }
    };
    first = clock.SetThreadTimer(10, [&](std::uintptr_t id) {
        firstTicks.push_back(id);
        maybeQuit();
    });
    second = clock.SetThreadTimer(15, [&](std::uintptr_t id) {
        secondTicks.push_back(id);
        maybeQuit();
    });
    ASSERT_NE(first, 0u);
    ASSERT_NE(second, 0u);
    ASSERT_NE(first, second);

    EXPECT_NE(RunLoop(windows), static_cast<int>(kWatchdogCode)) << "thread timers did not fire";
    EXPECT_TRUE(std::all_of(firstTicks.begin(), firstTicks.end(),
                            [&](std::uintptr_t id) { return id == first; }));
    EXPECT_TRUE(std::all_of(secondTicks.begin(), secondTicks.end(),
                            [&](std::uintptr_t id) { return id == second; }));
}

TEST(Win32Ports, JoinIsATimedWaitAndNamedEventsAreShared) {
    const std::unique_ptr<ThreadPort> threadsPort = MakeThreadPort();
    ThreadPort& threads = *threadsPort;
    EventHandle go = threads.CreateEvent("CalvoxPortTestEvent", true, false);
    EventHandle same = threads.CreateEvent("CalvoxPortTestEvent", true, false);
    ASSERT_NE(go, 0u);
    ASSERT_NE(same, 0u);
    EXPECT_EQ(threads.WaitEvent(same, 0), WaitResult::Timeout);

    std::atomic<bool> woke{false};
    ThreadHandle worker = threads.StartThread("worker", [&] {
        if (threads.WaitEvent(same, kInfinite) == WaitResult::Signaled) woke = true;
    });
    ASSERT_NE(worker, 0u);
    DWORD start = GetTickCount();
    EXPECT_FALSE(threads.JoinThread(worker, 200));
    DWORD waited = GetTickCount() - start;
    EXPECT_GE(waited, 150u);
    EXPECT_LT(waited, 2000u);

    threads.SetEvent(go);
    EXPECT_TRUE(threads.JoinThread(worker, 5000));
    EXPECT_TRUE(woke);
    threads.CloseThread(worker);
    threads.ResetEvent(go);
    EXPECT_EQ(threads.WaitEvent(same, 0), WaitResult::Timeout);

    // A thread that never answers is left to the process's end, not killed.
    EventHandle never = threads.CreateEvent("", true, false);
    ThreadHandle stuck = threads.StartThread("stuck", [&] { threads.WaitEvent(never, kInfinite); });
    EXPECT_FALSE(threads.JoinThread(stuck, 50));
    threads.AbandonThread(stuck);

    threads.CloseEvent(never);
    threads.CloseEvent(same);
    threads.CloseEvent(go);
    EXPECT_EQ(threads.WaitEvent(0, 0), WaitResult::Failed);
}

TEST(Win32Ports, ProfileValuesAndFiles) {
    CalvoxFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::unique_ptr<ProfilePort> profilePort = MakeProfilePort();
    ProfilePort& profile = *profilePort;
    const std::unique_ptr<FilePort> filesPort = MakeFilePort();
    FilePort& files = *filesPort;
    std::string ini = folder.File("Calvox.ini");

    ASSERT_TRUE(profile.WriteString("LOGO", "LINE1", "abcdef", ini));
    ASSERT_TRUE(profile.WriteString("CUSTOMER", "MINIMUMVOLUME", "-5", ini));
    EXPECT_EQ(profile.GetString("logo", "line1", ini, 260), "abcdef");
    EXPECT_EQ(profile.GetString("LOGO", "LINE1", ini, 4), "abc") << "buffer of 4 bytes";
    EXPECT_EQ(profile.GetString("LOGO", "LINE2", ini, 260), "");
    EXPECT_EQ(profile.GetInt("CUSTOMER", "MINIMUMVOLUME", 0, ini), -5);
    EXPECT_EQ(profile.GetInt("CUSTOMER", "ABSENT", 42, ini), 42);

    ASSERT_TRUE(files.SetFileAttributes(ini, kFileAttributeHidden | kFileAttributeNormal));
    EXPECT_EQ(files.GetFileAttributes(ini) & kFileAttributeHidden, kFileAttributeHidden);
    EXPECT_EQ(files.GetFileAttributes(folder.File("absent.ini")), kInvalidFileAttributes);

    std::string vm = folder.File("VM");
    ASSERT_TRUE(files.CreateDirectory(vm));
    EXPECT_NE(files.GetFileAttributes(vm) & kFileAttributeDirectory, 0u);
    for (const char* name : {"a_N.wav", "b_W.wav", "c_N.wav"})
        ASSERT_TRUE(folder.Write(std::string("VM\\") + name, "RIFF"));
    std::vector<std::string> found = files.FindFiles(vm + "\\*_N.wav");
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{"a_N.wav", "c_N.wav"}));
    EXPECT_TRUE(files.FindFiles(folder.File("none\\*_N.wav")).empty());
    for (const char* name : {"a_N.wav", "b_W.wav", "c_N.wav"})
        DeleteFileA((vm + "\\" + name).c_str());
    RemoveDirectoryA(vm.c_str());

    std::string self = files.GetModuleFileName();
    EXPECT_NE(files.GetFileAttributes(self), kInvalidFileAttributes) << self;
    std::string windowsDir = files.GetWindowsDirectory();
    EXPECT_NE(files.GetFileAttributes(windowsDir) & kFileAttributeDirectory, 0u) << windowsDir;
}

TEST(Win32Ports, TextUsesTheAnsiCodePageWithoutBestFit) {
    if (GetACP() != 1252) GTEST_SKIP() << "code page " << GetACP();
    WinText text;
    std::u16string wide;
    ASSERT_TRUE(text.AnsiToWide("caf\xE9 \x80", wide));
    EXPECT_EQ(wide, u"caf\u00E9 \u20AC");
    std::string ansi;
    ASSERT_TRUE(text.WideToAnsi(u"\u0100\u00E9\u20AC\u4E2D", ansi));
    EXPECT_EQ(ansi, "?\xE9\x80?");
    ASSERT_TRUE(text.AnsiToWide("", wide));
    EXPECT_TRUE(wide.empty());
    ASSERT_TRUE(text.WideToAnsi(u"", ansi));
    EXPECT_TRUE(ansi.empty());
}

TEST(Win32Ports, ShellTrayIconAndHidClass) {
    WinShell shell;
    PeerWindow owner("tray owner (test)");
    IconHandle connect = shell.LoadIconResource(129);
    IconHandle disconnect = shell.LoadIconResource(130);
    ASSERT_NE(connect, 0u);
    ASSERT_NE(disconnect, 0u);
    EXPECT_EQ(shell.LoadIconFile("C:\\no such folder\\x.ico"), 0u);

    TrayIconRecord record;
    record.window = reinterpret_cast<Hwnd>(owner.hwnd());
    record.id = 1;
    record.flags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.callbackMessage = 0xA10;
    record.icon = disconnect;
    record.tip = "Calvox";
    EXPECT_TRUE(shell.NotifyIcon(TrayOp::Add, record));
    record.icon = connect;
    record.tip = std::string(300, 'x');  // longer than the record holds
    EXPECT_TRUE(shell.NotifyIcon(TrayOp::Modify, record));
    EXPECT_TRUE(shell.NotifyIcon(TrayOp::Delete, record));

    const std::unique_ptr<HidPort> hidPort = MakeHidPort();
    HidPort& hid = *hidPort;
    Guid expected{0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
    EXPECT_EQ(hid.GetHidGuid(), expected);
}

}  // namespace
}  // namespace wine_test

namespace wine_test {
namespace {

using namespace calvox;
using namespace calvox::win32;

// A window that claims a text length, as another program may.
LRESULT gClaimedLength = 0;
LRESULT CALLBACK ClaimedLengthProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_GETTEXTLENGTH) return gClaimedLength;
    if (m != WM_GETTEXT) return DefWindowProcA(w, m, wp, lp);
    lstrcpynA(reinterpret_cast<char*>(lp), "4711", static_cast<int>(wp));
    return lstrlenA(reinterpret_cast<char*>(lp));
}

TEST(Win32Ports, WindowTextIsReadOnlyWithinTheLimit) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ClaimedLengthProc;
    windowClass.lpszClassName = "CalvoxClaimedLength";
    ASSERT_NE(RegisterClassA(&windowClass), 0);
    HWND w = CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 1, 1, HWND_MESSAGE,
                             nullptr, nullptr, nullptr);
    const std::unique_ptr<WindowPort> port = MakeWindowPort();
    WindowPort& windows = *port;
    for (LRESULT claimed : {LRESULT{4}, LRESULT{kWindowTextLimit}, LRESULT{kWindowTextLimit + 1},
                            LRESULT{0x7FFFFFFF}, LRESULT{-2}}) {
        gClaimedLength = claimed;
        const bool fits = claimed >= 0 && claimed <= LRESULT{kWindowTextLimit};
        std::string text = "old";
        EXPECT_EQ(windows.GetWindowText(reinterpret_cast<Hwnd>(w), text), fits) << claimed;
        EXPECT_EQ(text, fits ? "4711" : "") << claimed;
    }
    DestroyWindow(w);
}

}  // namespace
}  // namespace wine_test
