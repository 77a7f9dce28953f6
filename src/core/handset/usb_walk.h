// Finding supported handsets in the USB topology, and the name of their
// audio endpoint.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace calvox {

struct UsbDeviceEntry {
    std::string name;  // "VID_vvvv&PID_pppp", upper case
    std::uint32_t vendorId = 0;
    std::uint32_t productId = 0;
    int kind = 1;
};

// What a configuration descriptor set says about a device.
enum class DeviceFingerprint { Unknown, Handset, OtherRecognised };
DeviceFingerprint ClassifyConfiguration(const std::vector<std::uint8_t>& descriptors);

// "VID_%04x&PID_%04x" upper-cased.
std::string DeviceIdText(std::uint32_t vendorId, std::uint32_t productId);

class UsbDeviceList {
public:
    void Walk(Platform& platform);
    void Clear() { entries_.clear(); }
    const std::vector<UsbDeviceEntry>& Entries() const { return entries_; }

private:
    bool WalkController(Platform& platform, UsbHandle controller);
    bool WalkHub(Platform& platform, const std::string& hubName, int depth);
    std::vector<UsbDeviceEntry> entries_;
};

// 0 Windows 95 ... 5 Windows 2000, 6 NT 5.1 and later 5.x, 7 anything else.
int OsGenerationOf(const OsVersion& version);
int GetOsGeneration(SystemPort& system);

std::string FormatGuid(const Guid& guid);
// The registry key of a device interface's parameters, from its path.
std::string InterfaceParametersKey(const std::string& categoryText, const std::string& devicePath);

inline constexpr Guid kRenderCategory = {
    0x65E8773E, 0x8F56, 0x11D0, {0xA3, 0xB9, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};

bool FindAudioEndpointName(Platform& platform, const Guid& category, const std::string& idText,
                           std::string& name);

}  // namespace calvox
