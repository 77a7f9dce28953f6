// DirectSound, DirectSoundCapture, byte files and resources on Win32.
#include "win32/win_platform.h"
// After windows.h, which they need.
// clang-format off
#include <mmreg.h>
#include <dsound.h>
// clang-format on

#include <cstring>
#include <memory>
#include <mutex>

namespace calvox::win32 {

namespace {

using EnumerateFn = HRESULT(WINAPI*)(LPDSENUMCALLBACKA, LPVOID);
using CreateFn = HRESULT(WINAPI*)(LPCGUID, LPDIRECTSOUND*, LPUNKNOWN);
using CaptureCreateFn = HRESULT(WINAPI*)(LPCGUID, LPDIRECTSOUNDCAPTURE*, LPUNKNOWN);

// {B0210783-89CD-11D0-AF08-00A0C925CD16}
const GUID kIidDirectSoundNotify = {
    0xB0210783, 0x89CD, 0x11D0, {0xAF, 0x08, 0x00, 0xA0, 0xC9, 0x25, 0xCD, 0x16}};

std::vector<std::uint8_t> FormatBlock(const WaveFormat& f) {
    std::vector<std::uint8_t> block(sizeof(WAVEFORMATEX) + f.extra.size(), 0);
    auto* w = reinterpret_cast<WAVEFORMATEX*>(block.data());
    w->wFormatTag = f.formatTag;
    w->nChannels = f.channels;
    w->nSamplesPerSec = f.samplesPerSec;
    w->nAvgBytesPerSec = f.avgBytesPerSec;
    w->nBlockAlign = f.blockAlign;
    w->wBitsPerSample = f.bitsPerSample;
    w->cbSize = static_cast<WORD>(f.extra.size());
    if (!f.extra.empty())
        std::memcpy(block.data() + sizeof(WAVEFORMATEX), f.extra.data(), f.extra.size());
    return block;
}

BOOL CALLBACK CollectDevice(LPGUID guid, LPCSTR description, LPCSTR, LPVOID context) {
    SoundDevice d;
    if (guid != nullptr) d.id = FromGUID(*guid);
    d.description = description != nullptr ? description : "";
    static_cast<std::vector<SoundDevice>*>(context)->push_back(d);
    return TRUE;
}

// An all-zero id stands for the default device, as enumeration gives it.
const GUID* DeviceGuid(const Guid* device, GUID& storage) {
    if (device == nullptr || *device == Guid{}) return nullptr;
    storage = ToGUID(*device);
    return &storage;
}

IDirectSound* Sound(SoundObject o) { return reinterpret_cast<IDirectSound*>(o); }
IDirectSoundBuffer* Buffer(SoundBuffer b) { return reinterpret_cast<IDirectSoundBuffer*>(b); }
IDirectSoundCapture* Capture(SoundObject o) { return reinterpret_cast<IDirectSoundCapture*>(o); }
IDirectSoundCaptureBuffer* CaptureBuffer(SoundBuffer b) {
    return reinterpret_cast<IDirectSoundCaptureBuffer*>(b);
}

// Playback and capture buffers lock alike.
template <class Interface>
HResult LockRegion(Interface* buffer, std::uint32_t offset, std::uint32_t bytes,
                   LockedRegion& region) {
    void *p1 = nullptr, *p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    const HRESULT hr = buffer->Lock(offset, bytes, &p1, &n1, &p2, &n2, 0);
    region.first = static_cast<std::uint8_t*>(p1);
    region.firstBytes = n1;
    region.second = static_cast<std::uint8_t*>(p2);
    region.secondBytes = n2;
    return hr;
}

template <class Interface>
HResult UnlockRegion(Interface* buffer, const LockedRegion& region) {
    return buffer->Unlock(region.first, region.firstBytes, region.second, region.secondBytes);
}

// DirectSound and DirectSoundCapture from the system's "dsound.dll", loaded
// on first use; every call fails with E_FAIL where the library or an entry
// point is missing.
class WinSound final : public SoundPort {
public:
    WinSound() = default;
    ~WinSound() override {
        if (library_ != nullptr) ::FreeLibrary(library_);
    }
    WinSound(const WinSound&) = delete;
    WinSound& operator=(const WinSound&) = delete;

