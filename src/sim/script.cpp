#include "sim/script.h"

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <utility>

#include "sim/arguments.h"
#include "sim/words.h"

namespace calvox::sim {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

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
    const Word* command = FindWord(out.word);
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