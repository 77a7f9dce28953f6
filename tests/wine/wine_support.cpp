#include "wine_support.h"

#include <atomic>
#include <fstream>

namespace wine_test {

namespace {
constexpr const char* kPeerClass = "CalvoxWineTestPeer";
constexpr DWORD kSendLimitMs = 5000;

void PumpPending() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

std::string Folder(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }
}  // namespace

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        PumpPending();
        if (done()) return true;
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(timeoutMs - elapsed, 20),
                                  QS_ALLINPUT);
    }
}

void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

UINT Registered(const char* name) { return RegisterWindowMessageA(name); }

PeerWindow::PeerWindow(const char* title) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kPeerClass;
    RegisterClassExA(&wc);  // fails harmlessly once registered
    window_ = CreateWindowExA(0, kPeerClass, title, WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                              nullptr, GetModuleHandleA(nullptr), this);
}

PeerWindow::~PeerWindow() {
    if (window_ != nullptr) DestroyWindow(window_);
}

void PeerWindow::QueueCopyDataReplies(std::initializer_list<LRESULT> replies) {
    copyDataReplies_.insert(copyDataReplies_.end(), replies);
}

std::vector<PeerEvent> PeerWindow::Received(UINT message) const {
    std::vector<PeerEvent> found;
    for (const PeerEvent& event : events_)
        if (event.message == message) found.push_back(event);
    return found;
}

std::vector<std::string> PeerWindow::Commands() const {
    std::vector<std::string> texts;
    for (const PeerEvent& event : Received(WM_COPYDATA)) texts.push_back(event.text);
    return texts;
}

LRESULT CALLBACK PeerWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* peer = reinterpret_cast<PeerWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (peer != nullptr && (message == WM_COPYDATA || message >= 0xC000))
        return peer->Handle(message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT PeerWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    PeerEvent event{message, wParam, lParam, {}, 0};
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        event.cbData = data->cbData;
        const char* bytes = static_cast<const char*>(data->lpData);
        std::string raw(bytes != nullptr ? bytes : "", bytes != nullptr ? data->cbData : 0);
        event.text = raw.substr(0, raw.find('\0'));
        events_.push_back(event);
        if (copyDataReplies_.empty()) return 1;
        LRESULT reply = copyDataReplies_.front();
        copyDataReplies_.pop_front();
        return reply;
    }
    events_.push_back(event);
    if (answerDiscover_ && message == Registered("SkypeControlAPIDiscover"))
        PostMessageA(reinterpret_cast<HWND>(wParam), Registered("SkypeControlAPIAttach"),
                     reinterpret_cast<WPARAM>(window_), 0);
    return 0;
}

CalvoxFolder::CalvoxFolder() {
    static std::atomic<int> serial{0};
    char temp[MAX_PATH];
    char self[MAX_PATH];
    if (GetTempPathA(MAX_PATH, temp) == 0 || GetModuleFileNameA(nullptr, self, MAX_PATH) == 0)
        return;
    path_ = std::string(temp) + "calvox-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(GetTickCount()) + "-" + std::to_string(serial++);
    // Calvox.exe is built beside this program.
    std::string built = Folder(self) + "\\Calvox.exe";
    ok_ = CreateDirectoryA(path_.c_str(), nullptr) && CopyFileA(built.c_str(), Exe().c_str(), TRUE);
}

CalvoxFolder::~CalvoxFolder() {
    if (path_.empty()) return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(File("*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            SetFileAttributesA(File(name).c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(File(name).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path_.c_str());
}

bool CalvoxFolder::Write(const std::string& name, const std::string& bytes) const {
    std::ofstream out(File(name), std::ios::binary);
    out << bytes;
    return static_cast<bool>(out);
}

Process::~Process() {
    if (info_.hProcess == nullptr) return;
    if (Running()) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, kExitLimitMs);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

bool Process::Start(const std::string& exe, const std::string& commandTail) {
    std::string line = "\"" + exe + "\"";
    if (!commandTail.empty()) line += " " + commandTail;
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string folder = Folder(exe);
    return CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &startup, &info_) != 0;
}

bool Process::Running() const {
    return info_.hProcess != nullptr && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool Process::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
    if (info_.hProcess == nullptr) return false;
    if (!PumpUntil([this] { return !Running(); }, timeoutMs)) return false;
    if (exitCode != nullptr) GetExitCodeProcess(info_.hProcess, exitCode);
    return true;
}

HWND WaitForHiddenWindow(DWORD timeoutMs) {
    HWND window = nullptr;
    PumpUntil([&] { return (window = FindWindowA(kHiddenClass, kHiddenClass)) != nullptr; },
              timeoutMs);
    return window;
}

void EndStrayInstance() {
    HWND window = FindWindowA(kHiddenClass, kHiddenClass);
    if (window == nullptr) return;
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (process == nullptr) return;
    TerminateProcess(process, 98);
    WaitForSingleObject(process, kExitLimitMs);
    CloseHandle(process);
}

LRESULT SendWithLimit(HWND to, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(to, message, wParam, lParam, SMTO_NORMAL, kSendLimitMs, &result))
        return -1;
    return static_cast<LRESULT>(result);
}

LRESULT SendCopyData(HWND to, HWND from, const std::string& text) {
    COPYDATASTRUCT data{0, static_cast<DWORD>(text.size() + 1), const_cast<char*>(text.c_str())};
    return SendWithLimit(to, WM_COPYDATA, reinterpret_cast<WPARAM>(from),
                         reinterpret_cast<LPARAM>(&data));
}

}  // namespace wine_test
