// The diagnostic log file: lines are queued by the hub and written by a
// thread of their own, so a slow disk never holds the hub up.
#include <process.h>

#include <cstdio>
#include <deque>
#include <memory>

#include "win32/win_platform.h"

namespace calvox::win32 {

namespace {

constexpr std::size_t kLogRollOverBytes = 1024 * 1024;
constexpr std::size_t kLogQueueLimit = 1000;
constexpr DWORD kLogStopLimitMs = 2000;

// What the writer thread works with: a thread that does not stop in time
// keeps it, so it is left to end with the process instead of being killed.
struct Writer {
    Writer(std::string file, std::size_t limit) : path(std::move(file)), rollOverBytes(limit) {
        ::InitializeCriticalSection(&lock);
    }
    ~Writer() {
        if (work != nullptr) ::CloseHandle(work);
        if (stop != nullptr) ::CloseHandle(stop);
        ::DeleteCriticalSection(&lock);
    }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    void Run();
    void Append(const std::deque<std::string>& lines);

    const std::string path;
    const std::size_t rollOverBytes;
    CRITICAL_SECTION lock;
    std::deque<std::string> queue;
    std::size_t dropped = 0;
    bool started = false;
    HANDLE work = nullptr;
    HANDLE stop = nullptr;
    HANDLE thread = nullptr;
    bool rollOverFailureNoted = false;  // the writer's own
};

unsigned __stdcall LogWriterStart(void* writer) {
    static_cast<Writer*>(writer)->Run();
    return 0;
}

std::string BesideTheProgram(const char* name) {
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length < MAX_PATH ? length : 0);
    const std::size_t slash = folder.rfind('\\');
    folder.resize(slash == std::string::npos ? 0 : slash + 1);
    return folder + name;
}

HANDLE OpenLogFile(const std::string& path, DWORD disposition) {
    return ::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The diagnostic log file (Calvox.log beside the program), rolled over to
// Calvox.log.1 when the next line would take it past the limit.
class WinLog final : public LogPort {
public:
    WinLog() : WinLog(BesideTheProgram("Calvox.log"), kLogRollOverBytes) {}
    WinLog(std::string path, std::size_t rollOverBytes)
        : writer_(new Writer(std::move(path), rollOverBytes)) {}
    ~WinLog() override {
        if (writer_->thread != nullptr) {
            // The writer drains the queue before it ends. One that a hung disk
            // holds past the limit is left with its state: killing it could
            // leave the heap's lock held for the exit that follows.
            ::SetEvent(writer_->stop);
            const bool ended =
                ::WaitForSingleObject(writer_->thread, kLogStopLimitMs) == WAIT_OBJECT_0;
            ::CloseHandle(writer_->thread);
            if (!ended) return;
        }
        delete writer_;
    }
    WinLog(const WinLog&) = delete;
    WinLog& operator=(const WinLog&) = delete;

    // Stamps the line with the local time and queues it; never waits for the disk.
    void WriteLine(const std::string& line) override {
        SYSTEMTIME now;
        ::GetLocalTime(&now);
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u.%03u ", now.wYear,
                      now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);

        std::string entry(stamp);
        entry.append(line).append("\r\n");

        Writer& w = *writer_;
        ::EnterCriticalSection(&w.lock);
        if (!w.started) {
            // The first line starts the writer: with the log off there is no thread.
            w.started = true;
            w.work = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
            w.stop = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
            if (w.work != nullptr && w.stop != nullptr)
                w.thread = reinterpret_cast<HANDLE>(
                    ::_beginthreadex(nullptr, 0, LogWriterStart, &w, 0, nullptr));
        }
        if (w.queue.size() < kLogQueueLimit)
            w.queue.push_back(std::move(entry));
        else
            ++w.dropped;
        ::LeaveCriticalSection(&w.lock);
        if (w.work != nullptr) ::SetEvent(w.work);
    }

private:
    Writer* writer_;
};

void Writer::Run() {
    const HANDLE wakers[] = {stop, work};
    for (;;) {
        // The stop event is never reset: once set, every later wait sees it.
        const DWORD woken = ::WaitForMultipleObjects(2, wakers, FALSE, INFINITE);
        std::deque<std::string> lines;
        std::size_t lost = 0;
        ::EnterCriticalSection(&lock);
        lines.swap(queue);
        std::swap(lost, dropped);
        ::LeaveCriticalSection(&lock);
        if (lost != 0) {
            char note[64];
            std::snprintf(note, sizeof note, "(%u lines dropped: the disk was too slow)\r\n",
                          static_cast<unsigned>(lost));
            lines.emplace_back(note);
        }
        Append(lines);
        if (woken != WAIT_OBJECT_0 + 1) return;
    }
}

void Writer::Append(const std::deque<std::string>& lines) {
    if (lines.empty()) return;
    HANDLE file = OpenLogFile(path, OPEN_ALWAYS);
    if (file == INVALID_HANDLE_VALUE) return;
    LARGE_INTEGER size{};
    ::GetFileSizeEx(file, &size);
    std::uint64_t written = static_cast<std::uint64_t>(size.QuadPart);
    bool rollOverFailed = false;  // tried again with the next lines
    auto put = [&file, &written](const std::string& text) {
        DWORD done = 0;
        ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
        written += done;
    };
    for (const std::string& line : lines) {
        if (!rollOverFailed && written > 0 && written + line.size() > rollOverBytes) {
            // Full: the file becomes the one older file, and a new one begins.
            // When it cannot move (another program holds it), it grows on:
            // starting it again would wipe it.
            ::CloseHandle(file);
            const bool moved =
                ::MoveFileExA(path.c_str(), (path + ".1").c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
            const DWORD error = moved ? 0 : ::GetLastError();
            file = OpenLogFile(path, moved ? CREATE_ALWAYS : OPEN_ALWAYS);
            if (file == INVALID_HANDLE_VALUE) return;
            if (moved) {
                written = 0;
            } else {
                rollOverFailed = true;
                if (!rollOverFailureNoted) {
                    rollOverFailureNoted = true;
                    char note[96];
                    std::snprintf(note, sizeof note,
                                  "(the log could not roll over (error %lu): it grows on)\r\n",
                                  static_cast<unsigned long>(error));
                    put(note);
                }
            }
        }
        put(line);
    }
    ::CloseHandle(file);
}

}  // namespace

std::unique_ptr<LogPort> MakeLogPort(std::string path, std::size_t rollOverBytes) {
    return std::make_unique<WinLog>(std::move(path), rollOverBytes);
}

std::unique_ptr<LogPort> MakeLogPort() { return std::make_unique<WinLog>(); }

}  // namespace calvox::win32
