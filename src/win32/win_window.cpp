// Windowing, messages and timers through USER32.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <ctime>

#include "win32/win_platform.h"

namespace calvox::win32 {

namespace {

HWND ToHwnd(Hwnd window) { return reinterpret_cast<HWND>(window); }
Hwnd FromHwnd(HWND window) { return reinterpret_cast<Hwnd>(window); }
HMENU ToMenu(MenuHandle menu) { return reinterpret_cast<HMENU>(menu); }

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<Hwnd>*>(list)->push_back(FromHwnd(window));
    return TRUE;
}

LRESULT CALLBACK ClassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The hidden window's port: the class handlers by atom and the device
// watches stay here, with the one WNDPROC that serves every class of ours.
class WinWindow final : public WindowPort {
public:
    WinWindow();
    ~WinWindow() override;
    WinWindow(const WinWindow&) = delete;
    WinWindow& operator=(const WinWindow&) = delete;

    // What a window of our classes hears, for the shared WNDPROC; null when
    // the class is not one of ours.
    const WindowHandlers* HandlersOfClass(std::uint16_t atom) const {
        auto it = handlers_.find(atom);
        return it == handlers_.end() ? nullptr : &it->second;
    }

    Hwnd FindWindow(const std::string& className, const std::string& title) override {
        return FromHwnd(::FindWindowA(className.c_str(), title.c_str()));
    }

    bool RegisterClass(const WindowClassSpec& windowClass, WindowHandlers handlers) override {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.style = windowClass.style;
        wc.lpfnWndProc = ClassProc;
        wc.cbClsExtra = windowClass.classExtraBytes;
        wc.cbWndExtra = windowClass.windowExtraBytes;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.hbrBackground =
            reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(windowClass.backgroundBrush));
        wc.lpszClassName = windowClass.className.c_str();
        ATOM atom = ::RegisterClassExA(&wc);
        if (atom == 0) return false;
        handlers_[atom] = std::move(handlers);
        return true;
    }

    Hwnd CreateWindow(const WindowCreateSpec& creation) override {
        return FromHwnd(::CreateWindowExA(creation.exStyle, creation.className.c_str(),
                                          creation.title.c_str(), creation.style, creation.x,
                                          creation.y, creation.width, creation.height, nullptr,
                                          nullptr, ::GetModuleHandleA(nullptr), nullptr));
    }

    void ShowWindow(Hwnd window, int show) override { ::ShowWindow(ToHwnd(window), show); }

    void UpdateWindow(Hwnd window) override { ::UpdateWindow(ToHwnd(window)); }

    int Run() override {
        MSG m;
        for (;;) {
            const BOOL result = ::GetMessageA(&m, nullptr, 0, 0);
            if (result == 0) return static_cast<int>(m.wParam);
            if (result == -1) return -1;
            ::TranslateMessage(&m);
            ::DispatchMessageA(&m);
        }
    }

    bool PostMessage(Hwnd window, unsigned message, WParam wParam, LParam lParam) override {
        return ::PostMessageA(ToHwnd(window), message, wParam, lParam) != 0;
    }

    void PostQuitMessage(int code) override { ::PostQuitMessage(code); }

    LResult DefWindowProc(Hwnd window, unsigned message, WParam wParam, LParam lParam) override {
        return ::DefWindowProcA(ToHwnd(window), message, wParam, lParam);
    }

    bool IsWindow(Hwnd window) override { return ::IsWindow(ToHwnd(window)) != 0; }

    Hwnd GetForegroundWindow() override { return FromHwnd(::GetForegroundWindow()); }

    unsigned RegisterWindowMessage(const std::string& text) override {
        return ::RegisterWindowMessageA(text.c_str());
    }

    void BroadcastMessageTimeout(unsigned message, WParam wParam, LParam lParam,
                                 unsigned timeoutMs) override {
        DWORD_PTR result = 0;
        ::SendMessageTimeoutA(HWND_BROADCAST, message, wParam, lParam, SMTO_NORMAL, timeoutMs,
                              &result);
    }

