// The device ports in this process, against what Wine offers: its two virtual
// HID devices (vid 845E, a mouse and a keyboard, no output reports), no USB
// host controllers, no kernel-streaming audio interfaces, no driver object.
#include <gtest/gtest.h>

#include <atomic>
#include <cctype>

#include "handset/handset_device.h"
#include "handset/usb_walk.h"
#include "sound/driver_wave_player.h"
#include "win32/win_platform.h"
#include "wine_support.h"

namespace wine_test {
namespace {

using namespace calvox;
using namespace calvox::win32;

constexpr std::uint16_t kWineVendor = 0x845E;

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Wine's HID interfaces, which every test here relies on.
std::vector<std::string> WineHidPaths(HidPort& hid) {
    std::vector<std::string> paths = hid.EnumerateHidInterfaces();
    EXPECT_GE(paths.size(), 2u);
    for (const std::string& path : paths)
        EXPECT_NE(Lower(path).find("vid_845e"), std::string::npos) << path;
    return paths;
}

TEST(HidPort, EnumeratesWineDevicesAndReadsTheirAttributesAndCaps) {
    const std::unique_ptr<HidPort> hidPort = MakeHidPort();
    HidPort& hid = *hidPort;
    for (const std::string& path : WineHidPaths(hid)) {
        SCOPED_TRACE(path);
        HidHandle handle = hid.OpenDevice(path);
        ASSERT_NE(handle, 0u);
        std::uint16_t vendor = 0, product = 0, input = 0, output = 0xFFFF;
        ASSERT_TRUE(hid.GetAttributes(handle, vendor, product));
        EXPECT_EQ(vendor, kWineVendor);
        EXPECT_NE(Lower(path).find(Lower(DeviceIdText(vendor, product))), std::string::npos);
        ASSERT_TRUE(hid.GetCaps(handle, input, output));
        EXPECT_GT(input, 0u);
        EXPECT_EQ(output, 0u);
        // Wine's devices have no string descriptor 1; asking must not harm.
        std::u16string productText;
        hid.GetProductString(handle, productText);
        hid.CloseDevice(handle);
    }
    EXPECT_EQ(hid.OpenDevice("\\\\?\\hid#no_such_device#0#{4d1e55b2-f16f-11cf-88cb-001111000030}"),
              0u);
}

// A read on a thread of its own; `result` holds how it ended.
struct ReaderThread {
    ReaderThread(HidPort& port, ThreadPort& workers, HidHandle device, std::size_t length)
        : hid(port), threads(workers), buffer(length, 0xEE) {
        thread = threads.StartThread("reader", [this, device] {
            std::size_t bytes = 0;
            result = hid.Read(device, buffer.data(), buffer.size(), bytes);
            finished = true;
        });
    }
    bool Join() {
        const bool joined = threads.JoinThread(thread, 2000);
        if (joined)
            threads.CloseThread(thread);
        else
            threads.AbandonThread(thread);
        return joined;
    }
    HidPort& hid;
    ThreadPort& threads;
    std::vector<std::uint8_t> buffer;
    std::atomic<bool> finished{false};
    std::atomic<HidReadResult> result{HidReadResult::Report};
    ThreadHandle thread = 0;
};

TEST(HidPort, ReadPendingOnOneThreadIsCancelledFromAnother) {
    const std::unique_ptr<HidPort> hidPort = MakeHidPort();
    HidPort& hid = *hidPort;
    const std::unique_ptr<ThreadPort> threadsPort = MakeThreadPort();
    ThreadPort& threads = *threadsPort;
    std::vector<std::string> paths = WineHidPaths(hid);
    ASSERT_FALSE(paths.empty());
    HidHandle handle = hid.OpenDevice(paths[0]);
    ASSERT_NE(handle, 0u);
    std::uint16_t input = 0, output = 0;
    ASSERT_TRUE(hid.GetCaps(handle, input, output));

    ReaderThread reader(hid, threads, handle, input);
    ASSERT_NE(reader.thread, 0u);
    Sleep(200);
    EXPECT_FALSE(reader.finished)
        << "nothing moves Wine's mouse, so the read must still be pending";
    hid.CancelRead(handle);
    EXPECT_TRUE(reader.Join()) << "the cancel did not reach the reader's read";
    EXPECT_EQ(reader.result, HidReadResult::Cancelled);

    // The cancel holds: a read that begins after it ends at once.
    std::vector<std::uint8_t> buffer(input, 0);
    std::size_t bytes = 0;
    DWORD start = GetTickCount();
    EXPECT_EQ(hid.Read(handle, buffer.data(), buffer.size(), bytes), HidReadResult::Cancelled);
    EXPECT_LT(GetTickCount() - start, 100u);
    hid.CloseDevice(handle);

    // A read under way when its device closes ends before the device goes.
    HidHandle closing = hid.OpenDevice(paths[0]);
    ASSERT_NE(closing, 0u);
    ReaderThread closed(hid, threads, closing, input);
    Sleep(100);
    hid.CloseDevice(closing);
    EXPECT_TRUE(closed.Join());
    EXPECT_EQ(closed.result, HidReadResult::Cancelled);
}

TEST(HidPort, WriteRefusedAtOnceFailsWithoutWaitingAndSaysWhy) {
    const std::unique_ptr<HidPort> hidPort = MakeHidPort();
    HidPort& hid = *hidPort;
    std::vector<std::string> paths = WineHidPaths(hid);
    ASSERT_FALSE(paths.empty());
    HidHandle handle = hid.OpenDevice(paths[0]);
    ASSERT_NE(handle, 0u);

    // Wine's devices take no output report: WriteFile fails before any I/O
    // starts, and no completion will ever signal.
    DWORD start = GetTickCount();
    EXPECT_FALSE(hid.Write(handle, {0, 0x40, 0x9F, 0, 0}, 100));
    EXPECT_LT(GetTickCount() - start, 100u);
    EXPECT_EQ(hid.LastError(handle).rfind("WriteFile failed: error ", 0), 0u)
        << hid.LastError(handle);
    EXPECT_FALSE(hid.Write(hid.OpenDevice("\\\\?\\none"), {0, 0x40, 0x9F, 0, 0}, 100));
    EXPECT_EQ(hid.LastError(0).rfind("CreateFile failed: error ", 0), 0u) << hid.LastError(0);
    hid.CloseDevice(handle);
}

// A pipe nobody reads stands for a device that never takes its report: the
// write is cancelled at its time limit and the device stays usable.
TEST(HidPort, WriteNotCompletedInTimeIsCancelled) {
    const char* name = "\\\\.\\pipe\\calvox-stalled-write";
    HANDLE server = CreateNamedPipeA(name, PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                     PIPE_TYPE_BYTE | PIPE_WAIT, 1, 16, 16, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    const std::unique_ptr<HidPort> hidPort = MakeHidPort();
    HidPort& hid = *hidPort;
    const std::unique_ptr<ThreadPort> threadsPort = MakeThreadPort();
    ThreadPort& threads = *threadsPort;
    HidHandle handle = hid.OpenDevice(name);
    ASSERT_NE(handle, 0u) << hid.LastError(0);

    std::atomic<bool> written{true};
    std::atomic<DWORD> elapsed{0};
    ThreadHandle writer = threads.StartThread("writer", [&] {
        const DWORD start = GetTickCount();
        written = hid.Write(handle, std::vector<std::uint8_t>(1 << 20, 0x55), 100);
        elapsed = GetTickCount() - start;
    });
    const bool joined = threads.JoinThread(writer, 3000);
    if (!joined) threads.AbandonThread(writer);
    ASSERT_TRUE(joined) << "the cancelled write never ended";
    threads.CloseThread(writer);
    EXPECT_FALSE(written);
    EXPECT_GE(elapsed, 90u);
    EXPECT_LT(elapsed, 1000u);
    EXPECT_EQ(hid.LastError(handle), "WriteFile timed out after 100 ms");
    hid.CloseDevice(handle);
    CloseHandle(server);
}

TEST(HidPort, HandsetChannelOnWinesKeyboardEndsItsReaderPromptly) {
    WinPlatform platform;
    HandsetDevice device(platform.ports);
    HidPort& hid = *platform.hid;
    std::vector<std::string> paths = WineHidPaths(hid);
    ASSERT_FALSE(paths.empty());
    HidHandle probe = hid.OpenDevice(paths.back());
    ASSERT_NE(probe, 0u);
    std::uint16_t vendor = 0, product = 0;
    ASSERT_TRUE(hid.GetAttributes(probe, vendor, product));
    hid.CloseDevice(probe);

    std::string found;
    ASSERT_TRUE(device.FindDevice(vendor, product, 0xFFFF, 0xFFFF, found));
    EXPECT_EQ(found, paths.back());
    EXPECT_FALSE(device.FindDevice(0x1234, 0x5678, 0xFFFF, 0xFFFF, found));

    // Opened as if it were a handset: the reader waits on a read that never
    // completes, so only the cross-thread cancel can end it within the limit.
    ASSERT_TRUE(device.Open(vendor, product, kDeviceKindHandset));
    EXPECT_TRUE(device.IsFound());
    EXPECT_GT(device.InputLength(), 0u);
    EXPECT_EQ(device.OutputLength(), 0u);
    Sleep(100);
    DWORD start = GetTickCount();
    device.Close();
    EXPECT_LT(GetTickCount() - start, kThreadStopLimitMs) << "the reader was ended by force";
    EXPECT_FALSE(device.IsFound());
}

TEST(UsbPort, WineHasNoHostControllersSoTheWalkFindsNothing) {
    WinPlatform platform;
    for (int n = 0; n < 10; ++n) EXPECT_EQ(platform.usb->OpenHostController(n), 0u) << n;
    EXPECT_TRUE(platform.usb->EnumerateHostControllers().empty());
    EXPECT_EQ(
        platform.usb->OpenPath("ROOT_HUB20#4&1&0#{f18a0e88-c30c-11d0-8815-00a0c906bed8}", true),
        0u);
    UsbDeviceList list;
    list.Walk(platform.ports);
    EXPECT_TRUE(list.Entries().empty());

    // The controls fail cleanly on a handle that is no USB node.
    HANDLE file = CreateFileA(platform.files->GetModuleFileName().c_str(), GENERIC_READ,
                              FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    auto notUsb = reinterpret_cast<UsbHandle>(file);
    std::string name = "unchanged";
    int ports = -1;
    UsbConnection connection;
    std::vector<std::uint8_t> descriptors;
    EXPECT_FALSE(platform.usb->GetRootHubName(notUsb, name));
    EXPECT_FALSE(platform.usb->GetPortCount(notUsb, ports));
    EXPECT_FALSE(platform.usb->GetConnection(notUsb, 1, connection));
    EXPECT_FALSE(platform.usb->GetConnectionName(notUsb, 1, name));
    EXPECT_FALSE(platform.usb->GetConfigurationDescriptor(notUsb, 1, descriptors));
    EXPECT_EQ(name, "unchanged");
    EXPECT_EQ(ports, -1);
    platform.usb->CloseUsb(notUsb);
}

TEST(AudioEndpointPort, NoRenderInterfacesAndComponentIdOutcomes) {
    WinPlatform platform;
    EXPECT_TRUE(platform.endpoints->EnumerateCategory(kRenderCategory, 16, 16).empty());
    // The HID class does have devices: each comes with its own interface.
    std::vector<std::vector<std::string>> hidDevices =
        platform.endpoints->EnumerateCategory(platform.hid->GetHidGuid(), 16, 16);
    std::vector<std::string> hidPaths;
    for (const auto& interfaces : hidDevices) {
        EXPECT_EQ(interfaces.size(), 1u);
        hidPaths.insert(hidPaths.end(), interfaces.begin(), interfaces.end());
    }
    EXPECT_EQ(hidPaths, platform.hid->EnumerateHidInterfaces());
    EXPECT_EQ(platform.endpoints->EnumerateCategory(platform.hid->GetHidGuid(), 1, 16).size(), 1u);
    for (const auto& none :
         platform.endpoints->EnumerateCategory(platform.hid->GetHidGuid(), 16, 0))
        EXPECT_TRUE(none.empty());

    Guid name{};
    EXPECT_EQ(platform.endpoints->QueryComponentName("\\\\?\\no#such#device", name),
              ComponentIdResult::OpenFailed);
    // It opens, but it is no kernel-streaming filter.
    ASSERT_FALSE(hidPaths.empty());
    EXPECT_EQ(platform.endpoints->QueryComponentName(hidPaths[0], name),
              ComponentIdResult::NotRead);
    EXPECT_EQ(name, Guid{});

    std::string endpoint;
    EXPECT_FALSE(
        FindAudioEndpointName(platform.ports, kRenderCategory, "VID_845E&PID_0001", endpoint));
}

// An object shaped as the driver's: IUnknown, then Set and Get.
class FakeDriverControl : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    virtual int STDMETHODCALLTYPE Set(ULONG property, void* block, ULONG size) {
        calls.push_back({'S', property, block, size});
        return setResult;
    }
    virtual int STDMETHODCALLTYPE Get(ULONG property, void* block, ULONG size) {
        calls.push_back({'G', property, block, size});
        static_cast<std::uint8_t*>(block)[8] = 0x2A;
        return 1;
    }

    struct Call {
        char method;
        ULONG property;
        void* block;
        ULONG size;
    };
    std::vector<Call> calls;
    ULONG references = 1;
    int setResult = 1;
};

TEST(DriverPort, UnregisteredClassIsNotCreatedAndCallsGoThroughTheVtable) {
    WinPlatform platform;
    DriverPort& driver = *platform.driver;
    ASSERT_TRUE(driver.InitializeCom());
    void* object = nullptr;
    EXPECT_EQ(CoCreateInstance(ToGUID(kDriverClassId), nullptr, CLSCTX_INPROC_SERVER,
                               ToGUID(kDriverInterfaceId), &object),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(driver.Create(kDriverClassId, kDriverInterfaceId), 0u);

    FakeDriverControl fake;
    auto handle = reinterpret_cast<DriverObject>(static_cast<IUnknown*>(&fake));
    DriverCommand block{};
    fake.setResult = 7;
    EXPECT_EQ(driver.Set(handle, kDriverProperty, block.data(), kDriverCommandSize), 7);
    EXPECT_EQ(driver.Get(handle, kDriverProperty, block.data(), kDriverCommandSize), 1);
    ASSERT_EQ(fake.calls.size(), 2u);
    EXPECT_EQ(fake.calls[0].method, 'S');
    EXPECT_EQ(fake.calls[1].method, 'G');
    for (const auto& call : fake.calls) {
        EXPECT_EQ(call.property, kDriverProperty);
        EXPECT_EQ(call.block, block.data());
        EXPECT_EQ(call.size, kDriverCommandSize);
    }
    EXPECT_EQ(block[8], 0x2A);
    driver.ReleaseObject(handle);
    EXPECT_EQ(fake.references, 0u);
    driver.UninitializeCom();

    // Without the driver the player stays absent, and COM is left as it was.
    HubWindow hub(platform.ports.window, platform.ports.clock);
    DriverWavePlayer player(platform.ports, hub);
    player.Create();
    EXPECT_FALSE(player.IsPresent());
    EXPECT_EQ(CoInitialize(nullptr), S_OK) << "Create left COM initialised";
    CoUninitialize();
}

}  // namespace
}  // namespace wine_test
