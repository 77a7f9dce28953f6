#include "config/key_table.h"
#include "base/text_case.h"

#include <cctype>

namespace calvox {

namespace {

constexpr const char* kKeyFunctionNames[] = {
    "SKYPE",          "DIALING",        "HAND OFF",         "UP",
    "DOWN",           "CONTACT LIST",   "NUMBER_0",         "NUMBER_1",
    "NUMBER_2",       "NUMBER_3",       "NUMBER_4",         "NUMBER_5",
    "NUMBER_6",       "NUMBER_7",       "NUMBER_8",         "NUMBER_9",
    "NUMBER_#",       "NUMBER_*",       "NUMBER_+",         "MINIMIZE",
    "ENTER",          "BACKSPACE",      "HOOK_OFF",         "PHONELIST",
    "HOOK_SWITCH",    "HISTORYCALL",    "HOOKBUTTON",       "LED_CALLING",
    "LED_MUTING",     "PHONELIST_ONLINE", "PHONELIST_OFFLINE", "CAPSLOCK",
    "ENABLECR",       "DISABLECR",      "PLAYLASTCR",       "STOPPLAYCR",
    "VOLUMESTEPUP",   "VOLUMESTEPDOWN", "VOLUMEMUTE",
};

}  // namespace

int KeyFunctionFromName(const std::string& name) {
    for (int code = 0; code < static_cast<int>(std::size(kKeyFunctionNames)); ++code) {
        if (EqualIgnoringCase(name, kKeyFunctionNames[code])) return code;
    }
    return KEY_UNKNOWN;
}

std::string KeyFunctionName(int code) {
    if (code < 0 || code >= static_cast<int>(std::size(kKeyFunctionNames))) return {};
    return kKeyFunctionNames[code];
}

KeyTable DefaultKeyTable() {
    KeyTable table{};
    for (int n = 0; n < kKeySlots; ++n) table[n] = n;
    return table;
}

KeyTable DefaultCapsKeyTable() {
    KeyTable table{};
    table.fill(SKYPE);
    return table;
}

LedMasks LedMasksFromKeyTable(const KeyTable& table) {
    LedMasks masks;
    for (int slot = 0; slot < 8; ++slot) {
        if (table[slot] == LED_MUTING) masks.muting = static_cast<std::uint8_t>(1u << slot);
        if (table[slot] == LED_CALLING) masks.calling = static_cast<std::uint8_t>(1u << slot);
    }
    return masks;
}

std::string KeyFunctionText(int code) {
    std::string name = KeyFunctionName(code);
    if (!name.empty()) return name;
    if (code == KEY_UNKNOWN) return "nothing (not a key-function name)";
    if (code == NUMBER_4_LONG) return "code 39 (NUMBER_4 held)";
    if (code == NUMBER_6_LONG) return "code 40 (NUMBER_6 held)";
    return "code " + std::to_string(code) + " (no function)";
}

}  // namespace calvox
