// The scenario language of calvox-sim: parsing a script into world lines,
// steps and their expectations, and matching trace lines against expects.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace calvox::sim {

struct Token {
    std::string text;  // a quoted token holds its text with the escapes removed
    bool quoted = false;
};

// How the parser leaves the arguments of a few lines:
// - `handset`: each option is one token "name=value" with the value unquoted
//   (`product="USB Handset"` gives "product=USB Handset", quoted = true).
// - `registry`: `key` is KEY with its hive ("HKCU\Software\..."), `value` the value's
//   name (empty for the default value), args[0] the DATA: quoted text, or unquoted
//   decimal digits; `text` is KEY\VALUE as written.
// - Lines with a TEXT or COMMAND LINE and the `ini` lines have no args.
// - `file PATH text "TEXT"`: the TEXT token keeps "\n" as written; it stands for a line break.
struct ScriptLine {
    int lineNo = 0;
    std::string word;         // "ini", "start", "skype", "wait", ...
    std::vector<Token> args;  // the tokens after the word, split at blanks outside quotes
    // For lines that take a TEXT or a COMMAND LINE: the rest of the line after the
    // single blank that follows the word, byte for byte, or the unescaped quoted
    // text when it begins with a double quote. For `ini`/`ini-set`: the KEY=VALUE
    // part (value kept as written).
    std::string text;
    std::string section;  // `ini`, `ini-set`, `ini-delete`: the SECTION without brackets
    std::string key;      // `ini`, `ini-set`, `ini-delete`: the KEY
    std::string value;    // `ini`, `ini-set`: the VALUE (rest of the line, as written)
};

struct Expect {
    int lineNo = 0;
    bool none = false;                 // `expect none CHANNEL`
    std::string channel;               // the first token after the optional @MS
    std::optional<std::int64_t> time;  // `@MS` when given
    std::vector<Token> tokens;         // the whole expected line after @MS, channel included
                                       // (for `none`: the channel alone)
    std::string text;                  // the expect as written, after "expect "
};

struct Step {
    ScriptLine line;
    std::vector<Expect> expects;
};

struct Script {
    std::vector<ScriptLine> world;  // lines before `start` (including `trace scan`)
    std::vector<Step> steps;        // `start` is the first step
};

struct ParseError {
    int lineNo = 0;
    std::string reason;
};

// Numbers: decimal or 0x-prefixed hexadecimal, optional leading '-'.
bool ParseNumber(const std::string& text, std::int64_t& value);

// Bytes of `report` and `skype-bytes`: two hexadecimal digits, "0x" prefix accepted.
bool ParseHexByte(const std::string& text, std::uint8_t& value);

// Always-hexadecimal numbers (`vid`, `pid`, `mcu`): "0x" prefix accepted.
bool ParseHex(const std::string& text, std::int64_t& value);

// Splits a line into tokens at blanks outside double quotes; inside quotes a
// backslash escapes only a following '"' or '\'.
bool Tokenize(const std::string& line, std::vector<Token>& tokens, std::string& error);

// Writes a text in the trace's quoted form ("..." with '"' and '\' escaped where
// a reader would otherwise misread them).
std::string QuoteText(const std::string& text);

// Parses and validates a whole script. On failure `error` holds the line number
// and the reason; nothing of the script may run.
bool ParseScript(const std::string& source, Script& script, ParseError& error);

// True for the lines a script ignores: blank, or '#' as the first non-blank character.
bool IsBlankOrComment(const std::string& line);

// Parses one line typed in interactive mode; `beforeStart` selects world lines
// (and `start`); otherwise it takes steps other than `start`. `expect` lines go to
// ParseExpect. Checks that need the whole script (plugging a plugged handset) are
// left to the caller.
bool ParseLine(const std::string& line, int lineNo, bool beforeStart, ScriptLine& out,
               ParseError& error);

// The command list (--help, `help`), made from the table of words.
std::string CommandList();
// What one word takes and does (`help WORD`); empty for a word the language lacks.
std::string CommandHelp(const std::string& word);

// Parses an `expect` line. An unterminated quote runs to the end of the line, as it
// does in MatchExpect, so any trace line can be expected as written.
bool ParseExpect(const std::string& line, int lineNo, Expect& out, ParseError& error);

// Compares a trace line (without its "@MS " prefix) written at `timeMs` with an expect.
// An `expect none` matches no line.
bool MatchExpect(const Expect& expect, const std::string& traceLine, std::int64_t timeMs);

}  // namespace calvox::sim
