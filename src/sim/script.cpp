#include "sim/script.h"

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <limits>
#include <string_view>
#include <utility>

#include "config/key_table.h"
#include "sim/codepage.h"
#include "sim/files.h"

namespace calvox::sim {
namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kUInt32Max = std::numeric_limits<std::uint32_t>::max();

constexpr std::size_t kAnyCount = std::numeric_limits<std::size_t>::max();

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool Fail(std::string& reason, std::string why) {
    reason = std::move(why);
    return false;
}

int DigitValue(char c, int base) {
    const int d = c >= '0' && c <= '9'   ? c - '0'
                  : c >= 'a' && c <= 'f' ? c - 'a' + 10
                  : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                         : -1;
    return d < base ? d : -1;
}

bool HasHexPrefix(std::string_view s) {
    return s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X');
}

// Digits only, no sign or prefix; fails on overflow past `limit`.
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

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Reads a quoted text starting at s[pos] == '"'. Leaves pos after the closing quote;
// when there is none, reads to the end and returns false.
bool ReadQuoted(std::string_view s, std::size_t& pos, std::string& out) {
    for (++pos; pos < s.size(); ++pos) {
        const char c = s[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c == '\\' && pos + 1 < s.size() && (s[pos + 1] == '"' || s[pos + 1] == '\\')) {
            ++pos;
        }
        out += s[pos];
    }
    return false;
}

// A quote may open inside a token (`product="USB Handset"`); the token goes on
// after the closing quote until the next blank.
bool Split(std::string_view s, bool lenient, std::vector<Token>& tokens, std::string& error) {
    tokens.clear();
    std::size_t pos = 0;
    while (true) {
        while (pos < s.size() && IsBlank(s[pos])) ++pos;
        if (pos == s.size()) return true;
        Token token;
        while (pos < s.size() && !IsBlank(s[pos])) {
            if (s[pos] == '"') {
                token.quoted = true;
                if (!ReadQuoted(s, pos, token.text) && !lenient) {
                    error = "unterminated quote";
                    return false;
                }
            } else {
                token.text += s[pos++];
            }
        }
        tokens.push_back(std::move(token));
    }
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

// `words` as written in the command list: "a|b|c".
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

// WM_TIMER, MM_MIXM_LINE_CHANGE, HUBM_...: resolved by the runner.
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

// ---- the command table ----------------------------------------------------------

enum class Where { World, Step, Both, Start, Prompt };

enum class Form {
    Tokens,       // args split at blanks
    Text,         // TEXT: the rest of the line, or one quoted text
    CommandLine,  // the rest of the line as written
    Ini,          // [SECTION] KEY=VALUE
    IniKey,       // [SECTION] KEY
    Registry,     // KEY\VALUE = DATA
};

using Check = bool (*)(const ScriptLine&, std::string&);

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

// Every word of the language, with what --help and `help` say of it. A Tokens
// command without a check or keywords takes no arguments.
struct Command {
    std::string_view word;
    std::string_view args;  // as the command list writes them
    std::string_view help;
    Where where;
    Form form = Form::Tokens;
    Check check = nullptr;
    std::string_view keywords = {};  // the one argument is one of these
};

const Command kCommands[] = {
    {"ini", "[SECTION] KEY=VALUE", "a line of C:\\Calvox\\Calvox.ini", Where::World, Form::Ini},
    {"time", "EPOCH", "the wall clock at virtual time 0 (seconds since 1970)", Where::World,
     Form::Tokens, OneCount},
    {"handset",
     "[vid=HHHH] [pid=HHHH] [product=\"TEXT\"] [mcu=none|HH] [audio=\"NAME\"] [in=N] [out=N] "
     "[total=N] [interfaces=N]",
     "a handset is plugged in", Where::World, Form::Tokens, CheckHandset},
    {"mixer", "\"NAME\"", "one more mixer device", Where::World, Form::Tokens, OneName},
    {"client", "", "the Skype client runs", Where::World},
    {"client-windows", "standard|filterbar|tntedit|nopages|none", "the client's window layout",
     Where::World, Form::Tokens, nullptr, "standard|filterbar|tntedit|nopages|none"},
    {"companion", "", "the companion voicemail program is installed", Where::World},
    {"driver", "[refuse]", "the handset driver's control object is installed", Where::World,
     Form::Tokens,
     [](const ScriptLine& l, std::string& r) {
         return ArgCount(l, 0, 1, r) && (l.args.empty() || OneOf(l.args[0], "refuse", r));
     }},
    {"windows-version", "MAJOR.MINOR", "what the platform reports (default 5.1)", Where::World,
     Form::Tokens, CheckVersion},
    {"ui-language", "en-US|zh-TW", "the user interface language", Where::World, Form::Tokens,
     nullptr, "en-US|zh-TW"},
    {"instance-running", "", "another Calvox already runs", Where::World},
    {"registry", "KEY\\VALUE = DATA", "a registry value exists (DATA \"text\" or a number)",
     Where::World, Form::Registry},
    {"file", "PATH [wav CH RATE BITS SECONDS | text \"TEXT\" | icon] [created=SECONDS]",
     "a file exists (before start) or is made (a step)", Where::Both, Form::Tokens, CheckFile},
    {"trace", "scan", "from here on the keypad scan's reports appear on hid<", Where::Both,
     Form::Tokens, nullptr, "scan"},
    {"disk-free", "BYTES",
     "from now on the disk has room for BYTES more; a write that does not fit writes what "
     "fits and fails",
     Where::Both, Form::Tokens, OneCount},
    {"start", "[COMMAND LINE]", "the program starts", Where::Start, Form::CommandLine},
    {"start-second", "[COMMAND LINE]", "a second process of the program starts and ends",
     Where::Step, Form::CommandLine},
    {"skype", "TEXT", "the client sends TEXT (for example skype CALL 4711 STATUS RINGING)",
     Where::Step, Form::Text},
    {"skype-from-other", "TEXT", "the same from a window that is not the client's", Where::Step,
     Form::Text},
    {"skype-bytes", "HH ...", "the client sends exactly these bytes", Where::Step, Form::Tokens,
     [](const ScriptLine& l, std::string& r) {
         return ArgCount(l, 1, kAnyCount, r) &&
                std::all_of(l.args.begin(), l.args.end(),
                            [&r](const Token& t) { return HexByte(t, r); });
     }},
    {"skype-empty", "", "the client sends an empty WM_COPYDATA", Where::Step},
    {"ring", "[CALLID] HANDLE",
     "a call from a contact rings. The client sends its notifications of a new incoming "
     "call from HANDLE, with the full name it last gave HANDLE; CALLID is one more than the "
     "last call's when left out",
     Where::Step, Form::Tokens, CheckRing},
    {"attach", "STATUS", "the client posts its attach answer with this status", Where::Step,
     Form::Tokens, OneNumber},
    {"client-returns", "N [COUNT]", "the client returns N for the next COUNT WM_COPYDATA",
     Where::Step, Form::Tokens,
     [](const ScriptLine& l, std::string& r) {
         return ArgCount(l, 1, 2, r) && Number(l.args[0], r) &&
                (l.args.size() == 1 || NumberIn(l.args[1], 0, kMax, r));
     }},
    {"client-discover", "answer|ignore", "whether the client answers the discover broadcast",
     Where::Step, Form::Tokens, nullptr, "answer|ignore"},
    {"client-exit", "", "the client's windows are destroyed", Where::Step},
    {"client-start", "", "a client starts again with new windows", Where::Step},
    {"client-page", "contacts|history", "the client shows that page", Where::Step, Form::Tokens,
     nullptr, "contacts|history"},
    {"addressbar", "TEXT", "the client's address bar holds TEXT", Where::Step, Form::Text},
    {"foreground", "client|other", "which window is in the foreground", Where::Step,
     Form::Tokens, nullptr, "client|other"},
    {"press", "FUNCTION",
     "you press the handset's key for FUNCTION. It is the first slot the key table "
     "([KEYDEFINE] in Calvox.ini) gives FUNCTION; the handset sends it as its "
     "microcontroller's key event, or without one as a keypad press and release in the "
     "scan mode",
     Where::Step, Form::Text, CheckPress},
    {"report", "B1 B2 B3 B4", "the open handset sends an input report (hexadecimal bytes)",
     Where::Step, Form::Tokens,
     [](const ScriptLine& l, std::string& r) {
         return ArgCount(l, 4, 4, r) && HexByte(l.args[0], r) && HexByte(l.args[1], r) &&
                HexByte(l.args[2], r) && HexByte(l.args[3], r);
     }},
    {"post", "MESSAGE WPARAM LPARAM", "a message is posted to the hub window", Where::Step,
     Form::Tokens,
     [](const ScriptLine& l, std::string& r) {
         return ArgCount(l, 3, 3, r) && Message(l.args[0], r) && Param(l.args[1], r) &&
                Param(l.args[2], r);
     }},
    {"plug", "[N]", "handset N (1) is plugged in", Where::Step, Form::Tokens, HandsetNumber},
    {"unplug", "[N]", "handset N (1) is unplugged", Where::Step, Form::Tokens, HandsetNumber},
    {"arrive", "audio|hid|other", "one device-interface arrival", Where::Step, Form::Tokens,
     nullptr, "audio|hid|other"},
    {"remove", "audio|hid|other", "one device-interface removal", Where::Step, Form::Tokens,
     nullptr, "audio|hid|other"},
    {"mixer-event", "line|control", "the handset's mixer reports a change", Where::Step,
     Form::Tokens, nullptr, "line|control"},
    {"mixer-set", "LINE CONTROL VALUE...", "a mixer control is changed from outside",
     Where::Step, Form::Tokens, CheckMixerSet},
    {"ini-set", "[SECTION] KEY=VALUE", "another program changes Calvox.ini", Where::Step,
     Form::Ini},
    {"ini-delete", "[SECTION] KEY", "another program deletes a key of Calvox.ini", Where::Step,
     Form::IniKey},
    {"companion-discover", "", "the companion announces itself", Where::Step},
    {"companion-changing", "CODE", "the companion posts a change with this code", Where::Step,
     Form::Tokens, OneNumber},
    {"companion-exit", "", "the companion closes", Where::Step},
    {"tray", "MOUSEMESSAGE", "the shell reports a tray icon mouse message (for example tray 0x205)",
     Where::Step, Form::Tokens,
     [](const ScriptLine& l, std::string& r) {
         return ArgCount(l, 1, 1, r) && (IsMessageName(l.args[0]) || Number(l.args[0], r));
     }},
    {"menu-choose", "ID|none", "what the next popup menu returns", Where::Step, Form::Tokens,
     [](const ScriptLine& l, std::string& r) {
         return ArgCount(l, 1, 1, r) && (l.args[0].text == "none" || Number(l.args[0], r));
     }},
    {"right-click", "", "the tray icon is right-clicked. At the prompt you choose from its menu",
     Where::Step},
    {"explorer-restart", "", "the taskbar is created again and broadcasts \"TaskbarCreated\"",
     Where::Step},
    {"driver-status", "CH VALUE|fail", "what a query of the driver's channel CH replies",
     Where::Step, Form::Tokens,
     [](const ScriptLine& l, std::string& r) {
         return ArgCount(l, 2, 2, r) && NumberIn(l.args[0], 0, kUInt32Max, r) &&
                (l.args[1].text == "fail" || NumberIn(l.args[1], kInt32Min, kUInt32Max, r));
     }},
    {"driver-refuse", "on|off", "every Set of the driver object fails / succeeds again",
     Where::Step, Form::Tokens, nullptr, "on|off"},
    {"delete", "PATH", "a file is deleted", Where::Step, Form::Tokens, OneName},
    {"wait", "MS", "virtual time advances by MS", Where::Step, Form::Tokens, OneCount},
    {"wait-until", "MS", "virtual time advances to MS", Where::Step, Form::Tokens, OneCount},
    {"show-handset", "[CAPTION]", "print the handset's display (outside the trace)", Where::Step,
     Form::Text},
    {"help", "[WORD]", "the command list, or what WORD does", Where::Prompt, Form::Tokens,
     CheckHelp},
    {"quit", "", "leave the simulator", Where::Prompt},
};

constexpr const char* kHelpHead = R"(calvox-sim: the Calvox program on a virtual Windows

  calvox-sim FILE.scn          run a scenario and print its trace
                               (exit 0: every expect held; 1: one did not; 2: malformed script)
  calvox-sim --story FILE.scn  the same told as a story: the client's notifications, your
                               key presses and what Calvox does, the handset's display drawn
  calvox-sim                   interactive: type world lines, then `start`, then steps
  calvox-sim --help            this text
)";

constexpr const char* kHelpTail = R"(After a step:
  expect [@MS] CHANNEL ...    expect none CHANNEL
Limits: a `file ... wav` holds at most 64 MiB of sound; a PATH, made absolute, at
  most 259 characters. Longer asks are malformed lines (exit 2).
Channels besides the contract's:
  log TEXT    a line of the program's diagnostic log ([DIAGNOSTICS] LOG=1)
)";

