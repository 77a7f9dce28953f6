// HID devices, the USB topology and audio device interfaces through SETUPAPI,
// HID.DLL and device I/O controls.
#include "win32/win_platform.h"
// After windows.h, which they need.
#include <cfgmgr32.h>
#include <setupapi.h>
#include <usbioctl.h>
// mingw's HID headers (hidsdi.h brings hidpi.h) lack the C linkage of their functions.
extern "C" {
#include <hidsdi.h>
}

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace calvox::win32 {

namespace {
// The events of the handset's transfers carry the names they always had.
constexpr const char* kInputEventName = "ZVK_HID_INPUT_EVENT";
constexpr const char* kOutputEventName = "ZVK_HID_OUTPUT_EVENT";

std::string Failure(const char* call, DWORD error) {
    return std::string(call) + " failed: error " + std::to_string(error);
}

// One open device: its file, the overlapped records and events of its
// transfers (one per direction), its cancel event and its last failure.
struct Device {
    HANDLE file = INVALID_HANDLE_VALUE;
    HANDLE cancel = nullptr;     // manual reset; CancelRead sets it for good
    HANDLE readDone = nullptr;   // made by the first read
    HANDLE writeDone = nullptr;  // made by the first write
    OVERLAPPED read{};
    OVERLAPPED write{};
    std::vector<std::uint8_t> written;  // the copy WriteFile works from
    std::atomic<bool> readStarted{false};
    std::atomic<bool> writeStarted{false};
    std::atomic<int> busy{0};  // Read and Write calls under way

    void Fail(const std::string& text) {
        std::lock_guard<std::mutex> hold(errorLock);
        lastError = text;
    }
    std::string LastError() {
        std::lock_guard<std::mutex> hold(errorLock);
        return lastError;
    }

private:
    std::mutex errorLock;  // the reader, a writer and the hub thread may each fail
    std::string lastError;
};

HANDLE ToHandle(std::uintptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

std::uintptr_t FromOpened(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<std::uintptr_t>(handle);
}

constexpr DWORD kPresentInterfaces = DIGCF_PRESENT | DIGCF_DEVICEINTERFACE;

bool InterfacePath(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& data, std::string& path) {
    DWORD required = 0;
    ::SetupDiGetDeviceInterfaceDetailA(set, &data, nullptr, 0, &required, nullptr);
    if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) return false;
    std::vector<std::uint8_t> block(required, 0);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(block.data());
    // The size of the fixed part, not of the block: SetupAPI checks it.
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    if (!::SetupDiGetDeviceInterfaceDetailA(set, &data, detail, required, nullptr, nullptr))
        return false;
    path = detail->DevicePath;
    return true;
}

// Paths of the present interfaces of a class; `device` narrows them to one
// device instance.
std::vector<std::string> InterfacePaths(const GUID& interfaceClass, const char* device,
                                        std::size_t limit) {
    std::vector<std::string> paths;
    HDEVINFO set = ::SetupDiGetClassDevsA(&interfaceClass, device, nullptr, kPresentInterfaces);
    if (set == INVALID_HANDLE_VALUE) return paths;
    for (DWORD index = 0; paths.size() < limit; ++index) {
        SP_DEVICE_INTERFACE_DATA data{};
        data.cbSize = sizeof data;
        if (!::SetupDiEnumDeviceInterfaces(set, nullptr, &interfaceClass, index, &data)) break;
        std::string path;
        if (InterfacePath(set, data, path)) paths.push_back(std::move(path));
    }
    ::SetupDiDestroyDeviceInfoList(set);
    return paths;
}

bool Pending(bool started, const OVERLAPPED& transfer) {
    return started && !HasOverlappedIoCompleted(&transfer);
}

}  // namespace

// --- HID ---------------------------------------------------------------------

namespace {

// Counts a Read or Write under way, so that a close leaves the device to it.
class BusyScope {
public:
    explicit BusyScope(std::atomic<int>& busy) : busy_(busy) { ++busy_; }
    ~BusyScope() { --busy_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    std::atomic<int>& busy_;
};

// The named event of one direction, made once per device.
bool EnsureEvent(HANDLE& event, const char* name) {
    if (event == nullptr) event = ::CreateEventA(nullptr, TRUE, FALSE, name);
    return event != nullptr;
}

class WinHid final : public HidPort {
public:
    WinHid() = default;
    ~WinHid() override {
        for (;;) {
            HidHandle handle = 0;
            {
                std::lock_guard<std::mutex> hold(lock_);
                if (devices_.empty()) break;
                handle = devices_.begin()->first;
            }
            CloseDevice(handle);
        }
    }
    WinHid(const WinHid&) = delete;
    WinHid& operator=(const WinHid&) = delete;

    Guid GetHidGuid() override {
        GUID guid;
        ::HidD_GetHidGuid(&guid);
        return FromGUID(guid);
    }

    std::vector<std::string> EnumerateHidInterfaces() override {
        GUID guid;
        ::HidD_GetHidGuid(&guid);
        return InterfacePaths(guid, nullptr, SIZE_MAX);
    }

    HidHandle OpenDevice(const std::string& path) override {
        auto device = std::make_unique<Device>();
        device->file = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_OVERLAPPED, nullptr);
        if (device->file == INVALID_HANDLE_VALUE) {
            const std::string failure = Failure("CreateFile", ::GetLastError());
            std::lock_guard<std::mutex> hold(lock_);
            openError_ = failure;
            return 0;
        }
        device->cancel = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
        if (device->cancel == nullptr) {
            const std::string failure = Failure("CreateEvent", ::GetLastError());
            ::CloseHandle(device->file);
            std::lock_guard<std::mutex> hold(lock_);
            openError_ = failure;
            return 0;
        }
        const auto handle = reinterpret_cast<HidHandle>(device.get());
        std::lock_guard<std::mutex> hold(lock_);
        devices_[handle] = std::move(device);
        return handle;
    }

    void CloseDevice(HidHandle handle) override {
        std::unique_ptr<Device> device;
        {
            std::lock_guard<std::mutex> hold(lock_);
            auto it = devices_.find(handle);
            if (it == devices_.end()) return;
            device = std::move(it->second);
            devices_.erase(it);
        }
        ::SetEvent(device->cancel);
        ::CancelIoEx(device->file, nullptr);
        // The system writes into the records until their transfers end, and a
        // Read or Write under way still uses them: the device may go only after
        // that, or never when they will not end.
        auto inUse = [&] {
            return device->busy > 0 || Pending(device->readStarted, device->read) ||
                   Pending(device->writeStarted, device->write);
        };
        for (int i = 0; i < 100 && inUse(); ++i) ::Sleep(10);
        ::CloseHandle(device->file);
        if (inUse()) {
            static_cast<void>(device.release());
            return;
        }
        for (HANDLE event : {device->cancel, device->readDone, device->writeDone})
            if (event != nullptr) ::CloseHandle(event);
    }

    bool GetAttributes(HidHandle handle, std::uint16_t& vendorId,
                       std::uint16_t& productId) override {
        Device* device = Find(handle);
        if (device == nullptr) return false;
        HIDD_ATTRIBUTES attributes{};
        attributes.Size = sizeof attributes;
        if (!::HidD_GetAttributes(device->file, &attributes)) {
            device->Fail(Failure("HidD_GetAttributes", ::GetLastError()));
            return false;
        }
        vendorId = attributes.VendorID;
        productId = attributes.ProductID;
        return true;
    }

    bool GetCaps(HidHandle handle, std::uint16_t& inputLength,
                 std::uint16_t& outputLength) override {
        Device* device = Find(handle);
        if (device == nullptr) return false;
        PHIDP_PREPARSED_DATA preparsed = nullptr;
        if (!::HidD_GetPreparsedData(device->file, &preparsed)) {
            device->Fail(Failure("HidD_GetPreparsedData", ::GetLastError()));
            return false;
        }
        HIDP_CAPS caps{};
        const NTSTATUS status = ::HidP_GetCaps(preparsed, &caps);
        ::HidD_FreePreparsedData(preparsed);
        if (status != HIDP_STATUS_SUCCESS) {
            char text[48];
            std::snprintf(text, sizeof text, "HidP_GetCaps failed: status 0x%08lX",
                          static_cast<unsigned long>(status));
            device->Fail(text);
            return false;
        }
        inputLength = caps.InputReportByteLength;
        outputLength = caps.OutputReportByteLength;
        return true;
    }

    bool GetProductString(HidHandle handle, std::u16string& text) override {
        Device* device = Find(handle);
        if (device == nullptr) return false;
        wchar_t buffer[130] = {};  // 260 bytes
        if (!::HidD_GetIndexedString(device->file, 1, buffer, sizeof buffer)) {
            device->Fail(Failure("HidD_GetIndexedString", ::GetLastError()));
            return false;
        }
        buffer[129] = L'\0';
        text = reinterpret_cast<const char16_t*>(buffer);
        return true;
    }

    HidReadResult Read(HidHandle handle, std::uint8_t* buffer, std::size_t length,
                       std::size_t& bytesRead) override {
        bytesRead = 0;
        Device* device = Find(handle);
        if (device == nullptr) return HidReadResult::Failed;
        BusyScope busy(device->busy);
        // The cancel event stays set, so a cancel that came first is seen here.
        if (::WaitForSingleObject(device->cancel, 0) == WAIT_OBJECT_0)
            return HidReadResult::Cancelled;
        if (!EnsureEvent(device->readDone, kInputEventName)) {
            device->Fail(Failure("CreateEvent", ::GetLastError()));
            return HidReadResult::Failed;
        }
        device->read = OVERLAPPED{};
        device->read.hEvent = device->readDone;
        if (!::ReadFile(device->file, buffer, static_cast<DWORD>(length), nullptr, &device->read) &&
            ::GetLastError() != ERROR_IO_PENDING) {
            device->Fail(Failure("ReadFile", ::GetLastError()));
            return HidReadResult::Failed;
        }
        device->readStarted = true;
        const HANDLE wakers[] = {device->readDone, device->cancel};
        const DWORD woken = ::WaitForMultipleObjects(2, wakers, FALSE, INFINITE);
        if (woken != WAIT_OBJECT_0) ::CancelIoEx(device->file, &device->read);
        // The buffer and the record are the system's until the read has ended.
        DWORD read = 0;
        const BOOL done = ::GetOverlappedResult(device->file, &device->read, &read, TRUE);
        const DWORD error = done ? ERROR_SUCCESS : ::GetLastError();
        device->readStarted = false;
        ::ResetEvent(device->readDone);
        if (woken != WAIT_OBJECT_0) return HidReadResult::Cancelled;
        if (!done) {
            device->Fail(Failure("ReadFile", error));
            return HidReadResult::Failed;
        }
        bytesRead = read;
        return HidReadResult::Report;
    }

    // An event, not CancelIoEx alone: the read to cancel belongs to the reader
    // thread and may not have started yet.
    void CancelRead(HidHandle handle) override {
        if (Device* device = Find(handle)) ::SetEvent(device->cancel);
    }

    bool Write(HidHandle handle, const std::vector<std::uint8_t>& report,
               std::uint32_t timeoutMs) override {
        Device* device = Find(handle);
        if (device == nullptr) return false;
        BusyScope busy(device->busy);
        if (!EnsureEvent(device->writeDone, kOutputEventName)) {
            device->Fail(Failure("CreateEvent", ::GetLastError()));
            return false;
        }
        device->written = report;
        device->write = OVERLAPPED{};
        device->write.hEvent = device->writeDone;
        // A write refused at once never signals its event.
        if (!::WriteFile(device->file, device->written.data(),
                         static_cast<DWORD>(device->written.size()), nullptr, &device->write) &&
            ::GetLastError() != ERROR_IO_PENDING) {
            device->Fail(Failure("WriteFile", ::GetLastError()));
            return false;
        }
        device->writeStarted = true;
        const bool inTime = ::WaitForSingleObject(device->writeDone, timeoutMs) == WAIT_OBJECT_0;
        if (!inTime) ::CancelIoEx(device->file, &device->write);
        // Wait for the write (or its cancellation) to end before the record is reused.
        DWORD written = 0;
        const BOOL done = ::GetOverlappedResult(device->file, &device->write, &written, TRUE);
        const DWORD error = done ? ERROR_SUCCESS : ::GetLastError();
        device->writeStarted = false;
        ::ResetEvent(device->writeDone);
        if (!inTime) {
            device->Fail("WriteFile timed out after " + std::to_string(timeoutMs) + " ms");
            return false;
        }
        if (!done) {
            device->Fail(Failure("WriteFile", error));
            return false;
        }
        if (written != device->written.size()) {
            device->Fail("WriteFile wrote " + std::to_string(written) + " of " +
                         std::to_string(device->written.size()) + " bytes");
            return false;
        }
        return true;
    }

    std::string LastError(HidHandle handle) override {
        if (handle == 0) {
            std::lock_guard<std::mutex> hold(lock_);
            return openError_;
        }
        Device* device = Find(handle);
        return device == nullptr ? std::string() : device->LastError();
    }

private:
    Device* Find(HidHandle handle) {
        std::lock_guard<std::mutex> hold(lock_);
        auto it = devices_.find(handle);
        return it == devices_.end() ? nullptr : it->second.get();
    }

    std::mutex lock_;  // the reader, the writers and the hub thread share the table
    std::map<HidHandle, std::unique_ptr<Device>> devices_;
    std::string openError_;  // under lock_
};

}  // namespace

std::unique_ptr<HidPort> MakeHidPort() { return std::make_unique<WinHid>(); }

// --- USB ---------------------------------------------------------------------

namespace {

// {3ABF6F2D-71C4-462A-8A92-1E6861E6AF27}
constexpr GUID kHostControllerClass = {
    0x3ABF6F2D, 0x71C4, 0x462A, {0x8A, 0x92, 0x1E, 0x68, 0x61, 0xE6, 0xAF, 0x27}};

// The records' layouts are checked in win_layouts.cpp.
constexpr std::size_t kDescriptorData = 1024;
static_assert(sizeof(USB_DESCRIPTOR_REQUEST) + kDescriptorData == 1036);
constexpr USHORT kConfigurationDescriptor = 0x0200;  // type 2, index 0
constexpr USHORT kDescriptorLength = 256;

UsbHandle OpenForControl(const std::string& path) {
    return FromOpened(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
}

bool Control(UsbHandle device, DWORD code, void* in, std::size_t inSize, void* out,
             std::size_t outSize, DWORD& returned) {
    returned = 0;
    return ::DeviceIoControl(ToHandle(device), code, in, static_cast<DWORD>(inSize), out,
                             static_cast<DWORD>(outSize), &returned, nullptr) != 0;
}

// The wide name from `offset` to the end of a record, in the ANSI code page.
bool NameAt(const std::vector<std::uint8_t>& record, std::size_t offset, std::string& name) {
    std::u16string wide;
    for (std::size_t at = offset; at + 1 < record.size(); at += 2) {
        const char16_t c = static_cast<char16_t>(record[at] | (record[at + 1] << 8));
        if (c == u'\0') break;
        wide += c;
    }
    return WinText().WideToAnsi(wide, name);
}

class WinUsb final : public UsbPort {
public:
    UsbHandle OpenHostController(int n) override {
        return OpenForControl("\\\\.\\HCD" + std::to_string(n));
    }

    std::vector<std::string> EnumerateHostControllers() override {
        return InterfacePaths(kHostControllerClass, nullptr, SIZE_MAX);
    }

    UsbHandle OpenPath(const std::string& path, bool isHubName) override {
        return OpenForControl(isHubName ? "\\\\.\\" + path : path);
    }

    void CloseUsb(UsbHandle handle) override { ::CloseHandle(ToHandle(handle)); }

    bool GetRootHubName(UsbHandle controller, std::string& name) override {
        // First the length of the whole record, then the record.
        USB_ROOT_HUB_NAME head{};
        DWORD returned = 0;
        if (!Control(controller, IOCTL_USB_GET_ROOT_HUB_NAME, nullptr, 0, &head, sizeof head,
                     returned) ||
            head.ActualLength <= sizeof head.ActualLength)
            return false;
        std::vector<std::uint8_t> record(head.ActualLength, 0);
        if (!Control(controller, IOCTL_USB_GET_ROOT_HUB_NAME, nullptr, 0, record.data(),
                     record.size(), returned))
            return false;
        const auto* full = reinterpret_cast<const USB_ROOT_HUB_NAME*>(record.data());
        if (full->ActualLength > record.size()) return false;
        return NameAt(record, offsetof(USB_ROOT_HUB_NAME, RootHubName), name);
    }

    bool GetPortCount(UsbHandle hub, int& ports) override {
        USB_NODE_INFORMATION node{};
        DWORD returned = 0;
        if (!Control(hub, IOCTL_USB_GET_NODE_INFORMATION, &node, sizeof node, &node, sizeof node,
                     returned))
            return false;
        ports = node.u.HubInformation.HubDescriptor.bNumberOfPorts;
        return true;
    }

    bool GetConnection(UsbHandle hub, int port, UsbConnection& connection) override {
        USB_NODE_CONNECTION_INFORMATION info{};
        info.ConnectionIndex = static_cast<ULONG>(port);
        DWORD returned = 0;
        if (!Control(hub, IOCTL_USB_GET_NODE_CONNECTION_INFORMATION, &info, sizeof info, &info,
                     sizeof info, returned))
            return false;
        connection.isHub = info.DeviceIsHub != 0;
        connection.status = static_cast<std::uint32_t>(info.ConnectionStatus);
        connection.vendorId = info.DeviceDescriptor.idVendor;
        connection.productId = info.DeviceDescriptor.idProduct;
        return true;
    }

    bool GetConnectionName(UsbHandle hub, int port, std::string& name) override {
        USB_NODE_CONNECTION_NAME head{};
        head.ConnectionIndex = static_cast<ULONG>(port);
        DWORD returned = 0;
        if (!Control(hub, IOCTL_USB_GET_NODE_CONNECTION_NAME, &head, sizeof head, &head,
                     sizeof head, returned) ||
            head.ActualLength <= sizeof head)
            return false;
        std::vector<std::uint8_t> record(head.ActualLength, 0);
        auto* full = reinterpret_cast<USB_NODE_CONNECTION_NAME*>(record.data());
        full->ConnectionIndex = static_cast<ULONG>(port);
        if (!Control(hub, IOCTL_USB_GET_NODE_CONNECTION_NAME, full, record.size(), full,
                     record.size(), returned) ||
            full->ActualLength > record.size())
            return false;
        return NameAt(record, offsetof(USB_NODE_CONNECTION_NAME, NodeName), name);
    }

    bool GetConfigurationDescriptor(UsbHandle hub, int port,
                                    std::vector<std::uint8_t>& bytes) override {
        std::vector<std::uint8_t> record(sizeof(USB_DESCRIPTOR_REQUEST) + kDescriptorData, 0);
        auto* request = reinterpret_cast<USB_DESCRIPTOR_REQUEST*>(record.data());
        request->ConnectionIndex = static_cast<ULONG>(port);
        request->SetupPacket.bmRequest = 0x80;  // device to host, standard, device
        request->SetupPacket.bRequest = USB_REQUEST_GET_DESCRIPTOR;
        request->SetupPacket.wValue = kConfigurationDescriptor;
        request->SetupPacket.wIndex = 0;
        request->SetupPacket.wLength = kDescriptorLength;
        DWORD returned = 0;
        if (!Control(hub, IOCTL_USB_GET_DESCRIPTOR_FROM_NODE_CONNECTION, record.data(),
                     record.size(), record.data(), record.size(), returned) ||
            returned < sizeof(USB_DESCRIPTOR_REQUEST) || returned > record.size())
            return false;
        bytes.assign(record.begin() + sizeof(USB_DESCRIPTOR_REQUEST), record.begin() + returned);
        return true;
    }
};

}  // namespace

std::unique_ptr<UsbPort> MakeUsbPort() { return std::make_unique<WinUsb>(); }

// --- Audio device interfaces ---------------------------------------------------

namespace {

// {1464EDA5-6A8F-11D1-9AA7-00A0C9223196}
constexpr GUID kGeneralPropertySet = {
    0x1464EDA5, 0x6A8F, 0x11D1, {0x9A, 0xA7, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};
constexpr ULONG kComponentIdProperty = 0;
constexpr ULONG kPropertyGet = 0x00000001;
constexpr DWORD kKsPropertyControl = CTL_CODE(0x0000002F, 0x000, METHOD_NEITHER, FILE_ANY_ACCESS);

// KSPROPERTY, the request of a kernel-streaming property.
struct KsProperty {
    GUID set;
    ULONG id;
    ULONG flags;
};
static_assert(sizeof(KsProperty) == 24);

// KSCOMPONENTID: manufacturer, product, component and name GUIDs, version, revision.
constexpr std::size_t kComponentIdSize = 72;
constexpr std::size_t kNameGuidOffset = 48;

class WinEndpoints final : public AudioEndpointPort {
public:
    std::vector<std::vector<std::string>> EnumerateCategory(const Guid& category, int maxDevices,
                                                            int maxInterfaces) override {
        std::vector<std::vector<std::string>> devices;
        const GUID categoryGuid = ToGUID(category);
        HDEVINFO all = ::SetupDiGetClassDevsA(&categoryGuid, nullptr, nullptr, kPresentInterfaces);
        if (all == INVALID_HANDLE_VALUE) return devices;
        for (DWORD index = 0; static_cast<int>(index) < maxDevices; ++index) {
            SP_DEVINFO_DATA device{};
            device.cbSize = sizeof device;
            if (!::SetupDiEnumDeviceInfo(all, index, &device)) break;
            devices.emplace_back();
            char instance[MAX_DEVICE_ID_LEN] = {};
            if (!::SetupDiGetDeviceInstanceIdA(all, &device, instance, sizeof instance, nullptr))
                continue;
            devices.back() = InterfacePaths(categoryGuid, instance,
                                            static_cast<std::size_t>(std::max(maxInterfaces, 0)));
        }
        ::SetupDiDestroyDeviceInfoList(all);
        return devices;
    }

    ComponentIdResult QueryComponentName(const std::string& path, Guid& nameGuid) override {
        HANDLE device =
            ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, 0, nullptr);
        if (device == INVALID_HANDLE_VALUE) return ComponentIdResult::OpenFailed;
        KsProperty property{kGeneralPropertySet, kComponentIdProperty, kPropertyGet};
        std::uint8_t reply[kComponentIdSize] = {};
        DWORD returned = 0;
        const BOOL read = ::DeviceIoControl(device, kKsPropertyControl, &property, sizeof property,
                                            reply, sizeof reply, &returned, nullptr);
        ::CloseHandle(device);
        if (!read || returned < kNameGuidOffset + sizeof(GUID)) return ComponentIdResult::NotRead;
        GUID name;
        std::memcpy(&name, reply + kNameGuidOffset, sizeof name);
        nameGuid = FromGUID(name);
        return ComponentIdResult::Read;
    }
};

}  // namespace

std::unique_ptr<AudioEndpointPort> MakeAudioEndpointPort() {
    return std::make_unique<WinEndpoints>();
}

}  // namespace calvox::win32
