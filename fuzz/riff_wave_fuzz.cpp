// Fuzzed bytes as a WAVE file: read through the byte-file port (as a file and
// as a resource of the program) block by block, rewound and read again, and
// loaded by the sound player into a sound buffer of a device that takes any
// format. A file is read to its data chunk's end and never past the bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "sound/riff_wave_file.h"
#include "sound/sound_player.h"
#include "support/null_platform.h"

namespace {

constexpr calvox::FileHandle kFile = 7;
constexpr calvox::Hwnd kHub = 0x100;
constexpr const char* kPath = "C:\\Calvox\\fuzz.wav";

class FuzzedWave : public calvox::test::NullPlatform {
public:
    FuzzedWave(const std::uint8_t* data, std::size_t size) : bytes_(data, data + size) {}

    calvox::FileHandle OpenFile(const std::string& path, calvox::FileOpenMode mode) override {
        if (path != kPath || mode != calvox::FileOpenMode::Read) return 0;
        position_ = 0;
        return kFile;
    }
    bool FileSize(calvox::FileHandle file, std::uint64_t& size) override {
        size = bytes_.size();
        return file == kFile;
    }
    bool SeekFile(calvox::FileHandle file, std::uint64_t offset) override {
        position_ = static_cast<std::size_t>(std::min<std::uint64_t>(offset, bytes_.size()));
        return file == kFile;
    }
    bool ReadFile(calvox::FileHandle file, void* dst, std::size_t bytes,
                  std::size_t& got) override {
        got = std::min(bytes, bytes_.size() - position_);
        if (got > 0) std::memcpy(dst, bytes_.data() + position_, got);
        position_ += got;
        return file == kFile;
    }
    bool LoadResource(const std::string& name, const std::string& type,
                      std::vector<std::uint8_t>& bytes) override {
        if (name != "#133" || type != "WAVE") return false;
        bytes = bytes_;
        return true;
    }

    // A device that takes every format and gives each buffer its own memory.
    calvox::HResult EnumeratePlaybackDevices(std::vector<calvox::SoundDevice>& devices) override {
        devices.clear();
        return calvox::kSOk;
    }
    calvox::HResult CreatePlayback(const calvox::Guid*, calvox::SoundObject& object) override {
        object = 1;
        return calvox::kSOk;
    }
    calvox::HResult SetCooperativeLevel(calvox::SoundObject, calvox::Hwnd,
                                        calvox::CooperativeLevel) override {
        return calvox::kSOk;
    }
    calvox::HResult SetPrimaryFormat(calvox::SoundObject, const calvox::WaveFormat&) override {
        return calvox::kSOk;
    }
    calvox::HResult CreateBuffer(calvox::SoundObject, std::uint32_t, std::uint32_t bytes,
                                 const calvox::WaveFormat&, calvox::SoundBuffer& buffer) override {
        buffer_.assign(bytes, 0);
        buffer = 2;
        return calvox::kSOk;
    }
    calvox::HResult GetBufferStatus(calvox::SoundBuffer, std::uint32_t& status) override {
        status = 0;
        return calvox::kSOk;
    }
    calvox::HResult LockBuffer(calvox::SoundBuffer, std::uint32_t offset, std::uint32_t bytes,
                               calvox::LockedRegion& region) override {
        if (offset > buffer_.size() || bytes > buffer_.size() - offset) return calvox::kEInvalidArg;
        region = calvox::LockedRegion{};
        region.first = buffer_.data() + offset;
        region.firstBytes = bytes;
        return calvox::kSOk;
    }
    calvox::HResult UnlockBuffer(calvox::SoundBuffer, const calvox::LockedRegion&) override {
        return calvox::kSOk;
    }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t position_ = 0;
    std::vector<std::uint8_t> buffer_;
};

// Reads the whole data chunk in blocks of `block` bytes; aborts on more data
// than the chunk holds or than the input has.
void ReadAll(calvox::RiffWaveFile& wave, std::size_t inputSize, std::uint32_t block) {
    std::vector<std::uint8_t> buffer(block);
    std::uint64_t total = 0;
    for (;;) {
        std::uint32_t got = 0;
        if (wave.Read(buffer.data(), block, got) != calvox::kSOk || got == 0) break;
        total += got;
        if (got > block || total > wave.DataSize() || total > inputSize) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedWave platform(data, size);
    for (const char* name : {kPath, "#133"}) {
        calvox::RiffWaveFile wave(platform);
        if (wave.OpenRead(name) != calvox::kSOk) continue;
        ReadAll(wave, size, 1 + (size % 97));
        if (wave.Reset() != calvox::kSOk) std::abort();
        ReadAll(wave, size, 4096);
        calvox::WaveFormat format;
        (void)calvox::PlaybackFormat(wave.Format(), format);
    }
    calvox::HubWindow hub(platform.ports.window, platform.ports.clock);
    hub.Created(kHub);
    calvox::SoundPlayer player(platform.ports, hub);
    player.Load(kPath);
    player.Play(false);
    return 0;
}