    HResult EnumeratePlaybackDevices(std::vector<SoundDevice>& devices) override {
        auto enumerate =
            reinterpret_cast<EnumerateFn>(reinterpret_cast<void*>(Entry("DirectSoundEnumerateA")));
        if (enumerate == nullptr) return kEFail;
        devices.clear();
        return enumerate(CollectDevice, &devices);
    }

    HResult CreatePlayback(const Guid* device, SoundObject& object) override {
        object = 0;
        auto create =
            reinterpret_cast<CreateFn>(reinterpret_cast<void*>(Entry("DirectSoundCreate")));
        if (create == nullptr) return kEFail;
        GUID storage;
        IDirectSound* sound = nullptr;
        const HRESULT hr = create(DeviceGuid(device, storage), &sound, nullptr);
        if (SUCCEEDED(hr)) object = reinterpret_cast<SoundObject>(sound);
        return hr;
    }

    HResult SetCooperativeLevel(SoundObject object, Hwnd owner, CooperativeLevel level) override {
        return Sound(object)->SetCooperativeLevel(reinterpret_cast<HWND>(owner),
                                                  static_cast<DWORD>(level));
    }

    HResult SetPrimaryFormat(SoundObject object, const WaveFormat& format) override {
        DSBUFFERDESC desc{};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DSBCAPS_PRIMARYBUFFER;
        IDirectSoundBuffer* primary = nullptr;
        HRESULT hr = Sound(object)->CreateSoundBuffer(&desc, &primary, nullptr);
        if (FAILED(hr)) return hr;
        std::vector<std::uint8_t> block = FormatBlock(format);
        hr = primary->SetFormat(reinterpret_cast<WAVEFORMATEX*>(block.data()));
        primary->Release();
        return hr;
    }

    HResult CreateBuffer(SoundObject object, std::uint32_t flags, std::uint32_t bytes,
                         const WaveFormat& format, SoundBuffer& buffer) override {
        buffer = 0;
        std::vector<std::uint8_t> block = FormatBlock(format);
        DSBUFFERDESC desc{};
        desc.dwSize = sizeof desc;
        desc.dwFlags = flags;
        desc.dwBufferBytes = bytes;
        desc.lpwfxFormat = reinterpret_cast<WAVEFORMATEX*>(block.data());
        IDirectSoundBuffer* created = nullptr;
        const HRESULT hr = Sound(object)->CreateSoundBuffer(&desc, &created, nullptr);
        if (SUCCEEDED(hr)) buffer = reinterpret_cast<SoundBuffer>(created);
        return hr;
    }

    HResult GetBufferStatus(SoundBuffer buffer, std::uint32_t& status) override {
        DWORD value = 0;
        const HRESULT hr = Buffer(buffer)->GetStatus(&value);
        status = value;
        return hr;
    }

    HResult RestoreBuffer(SoundBuffer buffer) override { return Buffer(buffer)->Restore(); }

    HResult LockBuffer(SoundBuffer buffer, std::uint32_t offset, std::uint32_t bytes,
                       LockedRegion& region) override {
        return LockRegion(Buffer(buffer), offset, bytes, region);
    }

    HResult UnlockBuffer(SoundBuffer buffer, const LockedRegion& region) override {
        return UnlockRegion(Buffer(buffer), region);
    }

    HResult PlayBuffer(SoundBuffer buffer, bool loop) override {
        return Buffer(buffer)->Play(0, 0, loop ? DSBPLAY_LOOPING : 0);
    }

    HResult StopBuffer(SoundBuffer buffer) override { return Buffer(buffer)->Stop(); }

    void ReleaseBuffer(SoundBuffer buffer) override { Buffer(buffer)->Release(); }

    void ReleaseSound(SoundObject object) override { Sound(object)->Release(); }

