#include "client/presence.h"

namespace calvox {

namespace {

struct StatusWord {
    const char* word;
    int value;
};

// The first word of a code is the one it is named by.
constexpr StatusWord kOwnWords[] = {{"ONLINE", 1},  {"OFFLINE", 2},  {"LOGGEDOUT", 2},
                                    {"SKYPEME", 3}, {"AWAY", 4},     {"NA", 5},
                                    {"DND", 6},     {"INVISIBLE", 7}};
constexpr StatusWord kContactWords[] = {{"ONLINE", 1},  {"OFFLINE", 2}, {"SKYPEME", 3},
                                        {"AWAY", 4},    {"NA", 5},      {"DND", 6},
                                        {"UNKNOWN", 7}, {"SKYPEOUT", 8}};

template <std::size_t N>
std::string WordOf(const StatusWord (&words)[N], int code) {
    for (const StatusWord& w : words)
        if (w.value == code) return w.word;
    return {};
}

}  // namespace

OwnStatus OwnStatusFromWord(const std::string& word, OwnStatus current) {
    for (const StatusWord& w : kOwnWords)
        if (word == w.word) return static_cast<OwnStatus>(w.value);
    return current;
}

void ContactStatusFromWord(const std::string& word, int& status, bool& online) {
    status = 2;
    for (const StatusWord& w : kContactWords)
        if (word == w.word) status = w.value;
    online = status != 2 && status != 7;
}

std::string OwnStatusWord(int code) { return WordOf(kOwnWords, code); }
std::string ContactStatusWord(int code) { return WordOf(kContactWords, code); }

}  // namespace calvox