std::string CommandLine(const Command& c) {
    std::string usage = std::string(c.word);
    if (!c.args.empty()) usage += " " + std::string(c.args);
    return usage;
}

const Command* FindCommand(std::string_view word) {
    for (const Command& c : kCommands) {
        if (c.word == word) return &c;
    }
    return nullptr;
}

// The word and what follows the single blank after it; '\r' and leading blanks gone.
void SplitWord(const std::string& line, std::string& word, std::string_view& rest) {
    std::string_view s = line;
    if (!s.empty() && s.back() == '\r') s.remove_suffix(1);
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    std::size_t end = 0;
    while (end < s.size() && !IsBlank(s[end])) ++end;
    word = std::string(s.substr(0, end));
    rest = end < s.size() ? s.substr(end + 1) : std::string_view{};
}

bool ParseText(std::string_view rest, ScriptLine& out, std::string& reason) {
    if (rest.empty() || rest.front() != '"') {
        out.text = std::string(rest);
        return true;
    }
    std::size_t pos = 0;
    out.text.clear();
    if (!ReadQuoted(rest, pos, out.text)) return Fail(reason, "unterminated quote");
    if (!TrimBlanks(rest.substr(pos)).empty()) return Fail(reason, "text after the closing quote");
    return true;
}

bool ParseIni(std::string_view rest, bool withValue, ScriptLine& out, std::string& reason) {
    while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
    const std::size_t close = rest.find(']');
    if (rest.empty() || rest.front() != '[' || close == std::string_view::npos) {
        return Fail(reason, "expected [SECTION]");
    }
    out.section = std::string(TrimBlanks(rest.substr(1, close - 1)));
    if (out.section.empty()) return Fail(reason, "empty section name");
    std::string_view entry = rest.substr(close + 1);
    while (!entry.empty() && IsBlank(entry.front())) entry.remove_prefix(1);
    out.text = std::string(entry);
    if (!withValue) {
        out.key = std::string(TrimBlanks(entry));
        return !out.key.empty() || Fail(reason, "expected KEY");
    }
    const std::size_t eq = entry.find('=');
    if (eq == std::string_view::npos) return Fail(reason, "expected KEY=VALUE");
    out.key = std::string(TrimBlanks(entry.substr(0, eq)));
    if (out.key.empty()) return Fail(reason, "empty key");
    out.value = std::string(entry.substr(eq + 1));
    return CheckCodePage1252(out.section, reason) && CheckCodePage1252(out.key, reason) &&
           CheckCodePage1252(out.value, reason);
}

