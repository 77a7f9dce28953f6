#include "sim/virtual_handset.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "base/text_convert.h"
#include "sim/codepage.h"

namespace calvox::sim {

namespace {

constexpr Guid kHidGuid = {
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

// The HID class driver keeps this many input reports per handle and drops the oldest.
constexpr std::size_t kInputBuffers = 32;
// HidD_GetIndexedString fills at most 260 bytes, terminator included.
constexpr std::size_t kProductChars = 260 / 2 - 1;
// What Windows says of a path that is not there and of a device that went.
constexpr const char* kNoSuchPath = "CreateFile failed: error 2";
constexpr const char* kReadGone = "ReadFile failed: error 1167";
constexpr const char* kWriteGone = "WriteFile failed: error 1167";

bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

std::string Format(const char* format, unsigned a, unsigned b, unsigned c) {
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, format, a, b, c);
    return buffer;
}

bool IsProbe(const std::vector<std::uint8_t>& report) {
    return report.size() >= 5 && report[1] == 0x40 && report[2] == 0x9F && report[3] == 0 &&
           report[4] == 0;
}

std::vector<std::uint8_t> InputReport(const HandsetSpec& spec,
                                      const std::array<std::uint8_t, 4>& bytes) {
    std::vector<std::uint8_t> report(std::max<std::size_t>(spec.inputLength, 5), 0);
    std::copy(bytes.begin(), bytes.end(), report.begin() + 1);
    report.resize(spec.inputLength);
    return report;
}

}  // namespace

// --- the handset's make-up ------------------------------------------------------

HandsetSpec HandsetSpecFromOptions(const std::vector<Token>& options) {
    HandsetSpec spec;
    for (const Token& option : options) {
        const std::size_t eq = option.text.find('=');
        const std::string name = option.text.substr(0, eq);
        const std::string value = eq == std::string::npos ? "" : option.text.substr(eq + 1);
        std::int64_t n = 0;
        if (name == "vid" && ParseHex(value, n))
            spec.vid = static_cast<std::uint16_t>(n);
        else if (name == "pid" && ParseHex(value, n))
            spec.pid = static_cast<std::uint16_t>(n);
        else if (name == "product")
            spec.product = Utf8ToUtf16(value);
        else if (name == "audio")
            Utf8ToCp1252(value, spec.audio);
        else if (name == "mcu" && value == "none")
            spec.mcu.reset();
        else if (name == "mcu" && ParseHex(value, n))
            spec.mcu = static_cast<std::uint8_t>(n);
        else if (name == "in" && ParseNumber(value, n))
            spec.inputLength = static_cast<std::uint16_t>(n);
        else if (name == "out" && ParseNumber(value, n))
            spec.outputLength = static_cast<std::uint16_t>(n);
        else if (name == "total" && ParseNumber(value, n))
            spec.totalLength = static_cast<std::uint16_t>(n);
        else if (name == "interfaces" && ParseNumber(value, n))
            spec.interfaces = static_cast<std::uint8_t>(n);
    }
    return spec;
}

std::vector<std::uint8_t> ConfigurationDescriptor(const HandsetSpec& spec) {
    const std::uint16_t total = spec.totalLength;
    const auto lo = static_cast<std::uint8_t>(total & 0xFF);
    const auto hi = static_cast<std::uint8_t>(total >> 8);
    // A speaker-only audio function and a HID interface: 104 bytes, so every
    // handset length keeps both interfaces within the first 256 bytes.
    // clang-format off
    std::vector<std::uint8_t> d = {
        9, 2, lo, hi, spec.interfaces, 1, 0, 0x80, 50,    // configuration
        9, 4, 0, 0, 0, 1, 1, 0, 0,                        // interface 0: audio control
        9, 0x24, 1, 0x00, 0x01, 9, 0, 1, 1,               //   header, one streaming interface
        9, 4, 1, 0, 0, 1, 2, 0, 0,                        // interface 1: audio streaming, idle
        9, 4, 1, 1, 1, 1, 2, 0, 0,                        //   operational setting
        7, 0x24, 1, 1, 1, 1, 0,                           //   general: PCM
        11, 0x24, 2, 1, 1, 2, 16, 1, 0x40, 0x1F, 0,       //   format: mono, 16 bits, 8000 Hz
        9, 5, 0x01, 0x09, 16, 0, 1, 0, 0,                 //   isochronous OUT endpoint
        7, 0x25, 1, 0, 0, 0, 0,                           //   its class-specific part
        9, 4, 2, 0, 1, 3, 0, 0, 0,                        // interface 2: HID
        9, 0x21, 0x10, 0x01, 0, 1, 0x22, 0x34, 0,         //   HID descriptor
        7, 5, 0x83, 3, 8, 0, 32,                          //   interrupt IN endpoint
    };
    // clang-format on
    // The rest of wTotalLength: class-specific descriptors that a walker skips.
    std::size_t rest = total > d.size() ? total - d.size() : 0;
    while (rest > 0) {
        std::size_t n = std::min<std::size_t>(rest, 255);
        if (rest - n == 1) --n;
        if (n < 2) {
            d.push_back(0);
            break;
        }
        d.push_back(static_cast<std::uint8_t>(n));
        d.push_back(0x24);
        d.insert(d.end(), n - 2, 0);
        rest -= n;
    }
    d.resize(std::min<std::size_t>(total, 256));
    return d;
}

std::string GuidText(const Guid& g) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  g.data1, g.data2, g.data3, g.data4[0], g.data4[1], g.data4[2], g.data4[3],
                  g.data4[4], g.data4[5], g.data4[6], g.data4[7]);
    return buffer;
}

