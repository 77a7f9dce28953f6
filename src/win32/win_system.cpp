// Threads, events, profile, files, shell, text, registry and system facts
// through KERNEL32, ADVAPI32, SHELL32 and the C runtime.
#include <lmcons.h>
#include <process.h>
#include <shlobj.h>

#include <algorithm>
#include <ctime>
#include <memory>

#include "win32/win_platform.h"

namespace calvox::win32 {

namespace {

HANDLE ToHandle(std::uintptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

unsigned __stdcall ThreadStart(void* context) {
    std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(context));
    (*body)();
    return 0;
}

CRITICAL_SECTION* ToLock(LockHandle lock) { return reinterpret_cast<CRITICAL_SECTION*>(lock); }

// The port's empty text stands for "none", which the API takes as null.
const char* OrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

// Names the thread for debuggers where the system can (Windows 10 1607 on).
void DescribeThread(HANDLE thread, const std::string& name) {
    using Describe = HRESULT(WINAPI*)(HANDLE, PCWSTR);
    static const auto describe = reinterpret_cast<Describe>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "SetThreadDescription")));
    if (describe == nullptr || name.empty()) return;
    std::wstring wide(name.begin(), name.end());
    describe(thread, wide.c_str());
}

class WinThreads final : public ThreadPort {
public:
    EventHandle CreateEvent(const std::string& name, bool manualReset,
                            bool initiallySignaled) override {
        return reinterpret_cast<EventHandle>(
            ::CreateEventA(nullptr, manualReset, initiallySignaled, OrNull(name)));
    }

    void SetEvent(EventHandle event) override { ::SetEvent(ToHandle(event)); }

    void ResetEvent(EventHandle event) override { ::ResetEvent(ToHandle(event)); }

    void CloseEvent(EventHandle event) override { ::CloseHandle(ToHandle(event)); }

    WaitResult WaitEvent(EventHandle event, std::uint32_t timeoutMs) override {
        switch (::WaitForSingleObject(ToHandle(event), timeoutMs)) {
            case WAIT_OBJECT_0:
                return WaitResult::Signaled;
            case WAIT_TIMEOUT:
                return WaitResult::Timeout;
            default:
                return WaitResult::Failed;
        }
    }

    WaitResult WaitEvents(const std::vector<EventHandle>& events, std::uint32_t timeoutMs,
                          std::size_t& index) override {
        std::vector<HANDLE> handles;
        for (EventHandle event : events) handles.push_back(ToHandle(event));
        const DWORD result = ::WaitForMultipleObjects(static_cast<DWORD>(handles.size()),
                                                      handles.data(), FALSE, timeoutMs);
        if (result == WAIT_TIMEOUT) return WaitResult::Timeout;
        if (result >= WAIT_OBJECT_0 && result < WAIT_OBJECT_0 + handles.size()) {
            index = result - WAIT_OBJECT_0;
            return WaitResult::Signaled;
        }
        return WaitResult::Failed;
    }

    ThreadHandle StartThread(const std::string& name, std::function<void()> body) override {
        auto* context = new std::function<void()>(std::move(body));
        std::uintptr_t thread = ::_beginthreadex(nullptr, 0, ThreadStart, context, 0, nullptr);
        if (thread == 0) {
            delete context;
            return 0;
        }
        DescribeThread(ToHandle(thread), name);
        return thread;
    }

    bool JoinThread(ThreadHandle thread, std::uint32_t timeoutMs) override {
        return ::WaitForSingleObject(ToHandle(thread), timeoutMs) == WAIT_OBJECT_0;
    }

    void AbandonThread(ThreadHandle thread) override { ::CloseHandle(ToHandle(thread)); }

    void CloseThread(ThreadHandle thread) override { ::CloseHandle(ToHandle(thread)); }

    void WorkerSleep(std::uint32_t ms) override { ::Sleep(ms); }

    LockHandle CreateLock() override {
        auto* section = new CRITICAL_SECTION;
        ::InitializeCriticalSection(section);
        return reinterpret_cast<LockHandle>(section);
    }

