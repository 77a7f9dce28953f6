// A platform for the sound pieces: files in memory, one sound device whose
// buffers play until told otherwise, and thread timers fired by hand.
#pragma once

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/hub_messages.h"
#include "support/null_platform.h"

namespace calvox::test {

// Bytes of a WAVE file: a "fmt " chunk of the given contents and `dataBytes`
// bytes of samples.
inline std::vector<std::uint8_t> WaveBytes(const std::vector<std::uint8_t>& fmt,
                                           std::uint32_t dataBytes) {
    auto put32 = [](std::vector<std::uint8_t>& b, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    std::vector<std::uint8_t> b = {'R', 'I', 'F', 'F'};
    put32(b, static_cast<std::uint32_t>(4 + 8 + fmt.size() + 8 + dataBytes));
    b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(b, static_cast<std::uint32_t>(fmt.size()));
    b.insert(b.end(), fmt.begin(), fmt.end());
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    put32(b, dataBytes);
    b.resize(b.size() + dataBytes, 0);
    return b;
}

// A PCM "fmt " chunk.
inline std::vector<std::uint8_t> PcmFmt(std::uint16_t channels, std::uint32_t rate,
                                        std::uint16_t bits, std::uint32_t average) {
    const std::uint16_t align = static_cast<std::uint16_t>(channels * bits / 8);
    return {1,
            0,
            static_cast<std::uint8_t>(channels),
            static_cast<std::uint8_t>(channels >> 8),
            static_cast<std::uint8_t>(rate),
            static_cast<std::uint8_t>(rate >> 8),
            static_cast<std::uint8_t>(rate >> 16),
            static_cast<std::uint8_t>(rate >> 24),
            static_cast<std::uint8_t>(average),
            static_cast<std::uint8_t>(average >> 8),
            static_cast<std::uint8_t>(average >> 16),
            static_cast<std::uint8_t>(average >> 24),
            static_cast<std::uint8_t>(align),
            static_cast<std::uint8_t>(align >> 8),
            static_cast<std::uint8_t>(bits),
            0};
}

class SoundBench : public NullPlatform {
public:
    std::map<std::string, std::vector<std::uint8_t>> files;
    std::map<std::string, std::vector<std::uint8_t>> resources;  // "name/type"
    // The sound device.
    bool playing = false;
    bool bufferLost = false;
    int restores = 0;
    WaveFormat bufferFormat;
    std::vector<std::uint8_t> buffer;
    // Thread timers: the one running and its period (0 when none).
    std::uint32_t timerPeriod = 0;
    ThreadTimerProc timerProc;
    int dialogueEnds = 0;

    void Tick() {
        ThreadTimerProc proc = timerProc;
        proc(1);
    }

    // ClockPort
    std::uintptr_t SetThreadTimer(std::uint32_t ms, ThreadTimerProc proc) override {
        timerPeriod = ms;
        timerProc = std::move(proc);
        return 1;
    }
    void KillThreadTimer(std::uintptr_t) override { timerPeriod = 0; }
    bool PostMessage(Hwnd, unsigned message, WParam, LParam) override {
        if (message == HUBM_AM_DIALOGUE_END) ++dialogueEnds;
        return true;
    }

    // BinaryFilePort
    FileHandle OpenFile(const std::string& path, FileOpenMode mode) override {
        if (mode == FileOpenMode::Create)
            files[path].clear();
        else if (files.count(path) == 0)
            return 0;
        open_[next_] = {path, 0};
        return next_++;
    }
    bool FileSize(FileHandle f, std::uint64_t& size) override {
        size = files[open_.at(f).path].size();
        return true;
    }
    bool SeekFile(FileHandle f, std::uint64_t offset) override {
        open_.at(f).position = offset;
        return true;
    }
    bool ReadFile(FileHandle f, void* dst, std::size_t n, std::size_t& got) override {
        Open& o = open_.at(f);
        const std::vector<std::uint8_t>& b = files[o.path];
        got = o.position < b.size() ? std::min<std::size_t>(n, b.size() - o.position) : 0;
        if (got > 0) std::memcpy(dst, b.data() + o.position, got);
        o.position += got;
        return true;
    }
    bool WriteFile(FileHandle f, const void* src, std::size_t n) override {
        Open& o = open_.at(f);
        std::vector<std::uint8_t>& b = files[o.path];
        if (b.size() < o.position + n) b.resize(o.position + n);
        std::memcpy(b.data() + o.position, src, n);
        o.position += n;
        return true;
    }
    void CloseFile(FileHandle f) override { open_.erase(f); }
    bool LoadResource(const std::string& name, const std::string& type,
                      std::vector<std::uint8_t>& bytes) override {
        auto it = resources.find(name + "/" + type);
        if (it == resources.end()) return false;
        bytes = it->second;
        return true;
    }

    // SoundPort: one output device.
    HResult EnumeratePlaybackDevices(std::vector<SoundDevice>& devices) override {
        devices = {SoundDevice{Guid{7, 0, 0, {}}, "Speakers (USB Audio Device)"}};
        return kSOk;
    }
    HResult CreatePlayback(const Guid*, SoundObject& object) override {
        object = 1;
        return kSOk;
    }
    HResult SetCooperativeLevel(SoundObject, Hwnd, CooperativeLevel) override { return kSOk; }
    HResult SetPrimaryFormat(SoundObject, const WaveFormat&) override { return kSOk; }
    HResult CreateBuffer(SoundObject, std::uint32_t, std::uint32_t bytes, const WaveFormat& format,
                         SoundBuffer& out) override {
        bufferFormat = format;
        buffer.assign(bytes, 0xEE);
        out = 2;
        return kSOk;
    }
    HResult GetBufferStatus(SoundBuffer, std::uint32_t& status) override {
        status = (playing ? kDsbStatusPlaying : 0) | (bufferLost ? kDsbStatusBufferLost : 0);
        return kSOk;
    }
    HResult RestoreBuffer(SoundBuffer) override {
        ++restores;
        return kDsErrBufferLost;
    }
    HResult LockBuffer(SoundBuffer, std::uint32_t, std::uint32_t bytes,
                       LockedRegion& region) override {
        region = LockedRegion{buffer.data(), bytes, nullptr, 0};
        return kSOk;
    }
    HResult UnlockBuffer(SoundBuffer, const LockedRegion&) override { return kSOk; }
    HResult PlayBuffer(SoundBuffer, bool) override {
        playing = true;
        return kSOk;
    }
    HResult StopBuffer(SoundBuffer) override {
        playing = false;
        return kSOk;
    }
    void ReleaseBuffer(SoundBuffer) override { playing = false; }

private:
    struct Open {
        std::string path;
        std::uint64_t position = 0;
    };
    std::map<FileHandle, Open> open_;
    FileHandle next_ = 1;
};

}  // namespace calvox::test
