#include "sim/arguments.h"

#include <algorithm>
#include <vector>

#include "config/key_table.h"
#include "sim/codepage.h"
#include "sim/files.h"

namespace calvox::sim {

namespace {

int DigitValue(char c, int base) {
    const int d = c >= '0' && c <= '9'   ? c - '0'
                  : c >= 'a' && c <= 'f' ? c - 'a' + 10
                  : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                         : -1;
    return d < base ? d : -1;
}

}  // namespace

bool HasHexPrefix(std::string_view s) {
    return s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X');
}

bool ParseDigits(std::string_view s, int base, std::uint64_t limit, std::uint64_t& value) {
    if (s.empty()) return false;
    value = 0;
    for (char c : s) {
        const int d = DigitValue(c, base);
        if (d < 0) return false;
        const auto digit = static_cast<std::uint64_t>(d);
        if (value > (limit - digit) / static_cast<std::uint64_t>(base)) return false;
        value = value * static_cast<std::uint64_t>(base) + digit;
    }
    return true;
}

// `ini` values and `file ... text` contents are written in code page 1252; checking
// with the runner's own conversion keeps the two in step.
bool CheckCodePage1252(const std::string& text, std::string& reason) {
    std::string bytes;
    return Utf8ToCp1252(text, bytes) || Fail(reason, "character not in code page 1252");
}

// ---- argument checks ------------------------------------------------------------

bool ArgCount(const ScriptLine& l, std::size_t min, std::size_t max, std::string& reason) {
    const std::size_t n = l.args.size();
    if (n >= min && n <= max) return true;
    const auto plural = [](std::size_t k) {
        return std::to_string(k) + (k == 1 ? " argument" : " arguments");
    };
    if (max == 0) return Fail(reason, "takes no arguments");
    if (min == max) return Fail(reason, "expected " + plural(min));
    if (n < min) return Fail(reason, "expected at least " + plural(min));
    return Fail(reason, "expected at most " + plural(max));
}

bool NumberIn(const Token& t, std::int64_t min, std::int64_t max, std::string& reason) {
    std::int64_t v = 0;
    if (!ParseNumber(t.text, v)) return Fail(reason, "'" + t.text + "' is not a number");
    if (v < min || v > max) return Fail(reason, "'" + t.text + "' is out of range");
    return true;
}

bool Number(const Token& t, std::string& reason) { return NumberIn(t, kMin, kMax, reason); }

bool IsOneOf(std::string_view text, std::string_view words) {
    for (std::size_t begin = 0; begin <= words.size();) {
        const std::size_t end = std::min(words.find('|', begin), words.size());
        if (words.substr(begin, end - begin) == text) return true;
        begin = end + 1;
    }
    return false;
}

bool OneOf(const Token& t, std::string_view words, std::string& reason) {
    return IsOneOf(t.text, words) ||
           Fail(reason, "expected " + std::string(words) + ", not '" + t.text + "'");
}

bool OneNumber(const ScriptLine& l, std::string& reason) {
    return ArgCount(l, 1, 1, reason) && Number(l.args[0], reason);
}

bool OneCount(const ScriptLine& l, std::string& reason) {
    return ArgCount(l, 1, 1, reason) && NumberIn(l.args[0], 0, kMax, reason);
}

bool OneName(const ScriptLine& l, std::string& reason) {
    return ArgCount(l, 1, 1, reason) && (!l.args[0].text.empty() || Fail(reason, "empty name"));
}

bool HandsetNumber(const ScriptLine& l, std::string& reason) {
    return ArgCount(l, 0, 1, reason) && (l.args.empty() || NumberIn(l.args[0], 1, kMax, reason));
}

bool HexByte(const Token& t, std::string& reason) {
    std::uint8_t b = 0;
    return ParseHexByte(t.text, b) || Fail(reason, "'" + t.text + "' is not a hexadecimal byte");
}

bool IsMessageName(const Token& t) {
    if (t.quoted) return false;
    std::string_view s = t.text;
    for (std::string_view prefix : {"WM_", "MM_", "HUBM_"}) {
        if (s.size() > prefix.size() && s.substr(0, prefix.size()) == prefix) {
            return std::all_of(
                s.begin() + static_cast<std::ptrdiff_t>(prefix.size()), s.end(), [](char c) {
                    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
                });
        }
    }
    return false;
}

bool Message(const Token& t, std::string& reason) {
    std::int64_t v = 0;
    if (t.quoted ? !t.text.empty() : (ParseNumber(t.text, v) || IsMessageName(t))) return true;
    return Fail(reason, "'" + t.text + "' is not a message");
}

bool Param(const Token& t, std::string& reason) {
    std::int64_t v = 0;
    if (ParseNumber(t.text, v) ||
        IsOneOf(t.text,
                "hub|client|mainform|pagecontrol|contactlist|historylist|addressbar|companion|"
                "other|dead")) {
        return true;
    }
    return Fail(reason, "'" + t.text + "' is neither a number nor a window role");
}

namespace {

// A virtual file is held in memory; a script cannot ask for more than this.
constexpr std::int64_t kMaxWaveDataBytes = 64 * 1024 * 1024;
// The longest path the program's ANSI file calls take (MAX_PATH less its NUL).
constexpr std::size_t kMaxPathLength = 259;

bool WaveSize(const ScriptLine& l, std::string& reason) {
    std::int64_t channels = 0, rate = 0, bits = 0, seconds = 0;
    ParseNumber(l.args[2].text, channels);
    ParseNumber(l.args[3].text, rate);
    ParseNumber(l.args[4].text, bits);
    ParseNumber(l.args[5].text, seconds);
    if (channels * rate * (bits / 8) * seconds <= kMaxWaveDataBytes) return true;
    return Fail(reason, "a wave file of more than " + std::to_string(kMaxWaveDataBytes) +
                            " bytes of sound");
}

// The optional last word of a `file` line: created=SECONDS.
bool IsCreatedOption(const Token& t) { return !t.quoted && t.text.rfind("created=", 0) == 0; }

}  // namespace

bool CheckFile(const ScriptLine& line, std::string& reason) {
    ScriptLine l = line;
    if (l.args.size() > 1 && IsCreatedOption(l.args.back())) {
        const Token seconds{l.args.back().text.substr(8), false};
        // Up to where a file time (100 ns ticks since 1601) still fits.
        if (!NumberIn(seconds, 0, 900000000000LL, reason)) return false;
        l.args.pop_back();
    }
    if (!ArgCount(l, 1, 6, reason)) return false;
    if (l.args[0].text.empty()) return Fail(reason, "empty path");
    if (FileSystem::Resolve(l.args[0].text).size() > kMaxPathLength)
        return Fail(reason, "a path longer than " + std::to_string(kMaxPathLength) + " characters");
    if (l.args.size() == 1) return true;
    const std::string& kind = l.args[1].text;
    if (kind == "wav") {
        return ArgCount(l, 6, 6, reason) && NumberIn(l.args[2], 1, 8, reason) &&
               NumberIn(l.args[3], 1, 192000, reason) && OneOf(l.args[4], "8|16|24|32", reason) &&
               NumberIn(l.args[5], 0, 3600, reason) && WaveSize(l, reason);
    }
    if (kind == "text") {
        return ArgCount(l, 3, 3, reason) && CheckCodePage1252(l.args[2].text, reason);
    }
    if (kind == "icon") return ArgCount(l, 2, 2, reason);
    return Fail(reason, "expected wav, text or icon after the path, not '" + kind + "'");
}

bool CheckHandset(const ScriptLine& l, std::string& reason) {
    std::vector<std::string> seen;
    for (const Token& t : l.args) {
        const std::size_t eq = t.text.find('=');
        const std::string name = t.text.substr(0, eq);
        if (eq == std::string::npos ||
            !IsOneOf(name, "vid|pid|product|mcu|audio|in|out|total|interfaces")) {
            return Fail(reason, "unknown handset option '" + t.text + "'");
        }
        if (std::find(seen.begin(), seen.end(), name) != seen.end()) {
            return Fail(reason, "handset option '" + name + "' given twice");
        }
        seen.push_back(name);
        const Token value{t.text.substr(eq + 1), t.quoted};
        std::int64_t hex = 0;
        if (name == "vid" || name == "pid") {
            if (!ParseHex(value.text, hex) || hex > 0xFFFF) {
                return Fail(reason, name + " needs up to four hexadecimal digits");
            }
        } else if (name == "mcu") {
            if (value.text != "none" && (!ParseHex(value.text, hex) || hex > 0xFF)) {
                return Fail(reason, "mcu needs none or a hexadecimal byte");
            }
        } else if (name == "interfaces") {
            if (!NumberIn(value, 0, 0xFF, reason)) return false;
        } else if (name != "product" && name != "audio") {
            if (!NumberIn(value, 0, 0xFFFF, reason)) return false;
        }
    }
    return true;
}

bool CheckVersion(const ScriptLine& l, std::string& reason) {
    if (!ArgCount(l, 1, 1, reason)) return false;
    const std::string& v = l.args[0].text;
    const std::size_t dot = v.find('.');
    std::uint64_t part = 0;
    if (dot == std::string::npos || !ParseDigits(v.substr(0, dot), 10, 0xFFFF, part) ||
        !ParseDigits(v.substr(dot + 1), 10, 0xFFFF, part)) {
        return Fail(reason, "expected MAJOR.MINOR, not '" + v + "'");
    }
    return true;
}

bool CheckMixerSet(const ScriptLine& l, std::string& reason) {
    if (!ArgCount(l, 3, 4, reason) ||
        !OneOf(l.args[0], "speakers|wavein|speakers/microphone|wavein/microphone", reason) ||
        !OneOf(l.args[1], "volume|mute|onoff", reason)) {
        return false;
    }
    const std::string& control = l.args[1].text;
    if (control == "onoff") return ArgCount(l, 4, 4, reason) && Number(l.args[3], reason);
    if (control == "mute" && !ArgCount(l, 3, 3, reason)) return false;
    for (std::size_t i = 2; i < l.args.size(); ++i) {
        if (!NumberIn(l.args[i], 0, 0xFFFF, reason)) return false;
    }
    return true;
}

bool CheckPress(const ScriptLine& l, std::string& reason) {
    const int code = KeyFunctionFromName(l.text);
    if (code != KEY_UNKNOWN) return true;
    return Fail(reason, "'" + l.text + "' is not a key function (help press lists them)");
}

bool CheckRing(const ScriptLine& l, std::string& reason) {
    return ArgCount(l, 1, 2, reason) &&
           (l.args.size() == 1 || NumberIn(l.args[0], 1, kMax, reason)) &&
           (!l.args.back().text.empty() || Fail(reason, "empty handle"));
}

bool CheckHelp(const ScriptLine& l, std::string& reason) { return ArgCount(l, 0, 1, reason); }

}  // namespace calvox::sim
