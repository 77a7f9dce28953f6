#include "sound/riff_wave_file.h"

#include <algorithm>
#include <cstring>

namespace calvox {

namespace {

constexpr std::size_t kWriteBufferBytes = 32768;
constexpr std::uint32_t kFactUnfinished = 0xFFFFFFFFu;

std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16)) |
           (static_cast<std::uint32_t>(p[3]) << 24);
}
void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
void PutId(std::vector<std::uint8_t>& out, const char* id) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(id[i]));
}

}  // namespace

WaveFormat PcmFormat(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits) {
    WaveFormat f;
    f.formatTag = kWaveFormatPcm;
    f.channels = channels;
    f.samplesPerSec = rate;
    f.blockAlign = static_cast<std::uint16_t>(std::uint32_t{channels} * bits / 8);
    f.avgBytesPerSec = rate * f.blockAlign;
    f.bitsPerSample = bits;
    return f;
}

std::vector<std::uint8_t> FormatBytes(const WaveFormat& format) {
    std::vector<std::uint8_t> out;
    Put16(out, format.formatTag);
    Put16(out, format.channels);
    Put32(out, format.samplesPerSec);
    Put32(out, format.avgBytesPerSec);
    Put16(out, format.blockAlign);
    Put16(out, format.bitsPerSample);
    Put16(out, static_cast<std::uint32_t>(format.extra.size()));
    out.insert(out.end(), format.extra.begin(), format.extra.end());
    return out;
}

bool RiffWaveFile::ReadAt(std::uint64_t offset, void* dst, std::size_t bytes) {
    if (offset > size_ || bytes > size_ - offset) return false;
    if (file_ == 0) {
        std::memcpy(dst, resource_.data() + offset, bytes);
        return true;
    }
    std::size_t got = 0;
    return files_.SeekFile(file_, offset) && files_.ReadFile(file_, dst, bytes, got) &&
           got == bytes;
}

bool RiffWaveFile::ParseHeader() {
    std::uint8_t head[12];
    if (!ReadAt(0, head, sizeof head) || std::memcmp(head, "RIFF", 4) != 0 ||
        std::memcmp(head + 8, "WAVE", 4) != 0)
        return false;
    // A truncated file ends where its bytes end, whatever its header claims.
    const std::uint64_t riffEnd = std::min<std::uint64_t>(8ull + Le32(head + 4), size_);

    bool haveFormat = false, haveData = false;
    std::uint64_t offset = 12;
    while (offset + 8 <= riffEnd && !(haveFormat && haveData)) {
        std::uint8_t chunk[8];
        if (!ReadAt(offset, chunk, sizeof chunk)) return false;
        const std::uint32_t size = Le32(chunk + 4);
        const std::uint64_t contents = offset + 8;
        if (contents + size > riffEnd) return false;
        if (!haveFormat && std::memcmp(chunk, "fmt ", 4) == 0) {
            std::uint8_t f[18] = {};
            if (size < 16 || !ReadAt(contents, f, 16)) return false;
            format_ = WaveFormat{};
            format_.formatTag = Le16(f);
            format_.channels = Le16(f + 2);
            format_.samplesPerSec = Le32(f + 4);
            format_.avgBytesPerSec = Le32(f + 8);
            format_.blockAlign = Le16(f + 12);
            format_.bitsPerSample = Le16(f + 14);
            if (format_.formatTag != kWaveFormatPcm) {
                if (size < 18 || !ReadAt(contents + 16, f + 16, 2)) return false;
                const std::uint16_t extra = Le16(f + 16);
                if (18u + extra > size) return false;
                format_.extra.resize(extra);
                if (extra > 0 && !ReadAt(contents + 18, format_.extra.data(), extra)) return false;
            }
            haveFormat = true;
        } else if (!haveData && std::memcmp(chunk, "data", 4) == 0) {
            dataOffset_ = contents;
            dataSize_ = size;
            haveData = true;
        }
        offset = contents + size + (size & 1);
    }
    return haveFormat && haveData;
}

HResult RiffWaveFile::OpenRead(const std::string& name) {
    Close();
    format_ = WaveFormat{};
    file_ = files_.OpenFile(name, FileOpenMode::Read);
    if (file_ != 0) {
        if (!files_.FileSize(file_, size_)) size_ = 0;
    } else {
        if ((!files_.LoadResource(name, "WAVE", resource_) &&
             !files_.LoadResource(name, "WAV", resource_)) ||
            resource_.empty()) {
            resource_.clear();
            return kEFileNotFound;
        }
        size_ = resource_.size();
    }
    mode_ = WaveFileMode::Read;
    if (!ParseHeader()) {
        Close();
        return kEInvalidData;
    }
    return Reset();
}