    LResult SendCopyData(Hwnd to, Hwnd from, std::string_view bytes) override {
        COPYDATASTRUCT data;
        data.dwData = 0;
        data.cbData = static_cast<DWORD>(bytes.size());
        data.lpData = const_cast<char*>(bytes.data());
        return ::SendMessageA(ToHwnd(to), WM_COPYDATA, from, reinterpret_cast<LPARAM>(&data));
    }

    DeviceNotifyHandle RegisterDeviceInterfaceNotification(Hwnd window, const Guid& classGuid,
                                                           DeviceInterfaceProc proc) override {
        DEV_BROADCAST_DEVICEINTERFACE_A filter{};
        filter.dbcc_size = sizeof filter;
        filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        filter.dbcc_classguid = ToGUID(classGuid);
        const auto handle = reinterpret_cast<DeviceNotifyHandle>(
            ::RegisterDeviceNotificationA(ToHwnd(window), &filter, DEVICE_NOTIFY_WINDOW_HANDLE));
        if (handle != 0) watches_[handle] = Watch{window, classGuid, std::move(proc)};
        return handle;
    }

    void UnregisterDeviceNotification(DeviceNotifyHandle handle) override {
        ::UnregisterDeviceNotification(reinterpret_cast<HDEVNOTIFY>(handle));
        watches_.erase(handle);
    }

