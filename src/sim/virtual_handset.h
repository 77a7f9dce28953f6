// The virtual handset: a composite USB device (audio and HID interfaces) on
// the root hub of the machine's one host controller, with its render endpoint
// and, on its HID side, a microcontroller that answers the probe.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "config/settings.h"
#include "platform/audio_endpoint_port.h"
#include "platform/hid_port.h"
#include "platform/usb_port.h"
#include "sim/handset_display.h"
#include "sim/scheduler.h"
#include "sim/script.h"

namespace calvox::sim {

struct HandsetSpec {
    std::uint16_t vid = kDefaultDeviceVid;
    std::uint16_t pid = 0x000E;
    std::u16string product = u"USB Handset";
    std::optional<std::uint8_t> mcu = 0x80;  // none: the probe goes unanswered
    std::string audio = "USB Audio Device";  // code page 1252
    std::uint16_t inputLength = 5;
    std::uint16_t outputLength = 5;
    std::uint16_t totalLength = 200;
    std::uint8_t interfaces = 3;
};

// The options of a `handset` world line, as the parser left them (already checked).
HandsetSpec HandsetSpecFromOptions(const std::vector<Token>& options);

// What the device returns for a request of its first configuration descriptor
// set with wLength 256: min(wTotalLength, 256) bytes.
std::vector<std::uint8_t> ConfigurationDescriptor(const HandsetSpec& spec);

// KSCATEGORY_RENDER.
inline constexpr Guid kRenderCategory = {
    0x65E8773E, 0x8F56, 0x11D0, {0xA3, 0xB9, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", as the registry spells GUID keys.
std::string GuidText(const Guid& guid);

// What the handsets need of the rest of the virtual Windows.
struct HandsetHost {
    std::function<void(const std::string&)> trace;
    // False for a write that stays off the trace (keypad scan before `trace scan`).
    std::function<bool()> traceWrite;
    // A wait as the program's threads wait: a worker hands the baton on, the
    // hub thread lets the workers run meanwhile (and gives up on a wait
    // without a limit that nothing ends).
    std::function<WaitResult(EventHandle, std::uint32_t)> wait;
};

// Reads and writes wait on the scheduler's events for their completion, so
// each takes the virtual time and hands the baton on as the program's own
// waits do.
class VirtualHandsets : public HidPort, public UsbPort, public AudioEndpointPort {
public:
    VirtualHandsets(Scheduler& scheduler, HandsetHost host)
        : scheduler_(scheduler), host_(std::move(host)) {}

    // A handset plugged in; its index (0-based) is its place in enumeration.
    int Add(const HandsetSpec& spec);
    int Count() const { return static_cast<int>(handsets_.size()); }
    const HandsetSpec& Spec(int i) const { return handsets_[static_cast<std::size_t>(i)].spec; }
    bool IsPlugged(int i) const { return handsets_[static_cast<std::size_t>(i)].plugged; }
    void Plug(int i);
    // Pending reads fail; handles opened before stay dead even after a new plug.
    void Unplug(int i);
    // The component name GUID of the handset's render endpoint.
    Guid NameGuid(int i) const;

    // The handset the program has open: the first plugged one with a live HID
    // handle; -1 when none.
    int InUse() const;
    // An input report (byte 0 = 0, then `bytes`, zeros up to the input length)
    // reaches every live handle of handset i: a read under way, else its queue.
    void SendReport(int i, const std::array<std::uint8_t, 4>& bytes);
    bool IsUsbHandle(std::uintptr_t handle) const { return usb_.count(handle) > 0; }

    // A picture of what handset i shows.
    std::string DisplayPicture(int i) const {
        return handsets_[static_cast<std::size_t>(i)].display.Picture();
    }
    std::string HidPath(int i) const;
    std::string EndpointPath(int i) const;
    static std::string HostControllerPath();
    static std::string RootHubName();

    // HidPort
    Guid GetHidGuid() override;
    std::vector<std::string> EnumerateHidInterfaces() override;
    HidHandle OpenDevice(const std::string& path) override;
    void CloseDevice(HidHandle handle) override;
    bool GetAttributes(HidHandle handle, std::uint16_t& vendorId,
                       std::uint16_t& productId) override;
    bool GetCaps(HidHandle handle, std::uint16_t& inputLength,
                 std::uint16_t& outputLength) override;
    bool GetProductString(HidHandle handle, std::u16string& text) override;
    HidReadResult Read(HidHandle handle, std::uint8_t* buffer, std::size_t length,
                       std::size_t& bytesRead) override;
    void CancelRead(HidHandle handle) override;
    // Completes at once (a removed device fails it), so the time limit never falls due.
    bool Write(HidHandle handle, const std::vector<std::uint8_t>& report,
               std::uint32_t timeoutMs) override;
    std::string LastError(HidHandle handle) override;

    // UsbPort
    UsbHandle OpenHostController(int n) override;
    std::vector<std::string> EnumerateHostControllers() override;
    UsbHandle OpenPath(const std::string& path, bool isHubName) override;
    void CloseUsb(UsbHandle handle) override;
    bool GetRootHubName(UsbHandle controller, std::string& name) override;
    bool GetPortCount(UsbHandle hub, int& ports) override;
    bool GetConnection(UsbHandle hub, int port, UsbConnection& connection) override;
    bool GetConnectionName(UsbHandle hub, int port, std::string& name) override;
    bool GetConfigurationDescriptor(UsbHandle hub, int port,
                                    std::vector<std::uint8_t>& bytes) override;

    // AudioEndpointPort
    std::vector<std::vector<std::string>> EnumerateCategory(const Guid& category, int maxDevices,
                                                            int maxInterfaces) override;
    ComponentIdResult QueryComponentName(const std::string& path, Guid& nameGuid) override;

private:
    struct Handset {
        HandsetSpec spec;
        bool plugged = true;
        HandsetDisplay display;  // what its reports have shown so far
    };
    // One open file handle on a handset's HID interface. Each handle keeps its
    // own queue of input reports, as the HID class driver does.
    struct HidFile {
        int handset = 0;
        bool gone = false;       // the device was removed after the open
        bool cancelled = false;  // CancelRead: every read from now on ends at once
        std::deque<std::vector<std::uint8_t>> queue;
        // The read under way, if any: where its report goes and how it ended.
        bool readPending = false;
        std::uint8_t* buffer = nullptr;
        std::size_t length = 0;
        HidReadResult outcome = HidReadResult::Failed;
        std::size_t bytesRead = 0;
        // The scheduler's completion events, made by the first transfer of each kind.
        EventHandle readDone = 0;
        EventHandle writeDone = 0;
        std::string lastError;
    };
    enum class UsbNode { Controller, RootHub };

    HidFile* Live(HidHandle handle);
    // What the handset does with an output report; false when it is gone.
    bool Take(HidFile& file, const std::vector<std::uint8_t>& report);
    // Ends the read under way with a report, or with `outcome` when there is none.
    void CompleteRead(HidFile& file, const std::vector<std::uint8_t>* report,
                      HidReadResult outcome = HidReadResult::Failed);
    bool ValidPort(UsbHandle hub, int port) const;

    Scheduler& scheduler_;
    HandsetHost host_;
    std::vector<Handset> handsets_;
    std::map<HidHandle, HidFile> hid_;
    std::map<UsbHandle, UsbNode> usb_;
    std::uintptr_t nextHandle_ = 0x10000;
    std::string openError_;
};

}  // namespace calvox::sim