HResult RiffWaveFile::OpenWrite(const std::string& name, const WaveFormat& format) {
    Close();
    file_ = files_.OpenFile(name, FileOpenMode::Create);
    if (file_ == 0) return kEFail;
    mode_ = WaveFileMode::Write;
    format_ = format;
    if (format_.formatTag == kWaveFormatPcm) format_.extra.clear();

    buffer_.clear();
    PutId(buffer_, "RIFF");
    Put32(buffer_, 0);
    PutId(buffer_, "WAVE");
    PutId(buffer_, "fmt ");
    std::vector<std::uint8_t> fmt = FormatBytes(format_);
    if (format_.formatTag == kWaveFormatPcm) fmt.resize(16);
    Put32(buffer_, static_cast<std::uint32_t>(fmt.size()));
    buffer_.insert(buffer_.end(), fmt.begin(), fmt.end());
    if (fmt.size() & 1) buffer_.push_back(0);
    PutId(buffer_, "fact");
    Put32(buffer_, 4);
    factOffset_ = buffer_.size();
    Put32(buffer_, kFactUnfinished);
    inFile_ = 0;
    failed_ = false;
    return Reset();
}

HResult RiffWaveFile::Reset() {
    if (mode_ == WaveFileMode::Read) {
        position_ = dataOffset_;
        remaining_ = dataSize_;
        return kSOk;
    }
    if (mode_ == WaveFileMode::Write) {
        PutId(buffer_, "data");
        Put32(buffer_, 0);
        dataOffset_ = buffer_.size();
        written_ = 0;
        // The header reaches the file at once, so an unfinished file shows it.
        return Flush() ? kSOk : kEFail;
    }
    return kCoENotInitialized;
}

HResult RiffWaveFile::Read(std::uint8_t* dst, std::uint32_t bytes, std::uint32_t& got) {
    got = 0;
    if (mode_ != WaveFileMode::Read) return kCoENotInitialized;
    if (dst == nullptr) return kEInvalidArg;
    bytes = std::min(bytes, remaining_);
    if (!ReadAt(position_, dst, bytes)) return kEFail;
    position_ += bytes;
    remaining_ -= bytes;
    got = bytes;
    return kSOk;
}

HResult RiffWaveFile::Write(std::uint32_t bytes, const std::uint8_t* src, std::uint32_t& written) {
    written = 0;
    if (mode_ != WaveFileMode::Write) return kCoENotInitialized;
    if (src == nullptr) return kEInvalidArg;
    // After a failed write nothing more is taken: it would follow a gap.
    if (failed_) return kEFail;
    buffer_.insert(buffer_.end(), src, src + bytes);
    written_ += bytes;
    if (buffer_.size() >= kWriteBufferBytes && !Flush()) return kEFail;
    written = bytes;
    return kSOk;
}

bool RiffWaveFile::Flush() {
    if (failed_) return false;
    if (buffer_.empty()) return true;
    if (files_.WriteFile(file_, buffer_.data(), buffer_.size())) {
        inFile_ += buffer_.size();
        buffer_.clear();
        return true;
    }
    // A write may stop part-way (a full disk): what reached the file stays
    // and the sizes will describe just that.
    std::uint64_t size = 0;
    if (files_.FileSize(file_, size) && size > inFile_)
        inFile_ = std::min<std::uint64_t>(size, inFile_ + buffer_.size());
    buffer_.clear();
    failed_ = true;
    return false;
}

bool RiffWaveFile::WriteAt(std::uint64_t offset, std::uint32_t value) {
    std::vector<std::uint8_t> bytes;
    Put32(bytes, value);
    return files_.SeekFile(file_, offset) && files_.WriteFile(file_, bytes.data(), bytes.size());
}

HResult RiffWaveFile::Close() {
    bool ok = true;
    if (mode_ == WaveFileMode::Write) {
        if (written_ & 1) buffer_.push_back(0);  // RIFF pads odd chunks
        ok = Flush();
        // The sizes describe the data that reached the file, in whole blocks,
        // so a file cut short is still a whole WAVE file.
        std::uint64_t data = inFile_ > dataOffset_ ? inFile_ - dataOffset_ : 0;
        data = std::min<std::uint64_t>(data, written_);
        if (!ok && format_.blockAlign > 1) data -= data % format_.blockAlign;
        const std::uint64_t end = std::min(dataOffset_ + data + (data & 1), inFile_);
        if (inFile_ >= dataOffset_) {
            ok = WriteAt(dataOffset_ - 4, static_cast<std::uint32_t>(data)) && ok;
            ok = WriteAt(4, static_cast<std::uint32_t>(end - 8)) && ok;
            ok = WriteAt(factOffset_, 0) && ok;
        }
    }
    if (file_ != 0) files_.CloseFile(file_);
    file_ = 0;
    resource_.clear();
    buffer_.clear();
    size_ = 0;
    mode_ = WaveFileMode::Closed;
    return ok ? kSOk : kEFail;
}

}  // namespace calvox
