#include "virtual_handset.h"

// After windows.h, which they need.
#include <newdev.h>
#include <setupapi.h>

#include "vhandset_control.h"
#include "wine_support.h"

namespace wine_test {
namespace {

constexpr const char* kHardwareId = "ROOT\\CALVOXVH";
constexpr const char* kInstance = "ROOT\\CALVOXVH\\0000";
// {4d36e97d-e325-11ce-bfc1-08002be10318}, the System device class.
constexpr GUID kSystemClass = {
    0x4d36e97d, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

std::string BesideThisProgram(const char* name) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path = self;
    return path.substr(0, path.find_last_of('\\') + 1) + name;
}

bool WriteParameters(const HandsetConfig& config) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, VH_PARAMETERS_KEY, 0, nullptr, 0, KEY_WRITE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    const std::pair<const char*, DWORD> values[] = {
        {"VendorId", config.vendorId},
        {"ProductId", config.productId},
        {"InputLength", config.inputLength},
        {"OutputLength", config.outputLength},
        {"McuAnswer", config.mcuAnswer},
        {"TotalLength", config.totalLength},
        {"Interfaces", config.interfaces},
        {"Layout", static_cast<DWORD>(config.externalHub ? VH_LAYOUT_EXTERNAL : VH_LAYOUT_ROOT)}};
    bool ok = true;
    for (const auto& [name, value] : values)
        ok &= RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                             sizeof value) == ERROR_SUCCESS;
    std::wstring product(config.product.begin(), config.product.end());
    ok &=
        RegSetValueExW(key, L"Product", 0, REG_SZ, reinterpret_cast<const BYTE*>(product.c_str()),
                       static_cast<DWORD>((product.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

bool RegisterRootDevice() {
    HDEVINFO set = SetupDiCreateDeviceInfoList(&kSystemClass, nullptr);
    if (set == INVALID_HANDLE_VALUE) return false;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    bool ok =
        SetupDiCreateDeviceInfoA(set, kInstance, &kSystemClass, nullptr, nullptr, 0, &device) != 0;
    if (ok) {
        // A multi-string: the id, then an empty string.
        std::string ids = std::string(kHardwareId) + '\0' + '\0';
        ok = SetupDiSetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID,
                                               reinterpret_cast<const BYTE*>(ids.data()),
                                               static_cast<DWORD>(ids.size())) &&
             SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set, &device);
    }
    SetupDiDestroyDeviceInfoList(set);
    return ok;
}

bool RemoveRootDevice() {
    HDEVINFO set = SetupDiCreateDeviceInfoList(nullptr, nullptr);
    if (set == INVALID_HANDLE_VALUE) return false;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    bool ok = SetupDiOpenDeviceInfoA(set, kInstance, nullptr, 0, &device) &&
              SetupDiCallClassInstaller(DIF_REMOVE, set, &device);
    SetupDiDestroyDeviceInfoList(set);
    return ok;
}

}  // namespace

VirtualHandset::~VirtualHandset() {
    if (installed_) Unplug();
}

double VirtualHandset::NowMs() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

bool VirtualHandset::Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                             DWORD* returned) {
    HANDLE channel =
        CreateFileA(VH_CONTROL_PATH, GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (channel == INVALID_HANDLE_VALUE) return false;
    DWORD got = 0;
    const bool ok = DeviceIoControl(channel, code, const_cast<void*>(in), inSize, out, outSize,
                                    &got, nullptr) != 0;
    CloseHandle(channel);
    if (returned != nullptr) *returned = got;
    return ok;
}

bool VirtualHandset::Plugged() {
    VhState state{};
    return Control(VH_IOCTL_STATE, nullptr, 0, &state, sizeof state) && state.plugged != 0;
}

bool VirtualHandset::Plug(const HandsetConfig& config) {
    config_ = config;
    // Reports of an earlier plug-in still in the driver's log are not this one's.
    Take();
    if (!WriteParameters(config) || !RegisterRootDevice()) return false;
    installed_ = true;
    BOOL reboot = FALSE;
    const std::string inf = BesideThisProgram("calvoxvh.inf");
    if (!UpdateDriverForPlugAndPlayDevicesA(nullptr, kHardwareId, inf.c_str(), INSTALLFLAG_FORCE,
                                            &reboot))
        return false;
    return PumpUntil([&] { return Plugged(); }, 5000);
}

bool VirtualHandset::Unplug() {
    if (!installed_) return true;
    const bool removed = RemoveRootDevice();
    installed_ = false;
    return removed && PumpUntil([&] { return !Plugged(); }, 5000);
}

bool VirtualHandset::Inject(std::initializer_list<std::uint8_t> bytes) {
    std::vector<std::uint8_t> report(config_.inputLength, 0);
    std::size_t at = 1;
    for (std::uint8_t b : bytes)
        if (at < report.size()) report[at++] = b;
    return Control(VH_IOCTL_INJECT, report.data(), static_cast<DWORD>(report.size()), nullptr, 0);
}

std::vector<OutputReport> VirtualHandset::Take() {
    std::vector<OutputReport> reports;
    std::vector<VhLogEntry> entries(1024);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    for (;;) {
        DWORD returned = 0;
        if (!Control(VH_IOCTL_TAKE_LOG, nullptr, 0, entries.data(),
                     static_cast<DWORD>(entries.size() * sizeof(VhLogEntry)), &returned))
            break;
        const std::size_t n = returned / sizeof(VhLogEntry);
        for (std::size_t i = 0; i < n; ++i) {
            OutputReport report;
            report.ms = static_cast<double>(entries[i].time) * 1000.0 /
                        static_cast<double>(frequency.QuadPart);
            report.bytes.assign(entries[i].bytes, entries[i].bytes + entries[i].length);
            reports.push_back(std::move(report));
        }
        if (n < entries.size()) break;
    }
    return reports;
}

bool VirtualHandset::CollectUntil(std::vector<OutputReport>& log,
                                  const std::function<bool(const std::vector<OutputReport>&)>& done,
                                  DWORD timeoutMs) {
    return PumpUntil(
        [&] {
            std::vector<OutputReport> more = Take();
            log.insert(log.end(), more.begin(), more.end());
            return done(log);
        },
        timeoutMs);
}

std::vector<std::uint8_t> Body(const OutputReport& report) {
    std::vector<std::uint8_t> body(4, 0);
    for (std::size_t i = 1; i < report.bytes.size() && i <= 4; ++i) body[i - 1] = report.bytes[i];
    return body;
}

}  // namespace wine_test