    HResult EnumerateCaptureDevices(std::vector<SoundDevice>& devices) override {
        auto enumerate = reinterpret_cast<EnumerateFn>(
            reinterpret_cast<void*>(Entry("DirectSoundCaptureEnumerateA")));
        if (enumerate == nullptr) return kEFail;
        devices.clear();
        return enumerate(CollectDevice, &devices);
    }

    HResult CreateCapture(const Guid* device, SoundObject& object) override {
        object = 0;
        auto create = reinterpret_cast<CaptureCreateFn>(
            reinterpret_cast<void*>(Entry("DirectSoundCaptureCreate")));
        if (create == nullptr) return kEFail;
        GUID storage;
        IDirectSoundCapture* capture = nullptr;
        const HRESULT hr = create(DeviceGuid(device, storage), &capture, nullptr);
        if (SUCCEEDED(hr)) object = reinterpret_cast<SoundObject>(capture);
        return hr;
    }

    HResult CreateCaptureBuffer(SoundObject object, std::uint32_t bytes, const WaveFormat& format,
                                SoundBuffer& buffer) override {
        buffer = 0;
        std::vector<std::uint8_t> block = FormatBlock(format);
        DSCBUFFERDESC desc{};
        desc.dwSize = sizeof desc;
        desc.dwBufferBytes = bytes;
        desc.lpwfxFormat = reinterpret_cast<WAVEFORMATEX*>(block.data());
        IDirectSoundCaptureBuffer* created = nullptr;
        const HRESULT hr = Capture(object)->CreateCaptureBuffer(&desc, &created, nullptr);
        if (SUCCEEDED(hr)) buffer = reinterpret_cast<SoundBuffer>(created);
        return hr;
    }

    HResult GetCaptureFormat(SoundBuffer buffer, WaveFormat& format) override {
        WAVEFORMATEX w{};
        DWORD written = 0;
        const HRESULT hr = CaptureBuffer(buffer)->GetFormat(&w, sizeof w, &written);
        if (FAILED(hr)) return hr;
        format = WaveFormat{};
        format.formatTag = w.wFormatTag;
        format.channels = w.nChannels;
        format.samplesPerSec = w.nSamplesPerSec;
        format.avgBytesPerSec = w.nAvgBytesPerSec;
        format.blockAlign = w.nBlockAlign;
        format.bitsPerSample = w.wBitsPerSample;
        return hr;
    }

    HResult SetNotifications(SoundBuffer buffer, const std::vector<std::uint32_t>& positions,
                             EventHandle event) override {
        IDirectSoundNotify* notify = nullptr;
        HRESULT hr = CaptureBuffer(buffer)->QueryInterface(kIidDirectSoundNotify,
                                                           reinterpret_cast<void**>(&notify));
        if (FAILED(hr)) return hr;
        std::vector<DSBPOSITIONNOTIFY> table(positions.size());
        for (std::size_t i = 0; i < positions.size(); ++i) {
            table[i].dwOffset = positions[i];
            table[i].hEventNotify = reinterpret_cast<HANDLE>(event);
        }
        hr = notify->SetNotificationPositions(static_cast<DWORD>(table.size()), table.data());
        // The buffer keeps its positions; the interface is not needed after this.
        notify->Release();
        return hr;
    }

    HResult StartCapture(SoundBuffer buffer) override {
        return CaptureBuffer(buffer)->Start(DSCBSTART_LOOPING);
    }

    HResult StopCapture(SoundBuffer buffer) override { return CaptureBuffer(buffer)->Stop(); }

    HResult GetReadPosition(SoundBuffer buffer, std::uint32_t& position) override {
        DWORD capture = 0, read = 0;
        const HRESULT hr = CaptureBuffer(buffer)->GetCurrentPosition(&capture, &read);
        position = read;
        return hr;
    }

    HResult LockCapture(SoundBuffer buffer, std::uint32_t offset, std::uint32_t bytes,
                        LockedRegion& region) override {
        return LockRegion(CaptureBuffer(buffer), offset, bytes, region);
    }

    HResult UnlockCapture(SoundBuffer buffer, const LockedRegion& region) override {
        return UnlockRegion(CaptureBuffer(buffer), region);
    }