bool ParseRegistry(std::string_view rest, ScriptLine& out, std::string& reason) {
    // Key names may hold blanks ("Sound Mapper"), so the line splits at the '='.
    const std::size_t eq = rest.find('=');
    if (eq == std::string_view::npos) return Fail(reason, "expected KEY\\VALUE = DATA");
    out.text = std::string(TrimBlanks(rest.substr(0, eq)));
    const std::size_t slash = out.text.rfind('\\');
    std::string hive = out.text.substr(0, 5);
    std::transform(hive.begin(), hive.end(), hive.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
    if (hive != "HKCU\\" && hive != "HKLM\\") {
        return Fail(reason, "expected a key under HKCU\\ or HKLM\\");
    }
    out.key = out.text.substr(0, slash);
    out.value = out.text.substr(slash + 1);
    if (!Split(rest.substr(eq + 1), false, out.args, reason)) return false;
    if (out.args.size() != 1) return Fail(reason, "expected one DATA after '='");
    const Token& data = out.args[0];
    const bool decimal = !data.quoted && data.text.find_first_of("xX") == std::string::npos;
    if (!data.quoted && (!decimal || !NumberIn(data, kInt32Min, kUInt32Max, reason))) {
        return Fail(reason, "DATA must be a quoted text or a decimal number");
    }
    return true;
}

bool ParseExpectLine(const std::string& line, Expect& out, std::string& reason) {
    std::string word;
    std::string_view rest;
    SplitWord(line, word, rest);
    if (word != "expect") return Fail(reason, "not an expect line");
    out = Expect{};
    out.text = std::string(rest);
    std::vector<Token> tokens;
    Split(rest, true, tokens, reason);
    auto first = tokens.begin();
    if (first != tokens.end() && !first->quoted && first->text.starts_with('@')) {
        std::int64_t ms = 0;
        if (!ParseNumber(first->text.substr(1), ms) || ms < 0) {
            return Fail(reason, "bad time '" + first->text + "'");
        }
        out.time = ms;
        ++first;
    }
    if (first == tokens.end()) return Fail(reason, "expect needs a trace line");
    if (!first->quoted && first->text == "none") {
        if (out.time) return Fail(reason, "expect none takes no time");
        if (tokens.end() - first != 2) return Fail(reason, "expected expect none CHANNEL");
        out.none = true;
        ++first;
    }
    out.tokens.assign(first, tokens.end());
    out.channel = out.tokens.front().text;
    if (out.channel.empty() || out.channel == "*") {
        return Fail(reason, "expected a channel, not '" + out.channel + "'");
    }
    if (out.none) out.tokens.resize(1);
    return true;
}

}  // namespace

