// The disk of the virtual Windows: the settings file, the files the program
// looks for, and the bytes of the ones it reads and writes.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/binary_file_port.h"
#include "platform/file_port.h"
#include "platform/profile_port.h"
#include "sim/files.h"
#include "sim/script.h"
#include "sim/trace.h"

namespace calvox::sim {

// The program's settings file.
inline constexpr const char* kSettingsPath = "C:\\Calvox\\Calvox.ini";

class VirtualFiles : public ProfilePort, public FilePort, public BinaryFilePort {
public:
    VirtualFiles(TraceWrite write, std::function<std::int64_t()> wallClock);

    FileSystem& disk() { return files_; }
    // A `file` line: made now, or (before the steps) at virtual time 0.
    void ApplyFileLine(const ScriptLine& line, bool beforeSteps);
    // The world's files without a time of their own were made when the run began.
    void StampWorldFiles(std::int64_t epoch);
    // From now on the disk has room for `bytes` more; -1: no limit.
    void SetDiskFree(std::int64_t bytes) { diskFree_ = bytes; }

    // ProfilePort. A number is a '-' and the digits after it, up to the first
    // other character.
    int GetInt(const std::string& section, const std::string& key, int defaultValue,
               const std::string& path) override;
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& path, std::size_t bufferSize) override;
    bool WriteString(const std::string& section, const std::string& key, const std::string& value,
                     const std::string& path) override;

    // FilePort
    std::string GetModuleFileName() override { return "C:\\Calvox\\Calvox.exe"; }
    std::string GetWindowsDirectory() override { return "C:\\WINDOWS"; }
    std::uint32_t GetFileAttributes(const std::string& path) override;
    bool SetFileAttributes(const std::string& path, std::uint32_t attributes) override;
    bool CreateDirectory(const std::string& path) override;
    std::vector<std::string> FindFiles(const std::string& pattern) override {
        return files_.Match(pattern);
    }
    bool ReadTextFile(const std::string& path, std::string& content) override;
    bool GetCreationTime(const std::string& path, std::uint64_t& fileTime) override;

    // BinaryFilePort: the virtual files; the built-in ring is silence.
    FileHandle OpenFile(const std::string& path, FileOpenMode mode) override;
    bool FileSize(FileHandle file, std::uint64_t& size) override;
    bool SeekFile(FileHandle file, std::uint64_t offset) override;
    bool ReadFile(FileHandle file, void* dst, std::size_t bytes, std::size_t& got) override;
    bool WriteFile(FileHandle file, const void* src, std::size_t bytes) override;
    void CloseFile(FileHandle file) override { openFiles_.erase(file); }
    bool LoadResource(const std::string& name, const std::string& type,
                      std::vector<std::uint8_t>& bytes) override;

private:
    void ApplyFileContent(const ScriptLine& line, const std::string& path);

    TraceWrite write_;
    FileSystem files_;
    std::vector<std::string> worldFiles_;  // world files without a creation time of their own
    struct OpenFileState {
        std::string path;
        std::uint64_t position = 0;
    };
    std::map<FileHandle, OpenFileState> openFiles_;
    FileHandle nextFile_ = 0x900;
    std::int64_t diskFree_ = -1;  // bytes the disk still holds; -1: no limit
};

}  // namespace calvox::sim
