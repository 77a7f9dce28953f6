#include "handset/usb_walk.h"
#include "base/text_case.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace calvox {

namespace {

constexpr std::uint16_t kHandsetTotalLengths[] = {110, 113, 135, 138, 193, 199, 200,
                                                  206, 215, 218, 221, 222, 224, 225,
                                                  228, 231, 240, 246, 247, 253};
constexpr int kMaxHubDepth = 7;  // USB allows five tiers of hubs
constexpr std::size_t kRegistryTextBytes = 260;

}  // namespace

DeviceFingerprint ClassifyConfiguration(const std::vector<std::uint8_t>& d) {
    bool audio = false;
    unsigned totalLength = 0;
    unsigned interfaces = 0;
    for (std::size_t at = 0; at + 1 < d.size();) {
        const std::size_t length = d[at];
        if (length < 2) break;
        const std::uint8_t type = d[at + 1];
        if (type == 2 && at + 4 < d.size() && length >= 5) {
            totalLength = d[at + 2] | (d[at + 3] << 8);
            interfaces = d[at + 4];
        } else if (type == 4 && at + 5 < d.size() && length >= 6 && d[at + 5] == 1) {
            audio = true;
        }
        at += length;
    }
    if (!audio || (interfaces != 3 && interfaces != 4)) return DeviceFingerprint::Unknown;
    if (std::find(std::begin(kHandsetTotalLengths), std::end(kHandsetTotalLengths), totalLength) !=
        std::end(kHandsetTotalLengths))
        return DeviceFingerprint::Handset;
    if (totalLength == 144 || totalLength == 340) return DeviceFingerprint::OtherRecognised;
    return DeviceFingerprint::Unknown;
}

std::string DeviceIdText(std::uint32_t vendorId, std::uint32_t productId) {
    char text[32];
    std::snprintf(text, sizeof text, "VID_%04x&PID_%04x", vendorId & 0xFFFF, productId & 0xFFFF);
    return ToUpperAscii(text);
}

void UsbDeviceList::Walk(Platform& platform) {
    UsbPort& usb = platform.usb;
    for (int n = 0; n < 10; ++n) {
        UsbHandle controller = usb.OpenHostController(n);
        if (controller == 0) continue;
        const bool walked = WalkController(platform, controller);
        usb.CloseUsb(controller);
        if (!walked) return;
    }
    // Current host controller stacks have no "\\.\HCDn" names; their
    // controllers are found through the interface class all the same.
    if (GetOsGeneration(platform.system) < 5) return;
    for (const std::string& path : usb.EnumerateHostControllers()) {
        UsbHandle controller = usb.OpenPath(path, false);
        if (controller == 0) continue;
        const bool walked = WalkController(platform, controller);
        usb.CloseUsb(controller);
        if (!walked) return;
    }
}

bool UsbDeviceList::WalkController(Platform& platform, UsbHandle controller) {
    std::string rootHub;
    if (!platform.usb.GetRootHubName(controller, rootHub) || rootHub.empty()) return false;
    return WalkHub(platform, rootHub, 0);
}

bool UsbDeviceList::WalkHub(Platform& platform, const std::string& hubName, int depth) {
    UsbPort& usb = platform.usb;
    if (depth > kMaxHubDepth) return false;
    UsbHandle hub = usb.OpenPath(hubName, true);
    if (hub == 0) return false;
    int ports = 0;
    if (!usb.GetPortCount(hub, ports)) {
        usb.CloseUsb(hub);
        return false;
    }
    bool ok = true;
    for (int port = 1; port <= ports && ok; ++port) {
        UsbConnection connection;
        if (!usb.GetConnection(hub, port, connection)) continue;
        if (connection.isHub) {
            std::string name;
            if (usb.GetConnectionName(hub, port, name) && !name.empty())
                ok = WalkHub(platform, name, depth + 1);
            continue;
        }
        if (connection.status != 1) continue;
        std::vector<std::uint8_t> descriptors;
        if (!usb.GetConfigurationDescriptor(hub, port, descriptors)) continue;
        if (ClassifyConfiguration(descriptors) == DeviceFingerprint::Handset)
            entries_.push_back({DeviceIdText(connection.vendorId, connection.productId),
                                connection.vendorId, connection.productId, 1});
    }
    usb.CloseUsb(hub);
    return ok;
}

int OsGenerationOf(const OsVersion& v) {
    if (v.platformId == 1) {  // the 9x line
        if (v.major == 4 && v.minor == 0) return 0;
        if (v.major == 4 && v.minor == 10)
            return v.servicePack.size() > 1 && v.servicePack[1] == 'A' ? 2 : 1;
        if (v.major == 4 && v.minor == 90) return 3;
        return 7;
    }
    if (v.platformId == 2) {
        if (v.major <= 4) return 4;
        if (v.major == 5) return v.minor == 0 ? 5 : 6;
    }
    return 7;
}

int GetOsGeneration(SystemPort& system) {
    OsVersion version;
    if (!system.GetVersion(version)) return 7;
    return OsGenerationOf(version);
}

std::string FormatGuid(const Guid& g) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  g.data1, g.data2, g.data3, g.data4[0], g.data4[1], g.data4[2], g.data4[3],
                  g.data4[4], g.data4[5], g.data4[6], g.data4[7]);
    return text;
}

std::string InterfaceParametersKey(const std::string& categoryText, const std::string& devicePath) {
    std::string path = devicePath;
    // "\\?\" becomes "##?#", as the device classes key names it.
    for (std::size_t i : {0, 1, 3})
        if (i < path.size()) path[i] = '#';
    const std::string base = "SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\" + categoryText + "\\";
    const std::size_t slash = path.rfind('\\');
    if (slash == std::string::npos) return base + path + "\\Device Parameters";
    return base + path.substr(0, slash) + "\\#" + path.substr(slash + 1) + "\\Device Parameters";
}

bool FindAudioEndpointName(Platform& platform, const Guid& category, const std::string& idText,
                           std::string& name) {
    if (idText.empty()) return false;
    name.clear();
    const std::string id = ToUpperAscii(idText);
    const std::string categoryText = FormatGuid(category);
    for (const auto& interfaces : platform.endpoints.EnumerateCategory(category, 16, 16)) {
        if (!name.empty()) break;
        for (const std::string& interfacePath : interfaces) {
            const std::string path = ToUpperAscii(interfacePath);
            if (path.find(id) == std::string::npos) continue;
            Guid nameGuid;
            ComponentIdResult component = platform.endpoints.QueryComponentName(interfacePath, nameGuid);
            if (component == ComponentIdResult::OpenFailed) continue;
            std::string text;
            if (platform.registry.ReadString(RegistryHive::LocalMachine,
                                             InterfaceParametersKey(categoryText, path),
                                             "FriendlyName", kRegistryTextBytes, text))
                name = text;
            if (component == ComponentIdResult::Read &&
                platform.registry.ReadString(
                    RegistryHive::LocalMachine,
                    "SYSTEM\\CurrentControlSet\\Control\\MediaCategories\\" + FormatGuid(nameGuid),
                    "Name", kRegistryTextBytes, text))
                name = text;
            break;
        }
    }
    return !name.empty();
}

}  // namespace calvox