bool ParseNumber(const std::string& text, std::int64_t& value) {
    std::string_view s = text;
    const bool negative = !s.empty() && s.front() == '-';
    if (negative) s.remove_prefix(1);
    int base = 10;
    if (HasHexPrefix(s)) {
        base = 16;
        s.remove_prefix(2);
    }
    const std::uint64_t limit = static_cast<std::uint64_t>(kMax) + (negative ? 1 : 0);
    std::uint64_t magnitude = 0;
    if (!ParseDigits(s, base, limit, magnitude)) return false;
    value = static_cast<std::int64_t>(negative ? 0 - magnitude : magnitude);
    return true;
}

bool ParseHexByte(const std::string& text, std::uint8_t& value) {
    const std::string_view digits = HasHexPrefix(text) ? std::string_view(text).substr(2) : text;
    std::uint64_t v = 0;
    if (digits.size() != 2 || !ParseDigits(digits, 16, 0xFF, v)) return false;
    value = static_cast<std::uint8_t>(v);
    return true;
}

bool ParseHex(const std::string& text, std::int64_t& value) {
    const std::string_view digits = HasHexPrefix(text) ? std::string_view(text).substr(2) : text;
    std::uint64_t v = 0;
    if (!ParseDigits(digits, 16, static_cast<std::uint64_t>(kMax), v)) return false;
    value = static_cast<std::int64_t>(v);
    return true;
}

