// The hub's vocabulary: private messages, timer ids, companion codes and the
// texts of the registered messages. Other threads and programs use these numbers.
#pragma once

#include <array>
#include <cstdint>

#include "platform/types.h"

namespace calvox {

inline constexpr unsigned HUBM_KEY_DOWN = 0x614;
inline constexpr unsigned HUBM_KEY_UP = 0x615;
inline constexpr unsigned HUBM_SPEAKER_UNMUTE = 0x616;
inline constexpr unsigned HUBM_MCU_KEY = 0x617;
inline constexpr unsigned HUBM_AUDIO_BUTTONS = 0x618;
inline constexpr unsigned HUBM_MCU_READY = 0x619;
inline constexpr unsigned HUBM_MCU_EVENT = 0x620;
inline constexpr unsigned HUBM_MCU_REQUEST = 0x621;
inline constexpr unsigned HUBM_SKYPE_NOTIFY = 0x622;
inline constexpr unsigned HUBM_SKYPE_ATTACHED = 0x714;
inline constexpr unsigned HUBM_TRAY = 0xA10;
inline constexpr unsigned HUBM_MCU_ACTION = 0xB08;
inline constexpr unsigned HUBM_PLAYBACK_DONE = 0xB11;
inline constexpr unsigned HUBM_AM_DIALOGUE_END = 0xC19;

inline constexpr std::uintptr_t TIMER_KEY_FLOOD = 0x413;
inline constexpr std::uintptr_t TIMER_MUTE_BLINK = 0x627;
inline constexpr std::uintptr_t TIMER_RING_BLINK = 0x628;
inline constexpr std::uintptr_t TIMER_AM_PICKUP = 0x720;
inline constexpr std::uintptr_t TIMER_HANDSET_REINIT = 0x830;

inline constexpr std::uint32_t kKeyFloodPeriodMs = 1000;
inline constexpr std::uint32_t kBlinkPeriodMs = 200;
inline constexpr std::uint32_t kReinitSoonMs = 1000;
inline constexpr std::uint32_t kReinitLaterMs = 10000;

// wParam of "VMSetting_Changing".
inline constexpr WParam VMS_SETTINGS_CHANGED = 0x720;
inline constexpr WParam VMS_MAKE_CALL = 0x721;
inline constexpr WParam VMS_DETACH = 0x722;
inline constexpr WParam VMS_MESSAGES_CHANGED = 0x723;
inline constexpr WParam VMS_RECORDING_CHANGED = 0x724;

// Registered messages, in the order they are registered.
enum RegisteredMessage : int {
    REG_SKYPE_ATTACH = 0,
    REG_SKYPE_DISCOVER = 1,
    REG_VM_DISCOVER = 2,
    REG_VM_ATTACH = 3,
    REG_VM_CHANGING = 4,
    REG_COUNT = 5,
};
inline constexpr const char* kRegisteredMessageTexts[REG_COUNT] = {
    "SkypeControlAPIAttach", "SkypeControlAPIDiscover", "VMSetting_Discover", "VMSetting_Attach",
    "VMSetting_Changing"};
// The numbers the system gave them, filled in when the hub's window is made.
using RegisteredMessageIds = std::array<unsigned, REG_COUNT>;

// Broadcast by Explorer when the taskbar is created again.
inline constexpr const char* kTaskbarCreated = "TaskbarCreated";

inline constexpr const char* kHiddenWindowClass = "Calvox Hidden Window class";

// Device interface classes the hub listens to.
inline constexpr Guid kAudioInterfaceClass = {
    0xFBF6F530, 0x07B9, 0x11D2, {0xA7, 0x1E, 0x00, 0x00, 0xF8, 0x00, 0x47, 0x88}};

}  // namespace calvox
