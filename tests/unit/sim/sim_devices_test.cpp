// The virtual devices as the program meets them through the simulation: its
// threads, waits, registry and system facts.
#include <gtest/gtest.h>

#include <string>

#include "support/sim_platform.h"

namespace calvox::sim {
namespace {

using test::SimPlatform;

// The reader of the program in brief: one read, then the MCU event when the
// answer came.
struct Reader {
    const Platform& sim;
    HidHandle handle;
    EventHandle mcu;
    std::uint8_t buffer[16] = {};
    ThreadHandle thread = 0;

    void Start() {
        thread = sim.threads.StartThread("reader", [this] {
            std::size_t n = 0;
            if (sim.hid.Read(handle, buffer, sizeof buffer, n) == HidReadResult::Report &&
                n >= 3 && buffer[1] == 0x40)
                sim.threads.SetEvent(mcu);
        });
    }
};

std::string ProbeAndWait(const std::string& world, std::uint32_t& elapsed) {
    SimPlatform p(world);
    const Platform& sim = p.platform;
    const HidHandle h = sim.hid.OpenDevice(sim.hid.EnumerateHidInterfaces().at(0));
    Reader reader{sim, h, sim.threads.CreateEvent("mcu", true, false)};
    reader.Start();
    const std::uint32_t before = sim.clock.TickCount();
    sim.hid.Write(h, {0, 0x40, 0x9f, 0, 0}, 100);
    const WaitResult answered = sim.threads.WaitEvent(reader.mcu, 100);
    elapsed = sim.clock.TickCount() - before;
    sim.hid.CancelRead(h);
    EXPECT_TRUE(sim.threads.JoinThread(reader.thread, 0));
    sim.threads.CloseThread(reader.thread);
    EXPECT_EQ(p.out.str().find("sleep"), std::string::npos) << "waits are not written";
    return answered == WaitResult::Signaled ? "answered" : "timed out";
}

TEST(SimWaits, AnAnsweredProbeTakesNoTimeAnUnansweredOneItsTimeOut) {
    std::uint32_t elapsed = 0;
    EXPECT_EQ(ProbeAndWait("handset\n", elapsed), "answered");
    EXPECT_EQ(elapsed, 0u);
    EXPECT_EQ(ProbeAndWait("handset mcu=none\n", elapsed), "timed out");
    EXPECT_EQ(elapsed, 100u);
}

TEST(SimWaits, HubWaitEndsWhenASleepingWorkerSignals) {
    SimPlatform p;
    const Platform& sim = p.platform;
    const EventHandle late = sim.threads.CreateEvent("", false, false);
    const ThreadHandle t = sim.threads.StartThread("buzzer", [&] {
        sim.threads.WorkerSleep(30);
        sim.threads.SetEvent(late);
    });
    EXPECT_EQ(sim.threads.WaitEvent(late, 100), WaitResult::Signaled);
    EXPECT_EQ(sim.clock.TickCount(), 30u);
    EXPECT_EQ(sim.threads.WaitEvent(late, 0), WaitResult::Timeout)
        << "the auto-reset event was taken";
    EXPECT_EQ(sim.threads.WaitEvent(late, 50), WaitResult::Timeout);
    EXPECT_EQ(sim.clock.TickCount(), 80u);
    EXPECT_TRUE(sim.threads.JoinThread(t, 0));
}

// Writes from workers of each name, with or without `trace scan`.
std::string WritesFromWorkers(const std::string& world) {
    SimPlatform p(world);
    const Platform& sim = p.platform;
    const HidHandle h = sim.hid.OpenDevice(sim.hid.EnumerateHidInterfaces().at(0));
    for (const char* name : {"scan", "buzzer"}) {
        const std::uint8_t mark = name[0] == 's' ? 0x01 : 0x20;
        const ThreadHandle t = sim.threads.StartThread(name, [&sim, h, mark] {
            sim.hid.Write(h, {0, mark, 0, 0, 0}, 100);
        });
        EXPECT_TRUE(sim.threads.JoinThread(t, 0));
        sim.threads.CloseThread(t);
    }
    return p.out.str();
}

TEST(SimTrace, ScanReportsAppearOnlyAfterTraceScan) {
    EXPECT_EQ(WritesFromWorkers("handset\n"), "@0 hid< 20 00 00 00\n");
    EXPECT_EQ(WritesFromWorkers("trace scan\nhandset\n"),
              "@0 hid< 01 00 00 00\n@0 hid< 20 00 00 00\n");
}

TEST(SimHandles, CloseTellsMixerHandlesFromUsbHandles) {
    SimPlatform p("handset\n");
    const Platform& sim = p.platform;
    const UsbHandle hcd = sim.usb.OpenHostController(0);
    const MixerHandle mixer = sim.mixer.Open(0, 0);
    sim.usb.CloseUsb(hcd);
    std::string hub;
    EXPECT_FALSE(sim.usb.GetRootHubName(hcd, hub));
    EXPECT_EQ(p.out.str(), "@0 mixer open \"USB Audio Device\"\n");
    sim.mixer.Close(mixer);
    EXPECT_EQ(p.out.str(), "@0 mixer open \"USB Audio Device\"\n@0 mixer close\n");
}

TEST(SimRegistry, WorldLinesKeysWithoutCaseAndStringsOnly) {
    SimPlatform p(
        "registry HKCU\\Software\\Calvox\\Sound Mapper\\Playback = \"USB Audio Device\"\n"
        "registry hklm\\SYSTEM\\Media\\Count = 3\n"
        "registry HKCU\\Software\\Empty\\Text = \"\"\n"
        "registry HKCU\\Software\\Calvox\\Sound Mapper\\ = \"default\"\n");
    const Platform& sim = p.platform;
    std::string out;
    ASSERT_TRUE(sim.registry.ReadString(RegistryHive::CurrentUser, "software\\CALVOX\\sound mapper",
                                        "PLAYBACK", 260, out));
    EXPECT_EQ(out, "USB Audio Device");
    // A value too long for the buffer is not read at all, as on Windows.
    EXPECT_FALSE(sim.registry.ReadString(RegistryHive::CurrentUser,
                                         "Software\\Calvox\\Sound Mapper", "Playback", 16, out));
    EXPECT_EQ(out, "USB Audio Device");
    ASSERT_TRUE(sim.registry.ReadString(RegistryHive::CurrentUser, "Software\\Calvox\\Sound Mapper",
                                        "", 260, out));
    EXPECT_EQ(out, "default");
    EXPECT_FALSE(
        sim.registry.ReadString(RegistryHive::LocalMachine, "SYSTEM\\Media", "Count", 260, out));
    EXPECT_EQ(p.sim.Registry().Get(RegistryHive::LocalMachine, "system\\media", "count"),
              RegistryData(std::uint32_t{3}));
    EXPECT_FALSE(
        sim.registry.ReadString(RegistryHive::CurrentUser, "Software\\Empty", "Text", 260, out));
    EXPECT_FALSE(sim.registry.ReadString(RegistryHive::LocalMachine,
                                         "Software\\Calvox\\Sound Mapper", "Playback", 260, out));
}

TEST(SimSystem, VersionClockAndTextFiles) {
    SimPlatform p("windows-version 5.0\nfile notes.txt text \"one\\ntwo\"\n");
    const Platform& sim = p.platform;
    OsVersion v;
    ASSERT_TRUE(sim.system.GetVersion(v));
    EXPECT_EQ(v.major, 5u);
    EXPECT_EQ(v.minor, 0u);
    EXPECT_EQ(v.platformId, 2u);
    EXPECT_EQ(v.servicePack, "");
    SimPlatform plain;
    ASSERT_TRUE(plain.platform.system.GetVersion(v));
    EXPECT_EQ(v.major * 10 + v.minor, 51u);

    struct Case {
        std::int64_t seconds;
        LocalTimeParts parts;
    };
    for (const Case& c :
         {Case{0, {1970, 1, 1, 0, 0}}, Case{1161234567, {2006, 10, 19, 5, 9}},
          Case{951825599, {2000, 2, 29, 11, 59}}, Case{4102444799, {2099, 12, 31, 23, 59}}}) {
        LocalTimeParts t;
        ASSERT_TRUE(sim.system.ToLocalTime(c.seconds, t));
        EXPECT_EQ(std::vector<int>({t.year, t.month, t.day, t.hour, t.minute}),
                  std::vector<int>(
                      {c.parts.year, c.parts.month, c.parts.day, c.parts.hour, c.parts.minute}))
            << c.seconds;
    }
    LocalTimeParts t;
    EXPECT_FALSE(sim.system.ToLocalTime(-1, t));

    std::string text;
    ASSERT_TRUE(sim.files.ReadTextFile("C:\\Calvox\\NOTES.TXT", text));
    EXPECT_EQ(text, "one\ntwo");
    EXPECT_FALSE(sim.files.ReadTextFile("C:\\Calvox\\missing.txt", text));
    EXPECT_FALSE(sim.files.ReadTextFile("C:\\Calvox", text));
}

}  // namespace
}  // namespace calvox::sim