// --- plugging ------------------------------------------------------------------------

int VirtualHandsets::Add(const HandsetSpec& spec) {
    handsets_.push_back({spec, true, {}});
    return Count() - 1;
}

void VirtualHandsets::Plug(int i) { handsets_[static_cast<std::size_t>(i)].plugged = true; }

void VirtualHandsets::Unplug(int i) {
    handsets_[static_cast<std::size_t>(i)].plugged = false;
    for (auto& [handle, file] : hid_) {
        if (file.handset != i || file.gone) continue;
        file.gone = true;
        file.queue.clear();
        file.lastError = kReadGone;
        CompleteRead(file, nullptr);
    }
}

Guid VirtualHandsets::NameGuid(int i) const {
    return {0x9C0D4A10u + static_cast<std::uint32_t>(i),
            0x5E2B,
            0x4F71,
            {0xA3, 0x6D, 0x1B, 0x52, 0x8E, 0x07, 0xC4, 0x19}};
}

int VirtualHandsets::InUse() const {
    std::optional<int> best;
    for (const auto& [handle, file] : hid_)
        if (!file.gone && (!best || file.handset < *best)) best = file.handset;
    return best.value_or(-1);
}

void VirtualHandsets::SendReport(int i, const std::array<std::uint8_t, 4>& bytes) {
    if (i < 0 || i >= Count() || !IsPlugged(i)) return;
    const std::vector<std::uint8_t> report = InputReport(Spec(i), bytes);
    for (auto& [handle, file] : hid_) {
        if (file.handset != i || file.gone) continue;
        if (file.readPending) {
            CompleteRead(file, &report, HidReadResult::Report);
        } else {
            if (file.queue.size() == kInputBuffers) file.queue.pop_front();
            file.queue.push_back(report);
        }
    }
}

// --- names the platform gives the handset's interfaces ---------------------------------

std::string VirtualHandsets::HidPath(int i) const {
    const HandsetSpec& s = Spec(i);
    return Format(
        "\\\\?\\HID#VID_%04X&PID_%04X&MI_02#7&2C5A1F%02X&0&0000"
        "#{4d1e55b2-f16f-11cf-88cb-001111000030}",
        s.vid, s.pid, static_cast<unsigned>(i));
}

std::string VirtualHandsets::EndpointPath(int i) const {
    const HandsetSpec& s = Spec(i);
    return Format(
        "\\\\?\\USB#VID_%04X&PID_%04X&MI_00#6&1B3D6E%02X&0&0000"
        "#{65e8773e-8f56-11d0-a3b9-00a0c9223196}\\global",
        s.vid, s.pid, static_cast<unsigned>(i));
}

std::string VirtualHandsets::HostControllerPath() {
    return "\\\\?\\pci#ven_8086&dev_24c2&subsys_24c28086&rev_02#3&61aaa01&0&e8"
           "#{3abf6f2d-71c4-462a-8a92-1e6861e6af27}";
}

std::string VirtualHandsets::RootHubName() {
    return "USB#ROOT_HUB#4&1e5c7b4&0#{f18a0e88-c30c-11d0-8815-00a0c906bed8}";
}

// --- HID -------------------------------------------------------------------------------

Guid VirtualHandsets::GetHidGuid() { return kHidGuid; }

std::vector<std::string> VirtualHandsets::EnumerateHidInterfaces() {
    std::vector<std::string> paths;
    for (int i = 0; i < Count(); ++i)
        if (IsPlugged(i)) paths.push_back(HidPath(i));
    return paths;
}

HidHandle VirtualHandsets::OpenDevice(const std::string& path) {
    for (int i = 0; i < Count(); ++i) {
        if (!IsPlugged(i) || !SameText(path, HidPath(i))) continue;
        HidHandle h = nextHandle_++;
        hid_[h].handset = i;
        return h;
    }
    openError_ = kNoSuchPath;
    return 0;
}

