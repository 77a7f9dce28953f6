// Peers and process control for the Wine tests: this test program plays the
// Skype client and the companion program towards a real Calvox.exe.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace wine_test {

inline constexpr const char* kHiddenClass = "Calvox Hidden Window class";
inline constexpr DWORD kStartLimitMs = 15000;
inline constexpr DWORD kExitLimitMs = 10000;

// Runs this thread's messages, sent ones included, until done() holds or the
// time is up; true when done() held.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
void PumpFor(DWORD ms);

struct PeerEvent {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    std::string text;  // WM_COPYDATA: the bytes up to the first NUL
    DWORD cbData = 0;  // WM_COPYDATA: as the sender counted them
};

// A top-level window of this process that records what it receives.
class PeerWindow {
public:
    explicit PeerWindow(const char* title);
    ~PeerWindow();
    PeerWindow(const PeerWindow&) = delete;
    PeerWindow& operator=(const PeerWindow&) = delete;

    HWND hwnd() const { return window_; }

    // Acting as the Skype client: every discover is answered with an attach
    // of status 0 from this window.
    void AnswerDiscover(bool on) { answerDiscover_ = on; }
    // Return values for the next WM_COPYDATA messages, in order; 1 after them.
    void QueueCopyDataReplies(std::initializer_list<LRESULT> replies);

    const std::vector<PeerEvent>& Events() const { return events_; }
    std::vector<PeerEvent> Received(UINT message) const;
    // The WM_COPYDATA texts, in order of arrival.
    std::vector<std::string> Commands() const;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    bool answerDiscover_ = false;
    std::deque<LRESULT> copyDataReplies_;
    std::vector<PeerEvent> events_;
};

UINT Registered(const char* name);

// A fresh folder under the temporary folder with a copy of Calvox.exe, so the
// Calvox.ini beside it belongs to one test; removed with its files.
class CalvoxFolder {
public:
    CalvoxFolder();
    ~CalvoxFolder();
    CalvoxFolder(const CalvoxFolder&) = delete;
    CalvoxFolder& operator=(const CalvoxFolder&) = delete;

    bool ok() const { return ok_; }
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }
    std::string Exe() const { return File("Calvox.exe"); }
    bool Write(const std::string& name, const std::string& bytes) const;

private:
    std::string path_;
    bool ok_ = false;
};

// One started process; ended by force when still running at destruction.
class Process {
public:
    Process() = default;
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // commandTail: the text after the quoted program path and one blank.
    bool Start(const std::string& exe, const std::string& commandTail);
    bool Running() const;
    // Waits, pumping messages, for the process to end.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
    DWORD id() const { return info_.dwProcessId; }

private:
    PROCESS_INFORMATION info_{};
};

// Calvox's hidden window, waiting (and pumping) up to timeoutMs for it.
HWND WaitForHiddenWindow(DWORD timeoutMs);
// Ends an instance a failed earlier test may have left behind.
void EndStrayInstance();

// SendMessageTimeout with a limit; the receiver's result, or -1 on failure.
LRESULT SendWithLimit(HWND to, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SendCopyData(HWND to, HWND from, const std::string& text);

}  // namespace wine_test