    void Acquire(LockHandle lock) override { ::EnterCriticalSection(ToLock(lock)); }

    void Release(LockHandle lock) override { ::LeaveCriticalSection(ToLock(lock)); }

    void DestroyLock(LockHandle lock) override {
        ::DeleteCriticalSection(ToLock(lock));
        delete ToLock(lock);
    }
};

}  // namespace

std::unique_ptr<ThreadPort> MakeThreadPort() { return std::make_unique<WinThreads>(); }

namespace {

class WinProfile final : public ProfilePort {
public:
    int GetInt(const std::string& section, const std::string& key, int defaultValue,
               const std::string& path) override {
        return static_cast<int>(
            ::GetPrivateProfileIntA(section.c_str(), key.c_str(), defaultValue, path.c_str()));
    }

    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& path, std::size_t bufferSize) override {
        if (bufferSize == 0) return {};
        std::vector<char> buffer(bufferSize, '\0');
        DWORD length = ::GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer.data(),
                                                  static_cast<DWORD>(bufferSize), path.c_str());
        buffer[bufferSize - 1] = '\0';
        return std::string(buffer.data(), std::min<std::size_t>(length, bufferSize - 1));
    }

    bool WriteString(const std::string& section, const std::string& key, const std::string& value,
                     const std::string& path) override {
        return ::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(),
                                            path.c_str()) != 0;
    }
};

}  // namespace

std::unique_ptr<ProfilePort> MakeProfilePort() { return std::make_unique<WinProfile>(); }

namespace {

class WinFiles final : public FilePort {
public:
    std::string GetModuleFileName() override {
        char path[MAX_PATH];
        DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
        return std::string(path, std::min<DWORD>(length, MAX_PATH));
    }

    std::string GetWindowsDirectory() override {
        char folder[260];
        UINT length = ::GetWindowsDirectoryA(folder, sizeof folder);
        if (length == 0 || length >= sizeof folder) return {};
        return std::string(folder, length);
    }

    std::uint32_t GetFileAttributes(const std::string& path) override {
        return ::GetFileAttributesA(path.c_str());
    }

    bool SetFileAttributes(const std::string& path, std::uint32_t attributes) override {
        return ::SetFileAttributesA(path.c_str(), attributes) != 0;
    }

    bool CreateDirectory(const std::string& path) override {
        return ::CreateDirectoryA(path.c_str(), nullptr) != 0;
    }

    std::vector<std::string> FindFiles(const std::string& pattern) override {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE search = ::FindFirstFileA(pattern.c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do {
            names.emplace_back(found.cFileName);
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
        return names;
    }

    bool GetCreationTime(const std::string& path, std::uint64_t& fileTime) override {
        HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        FILETIME created;
        const bool ok = ::GetFileTime(file, &created, nullptr, nullptr) != 0;
        ::CloseHandle(file);
        if (ok) fileTime = (std::uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime;
        return ok;
    }

    bool ReadTextFile(const std::string& path, std::string& content) override {
        content.clear();
        HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        std::string bytes;
        char chunk[4096];
        DWORD read = 0;
        bool ok = true;
        while ((ok = ::ReadFile(file, chunk, sizeof chunk, &read, nullptr) != 0) && read > 0)
            bytes.append(chunk, read);
        ::CloseHandle(file);
        if (!ok) return false;
        content.reserve(bytes.size());
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
            content += bytes[i];
        }
        return true;
    }
};

}  // namespace

std::unique_ptr<FilePort> MakeFilePort() { return std::make_unique<WinFiles>(); }

void WinShell::ShellExecute(Hwnd window, const std::string& verb, const std::string& file,
                            const std::string& parameters, const std::string& folder, int show) {
    ::ShellExecuteA(reinterpret_cast<HWND>(window), OrNull(verb), file.c_str(), OrNull(parameters),
                    OrNull(folder), show);
}

bool WinShell::NotifyIcon(TrayOp op, const TrayIconRecord& record) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V2_SIZE;
    data.hWnd = reinterpret_cast<HWND>(record.window);
    data.uID = record.id;
    data.uFlags = record.flags;
    data.uCallbackMessage = record.callbackMessage;
    data.hIcon = reinterpret_cast<HICON>(record.icon);
    ::lstrcpynA(data.szTip, record.tip.c_str(), sizeof data.szTip);
    DWORD message = op == TrayOp::Add ? NIM_ADD : op == TrayOp::Modify ? NIM_MODIFY : NIM_DELETE;
    return ::Shell_NotifyIconA(message, &data) != 0;
}

IconHandle WinShell::LoadIconFile(const std::string& path) {
    return reinterpret_cast<IconHandle>(
        ::LoadImageA(nullptr, path.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
}

IconHandle WinShell::LoadIconResource(int id) {
    return reinterpret_cast<IconHandle>(
        ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id)));
}

void WinShell::DestroyIcon(IconHandle icon) { ::DestroyIcon(reinterpret_cast<HICON>(icon)); }

bool WinText::AnsiToWide(const std::string& ansi, std::u16string& wide) {
    wide.clear();
    if (ansi.empty()) return true;
    int size = static_cast<int>(ansi.size());
    int length = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, nullptr, 0);
    if (length <= 0) return false;
    wide.resize(static_cast<std::size_t>(length));
    return ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), size,
                                 reinterpret_cast<wchar_t*>(wide.data()), length) == length;
}