bool Tokenize(const std::string& line, std::vector<Token>& tokens, std::string& error) {
    return Split(line, false, tokens, error);
}

std::string QuoteText(const std::string& text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            out += "\\\"";
        } else if (c == '\\') {
            // A lone backslash reads back as itself unless an escapable character
            // or the closing quote follows it.
            const bool ambiguous =
                i + 1 == text.size() || text[i + 1] == '\\' || text[i + 1] == '"';
            out += ambiguous ? "\\\\" : "\\";
        } else {
            out += c;
        }
    }
    return out + '"';
}

bool IsBlankOrComment(const std::string& line) {
    for (char c : line) {
        if (!IsBlank(c) && c != '\r') return c == '#';
    }
    return true;
}

bool ParseLine(const std::string& line, int lineNo, bool beforeStart, ScriptLine& out,
               ParseError& error) {
    error = ParseError{lineNo, {}};
    out = ScriptLine{};
    out.lineNo = lineNo;
    std::string_view rest;
    SplitWord(line, out.word, rest);
    if (out.word.empty() || out.word.front() == '#') return Fail(error.reason, "no command");
    if (out.word == "expect") return Fail(error.reason, "expect must follow a step");
    const Command* command = FindCommand(out.word);
    if (!command) return Fail(error.reason, "unknown command '" + out.word + "'");
    switch (command->where) {
        case Where::World:
            if (!beforeStart) {
                return Fail(error.reason,
                            "'" + out.word + "' describes the world; it must come before start");
            }
            break;
        case Where::Step:
            if (beforeStart) {
                return Fail(error.reason, "'" + out.word + "' is a step; it must come after start");
            }
            break;
        case Where::Start:
            if (!beforeStart) return Fail(error.reason, "start given twice");
            break;
        case Where::Prompt:
            return Fail(error.reason, "'" + out.word + "' is a word of the interactive prompt");
        case Where::Both:
            break;
    }
    std::string& reason = error.reason;
    switch (command->form) {
        case Form::Tokens:
            if (!Split(rest, false, out.args, reason)) return false;
            break;
        case Form::Text:
            if (!ParseText(rest, out, reason)) return false;
            break;
        case Form::CommandLine:
            out.text = std::string(rest);
            break;
        case Form::Ini:
        case Form::IniKey:
            if (!ParseIni(rest, command->form == Form::Ini, out, reason)) return false;
            break;
        case Form::Registry:
            if (!ParseRegistry(rest, out, reason)) return false;
            break;
    }
    if (!command->keywords.empty()) {
        return ArgCount(out, 1, 1, reason) && OneOf(out.args[0], command->keywords, reason);
    }
    if (command->check) return command->check(out, reason);
    return command->form != Form::Tokens || ArgCount(out, 0, 0, reason);
}

