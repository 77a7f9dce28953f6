// Key functions: the vocabulary the settings file uses to give each key slot
// its meaning, and the two 64-slot tables built from it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace calvox {

enum KeyFunction : int {
    KEY_UNKNOWN = -1,
    SKYPE = 0,
    DIALING = 1,
    HAND_OFF = 2,
    UP = 3,
    DOWN = 4,
    CONTACT_LIST = 5,
    NUMBER_0 = 6,
    NUMBER_1 = 7,
    NUMBER_2 = 8,
    NUMBER_3 = 9,
    NUMBER_4 = 10,
    NUMBER_5 = 11,
    NUMBER_6 = 12,
    NUMBER_7 = 13,
    NUMBER_8 = 14,
    NUMBER_9 = 15,
    NUMBER_HASH = 16,
    NUMBER_STAR = 17,
    NUMBER_PLUS = 18,
    MINIMIZE = 19,
    ENTER = 20,
    BACKSPACE = 21,
    HOOK_OFF = 22,
    PHONELIST = 23,
    HOOK_SWITCH = 24,
    HISTORYCALL = 25,
    HOOKBUTTON = 26,
    LED_CALLING = 27,
    LED_MUTING = 28,
    PHONELIST_ONLINE = 29,
    PHONELIST_OFFLINE = 30,
    CAPSLOCK = 31,
    ENABLECR = 32,
    DISABLECR = 33,
    PLAYLASTCR = 34,
    STOPPLAYCR = 35,
    VOLUMESTEPUP = 36,
    VOLUMESTEPDOWN = 37,
    VOLUMEMUTE = 38,
    // Long presses; they have no name and cannot be configured.
    NUMBER_4_LONG = 39,
    NUMBER_6_LONG = 40,
};

inline constexpr int kKeySlots = 64;
using KeyTable = std::array<int, kKeySlots>;

// The code of a key-function name compared without regard to case (whole
// string, no trimming), or KEY_UNKNOWN.
int KeyFunctionFromName(const std::string& name);
// The name the settings file uses for a code; empty for the long presses and
// codes without a name.
std::string KeyFunctionName(int code);

// Slot n carries function n.
KeyTable DefaultKeyTable();
// Every slot carries SKYPE.
KeyTable DefaultCapsKeyTable();

// The LEDs of the direct-key scan modes sit on the lines of slots 0-7 whose
// function marks them; a later slot replaces an earlier one.
struct LedMasks {
    std::uint8_t muting = 0;
    std::uint8_t calling = 0;
};
LedMasks LedMasksFromKeyTable(const KeyTable& table);

// How the diagnostic log names a code: its name, or what a code without a
// name does.
std::string KeyFunctionText(int code);

}  // namespace calvox