void VirtualHandsets::CloseDevice(HidHandle handle) {
    auto it = hid_.find(handle);
    if (it == hid_.end()) return;
    CompleteRead(it->second, nullptr);  // closing a handle cancels its transfers
    for (const EventHandle event : {it->second.readDone, it->second.writeDone})
        if (event != 0) scheduler_.CloseEvent(event);
    hid_.erase(it);
}

VirtualHandsets::HidFile* VirtualHandsets::Live(HidHandle handle) {
    auto it = hid_.find(handle);
    return it == hid_.end() || it->second.gone ? nullptr : &it->second;
}

bool VirtualHandsets::GetAttributes(HidHandle handle, std::uint16_t& vendorId,
                                    std::uint16_t& productId) {
    HidFile* f = Live(handle);
    if (f == nullptr) return false;
    vendorId = Spec(f->handset).vid;
    productId = Spec(f->handset).pid;
    return true;
}

bool VirtualHandsets::GetCaps(HidHandle handle, std::uint16_t& inputLength,
                              std::uint16_t& outputLength) {
    HidFile* f = Live(handle);
    if (f == nullptr) return false;
    inputLength = Spec(f->handset).inputLength;
    outputLength = Spec(f->handset).outputLength;
    return true;
}

bool VirtualHandsets::GetProductString(HidHandle handle, std::u16string& text) {
    HidFile* f = Live(handle);
    // A device without a product string has no string descriptor 1.
    if (f == nullptr || Spec(f->handset).product.empty()) return false;
    text = Spec(f->handset).product.substr(0, kProductChars);
    return true;
}

bool VirtualHandsets::Take(HidFile& file, const std::vector<std::uint8_t>& report) {
    if (host_.traceWrite()) {
        std::string line = "hid<";
        for (std::size_t i = 1; i <= 4; ++i) {
            char hex[4];
            std::snprintf(hex, sizeof hex, " %02x", i < report.size() ? report[i] : 0);
            line += hex;
        }
        host_.trace(file.gone ? line + " failed" : line);
    }
    if (file.gone) {
        file.lastError = kWriteGone;
        return false;
    }
    std::array<std::uint8_t, 4> bytes{};
    for (std::size_t i = 1; i <= 4 && i < report.size(); ++i) bytes[i - 1] = report[i];
    handsets_[static_cast<std::size_t>(file.handset)].display.Feed(bytes);
    const HandsetSpec& spec = Spec(file.handset);
    if (IsProbe(report) && spec.mcu) SendReport(file.handset, {0x40, *spec.mcu, 0, 0});
    return true;
}

bool VirtualHandsets::Write(HidHandle handle, const std::vector<std::uint8_t>& report,
                            std::uint32_t timeoutMs) {
    auto it = hid_.find(handle);
    if (it == hid_.end()) return false;
    HidFile& file = it->second;
    if (file.writeDone == 0) file.writeDone = scheduler_.CreateEvent("", false, false);
    const EventHandle done = file.writeDone;
    const bool written = Take(file, report);
    // The transfer completes at once, a removed device failing it, so the
    // writer's wait never reaches its limit.
    scheduler_.SetEvent(done);
    if (host_.wait(done, timeoutMs) == WaitResult::Signaled) return written;
    it = hid_.find(handle);
    if (it != hid_.end()) it->second.lastError = "WriteFile timed out";
    return false;
}

HidReadResult VirtualHandsets::Read(HidHandle handle, std::uint8_t* buffer, std::size_t length,
                                    std::size_t& bytesRead) {
    bytesRead = 0;
    auto it = hid_.find(handle);
    if (it == hid_.end()) return HidReadResult::Failed;
    HidFile& file = it->second;
    if (file.cancelled) return HidReadResult::Cancelled;
    if (file.gone) {
        file.lastError = kReadGone;
        return HidReadResult::Failed;
    }
    if (!file.queue.empty()) {
        const std::vector<std::uint8_t> report = std::move(file.queue.front());
        file.queue.pop_front();
        bytesRead = std::min(report.size(), length);
        if (bytesRead > 0) std::memcpy(buffer, report.data(), bytesRead);
        return HidReadResult::Report;
    }
    if (file.readDone == 0) file.readDone = scheduler_.CreateEvent("", false, false);
    file.readPending = true;
    file.buffer = buffer;
    file.length = length;
    const EventHandle done = file.readDone;
    const bool ended = host_.wait(done, kInfinite) == WaitResult::Signaled;
    // The handle may have closed while the worker waited.
    it = hid_.find(handle);
    if (it == hid_.end()) return HidReadResult::Failed;
    if (!ended) {
        // Nothing may wait here: the read is withdrawn before its buffer goes.
        it->second.readPending = false;
        return HidReadResult::Failed;
    }
    bytesRead = it->second.bytesRead;
    return it->second.outcome;
}

