// Files, folders and the program's own location.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace calvox {

inline constexpr std::uint32_t kInvalidFileAttributes = 0xFFFFFFFFu;
inline constexpr std::uint32_t kFileAttributeHidden = 0x2;
inline constexpr std::uint32_t kFileAttributeDirectory = 0x10;
inline constexpr std::uint32_t kFileAttributeNormal = 0x80;

class FilePort {
public:
    virtual ~FilePort() = default;

    virtual std::string GetModuleFileName() = 0;
    virtual std::string GetWindowsDirectory() = 0;
    virtual std::uint32_t GetFileAttributes(const std::string& path) = 0;
    virtual bool SetFileAttributes(const std::string& path, std::uint32_t attributes) = 0;
    virtual bool CreateDirectory(const std::string& path) = 0;
    // Names (not paths) of the files matching a wildcard pattern such as "C:\x\*_N.wav".
    virtual std::vector<std::string> FindFiles(const std::string& pattern) = 0;
    // The whole content of a file read as text (line breaks as "\n").
    virtual bool ReadTextFile(const std::string& path, std::string& content) = 0;
    // Opens the file for reading and reads its creation time, in 100 ns ticks
    // since 1601-01-01 UTC; false when it does not open or gives no time.
    virtual bool GetCreationTime(const std::string& path, std::uint64_t& fileTime) = 0;
};

}  // namespace calvox