bool WinText::WideToAnsi(const std::u16string& wide, std::string& ansi) {
    ansi.clear();
    if (wide.empty()) return true;
    const auto* text = reinterpret_cast<const wchar_t*>(wide.data());
    int size = static_cast<int>(wide.size());
    // No best fit: a character the code page lacks becomes '?', not a look-alike.
    int length =
        ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, size, nullptr, 0, "?", nullptr);
    if (length <= 0) return false;
    ansi.resize(static_cast<std::size_t>(length));
    return ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, size, ansi.data(), length, "?",
                                 nullptr) == length;
}

namespace {
HKEY Root(RegistryHive hive) {
    return hive == RegistryHive::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}
// The user's keys are opened to be read and written; the machine's to be read.
REGSAM Access(RegistryHive hive) {
    return hive == RegistryHive::CurrentUser ? KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE
                                             : KEY_READ;
}
class WinRegistry final : public RegistryPort {
public:
    bool ReadString(RegistryHive hive, const std::string& key, const std::string& value,
                    std::size_t maxBytes, std::string& out) override {
        if (maxBytes == 0) return false;
        HKEY root = hive == RegistryHive::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        HKEY opened = nullptr;
        if (::RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
        std::vector<char> buffer(maxBytes, '\0');
        DWORD size = static_cast<DWORD>(maxBytes);
        LONG result = ::RegQueryValueExA(opened, value.c_str(), nullptr, nullptr,
                                         reinterpret_cast<BYTE*>(buffer.data()), &size);
        ::RegCloseKey(opened);
        if (result != ERROR_SUCCESS) return false;
        buffer[maxBytes - 1] = '\0';
        if (buffer[0] == '\0') return false;
        out = buffer.data();
        return true;
    }

    bool KeyExists(RegistryHive hive, const std::string& key) override {
        HKEY opened = nullptr;
        if (::RegOpenKeyExA(Root(hive), key.c_str(), 0, Access(hive), &opened) != ERROR_SUCCESS)
            return false;
        ::RegCloseKey(opened);
        return true;
    }

    bool CreateKey(RegistryHive hive, const std::string& key) override {
        HKEY created = nullptr;
        if (::RegCreateKeyExA(Root(hive), key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              Access(hive), nullptr, &created, nullptr) != ERROR_SUCCESS)
            return false;
        ::RegCloseKey(created);
        return true;
    }

    bool EnumerateSubkey(RegistryHive hive, const std::string& key, std::uint32_t index,
                         std::string& name) override {
        HKEY opened = nullptr;
        if (::RegOpenKeyExA(Root(hive), key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
            return false;
        char buffer[256] = {};
        DWORD size = sizeof buffer;
        const LONG result =
            ::RegEnumKeyExA(opened, index, buffer, &size, nullptr, nullptr, nullptr, nullptr);
        ::RegCloseKey(opened);
        if (result != ERROR_SUCCESS) return false;
        name.assign(buffer, std::min<std::size_t>(size, sizeof buffer - 1));
        return true;
    }

    bool ReadDword(RegistryHive hive, const std::string& key, const std::string& value,
                   std::uint32_t& out) override {
        HKEY opened = nullptr;
        if (::RegOpenKeyExA(Root(hive), key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
            return false;
        DWORD type = 0, data = 0, size = sizeof data;
        const LONG result = ::RegQueryValueExA(opened, value.c_str(), nullptr, &type,
                                               reinterpret_cast<BYTE*>(&data), &size);
        ::RegCloseKey(opened);
        if (result != ERROR_SUCCESS || type != REG_DWORD || size != sizeof data) return false;
        out = data;
        return true;
    }

    bool WriteString(RegistryHive hive, const std::string& key, const std::string& value,
                     const std::string& text) override {
        HKEY opened = nullptr;
        if (::RegOpenKeyExA(Root(hive), key.c_str(), 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS)
            return false;
        // With the terminator, so a reader always finds one.
        const LONG result = ::RegSetValueExA(opened, value.c_str(), 0, REG_SZ,
                                             reinterpret_cast<const BYTE*>(text.c_str()),
                                             static_cast<DWORD>(text.size() + 1));
        ::RegCloseKey(opened);
        return result == ERROR_SUCCESS;
    }

    bool WriteDword(RegistryHive hive, const std::string& key, const std::string& value,
                    std::uint32_t data) override {
        HKEY opened = nullptr;
        if (::RegOpenKeyExA(Root(hive), key.c_str(), 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS)
            return false;
        const DWORD number = data;
        const LONG result = ::RegSetValueExA(opened, value.c_str(), 0, REG_DWORD,
                                             reinterpret_cast<const BYTE*>(&number), sizeof number);
        ::RegCloseKey(opened);
        return result == ERROR_SUCCESS;
    }
};

}  // namespace

std::unique_ptr<RegistryPort> MakeRegistryPort() { return std::make_unique<WinRegistry>(); }

namespace {

class WinSystem final : public SystemPort {
public:
    bool GetVersion(OsVersion& version) override {
        OSVERSIONINFOA info{};
        static_assert(sizeof info == 148, "the basic record, without the service pack numbers");
        info.dwOSVersionInfoSize = sizeof info;
        if (!::GetVersionExA(&info)) return false;
        version.major = info.dwMajorVersion;
        version.minor = info.dwMinorVersion;
        version.platformId = info.dwPlatformId;
        version.servicePack = info.szCSDVersion;
        return true;
    }

    bool GetUserName(std::string& name) override {
        char buffer[UNLEN + 1];
        DWORD size = sizeof buffer;
        if (!::GetUserNameA(buffer, &size)) return false;
        name = buffer;
        return true;
    }

    bool GetAppDataFolder(std::string& folder) override {
        char path[MAX_PATH];
        if (::SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK)
            return false;
        folder = path;
        return true;
    }

    bool ToLocalTime(std::int64_t seconds, LocalTimeParts& parts) override {
        const __time64_t time = seconds;
        std::tm local{};
        if (::_localtime64_s(&local, &time) != 0) return false;
        parts.year = local.tm_year + 1900;
        parts.month = local.tm_mon + 1;
        parts.day = local.tm_mday;
        parts.hour = local.tm_hour;
        parts.minute = local.tm_min;
        return true;
    }
};

}  // namespace

std::unique_ptr<SystemPort> MakeSystemPort() { return std::make_unique<WinSystem>(); }

}  // namespace calvox::win32
