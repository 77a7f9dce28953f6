// The virtual file system and the profile (INI) files in it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace calvox::sim {

enum class FileKind { Empty, Text, Wave, Icon, Folder, Profile };

struct IniEntry {
    std::string key;
    std::string value;  // as written after '='
};
struct IniSection {
    std::string name;
    std::vector<IniEntry> entries;
};

struct VirtualFile {
    std::string path;  // as first written, Windows form
    FileKind kind = FileKind::Empty;
    std::uint32_t attributes = 0x80;
    std::string content;               // text and wave bytes
    std::vector<IniSection> sections;  // kind Profile
    std::int64_t created = 0;          // seconds since 1970, set when made
};

class FileSystem {
public:
    FileSystem();

    // The wall clock that stamps each file made; 0 without one.
    void SetClock(std::function<std::int64_t()> clock) { clock_ = std::move(clock); }

    // Absolute Windows path for a script PATH (relative to the program folder).
    static std::string Resolve(const std::string& path);

    VirtualFile* Find(const std::string& path);
    // Creates the file and the folders above it; replaces an existing file.
    VirtualFile& Create(const std::string& path, FileKind kind);
    bool Remove(const std::string& path);
    bool MakeFolder(const std::string& path);  // one level; false when it exists or no parent
    bool FolderExists(const std::string& path);
    // Names in ascending order with ASCII letters upper-cased, as NTFS lists them.
    std::vector<std::string> Match(const std::string& pattern);

    // Profile functions with the platform's reading rules.
    std::optional<std::string> ReadProfile(const std::string& path, const std::string& section,
                                           const std::string& key);
    void WriteProfile(const std::string& path, const std::string& section,
                      const std::string& key, const std::string& value);
    void DeleteProfileKey(const std::string& path, const std::string& section,
                          const std::string& key);

private:
    static std::string Normalize(const std::string& path);
    void EnsureParents(const std::string& path);
    std::map<std::string, VirtualFile> files_;  // by normalized path
    std::function<std::int64_t()> clock_;
};

// Windows wildcard match of one name, without regard to case.
bool WildcardMatch(const std::string& pattern, const std::string& name);

}  // namespace calvox::sim
