#include "sound/recording.h"

#include <cstring>

namespace calvox {

namespace {

bool IsFolder(FilePort& files, const std::string& path) {
    const std::uint32_t attributes = files.GetFileAttributes(path);
    return attributes != kInvalidFileAttributes && (attributes & kFileAttributeDirectory) != 0;
}

}  // namespace

void EnsureFolder(FilePort& files, const std::string& folder) {
    if (!folder.empty() && !IsFolder(files, folder)) files.CreateDirectory(folder);
}

std::string SafeFileNamePart(const std::string& text) {
    std::string safe = text;
    for (char& c : safe) {
        if (static_cast<unsigned char>(c) < 0x20 || std::strchr("\\/:*?\"<>|", c) != nullptr)
            c = '_';
    }
    return safe;
}

std::string RecordingFileName(const std::string& folder, const std::string& caller,
                              std::int64_t seconds, char kind) {
    return folder + "\\" + SafeFileNamePart(caller) + "_" + std::to_string(seconds) + "_" + kind +
           ".wav";
}

bool ListFiles(FilePort& files, std::vector<std::string>& list, const std::string& folder,
               const std::string& pattern, bool fullPaths) {
    if (folder.empty() || !IsFolder(files, folder)) return false;
    for (const std::string& name :
         files.FindFiles(folder + "\\" + (pattern.empty() ? std::string("*.*") : pattern))) {
        if (name == "." || name == "..") continue;
        if (IsFolder(files, folder + "\\" + name)) continue;
        list.push_back(fullPaths ? folder + "\\" + name : name);
    }
    return true;
}

}  // namespace calvox
