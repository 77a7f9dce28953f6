// The window manager of the virtual Windows: the program's processes and
// their hidden windows and message queues, registered messages, window
// queries and input over the client's windows, popup menus and dialogs.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window_port.h"
#include "sim/companion.h"
#include "sim/desktop.h"
#include "sim/skype_client.h"
#include "sim/trace.h"
#include "sim/virtual_clock.h"

namespace calvox::sim {

// Messages the platform decodes before the program hears them.
inline constexpr unsigned kCopyData = 0x004A;
inline constexpr unsigned kMixmLineChange = 0x03D0;
inline constexpr unsigned kMixmControlChange = 0x03D1;

// A popup menu's items, as the person at the prompt is shown them.
struct MenuItem {
    unsigned id = 0;
    std::string text;  // UTF-8
};
// Who chooses from a popup menu that no `menu-choose` answered (the
// person at the prompt); without one such a menu returns nothing.
using MenuChooser = std::function<unsigned(const std::vector<MenuItem>&)>;

// What the window manager needs of the rest of the virtual Windows.
struct WindowsHost {
    TraceWrite write;
    Desktop& desktop;
    VirtualClock& clock;
    SkypeClient& client;
    Companion& companion;
    const std::string& uiLanguage;  // for the About box
};

class VirtualWindows : public WindowPort {
public:
    explicit VirtualWindows(WindowsHost host) : host_(std::move(host)) {}

    // Runs one process of the program: `program` is its whole run. A nested
    // (second) process never owns the script: idle, its loop ends.
    void RunProcess(bool nested, const std::function<void()>& program);
    // What the first process's loop does when its queue is empty and no
    // timer is due: false ends the loop.
    void SetIdle(std::function<bool()> idle) { idle_ = std::move(idle); }
    // The first process has run and its run has ended.
    bool ProgramEnded() const { return !processes_.empty() && processes_.front()->ended; }
    // A process of the program has run or runs.
    bool HasRun() const { return !processes_.empty(); }
    // The running process's hidden window (0 before it made one).
    Hwnd Hub() const { return current_ != nullptr ? current_->hub : 0; }
    // A message handled by the hub at once, or queued for its loop.
    void SendToHub(unsigned message, WParam wParam, LParam lParam);
    // A WM_COPYDATA of these bytes from `from`, handled by the hub at once.
    void SendCopyDataToHub(Hwnd from, std::string bytes);
    // A device interface of the class arrived or was removed: the running
    // process's hub hears it if it watches the class.
    void DeviceInterfaceChanged(DeviceInterfaceChange change, const Guid& classGuid);
    void PostToHub(unsigned message, WParam wParam, LParam lParam);
    // The running process's hidden window is destroyed (the run is over).
    void DestroyHub();
    // What the next popup menu returns (0: nothing).
    void ChooseNextMenu(unsigned id) { menuChoice_ = id; }
    void SetMenuChooser(MenuChooser chooser) { menuChooser_ = std::move(chooser); }

    // Windows and their messages.
    Hwnd FindWindow(const std::string& className, const std::string& title) override;
    bool RegisterClass(const WindowClassSpec& spec, WindowHandlers handlers) override;
    Hwnd CreateWindow(const WindowCreateSpec& spec) override;
    void ShowWindow(Hwnd, int) override {}
    void UpdateWindow(Hwnd) override {}
    int Run() override;
    // WM_COPYDATA carries a pointer: like Windows, the queue refuses it.
    bool PostMessage(Hwnd window, unsigned message, WParam wParam, LParam lParam) override;
    void PostQuitMessage(int code) override;
    LResult DefWindowProc(Hwnd window, unsigned message, WParam wParam, LParam lParam) override;
    bool IsWindow(Hwnd window) override;
    Hwnd GetForegroundWindow() override { return host_.desktop.foreground; }
    unsigned RegisterWindowMessage(const std::string& text) override;
    // Only the client's discover message reaches anyone.
    void BroadcastMessageTimeout(unsigned message, WParam wParam, LParam lParam,
                                 unsigned timeoutMs) override;
    // Texts reach the client's API window alone.
    LResult SendCopyData(Hwnd to, Hwnd from, std::string_view bytes) override;
    DeviceNotifyHandle RegisterDeviceInterfaceNotification(Hwnd window, const Guid& classGuid,
                                                           DeviceInterfaceProc proc) override;
    void UnregisterDeviceNotification(DeviceNotifyHandle handle) override;

    // What the automation asks of the windows on the screen: the client's,
    // the program's hidden ones, and one of another program.
    std::uint32_t GetWindowProcessId(Hwnd window) override;
    std::vector<Hwnd> EnumTopLevelWindows() override;
    std::vector<Hwnd> EnumDescendants(Hwnd parent) override;
    std::string GetClassName(Hwnd window) override;
    bool IsWindowVisible(Hwnd window) override;
    bool GetWindowRect(Hwnd window, Rect& rect) override;
    Hwnd WindowFromPoint(int x, int y) override;
    bool GetWindowText(Hwnd window, std::string& text) override;
    LResult SetWindowText(Hwnd window, const char* text) override;

    // Synthesized input; keys type into the client's focused edit.
    bool SendKeyInput(const KeyInput& input) override;
    bool SendMouseInput(const MouseInput& input) override;
    int GetSystemMetrics(int index) override;

    // The tray's popup menu and the About box (sim_ui.cpp).
    MenuHandle CreatePopupMenu() override;
    bool AppendMenuItem(MenuHandle menu, unsigned id, const std::u16string& text) override;
    bool GetCursorPos(int& x, int& y) override;
    bool SetForegroundWindow(Hwnd window) override;
    unsigned TrackPopupMenu(MenuHandle menu, unsigned flags, int x, int y, Hwnd owner) override;
    void DestroyMenu(MenuHandle menu) override { menus_.erase(menu); }
    void DialogBox(int resourceId, Hwnd owner,
                   const std::function<void(DialogItems&)>& init) override;

private:
    struct Process {
        Hwnd hub = 0;
        WindowHandlers handlers;
        std::deque<Msg> queue;
        bool destroyed = false;
        bool ended = false;
        bool nested = false;
    };
    Process* ProcessOf(Hwnd window);
    // One message to the process's hidden window, through its class's procedure.
    LResult Deliver(Process& process, unsigned message, WParam wParam, LParam lParam);
    // The next message of the running process's loop; false at its quit or
    // when the loop ends.
    bool NextMessage(Msg& msg);
    void Dispatch(const Msg& msg);
    void DestroyHub(Process& process);
    // The running process's queue is empty: workers, timers, a wait's time,
    // then the idle hook; false when the loop ends.
    bool Idle(Process& process);

    WindowsHost host_;
    std::function<bool()> idle_;
    std::vector<std::unique_ptr<Process>> processes_;
    Process* current_ = nullptr;  // the process whose loop runs
    std::map<std::string, WindowHandlers> classes_;
    std::vector<std::string> registered_;
    std::map<MenuHandle, std::vector<MenuItem>> menus_;
    MenuHandle nextMenu_ = 0x2000;
    struct Watch {
        DeviceNotifyHandle handle;
        Hwnd window;
        Guid classGuid;
        DeviceInterfaceProc proc;
    };
    std::vector<Watch> watches_;
    DeviceNotifyHandle nextNotification_ = 0x500;
    std::optional<unsigned> menuChoice_;  // from `menu-choose`, for the next menu
    MenuChooser menuChooser_;
};

}  // namespace calvox::sim
