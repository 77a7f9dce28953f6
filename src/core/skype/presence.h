// The client's presence words and the codes the handset shows them by.
#pragma once

#include <string>

namespace calvox {

// The user's own status code for a USERSTATUS word; `current` for a word it
// does not know.
int OwnStatusFromWord(const std::string& word, int current);
// A contact's ONLINESTATUS word: its status code (2, offline, for a word it
// does not know) and whether that counts as online.
void ContactStatusFromWord(const std::string& word, int& status, bool& online);

// The client's word for a code; empty for a code that has none.
std::string OwnStatusWord(int code);
std::string ContactStatusWord(int code);

}  // namespace calvox
