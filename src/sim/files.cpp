#include "sim/files.h"

#include "base/text_case.h"

#include <algorithm>
#include <cctype>

namespace calvox::sim {

namespace {
constexpr const char* kProgramFolder = "C:\\Calvox";


std::string Parent(const std::string& path) {
    std::size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string Trim(const std::string& s) {
    std::size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    std::size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}
}  // namespace

FileSystem::FileSystem() {
    for (const char* folder : {"C:", "C:\\Calvox", "C:\\WINDOWS", "C:\\Documents and Settings",
                               "C:\\Documents and Settings\\user",
                               "C:\\Documents and Settings\\user\\Application Data"}) {
        VirtualFile& f = files_[Normalize(folder)];
        f.path = folder;
        f.kind = FileKind::Folder;
        f.attributes = 0x10;
    }
}

std::string FileSystem::Resolve(const std::string& path) {
    std::string p = path;
    std::replace(p.begin(), p.end(), '/', '\\');
    if (p.size() >= 2 && p[1] == ':') return p;
    return std::string(kProgramFolder) + "\\" + p;
}

std::string FileSystem::Normalize(const std::string& path) {
    std::string p = ToUpperAscii(path);
    while (p.size() > 3 && p.back() == '\\') p.pop_back();
    return p;
}

VirtualFile* FileSystem::Find(const std::string& path) {
    auto it = files_.find(Normalize(path));
    return it == files_.end() ? nullptr : &it->second;
}

void FileSystem::EnsureParents(const std::string& path) {
    // Up to the nearest folder that exists, then down creating each one: one
    // look-up per level, no recursion.
    std::vector<std::string> missing;
    for (std::string parent = Parent(path); !parent.empty() && Find(parent) == nullptr;
         parent = Parent(parent))
        missing.push_back(parent);
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        VirtualFile& f = files_[Normalize(*it)];
        f.path = *it;
        f.kind = FileKind::Folder;
        f.attributes = 0x10;
    }
}

VirtualFile& FileSystem::Create(const std::string& path, FileKind kind) {
    EnsureParents(path);
    VirtualFile& f = files_[Normalize(path)];
    f = VirtualFile{};
    f.path = path;
    f.kind = kind;
    f.attributes = kind == FileKind::Folder ? 0x10 : 0x80;
    f.created = clock_ ? clock_() : 0;
    return f;
}

bool FileSystem::Remove(const std::string& path) { return files_.erase(Normalize(path)) > 0; }

bool FileSystem::MakeFolder(const std::string& path) {
    if (Find(path) != nullptr) return false;
    if (!FolderExists(Parent(path))) return false;
    Create(path, FileKind::Folder);
    return true;
}

bool FileSystem::FolderExists(const std::string& path) {
    VirtualFile* f = Find(path);
    return f != nullptr && f->kind == FileKind::Folder;
}

std::vector<std::string> FileSystem::Match(const std::string& pattern) {
    std::string folder = Normalize(Parent(pattern));
    std::string namePattern = pattern.substr(pattern.rfind('\\') + 1);
    std::vector<std::string> names;
    for (const auto& [key, file] : files_) {
        if (file.kind == FileKind::Folder || Normalize(Parent(file.path)) != folder) continue;
        std::string name = file.path.substr(file.path.rfind('\\') + 1);
        if (WildcardMatch(namePattern, name)) names.push_back(name);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(
            a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
                auto upper = [](char c) {
                    return static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c);
                };
                return upper(x) < upper(y);
            });
    });
    return names;
}

std::optional<std::string> FileSystem::ReadProfile(const std::string& path,
                                                   const std::string& section,
                                                   const std::string& key) {
    VirtualFile* f = Find(path);
    if (f == nullptr || f->kind != FileKind::Profile) return std::nullopt;
    for (const IniSection& s : f->sections) {
        if (!EqualIgnoringCase(s.name, section)) continue;
        for (const IniEntry& e : s.entries) {
            if (!EqualIgnoringCase(Trim(e.key), key)) continue;
            std::string v = Trim(e.value);
            if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
            return v;
        }
    }
    return std::nullopt;
}

void FileSystem::WriteProfile(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& value) {
    VirtualFile* f = Find(path);
    if (f == nullptr || f->kind != FileKind::Profile) {
        std::uint32_t attributes = f ? f->attributes : 0x80;
        f = &Create(path, FileKind::Profile);
        f->attributes = attributes;
    }
    for (IniSection& s : f->sections) {
        if (!EqualIgnoringCase(s.name, section)) continue;
        for (IniEntry& e : s.entries) {
            if (EqualIgnoringCase(Trim(e.key), key)) {
                e.value = value;
                return;
            }
        }
        s.entries.push_back({key, value});
        return;
    }
    f->sections.push_back({section, {{key, value}}});
}

void FileSystem::DeleteProfileKey(const std::string& path, const std::string& section,
                                  const std::string& key) {
    VirtualFile* f = Find(path);
    if (f == nullptr || f->kind != FileKind::Profile) return;
    for (IniSection& s : f->sections) {
        if (!EqualIgnoringCase(s.name, section)) continue;
        std::erase_if(s.entries, [&](const IniEntry& e) { return EqualIgnoringCase(Trim(e.key), key); });
    }
}

std::string SilentWave(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                       std::uint32_t dataBytes) {
    auto le = [](std::string& s, std::uint64_t v, int n) {
        for (int i = 0; i < n; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    const std::uint32_t align = channels * bits / 8u;
    std::string b = "RIFF";
    le(b, 36ull + dataBytes, 4);
    b += "WAVEfmt ";
    le(b, 16, 4);
    le(b, 1, 2);
    le(b, channels, 2);
    le(b, rate, 4);
    le(b, std::uint64_t{align} * rate, 4);
    le(b, align, 2);
    le(b, bits, 2);
    b += "data";
    le(b, dataBytes, 4);
    b.append(dataBytes, bits == 8 ? '\x80' : '\0');
    return b;
}

bool WildcardMatch(const std::string& pattern, const std::string& name) {
    std::size_t p = 0, n = 0, star = std::string::npos, mark = 0;
    auto same = [](char a, char b) {
        return std::toupper(static_cast<unsigned char>(a)) ==
               std::toupper(static_cast<unsigned char>(b));
    };
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || same(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (star != std::string::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace calvox::sim
