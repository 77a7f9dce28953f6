#include "sim/virtual_handset.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "support/sim_platform.h"

namespace calvox::sim {
namespace {

// Interface classes met walking the descriptors by their length bytes; fails
// the test when a descriptor runs past the bytes returned.
std::vector<int> InterfaceClasses(const std::vector<std::uint8_t>& d) {
    std::vector<int> classes;
    for (std::size_t at = 0; at < d.size() && d[at] != 0; at += d[at]) {
        if (at + 1 < d.size() && d[1 + at] == 4 && at + 5 < d.size()) classes.push_back(d[at + 5]);
        if (at + d[at] > d.size()) {
            EXPECT_GE(d.size(), 256u) << "only the 256-byte cut may split a descriptor";
            break;
        }
    }
    return classes;
}

TEST(HandsetDescriptor, HeaderCarriesTotalAndInterfaceCount) {
    HandsetSpec spec;
    spec.totalLength = 0x1C8;
    spec.interfaces = 4;
    const auto d = ConfigurationDescriptor(spec);
    ASSERT_GE(d.size(), 9u);
    EXPECT_EQ(d[0], 9);
    EXPECT_EQ(d[1], 2);
    EXPECT_EQ(d[2] | d[3] << 8, 0x1C8);
    EXPECT_EQ(d[4], 4);
}

TEST(HandsetDescriptor, LengthIsTotalUpTo256WithAudioAndHidInterfaces) {
    for (unsigned total : {104u, 105u, 106u, 110u, 144u, 200u, 253u, 256u, 340u, 512u, 65535u}) {
        HandsetSpec spec;
        spec.totalLength = static_cast<std::uint16_t>(total);
        const auto d = ConfigurationDescriptor(spec);
        EXPECT_EQ(d.size(), std::min(total, 256u)) << total;
        const auto classes = InterfaceClasses(d);
        EXPECT_TRUE(std::count(classes.begin(), classes.end(), 1) >= 1) << total;
        EXPECT_TRUE(std::count(classes.begin(), classes.end(), 3) >= 1) << total;
        EXPECT_EQ(d[2] | d[3] << 8, static_cast<int>(total));
    }
    HandsetSpec tiny;
    tiny.totalLength = 20;  // the device sends only what it claims
    EXPECT_EQ(ConfigurationDescriptor(tiny).size(), 20u);
}

TEST(HandsetSpecOptions, DefaultsAndEveryOption) {
    const HandsetSpec plain = HandsetSpecFromOptions({});
    EXPECT_EQ(plain.vid, kDefaultDeviceVid);
    EXPECT_EQ(plain.pid, 0x000E);
    EXPECT_EQ(plain.product, u"USB Handset");
    EXPECT_EQ(plain.mcu, 0x80);
    EXPECT_EQ(plain.audio, "USB Audio Device");
    EXPECT_EQ(plain.inputLength, 5);
    EXPECT_EQ(plain.outputLength, 5);
    EXPECT_EQ(plain.totalLength, 200);
    EXPECT_EQ(plain.interfaces, 3);

    const HandsetSpec s = HandsetSpecFromOptions({{"vid=abCD"},
                                                  {"pid=0x0010"},
                                                  {"product=Desk \xC3\xA9 Set", true},
                                                  {"mcu=81"},
                                                  {"audio=Caf\xC3\xA9 Audio", true},
                                                  {"in=8"},
                                                  {"out=0x7"},
                                                  {"total=144"},
                                                  {"interfaces=4"}});
    EXPECT_EQ(s.vid, 0xABCD);
    EXPECT_EQ(s.pid, 0x10);
    EXPECT_EQ(s.product, u"Desk \u00e9 Set");
    EXPECT_EQ(s.mcu, 0x81);
    EXPECT_EQ(s.audio, "Caf\xE9 Audio");  // code page 1252
    EXPECT_EQ(s.inputLength, 8);
    EXPECT_EQ(s.outputLength, 7);
    EXPECT_EQ(s.totalLength, 144);
    EXPECT_EQ(s.interfaces, 4);
    EXPECT_FALSE(HandsetSpecFromOptions({{"mcu=none"}}).mcu);
}

// The handsets with a recording host and a scheduler of their own.
struct Bench {
    std::vector<std::string> trace;
    bool traceWrites = true;
    std::int64_t now = 0;
    Scheduler scheduler{now};
    VirtualHandsets handsets{
        scheduler,
        HandsetHost{
            [this](const std::string& line) { trace.push_back(line); },
            [this] { return traceWrites; },
            [this](EventHandle e, std::uint32_t ms) { return scheduler.WaitEvent(e, ms); },
        }};

