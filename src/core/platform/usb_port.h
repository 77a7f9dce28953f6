// The USB topology: host controllers, hubs and the devices on their ports.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace calvox {

using UsbHandle = std::uintptr_t;  // 0 = none

struct UsbConnection {
    bool isHub = false;
    std::uint32_t status = 0;  // 1 = a device is connected
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
};

class UsbPort {
public:
    virtual ~UsbPort() = default;

    // "\\.\HCDn"; 0 when it does not open.
    virtual UsbHandle OpenHostController(int n) = 0;
    // Device paths of the present USB host controller interfaces.
    virtual std::vector<std::string> EnumerateHostControllers() = 0;
    // A path or a hub name (opened as "\\.\" + name when `isHubName`).
    virtual UsbHandle OpenPath(const std::string& path, bool isHubName) = 0;
    virtual void CloseUsb(UsbHandle handle) = 0;

    // IOCTL_USB_GET_ROOT_HUB_NAME, converted to the ANSI code page.
    virtual bool GetRootHubName(UsbHandle controller, std::string& name) = 0;
    // IOCTL_USB_GET_NODE_INFORMATION: bNumberOfPorts.
    virtual bool GetPortCount(UsbHandle hub, int& ports) = 0;
    // IOCTL_USB_GET_NODE_CONNECTION_INFORMATION.
    virtual bool GetConnection(UsbHandle hub, int port, UsbConnection& connection) = 0;
    // IOCTL_USB_GET_NODE_CONNECTION_NAME: the name of the hub on a port.
    virtual bool GetConnectionName(UsbHandle hub, int port, std::string& name) = 0;
    // The first configuration descriptor set of the device on a port, up to 256 bytes.
    virtual bool GetConfigurationDescriptor(UsbHandle hub, int port,
                                            std::vector<std::uint8_t>& bytes) = 0;
};

}  // namespace calvox
