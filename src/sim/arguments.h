// The grammar's small pieces: number digits, and the checks of a line's
// arguments that the table of words names. Each check leaves the reason in
// `reason` and returns false for a line it refuses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "sim/script.h"

namespace calvox::sim {

inline constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
inline constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
inline constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
inline constexpr std::int64_t kUInt32Max = std::numeric_limits<std::uint32_t>::max();
inline constexpr std::size_t kAnyCount = std::numeric_limits<std::size_t>::max();

inline bool Fail(std::string& reason, std::string why) {
    reason = std::move(why);
    return false;
}

bool HasHexPrefix(std::string_view s);
// Digits only, no sign or prefix; fails on overflow past `limit`.
bool ParseDigits(std::string_view s, int base, std::uint64_t limit, std::uint64_t& value);

// `ini` values and `file ... text` contents are written in code page 1252.
bool CheckCodePage1252(const std::string& text, std::string& reason);

bool ArgCount(const ScriptLine& l, std::size_t min, std::size_t max, std::string& reason);
bool NumberIn(const Token& t, std::int64_t min, std::int64_t max, std::string& reason);
bool Number(const Token& t, std::string& reason);
// `words` as written in the command list: "a|b|c".
bool IsOneOf(std::string_view text, std::string_view words);
bool OneOf(const Token& t, std::string_view words, std::string& reason);
bool OneNumber(const ScriptLine& l, std::string& reason);
bool OneCount(const ScriptLine& l, std::string& reason);
bool OneName(const ScriptLine& l, std::string& reason);
bool HandsetNumber(const ScriptLine& l, std::string& reason);
bool HexByte(const Token& t, std::string& reason);
// WM_TIMER, MM_MIXM_LINE_CHANGE, HUBM_...: resolved by the runner.
bool IsMessageName(const Token& t);
bool Message(const Token& t, std::string& reason);
bool Param(const Token& t, std::string& reason);
bool CheckFile(const ScriptLine& line, std::string& reason);
bool CheckHandset(const ScriptLine& l, std::string& reason);
bool CheckVersion(const ScriptLine& l, std::string& reason);
bool CheckMixerSet(const ScriptLine& l, std::string& reason);
bool CheckPress(const ScriptLine& l, std::string& reason);
bool CheckRing(const ScriptLine& l, std::string& reason);
bool CheckHelp(const ScriptLine& l, std::string& reason);

}  // namespace calvox::sim
