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
inline constexpr unsigned kCopyData = 0x004A;
inline constexpr unsigned kLButtonDblClk = 0x0203;
inline constexpr unsigned kRButtonUp = 0x0205;
inline constexpr unsigned kTimer = 0x0113;
inline constexpr unsigned kDeviceChange = 0x0219;
inline constexpr unsigned kMixmLineChange = 0x03D0;
inline constexpr unsigned kMixmControlChange = 0x03D1;
inline constexpr unsigned kUser = 0x0400;
inline constexpr unsigned kApp = 0x8000;
}  // namespace wm

// WM_DEVICECHANGE vocabulary.
namespace dbt {
inline constexpr WParam kDeviceArrival = 0x8000;
inline constexpr WParam kDeviceRemoveComplete = 0x8004;
inline constexpr std::uint32_t kDevTypDeviceInterface = 5;
}  // namespace dbt

inline constexpr int kSwShow = 5;
inline constexpr int kSwHide = 0;

}  // namespace calvox