std::string CommandList() {
    std::string out = kHelpHead;
    const auto section = [&out](const char* title, std::initializer_list<Where> where) {
        out += title;
        for (const Command& c : kCommands) {
            if (std::find(where.begin(), where.end(), c.where) == where.end()) continue;
            const std::string usage = CommandLine(c);
            std::string help(c.help.substr(0, c.help.find(". ")));
            out += "  " + usage;
            out += usage.size() < 30 ? std::string(30 - usage.size(), ' ')
                                     : "\n" + std::string(32, ' ');
            out += help + "\n";
        }
    };
    section("\nWorld lines (before start):\n", {Where::World, Where::Both});
    section("Steps:\n", {Where::Start, Where::Step, Where::Both});
    section("At the prompt (also: help WORD):\n", {Where::Prompt});
    return out + kHelpTail;
}

std::string CommandHelp(const std::string& word) {
    const Command* c = FindCommand(word);
    if (c == nullptr) return {};
    const char* where = c->where == Where::World    ? "a world line (before start)"
                        : c->where == Where::Both   ? "a world line or a step"
                        : c->where == Where::Prompt ? "at the interactive prompt"
                                                    : "a step";
    std::string text = std::string(c->help) + " (" + where + ")";
    if (c->word == "press") {
        text += ". FUNCTION is one of:";
        for (int code = 0; !KeyFunctionName(code).empty(); ++code)
            text += (code == 0 ? " " : ", ") + KeyFunctionName(code);
    }
    // Wrapped at blanks to fit a terminal.
    std::string out = "  " + CommandLine(*c) + "\n   ";
    std::size_t column = 3;
    for (std::size_t begin = 0; begin < text.size();) {
        std::size_t end = text.find(' ', begin);
        if (end == std::string::npos) end = text.size();
        if (column + 1 + (end - begin) > 90) {
            out += "\n   ";
            column = 3;
        }
        out += " " + text.substr(begin, end - begin);
        column += 1 + end - begin;
        begin = end + 1;
    }
    return out + "\n";
}

