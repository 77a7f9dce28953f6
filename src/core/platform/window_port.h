// Windowing and messages: the hidden window, its loop, posted and sent messages.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/mixer_port.h"
#include "platform/types.h"

namespace calvox {

using WindowProc = std::function<LResult(Hwnd, unsigned, WParam, LParam)>;

struct WindowClassSpec {
    std::string className;
    unsigned style = 0;
    int classExtraBytes = 0;
    int windowExtraBytes = 0;
    int backgroundBrush = 0;  // a system colour index + 1, as Windows takes it
};

struct WindowCreateSpec {
    std::string className;
    std::string title;
    std::uint32_t exStyle = 0;
    std::uint32_t style = 0;
    int x = 0, y = 0, width = 0, height = 0;
};

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// One synthesized input event, as SendInput takes it.
struct KeyInput {
    std::uint16_t virtualKey = 0;
    std::uint32_t flags = 0;  // KEYEVENTF_*
};
struct MouseInput {
    std::int32_t dx = 0, dy = 0;
    std::uint32_t flags = 0;  // MOUSEEVENTF_*
};

// A posted message, as a queue holds it.
struct Msg {
    Hwnd hwnd = 0;
    unsigned message = 0;
    WParam wParam = 0;
    LParam lParam = 0;
};

// Data another window sent with WM_COPYDATA, copied out of the sender's block
// before the procedure sees it: `bytes` is empty when none came.
using CopyDataProc = std::function<LResult(Hwnd sender, std::string bytes)>;
// A change notice of a mixer opened with this window as its callback.
using MixerChangeProc = std::function<void(MixerChange)>;

// What a window class hears. The platform decodes the messages that carry a
// record of its own (WM_COPYDATA, the mixer's MM_MIXM_*) for the procedures
// given; every other message, and those when their procedure is left empty,
// goes to `message` as Windows sent it (to DefWindowProc without one).
struct WindowHandlers {
    WindowProc message;
    CopyDataProc copyData;
    MixerChangeProc mixerChange;
};

// A device interface of a watched class arrived or was removed.
enum class DeviceInterfaceChange { Arrived, Removed };
using DeviceInterfaceProc = std::function<void(DeviceInterfaceChange)>;

// The controls of an open dialog, by id.
class DialogItems {
public:
    virtual ~DialogItems() = default;
    // The whole text of a control, however long.
    virtual std::u16string GetText(int id) = 0;
    virtual void SetText(int id, const std::u16string& text) = 0;
    // Puts an icon into an icon static (STM_SETICON).
    virtual void SetIcon(int id, IconHandle icon) = 0;
};

class WindowPort {
public:
    virtual ~WindowPort() = default;

    virtual Hwnd FindWindow(const std::string& className, const std::string& title) = 0;
    virtual bool RegisterClass(const WindowClassSpec& spec, WindowHandlers handlers) = 0;
    // Runs WM_CREATE through the class's procedure before it returns.
    virtual Hwnd CreateWindow(const WindowCreateSpec& spec) = 0;
    virtual void ShowWindow(Hwnd window, int show) = 0;
    virtual void UpdateWindow(Hwnd window) = 0;

    // The event loop of the thread that owns the hidden window: every posted
    // message, window timer and thread timer is handled here until a quit is
    // posted; the quit's code.
    virtual int Run() = 0;

    virtual bool PostMessage(Hwnd window, unsigned message, WParam wParam, LParam lParam) = 0;
    virtual void PostQuitMessage(int code) = 0;
    virtual LResult DefWindowProc(Hwnd window, unsigned message, WParam wParam, LParam lParam) = 0;
    virtual bool IsWindow(Hwnd window) = 0;
    virtual Hwnd GetForegroundWindow() = 0;

    virtual unsigned RegisterWindowMessage(const std::string& text) = 0;
    // SendMessageTimeout to HWND_BROADCAST with SMTO_NORMAL; the result is not used.
    virtual void BroadcastMessageTimeout(unsigned message, WParam wParam, LParam lParam,
                                         unsigned timeoutMs) = 0;
    // A blocking WM_COPYDATA of exactly these bytes (cbData is their count);
    // returns what the receiver returned.
    virtual LResult SendCopyData(Hwnd to, Hwnd from, std::string_view bytes) = 0;

    // Device-interface arrivals and removals of one class, told to `proc` on
    // the thread of `window` (the platform decodes what Windows broadcasts);
    // 0 on failure.
    virtual DeviceNotifyHandle RegisterDeviceInterfaceNotification(Hwnd window,
                                                                   const Guid& classGuid,
                                                                   DeviceInterfaceProc proc) = 0;
    virtual void UnregisterDeviceNotification(DeviceNotifyHandle handle) = 0;

    // Other programs' windows (the Skype client's), which may vanish at any
    // moment: every answer about a window that is gone is empty, false or 0.
    virtual std::uint32_t GetWindowProcessId(Hwnd window) = 0;
    // Top-level windows in enumeration (z) order.
    virtual std::vector<Hwnd> EnumTopLevelWindows() = 0;
    // Every descendant of `parent`, in the order EnumChildWindows visits them.
    virtual std::vector<Hwnd> EnumDescendants(Hwnd parent) = 0;
    // The whole class name, however long.
    virtual std::string GetClassName(Hwnd window) = 0;
    virtual bool IsWindowVisible(Hwnd window) = 0;
    // Screen coordinates.
    virtual bool GetWindowRect(Hwnd window, Rect& rect) = 0;
    virtual Hwnd WindowFromPoint(int x, int y) = 0;
    // WM_GETTEXT into a buffer that grows to the whole text and is always
    // terminated; false when the window does not answer.
    virtual bool GetWindowText(Hwnd window, std::string& text) = 0;
    // WM_SETTEXT; a null text empties the window. What the window returned.
    virtual LResult SetWindowText(Hwnd window, const char* text) = 0;
    // SendInput of one event each; true when the event was inserted.
    virtual bool SendKeyInput(const KeyInput& input) = 0;
    virtual bool SendMouseInput(const MouseInput& input) = 0;
    // SM_CXSCREEN / SM_CYSCREEN.
    virtual int GetSystemMetrics(int index) = 0;
    // Popup menus. TrackPopupMenu with TPM_RETURNCMD returns the chosen
    // command, 0 when none was chosen.
    virtual MenuHandle CreatePopupMenu() = 0;
    virtual bool AppendMenuItem(MenuHandle menu, unsigned id, const std::u16string& text) = 0;
    virtual bool GetCursorPos(int& x, int& y) = 0;
    virtual bool SetForegroundWindow(Hwnd window) = 0;
    virtual unsigned TrackPopupMenu(MenuHandle menu, unsigned flags, int x, int y, Hwnd owner) = 0;
    virtual void DestroyMenu(MenuHandle menu) = 0;

    // A modal dialog from the program's resources, owned by `owner`. `init`
    // runs when the dialog initialises; the call returns once the dialog has
    // closed, whichever way it was closed.
    virtual void DialogBox(int resourceId, Hwnd owner,
                           const std::function<void(DialogItems&)>& init) = 0;
};

}  // namespace calvox