    // A WM_DEVICECHANGE to one of our windows: an arrival or removal of a
    // device interface is told to the procedures that watch its class.
    void DeviceChanged(Hwnd window, WParam event, LParam broadcast) {
        if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE) return;
        if (broadcast == 0) return;
        // Only the header is known to be there until it names its type and size.
        DEV_BROADCAST_HDR header;
        std::memcpy(&header, reinterpret_cast<const void*>(broadcast), sizeof header);
        if (header.dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE ||
            header.dbch_size < offsetof(DEV_BROADCAST_DEVICEINTERFACE_A, dbcc_name))
            return;
        GUID classGuid;
        std::memcpy(&classGuid,
                    reinterpret_cast<const char*>(broadcast) +
                        offsetof(DEV_BROADCAST_DEVICEINTERFACE_A, dbcc_classguid),
                    sizeof classGuid);
        const Guid watched = FromGUID(classGuid);
        const DeviceInterfaceChange change = event == DBT_DEVICEARRIVAL
                                                 ? DeviceInterfaceChange::Arrived
                                                 : DeviceInterfaceChange::Removed;
        // A copy: a procedure may register or unregister.
        std::vector<DeviceInterfaceProc> told;
        for (const auto& [handle, watch] : watches_)
            if (watch.window == window && watch.classGuid == watched) told.push_back(watch.proc);
        for (const DeviceInterfaceProc& proc : told) proc(change);
    }

    std::uint32_t GetWindowProcessId(Hwnd window) override {
        DWORD process = 0;
        if (::GetWindowThreadProcessId(ToHwnd(window), &process) == 0) return 0;
        return process;
    }

    std::vector<Hwnd> EnumTopLevelWindows() override {
        std::vector<Hwnd> windows;
        ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
        return windows;
    }

    std::vector<Hwnd> EnumDescendants(Hwnd parent) override {
        std::vector<Hwnd> windows;
        if (parent == 0) return windows;  // EnumChildWindows would walk the desktop
        ::EnumChildWindows(ToHwnd(parent), CollectWindow, reinterpret_cast<LPARAM>(&windows));
        return windows;
    }

    std::string GetClassName(Hwnd window) override {
        // A class name has at most 256 characters; the buffer holds that and the NUL.
        char name[258];
        const int length = ::GetClassNameA(ToHwnd(window), name, static_cast<int>(sizeof name));
        return length > 0 ? std::string(name, static_cast<std::size_t>(length)) : std::string();
    }

    bool IsWindowVisible(Hwnd window) override { return ::IsWindowVisible(ToHwnd(window)) != 0; }

    bool GetWindowRect(Hwnd window, Rect& rect) override {
        RECT r;
        if (!::GetWindowRect(ToHwnd(window), &r)) return false;
        rect = Rect{r.left, r.top, r.right, r.bottom};
        return true;
    }

    Hwnd WindowFromPoint(int x, int y) override { return FromHwnd(::WindowFromPoint(POINT{x, y})); }

    bool GetWindowText(Hwnd window, std::string& text) override {
        text.clear();
        HWND w = ToHwnd(window);
        DWORD_PTR length = 0;
        if (!::SendMessageTimeoutA(w, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 1000, &length))
            return false;
        // The length is the other program's word: a text longer than any the
        // program reads (a number or a handle) counts as a failed read.
        if (length > kWindowTextLimit) return false;
        // The other program may change its text between the two messages: the
        // buffer is as long as it says plus room, and the copy stops at what was
        // returned, so the result is always terminated and never overrun.
        std::vector<char> buffer(static_cast<std::size_t>(length) + 2, '\0');
        DWORD_PTR copied = 0;
        if (!::SendMessageTimeoutA(w, WM_GETTEXT, buffer.size(),
                                   reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG, 1000,
                                   &copied))
            return false;
        buffer.back() = '\0';
        copied = std::min<DWORD_PTR>(copied, buffer.size() - 1);
        text.assign(buffer.data(), ::strnlen(buffer.data(), static_cast<std::size_t>(copied)));
        return true;
    }

    LResult SetWindowText(Hwnd window, const char* text) override {
        // An empty text rather than a null pointer: a null WM_SETTEXT to another
        // process fails under Wine (access violation), and both empty the window.
        return ::SendMessageA(ToHwnd(window), WM_SETTEXT, 0,
                              reinterpret_cast<LPARAM>(text != nullptr ? text : ""));
    }

    bool SendKeyInput(const KeyInput& key) override {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key.virtualKey;
        input.ki.dwFlags = key.flags;
        return ::SendInput(1, &input, sizeof input) == 1;
    }

    bool SendMouseInput(const MouseInput& mouse) override {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dx = mouse.dx;
        input.mi.dy = mouse.dy;
        input.mi.dwFlags = mouse.flags;
        return ::SendInput(1, &input, sizeof input) == 1;
    }

    int GetSystemMetrics(int index) override { return ::GetSystemMetrics(index); }

    MenuHandle CreatePopupMenu() override {
        return reinterpret_cast<MenuHandle>(::CreatePopupMenu());
    }

    bool AppendMenuItem(MenuHandle menu, unsigned id, const std::u16string& text) override {
        return ::AppendMenuW(ToMenu(menu), MF_STRING, id,
                             reinterpret_cast<const wchar_t*>(text.c_str())) != 0;
    }

    bool GetCursorPos(int& x, int& y) override {
        POINT point{};
        if (!::GetCursorPos(&point)) return false;
        x = point.x;
        y = point.y;
        return true;
    }

    bool SetForegroundWindow(Hwnd window) override {
        return ::SetForegroundWindow(ToHwnd(window)) != 0;
    }

    unsigned TrackPopupMenu(MenuHandle menu, unsigned flags, int x, int y, Hwnd owner) override {
        return static_cast<unsigned>(
            ::TrackPopupMenu(ToMenu(menu), flags, x, y, 0, ToHwnd(owner), nullptr));
    }

    void DestroyMenu(MenuHandle menu) override { ::DestroyMenu(ToMenu(menu)); }

    void DialogBox(int resourceId, Hwnd owner,
                   const std::function<void(DialogItems&)>& init) override {
        RunDialogBox(resourceId, owner, init);
    }

private:
    std::map<std::uint16_t, WindowHandlers> handlers_;  // by class atom
    struct Watch {
        Hwnd window;
        Guid classGuid;
        DeviceInterfaceProc proc;
    };
    std::map<DeviceNotifyHandle, Watch> watches_;
};

// The Win32 callbacks carry no context of ours, so each reaches its port
// through the one instance of the process.
WinWindow* windowPort = nullptr;
WinClock* clockPort = nullptr;