void VirtualHandsets::CompleteRead(HidFile& file, const std::vector<std::uint8_t>* report,
                                   HidReadResult outcome) {
    if (!file.readPending) return;
    file.readPending = false;
    file.outcome = outcome;
    file.bytesRead = 0;
    if (report != nullptr) {
        file.bytesRead = std::min(report->size(), file.length);
        if (file.bytesRead > 0) std::memcpy(file.buffer, report->data(), file.bytesRead);
    }
    scheduler_.SetEvent(file.readDone);
}

void VirtualHandsets::CancelRead(HidHandle handle) {
    auto it = hid_.find(handle);
    if (it == hid_.end()) return;
    it->second.cancelled = true;
    CompleteRead(it->second, nullptr, HidReadResult::Cancelled);
}

std::string VirtualHandsets::LastError(HidHandle handle) {
    if (handle == 0) return openError_;
    auto it = hid_.find(handle);
    return it == hid_.end() ? std::string() : it->second.lastError;
}

// --- USB ---------------------------------------------------------------------------------

UsbHandle VirtualHandsets::OpenHostController(int n) {
    if (n != 0) return 0;
    UsbHandle h = nextHandle_++;
    usb_[h] = UsbNode::Controller;
    return h;
}

std::vector<std::string> VirtualHandsets::EnumerateHostControllers() {
    return {HostControllerPath()};
}

UsbHandle VirtualHandsets::OpenPath(const std::string& path, bool isHubName) {
    const bool hub = isHubName && SameText(path, RootHubName());
    const bool controller = !isHubName && SameText(path, HostControllerPath());
    if (!hub && !controller) return 0;
    UsbHandle h = nextHandle_++;
    usb_[h] = hub ? UsbNode::RootHub : UsbNode::Controller;
    return h;
}

void VirtualHandsets::CloseUsb(UsbHandle handle) { usb_.erase(handle); }

bool VirtualHandsets::GetRootHubName(UsbHandle controller, std::string& name) {
    auto it = usb_.find(controller);
    if (it == usb_.end() || it->second != UsbNode::Controller) return false;
    name = RootHubName();
    return true;
}

bool VirtualHandsets::GetPortCount(UsbHandle hub, int& ports) {
    auto it = usb_.find(hub);
    if (it == usb_.end() || it->second != UsbNode::RootHub) return false;
    ports = Count();
    return true;
}

bool VirtualHandsets::ValidPort(UsbHandle hub, int port) const {
    auto it = usb_.find(hub);
    return it != usb_.end() && it->second == UsbNode::RootHub && port >= 1 && port <= Count();
}

bool VirtualHandsets::GetConnection(UsbHandle hub, int port, UsbConnection& connection) {
    if (!ValidPort(hub, port)) return false;
    const int i = port - 1;
    connection = UsbConnection{};
    if (IsPlugged(i)) {
        connection.status = 1;
        connection.vendorId = Spec(i).vid;
        connection.productId = Spec(i).pid;
    }
    return true;
}

bool VirtualHandsets::GetConnectionName(UsbHandle, int, std::string&) {
    return false;  // no external hubs
}

bool VirtualHandsets::GetConfigurationDescriptor(UsbHandle hub, int port,
                                                 std::vector<std::uint8_t>& bytes) {
    if (!ValidPort(hub, port) || !IsPlugged(port - 1)) return false;
    bytes = ConfigurationDescriptor(Spec(port - 1));
    return true;
}

// --- render endpoint ----------------------------------------------------------------------

std::vector<std::vector<std::string>> VirtualHandsets::EnumerateCategory(const Guid& category,
                                                                         int maxDevices,
                                                                         int maxInterfaces) {
    std::vector<std::vector<std::string>> devices;
    if (!(category == kRenderCategory)) return devices;
    for (int i = 0; i < Count() && static_cast<int>(devices.size()) < maxDevices; ++i) {
        if (!IsPlugged(i)) continue;
        devices.emplace_back();
        if (maxInterfaces > 0) devices.back().push_back(EndpointPath(i));
    }
    return devices;
}

ComponentIdResult VirtualHandsets::QueryComponentName(const std::string& path, Guid& nameGuid) {
    for (int i = 0; i < Count(); ++i) {
        if (IsPlugged(i) && SameText(path, EndpointPath(i))) {
            nameGuid = NameGuid(i);
            return ComponentIdResult::Read;
        }
    }
    return ComponentIdResult::OpenFailed;
}

}  // namespace calvox::sim
