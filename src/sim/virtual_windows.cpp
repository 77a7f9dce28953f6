#include "sim/virtual_windows.h"

#include <algorithm>

#include "base/hub_messages.h"
#include "base/text_case.h"

namespace calvox::sim {

namespace {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
// Process ids the window functions report.
constexpr std::uint32_t kProgramProcess = 0x100;
constexpr std::uint32_t kClientProcess = 0x200;
constexpr std::uint32_t kOtherProcess = 0x300;

}  // namespace

// --- the program's processes ---------------------------------------------------

void VirtualWindows::RunProcess(bool nested, const std::function<void()>& program) {
    auto process = std::make_unique<Process>();
    process->nested = nested;
    Process* previous = current_;
    current_ = process.get();
    processes_.push_back(std::move(process));
    program();
    current_->ended = true;
    current_->destroyed = true;
    current_ = previous;
}

VirtualWindows::Process* VirtualWindows::ProcessOf(Hwnd window) {
    if (window == 0) return nullptr;
    for (auto& p : processes_)
        if (p->hub == window) return p.get();
    return nullptr;
}

LResult VirtualWindows::Deliver(Process& p, unsigned message, WParam wParam, LParam lParam) {
    if (!p.handlers.message) return DefWindowProc(p.hub, message, wParam, lParam);
    return p.handlers.message(p.hub, message, wParam, lParam);
}

void VirtualWindows::SendToHub(unsigned message, WParam wParam, LParam lParam) {
    if (current_ == nullptr || current_->hub == 0 || current_->destroyed) return;
    Deliver(*current_, message, wParam, lParam);
}

void VirtualWindows::SendCopyDataToHub(Hwnd from, std::string bytes) {
    if (current_ == nullptr || current_->hub == 0 || current_->destroyed) return;
    const WindowHandlers& h = current_->handlers;
    if (h.copyData) h.copyData(from, std::move(bytes));
}

void VirtualWindows::PostToHub(unsigned message, WParam wParam, LParam lParam) {
    if (current_ != nullptr) PostMessage(current_->hub, message, wParam, lParam);
}

void VirtualWindows::DestroyHub() {
    if (current_ != nullptr && current_->hub != 0) DestroyHub(*current_);
}

void VirtualWindows::DestroyHub(Process& p) {
    if (p.destroyed) return;
    p.destroyed = true;
    host_.clock.KillTimersOf(p.hub);
    Deliver(p, wm::kDestroy, 0, 0);
}

// --- messages ----------------------------------------------------------------

Hwnd VirtualWindows::FindWindow(const std::string& className, const std::string& title) {
    if (className != kHiddenWindowClass || title != kHiddenWindowClass) return 0;
    if (host_.desktop.instance() != 0) return host_.desktop.instance();
    for (auto& p : processes_)
        if (p->hub != 0 && !p->destroyed) return p->hub;
    return 0;
}

bool VirtualWindows::RegisterClass(const WindowClassSpec& spec, WindowHandlers handlers) {
    classes_[spec.className] = std::move(handlers);
    return true;
}

Hwnd VirtualWindows::CreateWindow(const WindowCreateSpec& spec) {
    auto it = classes_.find(spec.className);
    if (it == classes_.end() || current_ == nullptr) return 0;
    Process& p = *current_;
    p.hub = host_.desktop.Make("hub");
    p.handlers = it->second;
    Deliver(p, wm::kCreate, 0, 0);
    return p.hub;
}

int VirtualWindows::Run() {
    Msg msg;
    while (NextMessage(msg)) Dispatch(msg);
    return msg.message == wm::kQuit ? static_cast<int>(msg.wParam) : 0;
}

bool VirtualWindows::NextMessage(Msg& msg) {
    Process& p = *current_;
    for (;;) {
        if (!p.queue.empty()) {
            msg = p.queue.front();
            p.queue.pop_front();
            return msg.message != wm::kQuit;
        }
        host_.clock.threads().RunReady();
        if (!p.queue.empty()) continue;
        if (auto timer = host_.clock.DueTimerMessage()) {
            msg = *timer;
            return true;
        }
        if (host_.clock.PassWaitTime()) continue;
        if (p.nested || !idle_()) return false;
    }
}

void VirtualWindows::Dispatch(const Msg& msg) {
    if (msg.hwnd == 0 && msg.message == wm::kTimer) {
        host_.clock.FireThreadTimer(msg.wParam);
        return;
    }
    Process* p = ProcessOf(msg.hwnd);
    if (p == nullptr || p->destroyed) return;
    const bool mixerNotice = msg.message == kMixmLineChange || msg.message == kMixmControlChange;
    if (mixerNotice && p->handlers.mixerChange) {
        p->handlers.mixerChange(msg.message == kMixmLineChange ? MixerChange::Line
                                                               : MixerChange::Control);
        return;
    }
    Deliver(*p, msg.message, msg.wParam, msg.lParam);
}

bool VirtualWindows::PostMessage(Hwnd window, unsigned message, WParam wParam, LParam lParam) {
    if (message == kCopyData) return false;
    if (Process* p = ProcessOf(window)) {
        if (p->destroyed || p->ended) return false;
        p->queue.push_back({window, message, wParam, lParam});
        return true;
    }
    if (window != 0 && window == host_.companion.Window()) {
        if (message >= 0xC000 && message - 0xC000 < registered_.size())
            host_.companion.Receive(registered_[message - 0xC000], wParam, lParam);
        return true;
    }
    if (host_.client.Find(window)) {
        host_.client.Posted(window, message, wParam, lParam);
        return true;
    }
    return IsWindow(window);
}

void VirtualWindows::PostQuitMessage(int code) {
    host_.write("quit");
    if (current_ != nullptr)
        current_->queue.push_back({0, wm::kQuit, static_cast<WParam>(code), 0});
}

LResult VirtualWindows::DefWindowProc(Hwnd window, unsigned message, WParam, LParam) {
    if (message == wm::kClose) {
        if (Process* p = ProcessOf(window)) DestroyHub(*p);
    }
    return 0;
}

unsigned VirtualWindows::RegisterWindowMessage(const std::string& text) {
    for (std::size_t i = 0; i < registered_.size(); ++i)
        if (EqualIgnoringCase(registered_[i], text)) return static_cast<unsigned>(0xC000 + i);
    registered_.push_back(text);
    return static_cast<unsigned>(0xC000 + registered_.size() - 1);
}

void VirtualWindows::BroadcastMessageTimeout(unsigned message, WParam wParam, LParam, unsigned) {
    if (message != RegisterWindowMessage("SkypeControlAPIDiscover")) return;
    host_.write("discover");
    // The client answers while the broadcast is being delivered.
    if (host_.client.AnswersDiscover())
        PostMessage(static_cast<Hwnd>(wParam), RegisterWindowMessage("SkypeControlAPIAttach"),
                    host_.client.Api(), 0);
}

LResult VirtualWindows::SendCopyData(Hwnd to, Hwnd, std::string_view bytes) {
    if (!host_.client.Exists() || to != host_.client.Api()) return 0;
    return host_.client.ReceiveText(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

DeviceNotifyHandle VirtualWindows::RegisterDeviceInterfaceNotification(Hwnd window,
                                                                      const Guid& classGuid,
                                                                      DeviceInterfaceProc proc) {
    const DeviceNotifyHandle handle = nextNotification_++;
    watches_.push_back({handle, window, classGuid, std::move(proc)});
    return handle;
}

void VirtualWindows::UnregisterDeviceNotification(DeviceNotifyHandle handle) {
    std::erase_if(watches_, [handle](const Watch& w) { return w.handle == handle; });
}

void VirtualWindows::DeviceInterfaceChanged(DeviceInterfaceChange change, const Guid& classGuid) {
    if (current_ == nullptr || current_->hub == 0 || current_->destroyed) return;
    // A copy: a procedure may register or unregister.
    const std::vector<Watch> watches = watches_;
    for (const Watch& w : watches)
        if (w.window == current_->hub && w.classGuid == classGuid) w.proc(change);
}

// --- window queries ------------------------------------------------------------

bool VirtualWindows::IsWindow(Hwnd window) {
    if (window == 0) return false;
    if (Process* p = ProcessOf(window)) return !p->destroyed;
    if (window == host_.desktop.other() || window == host_.desktop.instance()) return true;
    if (window == host_.companion.Window()) return true;
    return host_.client.Find(window).has_value();
}

std::uint32_t VirtualWindows::GetWindowProcessId(Hwnd window) {
    if (!IsWindow(window)) return 0;
    if (host_.client.Find(window)) return kClientProcess;
    if (ProcessOf(window)) return kProgramProcess;
    return kOtherProcess;
}

std::vector<Hwnd> VirtualWindows::EnumTopLevelWindows() {
    std::vector<Hwnd> windows{host_.desktop.other()};
    for (const SkypeClient::Window& w : host_.client.Windows())
        if (w.parent == 0) windows.push_back(w.handle);
    for (const auto& p : processes_)
        if (p->hub != 0 && !p->destroyed) windows.push_back(p->hub);
    if (host_.desktop.instance() != 0) windows.push_back(host_.desktop.instance());
    if (host_.companion.Window() != 0) windows.push_back(host_.companion.Window());
    return windows;
}

std::vector<Hwnd> VirtualWindows::EnumDescendants(Hwnd parent) {
    // Depth first, as EnumChildWindows goes: a window, then its children.
    std::vector<Hwnd> windows;
    std::vector<Hwnd> parents{parent};
    for (const SkypeClient::Window& w : host_.client.Windows()) {
        if (w.parent == 0) continue;
        if (std::find(parents.begin(), parents.end(), w.parent) == parents.end()) continue;
        windows.push_back(w.handle);
        parents.push_back(w.handle);
    }
    return windows;
}

std::string VirtualWindows::GetClassName(Hwnd window) {
    if (!IsWindow(window)) return {};
    if (auto w = host_.client.Find(window)) return w->className;
    if (ProcessOf(window) != nullptr || window == host_.desktop.instance())
        return kHiddenWindowClass;
    return "OtherWindow";
}

bool VirtualWindows::IsWindowVisible(Hwnd window) {
    // The client's windows stay visible, minimized or not; the hidden window is not.
    return IsWindow(window) && ProcessOf(window) == nullptr && window != host_.client.Api();
}

bool VirtualWindows::GetWindowRect(Hwnd window, Rect& rect) {
    if (auto w = host_.client.Find(window)) {
        rect = w->rect;
        return true;
    }
    if (!IsWindow(window)) return false;
    rect = window == host_.desktop.other() ? Rect{0, 0, kScreenWidth, kScreenHeight} : Rect{};
    return true;
}

Hwnd VirtualWindows::WindowFromPoint(int x, int y) {
    const Hwnd found = host_.client.WindowAt(x, y);
    return found != 0 ? found : host_.desktop.other();
}

bool VirtualWindows::GetWindowText(Hwnd window, std::string& text) {
    return host_.client.GetText(window, text);
}

LResult VirtualWindows::SetWindowText(Hwnd window, const char* text) {
    return host_.client.SetText(window, text);
}

// --- input -------------------------------------------------------------------

bool VirtualWindows::SendKeyInput(const KeyInput& input) {
    const bool up = (input.flags & kKeyEventKeyUp) != 0;
    host_.write("input key " + Hex(input.virtualKey) + (up ? " up" : " down"));
    host_.client.KeyInput(input.virtualKey, up);
    return true;
}

bool VirtualWindows::SendMouseInput(const MouseInput& input) {
    host_.write("input mouse " + Hex(input.flags) + " " + std::to_string(input.dx) + " " +
                std::to_string(input.dy));
    if ((input.flags & kMouseEventLeftDown) == 0 || (input.flags & kMouseEventAbsolute) == 0)
        return true;
    // Absolute coordinates run 0-65535 across the screen.
    const int x = static_cast<int>(static_cast<std::int64_t>(input.dx) * kScreenWidth / 65536);
    const int y = static_cast<int>(static_cast<std::int64_t>(input.dy) * kScreenHeight / 65536);
    const Hwnd target = WindowFromPoint(x, y);
    if (host_.client.Find(target)) host_.client.Clicked(target);
    return true;
}

int VirtualWindows::GetSystemMetrics(int index) {
    if (index == kSmCxScreen) return kScreenWidth;
    if (index == kSmCyScreen) return kScreenHeight;
    return 0;
}

}  // namespace calvox::sim
