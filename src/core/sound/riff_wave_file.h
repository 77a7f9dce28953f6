// RIFF/WAVE files: read (with the program's resources as a fallback) and
// written with a "fact" chunk that marks a file as finished.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/binary_file_port.h"
#include "platform/sound_port.h"

namespace calvox {

enum class WaveFileMode { Closed, Read, Write };

// OpenRead: neither a file nor a resource of that name (ERROR_FILE_NOT_FOUND).
inline constexpr HResult kEFileNotFound = static_cast<HResult>(0x80070002u);
// OpenRead: the bytes are no RIFF/WAVE file with a format and a data chunk
// (ERROR_INVALID_DATA).
inline constexpr HResult kEInvalidData = static_cast<HResult>(0x8007000Du);

// A PCM format of whole bytes per sample.
WaveFormat PcmFormat(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits);

// A format laid out as WAVEFORMATEX: 18 bytes and its extra bytes.
std::vector<std::uint8_t> FormatBytes(const WaveFormat& format);

class RiffWaveFile {
public:
    explicit RiffWaveFile(BinaryFilePort& files) : files_(files) {}
    ~RiffWaveFile() { Close(); }
    RiffWaveFile(const RiffWaveFile&) = delete;
    RiffWaveFile& operator=(const RiffWaveFile&) = delete;

    HResult OpenRead(const std::string& name);
    HResult OpenWrite(const std::string& name, const WaveFormat& format);
    std::uint32_t DataSize() const { return dataSize_; }
    const WaveFormat& Format() const { return format_; }
    HResult Reset();
    HResult Read(std::uint8_t* dst, std::uint32_t bytes, std::uint32_t& got);
    HResult Write(std::uint32_t bytes, const std::uint8_t* src, std::uint32_t& written);
    HResult Close();

private:
    bool ReadAt(std::uint64_t offset, void* dst, std::size_t bytes);
    bool ParseHeader();
    bool Flush();
    bool WriteAt(std::uint64_t offset, std::uint32_t value);

    BinaryFilePort& files_;
    WaveFileMode mode_ = WaveFileMode::Closed;
    FileHandle file_ = 0;
    std::vector<std::uint8_t> resource_;  // the bytes when read from a resource
    std::uint64_t size_ = 0;              // of the file or resource being read
    WaveFormat format_;
    std::uint64_t dataOffset_ = 0;      // first byte of the "data" contents
    std::uint32_t dataSize_ = 0;        // found when reading
    std::uint32_t remaining_ = 0;       // read mode: data bytes not read yet
    std::uint64_t position_ = 0;        // read mode: next byte to read
    std::uint64_t factOffset_ = 0;      // write mode: the "fact" value
    std::uint32_t written_ = 0;         // write mode: data bytes taken
    std::uint64_t inFile_ = 0;          // write mode: bytes that reached the file
    bool failed_ = false;               // write mode: a write failed; the file ends there
    std::vector<std::uint8_t> buffer_;  // write mode: bytes not yet in the file
};

}  // namespace calvox
