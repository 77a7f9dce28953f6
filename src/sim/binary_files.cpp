// Byte-level access to the virtual files, and the program's resources.
#include <algorithm>
#include <cstring>

#include "sim/virtual_files.h"

namespace calvox::sim {

namespace {
// The built-in ring's format and size, as the program's resource has them.
constexpr std::uint32_t kRingDataBytes = 350596;
}  // namespace

FileHandle VirtualFiles::OpenFile(const std::string& path, FileOpenMode mode) {
    if (mode == FileOpenMode::Read) {
        VirtualFile* f = files_.Find(path);
        if (f == nullptr || f->kind == FileKind::Folder) return 0;
    } else {
        const std::size_t slash = path.rfind('\\');
        VirtualFile* f = files_.Find(path);
        if (slash == std::string::npos || !files_.FolderExists(path.substr(0, slash)) ||
            (f != nullptr && f->kind == FileKind::Folder))
            return 0;
        files_.Create(path, FileKind::Wave);
    }
    const FileHandle handle = nextFile_++;
    openFiles_[handle] = {path, 0};
    return handle;
}

bool VirtualFiles::FileSize(FileHandle file, std::uint64_t& size) {
    auto it = openFiles_.find(file);
    VirtualFile* f = it == openFiles_.end() ? nullptr : files_.Find(it->second.path);
    if (f == nullptr) return false;
    size = f->content.size();
    return true;
}

bool VirtualFiles::SeekFile(FileHandle file, std::uint64_t offset) {
    auto it = openFiles_.find(file);
    if (it == openFiles_.end()) return false;
    it->second.position = offset;
    return true;
}

bool VirtualFiles::ReadFile(FileHandle file, void* dst, std::size_t bytes, std::size_t& got) {
    got = 0;
    auto it = openFiles_.find(file);
    VirtualFile* f = it == openFiles_.end() ? nullptr : files_.Find(it->second.path);
    if (f == nullptr) return false;
    const std::uint64_t position = it->second.position;
    if (position < f->content.size()) {
        got =
            static_cast<std::size_t>(std::min<std::uint64_t>(bytes, f->content.size() - position));
        std::memcpy(dst, f->content.data() + position, got);
    }
    it->second.position += got;
    return true;
}

bool VirtualFiles::WriteFile(FileHandle file, const void* src, std::size_t bytes) {
    auto it = openFiles_.find(file);
    VirtualFile* f = it == openFiles_.end() ? nullptr : files_.Find(it->second.path);
    if (f == nullptr) return false;
    const std::uint64_t position = it->second.position;
    // Bytes that grow a file use the disk's free room; a write that does not
    // fit writes what fits and fails, as on a full disk.
    const std::uint64_t grows =
        position + bytes > f->content.size() ? position + bytes - f->content.size() : 0;
    const std::uint64_t room = diskFree_ < 0 ? grows : static_cast<std::uint64_t>(diskFree_);
    const std::uint64_t over = grows > room ? grows - room : 0;
    const std::size_t fits = over >= bytes ? 0 : static_cast<std::size_t>(bytes - over);
    if (diskFree_ >= 0) diskFree_ -= static_cast<std::int64_t>(std::min(grows, room));
    if (f->content.size() < position + fits) f->content.resize(position + fits, '\0');
    std::memcpy(f->content.data() + position, src, fits);
    it->second.position += fits;
    return fits == bytes;
}

bool VirtualFiles::LoadResource(const std::string& name, const std::string& type,
                                std::vector<std::uint8_t>& bytes) {
    if (name != "#133" || type != "WAVE") return false;
    const std::string ring = SilentWave(2, 44100, 16, kRingDataBytes);
    bytes.assign(ring.begin(), ring.end());
    return true;
}

}  // namespace calvox::sim