WinWindow::WinWindow() { windowPort = this; }

WinWindow::~WinWindow() {
    if (windowPort == this) windowPort = nullptr;
}

// The bytes of a WM_COPYDATA, copied while the sender still waits: none when
// it sent no block, no data or a count of 0.
std::string CopiedBytes(LPARAM lParam) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (data == nullptr || data->lpData == nullptr || data->cbData == 0) return {};
    return std::string(static_cast<const char*>(data->lpData), data->cbData);
}

// Every message of our classes, those sent inside CreateWindowEx included.
// The records only Windows lays out are decoded here, for the handlers that
// take them.
LRESULT CALLBACK ClassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const WindowHandlers* handlers =
        windowPort != nullptr ? windowPort->HandlersOfClass(::GetClassWord(window, GCW_ATOM))
                              : nullptr;
    if (handlers == nullptr) return ::DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
        case WM_DEVICECHANGE:
            windowPort->DeviceChanged(FromHwnd(window), wParam, lParam);
            break;
        case WM_COPYDATA:
            if (handlers->copyData)
                return handlers->copyData(FromHwnd(reinterpret_cast<HWND>(wParam)),
                                          CopiedBytes(lParam));
            break;
        case MM_MIXM_LINE_CHANGE:
        case MM_MIXM_CONTROL_CHANGE:
            if (handlers->mixerChange) {
                handlers->mixerChange(message == MM_MIXM_LINE_CHANGE ? MixerChange::Line
                                                                     : MixerChange::Control);
                return 0;
            }
            break;
        default:
            break;
    }
    if (!handlers->message) return ::DefWindowProcA(window, message, wParam, lParam);
    return handlers->message(FromHwnd(window), message, wParam, lParam);
}

void CALLBACK ThreadTimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    if (clockPort != nullptr) clockPort->Fire(id);
}

}  // namespace

GUID ToGUID(const Guid& guid) {
    GUID g;
    g.Data1 = guid.data1;
    g.Data2 = guid.data2;
    g.Data3 = guid.data3;
    for (int i = 0; i < 8; ++i) g.Data4[i] = guid.data4[i];
    return g;
}

Guid FromGUID(const GUID& g) {
    Guid guid;
    guid.data1 = g.Data1;
    guid.data2 = g.Data2;
    guid.data3 = g.Data3;
    for (int i = 0; i < 8; ++i) guid.data4[i] = g.Data4[i];
    return guid;
}

std::unique_ptr<WindowPort> MakeWindowPort() { return std::make_unique<WinWindow>(); }

WinClock::WinClock() { clockPort = this; }

WinClock::~WinClock() {
    if (clockPort == this) clockPort = nullptr;
}

void WinClock::SetTimer(Hwnd window, std::uintptr_t id, std::uint32_t periodMs) {
    ::SetTimer(ToHwnd(window), id, periodMs, nullptr);
}

void WinClock::KillTimer(Hwnd window, std::uintptr_t id) { ::KillTimer(ToHwnd(window), id); }

std::uintptr_t WinClock::SetThreadTimer(std::uint32_t periodMs, calvox::ThreadTimerProc proc) {
    UINT_PTR id = ::SetTimer(nullptr, 0, periodMs, ThreadTimerProc);
    if (id != 0) threadTimers_[id] = std::move(proc);
    return id;
}

void WinClock::KillThreadTimer(std::uintptr_t id) {
    ::KillTimer(nullptr, id);
    threadTimers_.erase(id);
}

void WinClock::Fire(std::uintptr_t id) {
    auto it = threadTimers_.find(id);
    if (it == threadTimers_.end()) return;
    // A copy, since the procedure may kill its own timer.
    calvox::ThreadTimerProc proc = it->second;
    proc(id);
}

void WinClock::Sleep(std::uint32_t ms) { ::Sleep(ms); }

std::int64_t WinClock::Now() { return static_cast<std::int64_t>(std::time(nullptr)); }

std::uint32_t WinClock::TickCount() { return ::GetTickCount(); }

}  // namespace calvox::win32
