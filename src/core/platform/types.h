// Numeric platform vocabulary shared by the core and both platforms.
// Window handles, message numbers and timer ids keep their Windows values so
// the Win32 window procedure and the simulator hand them to the hub unchanged.
#pragma once

#include <cstdint>
#include <string>

namespace calvox {

using Hwnd = std::uintptr_t;  // 0 = no window
using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;
using IconHandle = std::uintptr_t;     // 0 = no icon
using DeviceNotifyHandle = std::uintptr_t;
using MenuHandle = std::uintptr_t;  // 0 = no menu

struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::uint8_t data4[8] = {};
    friend bool operator==(const Guid&, const Guid&) = default;
};

// Windows message numbers the core reacts to or sends.
namespace wm {
inline constexpr unsigned kCreate = 0x0001;
inline constexpr unsigned kDestroy = 0x0002;
inline constexpr unsigned kClose = 0x0010;
inline constexpr unsigned kQuit = 0x0012;
inline constexpr unsigned kSetText = 0x000C;
inline constexpr unsigned kGetText = 0x000D;
inline constexpr unsigned kKeyDown = 0x0100;
inline constexpr unsigned kKeyUp = 0x0101;
inline constexpr unsigned kChar = 0x0102;
inline constexpr unsigned kSysCommand = 0x0112;
inline constexpr unsigned kLButtonDown = 0x0201;
inline constexpr unsigned kLButtonUp = 0x0202;
inline constexpr unsigned kLButtonDblClk = 0x0203;
inline constexpr unsigned kRButtonUp = 0x0205;
inline constexpr unsigned kTimer = 0x0113;
inline constexpr unsigned kDeviceChange = 0x0219;
inline constexpr unsigned kUser = 0x0400;
inline constexpr unsigned kApp = 0x8000;
}  // namespace wm

// Virtual keys the program synthesizes.
namespace vk {
inline constexpr std::uint16_t kBack = 0x08;
inline constexpr std::uint16_t kReturn = 0x0D;
inline constexpr std::uint16_t kShift = 0x10;
inline constexpr std::uint16_t kLeft = 0x25;
inline constexpr std::uint16_t kRight = 0x27;
inline constexpr std::uint16_t k3 = 0x33;
inline constexpr std::uint16_t kMultiply = 0x6A;
inline constexpr std::uint16_t kAdd = 0x6B;
}  // namespace vk

// Window automation vocabulary.
inline constexpr WParam kScMinimize = 0xF020;
inline constexpr WParam kMkLButton = 0x0001;
inline constexpr std::uint32_t kKeyEventKeyUp = 0x0002;
inline constexpr std::uint32_t kMouseEventMove = 0x0001;
inline constexpr std::uint32_t kMouseEventLeftDown = 0x0002;
inline constexpr std::uint32_t kMouseEventLeftUp = 0x0004;
inline constexpr std::uint32_t kMouseEventAbsolute = 0x8000;
inline constexpr int kSmCxScreen = 0;
inline constexpr int kSmCyScreen = 1;
// A point in a mouse message's lParam.
constexpr LParam MakePointParam(int x, int y) {
    return static_cast<LParam>((static_cast<std::uint32_t>(y & 0xFFFF) << 16) |
                               static_cast<std::uint32_t>(x & 0xFFFF));
}
// lParam of a posted WM_KEYUP: repeat count 1, previous state and transition bits set.
inline constexpr LParam kKeyUpParam = static_cast<LParam>(0xC0000001u);

inline constexpr int kSwShow = 5;
inline constexpr int kSwHide = 0;

}  // namespace calvox
