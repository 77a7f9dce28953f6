// The diagnostic log file: lines are queued by the hub and written by a
// thread of their own, so a slow disk never holds the hub up.
#include <process.h>

#include <cstdio>

#include "win32/win_platform.h"

namespace calvox::win32 {

namespace {

unsigned __stdcall LogWriterStart(void* log) {
    static_cast<WinLog*>(log)->RunWriter();
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

}  // namespace

WinLog::WinLog() : WinLog(BesideTheProgram("Calvox.log"), kLogRollOverBytes) {}

WinLog::WinLog(std::string path, std::size_t rollOverBytes)
    : path_(std::move(path)), rollOverBytes_(rollOverBytes) {
    ::InitializeCriticalSection(&lock_);
}

WinLog::~WinLog() {
    if (thread_ != nullptr) {
        // The writer drains the queue before it ends; a disk that hangs
        // longer than the limit loses what is left rather than the exit.
        ::SetEvent(stop_);
        if (::WaitForSingleObject(thread_, kLogStopLimitMs) != WAIT_OBJECT_0)
            ::TerminateThread(thread_, kTerminatedThreadExitCode);
        ::CloseHandle(thread_);
    }
    if (work_ != nullptr) ::CloseHandle(work_);
    if (stop_ != nullptr) ::CloseHandle(stop_);
    ::DeleteCriticalSection(&lock_);
}

void WinLog::WriteLine(const std::string& line) {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u.%03u ", now.wYear, now.wMonth,
                  now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);

    std::string entry(stamp);
    entry.append(line).append("\r\n");

    ::EnterCriticalSection(&lock_);
    if (!started_) {
        // The first line starts the writer: with the log off there is no thread.
        started_ = true;
        work_ = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
        stop_ = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
        if (work_ != nullptr && stop_ != nullptr)
            thread_ = reinterpret_cast<HANDLE>(
                ::_beginthreadex(nullptr, 0, LogWriterStart, this, 0, nullptr));
    }
    if (queue_.size() < kLogQueueLimit)
        queue_.push_back(std::move(entry));
    else
        ++dropped_;
    ::LeaveCriticalSection(&lock_);
    if (work_ != nullptr) ::SetEvent(work_);
}

void WinLog::RunWriter() {
    const HANDLE wakers[] = {stop_, work_};
    for (;;) {
        // The stop event is never reset: once set, every later wait sees it.
        const DWORD woken = ::WaitForMultipleObjects(2, wakers, FALSE, INFINITE);
        std::deque<std::string> lines;
        std::size_t dropped = 0;
        ::EnterCriticalSection(&lock_);
        lines.swap(queue_);
        std::swap(dropped, dropped_);
        ::LeaveCriticalSection(&lock_);
        if (dropped != 0) {
            char note[64];
            std::snprintf(note, sizeof note, "(%u lines dropped: the disk was too slow)\r\n",
                          static_cast<unsigned>(dropped));
            lines.emplace_back(note);
        }
        Append(lines);
        if (woken != WAIT_OBJECT_0 + 1) return;
    }
}

void WinLog::Append(const std::deque<std::string>& lines) {
    if (lines.empty()) return;
    HANDLE file = ::CreateFileA(path_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    LARGE_INTEGER size{};
    ::GetFileSizeEx(file, &size);
    std::uint64_t written = static_cast<std::uint64_t>(size.QuadPart);
    for (const std::string& line : lines) {
        if (written > 0 && written + line.size() > rollOverBytes_) {
            // Full: the file becomes the one older file, and a new one begins.
            ::CloseHandle(file);
            ::MoveFileExA(path_.c_str(), (path_ + ".1").c_str(), MOVEFILE_REPLACE_EXISTING);
            file =
                ::CreateFileA(path_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file == INVALID_HANDLE_VALUE) return;
            written = 0;
        }
        DWORD done = 0;
        ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &done, nullptr);
        written += done;
    }
    ::CloseHandle(file);
}

}  // namespace calvox::win32