    HidHandle Open(int i) { return handsets.OpenDevice(handsets.HidPath(i)); }
    bool Write(HidHandle h, const std::vector<std::uint8_t>& report) {
        return handsets.Write(h, report, 100);
    }
    // A read on the test's own thread, where nothing may wait: it takes a
    // queued report or fails.
    std::vector<std::uint8_t> Read(HidHandle h, HidReadResult& result, std::size_t room = 16) {
        std::vector<std::uint8_t> buffer(room, 0xEE);
        std::size_t n = 0;
        result = handsets.Read(h, buffer.data(), buffer.size(), n);
        buffer.resize(n);
        return buffer;
    }
};

// A read on a worker, which waits until the read ends.
struct WorkerRead {
    WorkerRead(Bench& bench, HidHandle h, std::size_t room = 16) : b(bench), buffer(room, 0xEE) {
        b.scheduler.StartThread("reader", [this, h] {
            result = b.handsets.Read(h, buffer.data(), buffer.size(), n);
            ended = true;
        });
        b.scheduler.RunReady();
    }
    bool Ended() {
        b.scheduler.RunReady();
        return ended;
    }
    Bench& b;
    std::vector<std::uint8_t> buffer;
    HidReadResult result = HidReadResult::Failed;
    std::size_t n = 0;
    bool ended = false;
};

TEST(HandsetHid, ProbeIsAnsweredWithTheMcuCodeOnTheReader) {
    Bench b;
    HandsetSpec spec;
    spec.mcu = 0x81;
    b.handsets.Add(spec);
    const HidHandle h = b.Open(0);
    ASSERT_NE(h, 0u);
    EXPECT_TRUE(b.Write(h, {0, 0x40, 0x9f, 0, 0}));
    EXPECT_EQ(b.trace, (std::vector<std::string>{"hid< 40 9f 00 00"}));
    HidReadResult result = HidReadResult::Failed;
    EXPECT_EQ(b.Read(h, result), (std::vector<std::uint8_t>{0, 0x40, 0x81, 0, 0}));
    EXPECT_EQ(result, HidReadResult::Report);
}

TEST(HandsetHid, OnlyTheExactProbeIsAnsweredAndNeverWithoutMcu) {
    for (auto report : std::vector<std::vector<std::uint8_t>>{{0, 0x60, 0x9f, 0, 0},
                                                              {0, 0x40, 0x9e, 0, 0},
                                                              {0, 0x40, 0x9f, 0, 1},
                                                              {0, 0x40, 0x9f}}) {
        Bench b;
        b.handsets.Add({});
        const HidHandle h = b.Open(0);
        b.Write(h, report);
        HidReadResult result = HidReadResult::Report;
        b.Read(h, result);
        EXPECT_EQ(result, HidReadResult::Failed) << "no report came";
    }
    Bench b;
    HandsetSpec spec;
    spec.mcu.reset();
    b.handsets.Add(spec);
    const HidHandle h = b.Open(0);
    b.Write(h, {0, 0x40, 0x9f, 0, 0});
    HidReadResult result = HidReadResult::Report;
    b.Read(h, result);
    EXPECT_EQ(result, HidReadResult::Failed);
}

TEST(HandsetHid, ReportsReachEveryOpenHandleOfTheHandsetInUse) {
    Bench b;
    b.handsets.Add({});
    HandsetSpec wide;
    wide.inputLength = 8;
    b.handsets.Add(wide);
    EXPECT_EQ(b.handsets.InUse(), -1);
    b.handsets.SendReport(1, {1, 2, 3, 4});  // nobody has it open: lost

    const HidHandle reader = b.Open(1), writer = b.Open(1);
    EXPECT_EQ(b.handsets.InUse(), 1);
    WorkerRead read(b, reader);
    EXPECT_FALSE(read.Ended()) << "the read waits for a report";
    b.handsets.SendReport(1, {0x40, 0xc1, 0x07, 0x00});
    ASSERT_TRUE(read.Ended());
    ASSERT_EQ(read.result, HidReadResult::Report);
    EXPECT_EQ(std::vector<std::uint8_t>(read.buffer.begin(),
                                        read.buffer.begin() + static_cast<long>(read.n)),
              (std::vector<std::uint8_t>{0, 0x40, 0xc1, 0x07, 0, 0, 0, 0}));
    EXPECT_EQ(read.buffer[8], 0xEE);

    // The other handle kept its own copy, and a short buffer takes what fits.
    HidReadResult result = HidReadResult::Failed;
    EXPECT_EQ(b.Read(writer, result, 3), (std::vector<std::uint8_t>{0, 0x40, 0xc1}));
    EXPECT_EQ(result, HidReadResult::Report);
    b.Read(writer, result);
    EXPECT_EQ(result, HidReadResult::Failed) << "nothing more was queued";
}

TEST(HandsetHid, QueuedReportsComeInOrderAndTheOldestAreDropped) {
    Bench b;
    b.handsets.Add({});
    const HidHandle h = b.Open(0);
    for (int i = 0; i < 40; ++i) b.handsets.SendReport(0, {static_cast<std::uint8_t>(i), 0, 0, 0});
    HidReadResult result = HidReadResult::Failed;
    EXPECT_EQ(b.Read(h, result)[1], 8);
    EXPECT_EQ(b.Read(h, result)[1], 9);
}

TEST(HandsetHid, RemovalFailsTransfersAndKillsOldHandles) {
    Bench b;
    b.handsets.Add({});
    const HidHandle h = b.Open(0);
    WorkerRead read(b, h, 8);
    b.handsets.Unplug(0);
    ASSERT_TRUE(read.Ended()) << "the pending read completes";
    EXPECT_EQ(read.result, HidReadResult::Failed);
    EXPECT_EQ(b.handsets.LastError(h), "ReadFile failed: error 1167");

    EXPECT_FALSE(b.Write(h, {0, 0x40, 0x9f, 0, 0}));
    EXPECT_EQ(b.trace.back(), "hid< 40 9f 00 00 failed");
    EXPECT_EQ(b.now, 0) << "a failed write does not keep the writer waiting";
    EXPECT_EQ(b.handsets.LastError(h), "WriteFile failed: error 1167");

    HidReadResult result = HidReadResult::Report;
    b.Read(h, result);
    EXPECT_EQ(result, HidReadResult::Failed) << "a read on a removed device fails at once";
    b.handsets.SendReport(0, {1, 2, 3, 4});
    EXPECT_TRUE(b.handsets.EnumerateHidInterfaces().empty());
    EXPECT_EQ(b.handsets.OpenDevice(b.handsets.HidPath(0)), 0u);
    EXPECT_EQ(b.handsets.LastError(0), "CreateFile failed: error 2");

    b.handsets.Plug(0);
    std::uint16_t vid = 0, pid = 0;
    EXPECT_FALSE(b.handsets.GetAttributes(h, vid, pid)) << "a handle of the removed device";
    const HidHandle fresh = b.Open(0);
    EXPECT_TRUE(b.handsets.GetAttributes(fresh, vid, pid));
}

// A cancel ends the read under way and every later one, whenever it comes,
// even with a report waiting; closing the handle fails its read.
TEST(HandsetHid, CancelIsNeverLostAndCloseFailsAPendingRead) {
    enum class When { BeforeTheRead, DuringTheRead, WithAReportQueued };
    for (const When when : {When::BeforeTheRead, When::DuringTheRead, When::WithAReportQueued}) {
        Bench b;
        b.handsets.Add({});
        const HidHandle h = b.Open(0);
        if (when == When::WithAReportQueued) b.handsets.SendReport(0, {1, 2, 3, 4});
        if (when != When::DuringTheRead) b.handsets.CancelRead(h);
        WorkerRead read(b, h, 8);
        if (when == When::DuringTheRead) b.handsets.CancelRead(h);
        ASSERT_TRUE(read.Ended()) << static_cast<int>(when);
        EXPECT_EQ(read.result, HidReadResult::Cancelled) << static_cast<int>(when);
        HidReadResult again = HidReadResult::Report;
        b.handsets.SendReport(0, {1, 2, 3, 4});
        b.Read(h, again);
        EXPECT_EQ(again, HidReadResult::Cancelled) << static_cast<int>(when);
    }
    Bench b;
    b.handsets.Add({});
    const HidHandle h = b.Open(0);
    WorkerRead read(b, h, 8);
    b.handsets.CloseDevice(h);
    ASSERT_TRUE(read.Ended());
    EXPECT_EQ(read.result, HidReadResult::Failed);
    b.handsets.SendReport(0, {1, 2, 3, 4});
    EXPECT_FALSE(b.Write(h, {0, 0x40, 0x9f, 0, 0})) << "a closed handle";
}

TEST(HandsetHid, EnumerationAttributesCapsAndProductString) {
    Bench b;
    HandsetSpec first, second;
    first.vid = 0x2bc7;
    second.vid = 0x1234;
    second.pid = 0xabcd;
    second.inputLength = 8;
    second.outputLength = 6;
    second.product = u"Zorvik USB Headphone Set";
    b.handsets.Add(first);
    b.handsets.Add(second);
    const auto paths = b.handsets.EnumerateHidInterfaces();
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_NE(paths[0].find("VID_2BC7&PID_000E"), std::string::npos);
    EXPECT_NE(paths[1].find("VID_1234&PID_ABCD"), std::string::npos);

    std::string lower = paths[1];
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const HidHandle h = b.handsets.OpenDevice(lower);  // paths compare without case
    std::uint16_t vid = 0, pid = 0, in = 0, out = 0;
    ASSERT_TRUE(b.handsets.GetAttributes(h, vid, pid));
    EXPECT_EQ(vid, 0x1234);
    EXPECT_EQ(pid, 0xabcd);
    ASSERT_TRUE(b.handsets.GetCaps(h, in, out));
    EXPECT_EQ(in, 8);
    EXPECT_EQ(out, 6);
    std::u16string product;
    ASSERT_TRUE(b.handsets.GetProductString(h, product));
    EXPECT_EQ(product, u"Zorvik USB Headphone Set");
    EXPECT_EQ(b.handsets.OpenDevice("\\\\?\\HID#VID_9999&PID_0001"), 0u);
}

TEST(HandsetHid, WritesOffTheTraceAreStillAnswered) {
    Bench b;
    b.handsets.Add({});
    const HidHandle h = b.Open(0);
    b.traceWrites = false;
    EXPECT_TRUE(b.Write(h, {0, 0x40, 0x9f, 0, 0}));
    EXPECT_TRUE(b.trace.empty());
    HidReadResult result = HidReadResult::Failed;
    b.Read(h, result);
    EXPECT_EQ(result, HidReadResult::Report);
}

TEST(HandsetUsb, RootHubWithOnePortPerHandset) {
    Bench b;
    HandsetSpec second;
    second.vid = 0x1234;
    second.totalLength = 144;
    b.handsets.Add({});
    b.handsets.Add(second);
    EXPECT_EQ(b.handsets.OpenHostController(1), 0u);
    const UsbHandle hcd = b.handsets.OpenHostController(0);
    ASSERT_NE(hcd, 0u);
    std::string hubName;
    ASSERT_TRUE(b.handsets.GetRootHubName(hcd, hubName));
    EXPECT_EQ(b.handsets.OpenPath(hubName, false), 0u) << "a hub name opens as a hub";
    const UsbHandle hub = b.handsets.OpenPath(hubName, true);
    int ports = 0;
    ASSERT_TRUE(b.handsets.GetPortCount(hub, ports));
    EXPECT_EQ(ports, 2);
    EXPECT_FALSE(b.handsets.GetPortCount(hcd, ports));

    UsbConnection c;
    ASSERT_TRUE(b.handsets.GetConnection(hub, 2, c));
    EXPECT_FALSE(c.isHub);
    EXPECT_EQ(c.status, 1u);
    EXPECT_EQ(c.vendorId, 0x1234);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(b.handsets.GetConfigurationDescriptor(hub, 2, bytes));
    EXPECT_EQ(bytes.size(), 144u);
    EXPECT_FALSE(b.handsets.GetConnection(hub, 3, c));
    EXPECT_FALSE(b.handsets.GetConnection(hub, 0, c));

    b.handsets.Unplug(1);
    ASSERT_TRUE(b.handsets.GetConnection(hub, 2, c));
    EXPECT_EQ(c.status, 0u);
    EXPECT_FALSE(b.handsets.GetConfigurationDescriptor(hub, 2, bytes));

    // The enumerated controller is the same one, with the same root hub.
    const auto controllers = b.handsets.EnumerateHostControllers();
    ASSERT_EQ(controllers.size(), 1u);
    const UsbHandle again = b.handsets.OpenPath(controllers[0], false);
    std::string sameHub;
    ASSERT_TRUE(b.handsets.GetRootHubName(again, sameHub));
    EXPECT_EQ(sameHub, hubName);
    b.handsets.CloseUsb(hub);
    EXPECT_FALSE(b.handsets.GetPortCount(hub, ports));
}

TEST(HandsetEndpoint, RenderInterfacesOfPluggedHandsetsWithTheirNameGuid) {
    Bench b;
    HandsetSpec second;
    second.vid = 0x12ab;
    b.handsets.Add({});
    b.handsets.Add(second);
    const Guid capture = {
        0x65E8773D, 0x8F56, 0x11D0, {0xA3, 0xB9, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};
    EXPECT_TRUE(b.handsets.EnumerateCategory(capture, 16, 16).empty());

    auto devices = b.handsets.EnumerateCategory(kRenderCategory, 16, 16);
    ASSERT_EQ(devices.size(), 2u);
    ASSERT_EQ(devices[1].size(), 1u);
    EXPECT_NE(devices[1][0].find("VID_12AB&PID_000E"), std::string::npos);
    Guid name;
    ASSERT_EQ(b.handsets.QueryComponentName(devices[1][0], name), ComponentIdResult::Read);
    EXPECT_EQ(name, b.handsets.NameGuid(1));
    EXPECT_FALSE(b.handsets.NameGuid(0) == b.handsets.NameGuid(1));
    EXPECT_EQ(b.handsets.EnumerateCategory(kRenderCategory, 1, 16).size(), 1u);

    b.handsets.Unplug(0);
    devices = b.handsets.EnumerateCategory(kRenderCategory, 16, 16);
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0][0], b.handsets.EndpointPath(1));
    EXPECT_EQ(b.handsets.QueryComponentName(b.handsets.EndpointPath(0), name),
              ComponentIdResult::OpenFailed);
}

TEST(HandsetEndpoint, RegistryNamesTheEndpointByItsGuidText) {
    test::SimPlatform sim("handset audio=\"Desk Phone\"\nhandset vid=1234\n");
    EXPECT_EQ(GuidText({0x0A0B0C0D, 0x1, 0xEF, {1, 2, 3, 4, 5, 6, 7, 0xFF}}),
              "{0A0B0C0D-0001-00EF-0102-0304050607FF}");
    for (int i = 0; i < 2; ++i) {
        Guid guid;
        ASSERT_EQ(
            sim.platform.endpoints.QueryComponentName(sim.sim.Handsets().EndpointPath(i), guid),
            ComponentIdResult::Read);
        std::string name;
        ASSERT_TRUE(sim.platform.registry.ReadString(
            RegistryHive::LocalMachine,
            "SYSTEM\\CurrentControlSet\\Control\\MediaCategories\\" + GuidText(guid), "Name", 260,
            name));
        EXPECT_EQ(name, i == 0 ? "Desk Phone" : "USB Audio Device");
    }
}

}  // namespace
}  // namespace calvox::sim
