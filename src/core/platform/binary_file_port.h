// Files read and written as bytes (WAVE files), and the program's own
// resources.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace calvox {

using FileHandle = std::uintptr_t;  // 0 = none

enum class FileOpenMode { Read, Create };  // Create discards what the file held

class BinaryFilePort {
public:
    virtual ~BinaryFilePort() = default;

    virtual FileHandle OpenFile(const std::string& path, FileOpenMode mode) = 0;
    virtual bool FileSize(FileHandle file, std::uint64_t& size) = 0;
    virtual bool SeekFile(FileHandle file, std::uint64_t offset) = 0;
    // Reads up to `bytes`; `got` is less only at the end of the file.
    virtual bool ReadFile(FileHandle file, void* dst, std::size_t bytes, std::size_t& got) = 0;
    virtual bool WriteFile(FileHandle file, const void* src, std::size_t bytes) = 0;
    virtual void CloseFile(FileHandle file) = 0;

    // The bytes of a resource of the program: `name` a text name or "#133"
    // for a number, `type` such as "WAVE". False when there is none.
    virtual bool LoadResource(const std::string& name, const std::string& type,
                              std::vector<std::uint8_t>& bytes) = 0;
};

}  // namespace calvox