bool ParseExpect(const std::string& line, int lineNo, Expect& out, ParseError& error) {
    error = ParseError{lineNo, {}};
    if (!ParseExpectLine(line, out, error.reason)) return false;
    out.lineNo = lineNo;
    return true;
}

bool ParseScript(const std::string& source, Script& script, ParseError& error) {
    script = Script{};
    bool started = false;
    std::vector<bool> plugged;  // per declared handset; every one starts plugged in
    std::size_t begin = 0;
    for (int lineNo = 1; begin <= source.size(); ++lineNo) {
        std::size_t end = source.find('\n', begin);
        if (end == std::string::npos) end = source.size();
        std::string line = source.substr(begin, end - begin);
        begin = end + 1;
        if (lineNo == 1 && line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);
        if (IsBlankOrComment(line)) continue;

        std::string word;
        std::string_view rest;
        SplitWord(line, word, rest);
        if (word == "expect") {
            Expect expect;
            if (!ParseExpect(line, lineNo, expect, error)) return false;
            if (script.steps.empty()) return Fail(error.reason, "expect before start");
            for (const Expect& other : script.steps.back().expects) {
                if (other.channel == expect.channel && other.none != expect.none) {
                    return Fail(error.reason, "channel '" + expect.channel +
                                                  "' is expected both to write and to stay silent");
                }
            }
            script.steps.back().expects.push_back(std::move(expect));
            continue;
        }

        ScriptLine parsed;
        if (!ParseLine(line, lineNo, !started, parsed, error)) return false;
        if (parsed.word == "handset") plugged.push_back(true);
        if (parsed.word == "plug" || parsed.word == "unplug") {
            std::int64_t n = 1;
            if (!parsed.args.empty()) ParseNumber(parsed.args[0].text, n);
            const std::string which = "handset " + std::to_string(n);
            if (n > static_cast<std::int64_t>(plugged.size())) {
                return Fail(error.reason, "no " + which + " is declared");
            }
            const bool plug = parsed.word == "plug";
            if (plugged[static_cast<std::size_t>(n - 1)] == plug) {
                return Fail(error.reason,
                            which + (plug ? " is already plugged in" : " is not plugged in"));
            }
            plugged[static_cast<std::size_t>(n - 1)] = plug;
        }
        if (parsed.word == "start") started = true;
        if (started) {
            script.steps.push_back(Step{std::move(parsed), {}});
        } else {
            script.world.push_back(std::move(parsed));
        }
    }
    return true;
}

bool MatchExpect(const Expect& expect, const std::string& traceLine, std::int64_t timeMs) {
    if (expect.none || (expect.time && *expect.time != timeMs)) return false;
    std::vector<Token> tokens;
    std::string ignored;
    Split(traceLine, true, tokens, ignored);
    if (tokens.size() != expect.tokens.size()) return false;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const Token& want = expect.tokens[i];
        if (!(want.text == "*" && !want.quoted) && want.text != tokens[i].text) return false;
    }
    return true;
}

}  // namespace calvox::sim
