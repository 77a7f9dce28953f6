#include "sim/virtual_files.h"

#include <algorithm>

#include "sim/codepage.h"

namespace calvox::sim {

namespace {

std::string Unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += "\r\n";
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

VirtualFiles::VirtualFiles(TraceWrite write, std::function<std::int64_t()> wallClock)
    : write_(std::move(write)) {
    files_.SetClock(std::move(wallClock));
}

// --- files the scenario makes ---------------------------------------------------

void VirtualFiles::ApplyFileLine(const ScriptLine& fileLine, bool beforeSteps) {
    ScriptLine line = fileLine;
    std::optional<std::int64_t> created;
    if (line.args.size() > 1 && !line.args.back().quoted &&
        line.args.back().text.rfind("created=", 0) == 0) {
        std::int64_t seconds = 0;
        ParseNumber(line.args.back().text.substr(8), seconds);
        created = seconds;
        line.args.pop_back();
    }
    std::string path;
    Utf8ToCp1252(line.args[0].text, path);
    path = FileSystem::Resolve(path);
    ApplyFileContent(line, path);
    if (VirtualFile* f = files_.Find(path)) {
        if (created) f->created = *created;
        // World files are made at virtual time 0, whenever `time` comes.
        else if (beforeSteps)
            worldFiles_.push_back(path);
    }
}

void VirtualFiles::ApplyFileContent(const ScriptLine& line, const std::string& path) {
    std::string kind = line.args.size() > 1 ? line.args[1].text : "";
    if (kind == "icon") {
        files_.Create(path, FileKind::Icon);
    } else if (kind == "text") {
        std::string bytes;
        Utf8ToCp1252(Unescape(line.args[2].text), bytes);
        files_.Create(path, FileKind::Text).content = bytes;
    } else if (kind == "wav") {
        std::int64_t channels = 1, rate = 8000, bits = 16, seconds = 0;
        ParseNumber(line.args[2].text, channels);
        ParseNumber(line.args[3].text, rate);
        ParseNumber(line.args[4].text, bits);
        ParseNumber(line.args[5].text, seconds);
        const std::int64_t align = channels * bits / 8;
        std::string b = SilentWave(
            static_cast<std::uint16_t>(channels), static_cast<std::uint32_t>(rate),
            static_cast<std::uint16_t>(bits), static_cast<std::uint32_t>(align * rate * seconds));
        files_.Create(path, FileKind::Wave).content = std::move(b);
    } else {
        files_.Create(path, FileKind::Empty);
    }
}

void VirtualFiles::StampWorldFiles(std::int64_t epoch) {
    for (const std::string& path : worldFiles_)
        if (VirtualFile* f = files_.Find(path)) f->created = epoch;
    worldFiles_.clear();
}

// --- settings file ---------------------------------------------------------

int VirtualFiles::GetInt(const std::string& section, const std::string& key, int defaultValue,
                         const std::string& path) {
    std::optional<std::string> text = files_.ReadProfile(path, section, key);
    if (!text) return defaultValue;
    const std::string& v = *text;
    std::size_t i = 0;
    bool negative = false;
    if (i < v.size() && v[i] == '-') {
        negative = true;
        ++i;
    }
    long long value = 0;
    for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i)
        value = std::min<long long>(value * 10 + (v[i] - '0'), 0xFFFFFFFFLL);
    return static_cast<int>(static_cast<std::uint32_t>(negative ? -value : value));
}

std::string VirtualFiles::GetString(const std::string& section, const std::string& key,
                                    const std::string& path, std::size_t bufferSize) {
    std::optional<std::string> text = files_.ReadProfile(path, section, key);
    if (!text || bufferSize == 0) return {};
    return text->substr(0, bufferSize - 1);
}

bool VirtualFiles::WriteString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& path) {
    write_("ini-write [" + Cp1252ToUtf8(section) + "] " + Cp1252ToUtf8(key) + "=" +
           Cp1252ToUtf8(value));
    files_.WriteProfile(path, section, key, value);
    return true;
}

// --- files -----------------------------------------------------------------

std::uint32_t VirtualFiles::GetFileAttributes(const std::string& path) {
    VirtualFile* f = files_.Find(path);
    return f ? f->attributes : kInvalidFileAttributes;
}

bool VirtualFiles::SetFileAttributes(const std::string& path, std::uint32_t attributes) {
    VirtualFile* f = files_.Find(path);
    if (f == nullptr) return false;
    f->attributes = attributes;
    return true;
}

bool VirtualFiles::CreateDirectory(const std::string& path) {
    if (!files_.MakeFolder(path)) return false;
    write_("fs mkdir " + QuoteText(Cp1252ToUtf8(path)));
    return true;
}

bool VirtualFiles::ReadTextFile(const std::string& path, std::string& content) {
    VirtualFile* f = files_.Find(path);
    if (f == nullptr || f->kind == FileKind::Folder) return false;
    content.clear();
    if (f->kind == FileKind::Profile) {
        for (const IniSection& s : f->sections) {
            content += "[" + s.name + "]\n";
            for (const IniEntry& e : s.entries) content += e.key + "=" + e.value + "\n";
        }
        return true;
    }
    for (std::size_t i = 0; i < f->content.size(); ++i) {
        if (f->content[i] == '\r' && i + 1 < f->content.size() && f->content[i + 1] == '\n')
            continue;
        content += f->content[i];
    }
    return true;
}

bool VirtualFiles::GetCreationTime(const std::string& path, std::uint64_t& fileTime) {
    VirtualFile* f = files_.Find(path);
    if (f == nullptr || f->kind == FileKind::Folder) return false;
    constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;
    fileTime = static_cast<std::uint64_t>(f->created + kSecondsFrom1601To1970) * 10000000u;
    return true;
}

}  // namespace calvox::sim