    void ReleaseCaptureBuffer(SoundBuffer buffer) override { CaptureBuffer(buffer)->Release(); }

    void ReleaseCapture(SoundObject object) override { Capture(object)->Release(); }

private:
    FARPROC Entry(const char* name) {
        std::lock_guard<std::mutex> hold(lock_);
        if (!tried_) {
            tried_ = true;
            // From the system folder only: the program's own folder may be writable.
            char folder[MAX_PATH] = {};
            const UINT n = ::GetSystemDirectoryA(folder, MAX_PATH);
            if (n > 0 && n < MAX_PATH - 12) {
                std::string path = std::string(folder) + "\\dsound.dll";
                library_ = ::LoadLibraryA(path.c_str());
            }
        }
        return library_ != nullptr ? ::GetProcAddress(library_, name) : nullptr;
    }

    std::mutex lock_;  // the capture thread and the hub thread both load entries
    HMODULE library_ = nullptr;
    bool tried_ = false;
};

}  // namespace

std::unique_ptr<SoundPort> MakeSoundPort() { return std::make_unique<WinSound>(); }

// --- byte files and resources ----------------------------------------------------

namespace {

class WinBinaryFiles final : public BinaryFilePort {
public:
    FileHandle OpenFile(const std::string& path, FileOpenMode mode) override {
        const bool read = mode == FileOpenMode::Read;
        HANDLE h = ::CreateFileA(path.c_str(), read ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ, nullptr, read ? OPEN_EXISTING : CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        return h == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<FileHandle>(h);
    }

    bool FileSize(FileHandle file, std::uint64_t& size) override {
        LARGE_INTEGER n{};
        if (!::GetFileSizeEx(reinterpret_cast<HANDLE>(file), &n)) return false;
        size = static_cast<std::uint64_t>(n.QuadPart);
        return true;
    }

    bool SeekFile(FileHandle file, std::uint64_t offset) override {
        LARGE_INTEGER to{};
        to.QuadPart = static_cast<LONGLONG>(offset);
        return ::SetFilePointerEx(reinterpret_cast<HANDLE>(file), to, nullptr, FILE_BEGIN) != 0;
    }

    bool ReadFile(FileHandle file, void* dst, std::size_t bytes, std::size_t& got) override {
        got = 0;
        while (bytes > 0) {
            const DWORD part = static_cast<DWORD>(std::min<std::size_t>(bytes, 1u << 30));
            DWORD n = 0;
            if (!::ReadFile(reinterpret_cast<HANDLE>(file), static_cast<char*>(dst) + got, part, &n,
                            nullptr))
                return false;
            got += n;
            bytes -= n;
            if (n < part) break;
        }
        return true;
    }

    bool WriteFile(FileHandle file, const void* src, std::size_t bytes) override {
        std::size_t done = 0;
        while (done < bytes) {
            const DWORD part = static_cast<DWORD>(std::min<std::size_t>(bytes - done, 1u << 30));
            DWORD n = 0;
            if (!::WriteFile(reinterpret_cast<HANDLE>(file), static_cast<const char*>(src) + done,
                             part, &n, nullptr) ||
                n == 0)
                return false;
            done += n;
        }
        return true;
    }

    void CloseFile(FileHandle file) override { ::CloseHandle(reinterpret_cast<HANDLE>(file)); }

    bool LoadResource(const std::string& name, const std::string& type,
                      std::vector<std::uint8_t>& bytes) override {
        HRSRC found = ::FindResourceA(nullptr, name.c_str(), type.c_str());
        if (found == nullptr) return false;
        const DWORD size = ::SizeofResource(nullptr, found);
        HGLOBAL loaded = ::LoadResource(nullptr, found);
        const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
        if (data == nullptr || size == 0) return false;
        const auto* p = static_cast<const std::uint8_t*>(data);
        bytes.assign(p, p + size);
        return true;
    }
};

}  // namespace

std::unique_ptr<BinaryFilePort> MakeBinaryFilePort() { return std::make_unique<WinBinaryFiles>(); }

}  // namespace calvox::win32
