// The client's presence words and the codes the handset shows them by.
#pragma once

#include <cstdint>
#include <string>

namespace calvox {

// The user's own status; its value is what the handset's OwnStatus command carries.
enum class OwnStatus : std::uint8_t {
    Online = 1,
    Offline = 2,
    SkypeMe = 3,
    Away = 4,
    NotAvailable = 5,
    DoNotDisturb = 6,
    Invisible = 7,
};

constexpr std::uint8_t OwnStatusCode(OwnStatus status) { return static_cast<std::uint8_t>(status); }

// The user's own status for a USERSTATUS word; `current` for a word it does not know.
OwnStatus OwnStatusFromWord(const std::string& word, OwnStatus current);
// A contact's ONLINESTATUS word: its status code (2, offline, for a word it
// does not know) and whether that counts as online.
void ContactStatusFromWord(const std::string& word, int& status, bool& online);

// The client's word for a code; empty for a code that has none.
std::string OwnStatusWord(int code);
std::string ContactStatusWord(int code);

}  // namespace calvox
