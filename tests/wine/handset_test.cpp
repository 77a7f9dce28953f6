// The real Calvox.exe with a virtual handset met through Windows' own USB,
// HID and device-change paths: the test program plays the Skype client,
// plugs and unplugs the device, presses its keys and reads what it was sent.
#include <algorithm>

#include "calvox_fixture.h"
#include "virtual_handset.h"
#include "win32/win_platform.h"
// After windows.h, which it needs.
#include <tlhelp32.h>

namespace wine_test {
namespace {

using Bytes = std::vector<std::uint8_t>;

bool Has(const std::vector<OutputReport>& log, const Bytes& body) {
    return std::any_of(log.begin(), log.end(),
                       [&](const OutputReport& r) { return Body(r) == body; });
}

// The reports from the first with the given body on (none: empty).
std::vector<OutputReport> From(const std::vector<OutputReport>& log, const Bytes& body) {
    auto at = std::find_if(log.begin(), log.end(),
                           [&](const OutputReport& r) { return Body(r) == body; });
    return {at, log.end()};
}

// MCU reports with this command byte (0x80 | code), bytes 1-4 each.
std::vector<Bytes> Commands(const std::vector<OutputReport>& log, std::uint8_t command) {
    std::vector<Bytes> found;
    for (const OutputReport& r : log)
        if ((Body(r)[0] & 0xC0) == 0x40 && Body(r)[1] == command) found.push_back(Body(r));
    return found;
}

std::string ReadFileText(const std::string& path) {
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        text.append(buffer, read);
    CloseHandle(file);
    return text;
}

const Bytes kProbe = {0x40, 0x9F, 0x00, 0x00};
const Bytes kAck = {0x40, 0x9E, 0x00, 0x00};
const Bytes kOnlineStatus = {0x40, 0x99, 0x02, 0x00};

// Handles on every thread of a process, opened while they run.
std::vector<HANDLE> OpenThreadsOf(DWORD processId) {
    std::vector<HANDLE> threads;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return threads;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != processId) continue;
        HANDLE thread =
            OpenThread(THREAD_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, entry.th32ThreadID);
        if (thread != nullptr) threads.push_back(thread);
    }
    CloseHandle(snapshot);
    return threads;
}

class HandsetTest : public CalvoxTest {
protected:
    void TearDown() override {
        CalvoxTest::TearDown();
        EXPECT_TRUE(handset.Unplug()) << "the virtual handset stays";
    }

    void PlugAndStart(const HandsetConfig& config = {}) {
        ASSERT_TRUE(handset.Plug(config)) << "the virtual handset did not start";
        ASSERT_NO_FATAL_FAILURE(StartAttached());
    }

    // Waits for a report with this body; true when it came.
    bool WaitFor(const Bytes& body, DWORD timeoutMs = 5000) {
        return handset.CollectUntil(
            log, [&](const std::vector<OutputReport>& got) { return Has(got, body); }, timeoutMs);
    }

    // Waits for the client to receive this command after the first `after` ones.
    bool WaitForCommand(const std::string& text, std::size_t after, DWORD timeoutMs = 5000) {
        return PumpUntil(
            [&] {
                std::vector<std::string> got = client.Commands();
                return std::find(
                           got.begin() + static_cast<std::ptrdiff_t>(std::min(after, got.size())),
                           got.end(), text) != got.end();
            },
            timeoutMs);
    }

    void Notify(const std::string& text) {
        ASSERT_EQ(SendCopyData(hidden, client.hwnd(), text), 1) << text;
    }

    // Presses an MCU key; `text` must reach the client.
    void PressMcuKey(std::uint8_t key, const std::string& text) {
        const std::size_t before = client.Commands().size();
        ASSERT_TRUE(handset.Inject({0x40, key, 0x00, 0x00}));
        EXPECT_TRUE(WaitForCommand(text, before)) << "key " << int(key) << ": no " << text;
    }

    VirtualHandset handset;
    std::vector<OutputReport> log;
};

TEST_F(HandsetTest, StartUpProbesTheMicrocontrollerAndSendsTheHelloSequenceWithItsPauses) {
    ASSERT_NO_FATAL_FAILURE(PlugAndStart());
    ASSERT_TRUE(WaitFor(kOnlineStatus, 8000)) << "reports: " << log.size();
    ASSERT_GE(log.size(), 8u);
    EXPECT_EQ(Body(log[0]), kProbe);
    EXPECT_EQ(Body(log[1]), kAck);
    // The hello: idle screen, the five indicators off, the online status.
    std::vector<OutputReport> hello = From(log, {0x40, 0x81, 0x00, 0x00});
    ASSERT_GE(hello.size(), 7u);
    const std::vector<Bytes> expected = {{0x40, 0x81, 0, 0}, {0x40, 0x8F, 1, 0},
                                         {0x40, 0x8F, 3, 0}, {0x40, 0x8F, 5, 0},
                                         {0x40, 0x8F, 7, 0}, {0x40, 0x8F, 9, 0}};
    std::vector<Bytes> got;
    for (const OutputReport& r : hello)
        if (Body(r)[1] == 0x81 || Body(r)[1] == 0x8F) got.push_back(Body(r));
    got.resize(std::min(got.size(), expected.size()));
    EXPECT_EQ(got, expected);
    // Every command after the probe waits 100 ms first.
    for (std::size_t i = 1; i < log.size(); ++i)
        EXPECT_GE(log[i].ms - log[i - 1].ms, 95.0) << "report " << i;
    for (const OutputReport& r : log) EXPECT_EQ(r.bytes.size(), 8u);
    ASSERT_NO_FATAL_FAILURE(CloseCalvox());
}

// Which handsets the USB walk and the HID lookup take.
TEST_F(HandsetTest, OpensOnlyAHandsetOfTheFingerprintWithTheConfiguredIds) {
    struct Case {
        const char* name;
        HandsetConfig device;
        std::string ini;
        bool opened;
    };
    HandsetConfig other;
    other.vendorId = 0x1234;
    other.productId = 0xABCD;
    HandsetConfig behindHub;
    behindHub.externalHub = true;
    HandsetConfig wrongLength;
    wrongLength.totalLength = 144;
    wrongLength.interfaces = 3;
    HandsetConfig tooManyInterfaces;
    tooManyInterfaces.interfaces = 5;
    const Case cases[] = {
        {"behind an external hub", behindHub, "", true},
        {"the configured ids", other, "[CUSTOMER]\r\nDEVICEVID=1234\r\nDEVICEPID=ABCD\r\n", true},
        {"both ids 0: any handset", other, "[CUSTOMER]\r\nDEVICEVID=0\r\nDEVICEPID=0\r\n", true},
        {"other ids than the configured", other, "", false},
        {"wTotalLength 144", wrongLength, "", false},
        {"five interfaces", tooManyInterfaces, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        log.clear();
        ASSERT_TRUE(folder.Write("Calvox.ini", c.ini));
        ASSERT_TRUE(handset.Plug(c.device));
        const std::size_t before = client.Commands().size();
        ASSERT_TRUE(calvox.Start(folder.Exe(), ""));
        hidden = WaitForHiddenWindow(kStartLimitMs);
        ASSERT_NE(hidden, nullptr);
        ASSERT_TRUE(
            PumpUntil([&] { return client.Commands().size() >= before + kFirstCommands.size(); },
                      kStartLimitMs));
        if (c.opened) {
            EXPECT_TRUE(WaitFor(kOnlineStatus, 8000));
            ASSERT_FALSE(log.empty());
            EXPECT_EQ(Body(log[0]), kProbe);
        } else {
            handset.CollectUntil(
                log, [](const auto&) { return false; }, 1500);
            EXPECT_TRUE(log.empty()) << "reports: " << log.size();
        }
        ASSERT_NO_FATAL_FAILURE(CloseCalvox());
        ASSERT_TRUE(handset.Unplug());
    }
}

TEST_F(HandsetTest, CallFromThePeerRingsOnTheHandsetAndItsKeysAnswerDialAndHangUp) {
    ASSERT_NO_FATAL_FAILURE(PlugAndStart());
    ASSERT_TRUE(WaitFor(kOnlineStatus, 8000));
    log.clear();

    std::size_t before = client.Commands().size();
    Notify("CALL 4711 STATUS RINGING");
    ASSERT_TRUE(WaitForCommand("GET CALL 4711 TIMESTAMP", before));
    before = client.Commands().size();
    Notify("CALL 4711 TIMESTAMP 1161234500");
    ASSERT_TRUE(WaitForCommand("GET CALL 4711 STATUS", before));
    for (const char* reply : {"CALL 4711 TYPE INCOMING_P2P", "CALL 4711 PARTNER_DISPNAME Anna",
                              "CALL 4711 PARTNER_HANDLE ab", "CALL 4711 CONF_ID 0",
                              "CALL 4711 SEEN FALSE", "CALL 4711 STATUS RINGING"})
        ASSERT_NO_FATAL_FAILURE(Notify(reply));

    // The caller's name as an incoming call, the handle, then the buzzer.
    const Bytes buzzerOn = {0x20, 0x00, 0x00, 0x00};
    ASSERT_TRUE(WaitFor(buzzerOn));
    const std::vector<Bytes> ringing = {{0x40, 0x85, 'A', 'n'}, {0x40, 0x85, 'n', 'a'},
                                        {0x40, 0x85, 0, 0},     {0x40, 0x9C, 'a', 'b'},
                                        {0x40, 0x9C, 0, 0},     buzzerOn};
    std::vector<Bytes> got;
    for (const OutputReport& r : log) got.push_back(Body(r));
    EXPECT_EQ(got, ringing);

    // The hook key answers (any key does while ringing); the MCU event is acknowledged.
    ASSERT_NO_FATAL_FAILURE(PressMcuKey(22, "HOOK OFF"));
    EXPECT_TRUE(WaitFor({0x60, 0x9E, 0x00, 0x00})) << "no acknowledgement with the buzzer on";
    Notify("CALL 4711 STATUS INPROGRESS");
    EXPECT_TRUE(WaitFor({0x00, 0x00, 0x00, 0x00})) << "the buzzer stays on";
    EXPECT_FALSE(Commands(log, 0x84).empty()) << "no call-in-progress text";

    // A digit key during the call sends its tone; the hand-off key ends the call.
    ASSERT_NO_FATAL_FAILURE(PressMcuKey(7, "SET CALL 4711 DTMF 1"));
    ASSERT_NO_FATAL_FAILURE(PressMcuKey(2, "SET CALL 4711 STATUS FINISHED"));
    log.clear();
    Notify("CALL 4711 STATUS FINISHED");
    EXPECT_TRUE(WaitFor({0x40, 0x87, 0x00, 0x00})) << "no call-ended text";
    ASSERT_NO_FATAL_FAILURE(CloseCalvox());
}

TEST_F(HandsetTest, UnplugClosesTheHandsetAndThePairedArrivalReopensItASecondLater) {
    ASSERT_TRUE(folder.Write("Calvox.ini", "[DIAGNOSTICS]\r\nLOG=1\r\n"));
    HandsetConfig config;
    config.inputLength = 6;
    ASSERT_NO_FATAL_FAILURE(PlugAndStart(config));
    ASSERT_TRUE(WaitFor(kOnlineStatus, 8000));
    const std::string found = "handset found VID_2BC7&PID_000E, reports in 6 out 8 bytes";
    EXPECT_NE(ReadFileText(folder.File("Calvox.log")).find(found), std::string::npos);

    // Unplugged during a ringing call, while the caller's name is being
    // written: two characters every 5 ms after the first 100 ms.
    for (const char* text : {"CALL 9 TIMESTAMP 1161234500", "CALL 9 TYPE INCOMING_P2P",
                             "CALL 9 PARTNER_DISPNAME Bartholomew Fitzgerald-Ostrowski, Esq.",
                             "CALL 9 PARTNER_HANDLE bart"})
        ASSERT_NO_FATAL_FAILURE(Notify(text));
    handset.Take();
    log.clear();
    Notify("CALL 9 STATUS RINGING");
    ASSERT_TRUE(WaitFor({0x40, 0x85, 'B', 'a'}, 3000));
    ASSERT_TRUE(handset.Unplug());
    // The device was gone before the handle's text: the writes met a removed handset.
    EXPECT_TRUE(Commands(handset.Take(), 0x9C).empty()) << "unplugged too late";
    ASSERT_TRUE(PumpUntil(
        [&] {
            return ReadFileText(folder.File("Calvox.log"))
                       .find("handset not found: no supported handset on the USB") !=
                   std::string::npos;
        },
        5000))
        << "the removal did not set the handset up again";
    EXPECT_TRUE(calvox.Running());

    // Plugged again: HID and audio arrive together, the handset opens 1 s later.
    log.clear();
    ASSERT_TRUE(handset.Plug(config));
    const double plugged = VirtualHandset::NowMs();
    ASSERT_TRUE(WaitFor(kProbe, 5000)) << "not reopened";
    EXPECT_GE(log.front().ms - plugged, 900.0);
    EXPECT_LE(log.front().ms - plugged, 3000.0);
    EXPECT_TRUE(WaitFor(kOnlineStatus, 8000));
    ASSERT_NO_FATAL_FAILURE(CloseCalvox());
}

TEST_F(HandsetTest, ExitWhileACallRingsSilencesTheHandsetAndEndsPromptly) {
    ASSERT_NO_FATAL_FAILURE(PlugAndStart());
    ASSERT_TRUE(WaitFor(kOnlineStatus, 8000));
    for (const char* text : {"CALL 5 TIMESTAMP 1161234500", "CALL 5 TYPE INCOMING_P2P",
                             "CALL 5 PARTNER_HANDLE ab", "CALL 5 STATUS RINGING"})
        ASSERT_NO_FATAL_FAILURE(Notify(text));
    ASSERT_TRUE(WaitFor({0x20, 0x00, 0x00, 0x00})) << "not ringing";
    log.clear();
    // The hub, the reader and the buzzer threads at least.
    std::vector<HANDLE> threads = OpenThreadsOf(calvox.id());
    EXPECT_GE(threads.size(), 3u);
    const double asked = VirtualHandset::NowMs();
    ASSERT_TRUE(PostMessageA(hidden, WM_CLOSE, 0, 0));
    DWORD code = 1;
    ASSERT_TRUE(calvox.WaitForExit(kExitLimitMs, &code));
    EXPECT_EQ(code, 0u);
    for (HANDLE thread : threads) {
        DWORD threadCode = 0;
        EXPECT_TRUE(GetExitCodeThread(thread, &threadCode));
        EXPECT_NE(threadCode, calvox::win32::kTerminatedThreadExitCode)
            << "a thread was terminated";
        CloseHandle(thread);
    }
    // The reader blocks in its read and the buzzer thread in its wait: both
    // must end without holding the exit up.
    EXPECT_LT(VirtualHandset::NowMs() - asked, 3000.0) << "the threads held the exit up";
    handset.CollectUntil(
        log, [](const auto&) { return false; }, 200);
    std::vector<Bytes> got;
    for (const OutputReport& r : log) got.push_back(Body(r));
    // The idle screen (still with the buzzer bit), then the buzzer off.
    EXPECT_EQ(got, (std::vector<Bytes>{{0x60, 0x81, 0, 0}, {0x00, 0x00, 0x00, 0x00}}));
}

TEST_F(HandsetTest, ScanModeHandsetScansEvery32MsFallsBackOnAKeyFloodAndAKeyPressBeeps) {
    ASSERT_TRUE(folder.Write("Calvox.ini", "[SCANMODE]\r\nMODE=SCAN_4X5\r\n"));
    HandsetConfig config;
    config.mcuAnswer = 0;
    ASSERT_NO_FATAL_FAILURE(PlugAndStart(config));
    // Four unanswered probes, then the rows 1, 2, 4 and none with mask 7.
    const Bytes firstRow = {0x00, 0x01, 0x07, 0x00};
    ASSERT_TRUE(WaitFor(firstRow, 8000)) << "no scan";
    EXPECT_EQ(Commands(log, 0x9F).size(), 4u);

    // At once, within the first second: eleven presses of key 5 (row bit 1,
    // column bit 3), a flooding keypad, which is opened again as a 4x4 matrix.
    for (int i = 0; i < 11; ++i) {
        ASSERT_TRUE(handset.Inject({0x00, 0x0A}));
        ASSERT_TRUE(handset.Inject({0x00, 0x02}));
    }
    const Bytes rows4x5[] = {
        firstRow, {0x00, 0x02, 0x07, 0}, {0x00, 0x04, 0x07, 0}, {0x00, 0x00, 0x07, 0}};
    ASSERT_TRUE(handset.CollectUntil(
        log,
        [](const std::vector<OutputReport>& got) {
            return From(got, {0x00, 0x01, 0x0F, 0x00}).size() >= 32;
        },
        5000))
        << "not reopened as SCAN_4X4";
    std::vector<OutputReport> scan = From(log, firstRow);
    // (The presses beep meanwhile: the buzzer bit is not compared.)
    for (std::size_t i = 0; i < std::min<std::size_t>(8, scan.size()) && Body(scan[i])[2] == 0x07;
         ++i) {
        Bytes row = Body(scan[i]);
        row[0] &= static_cast<std::uint8_t>(~0x20);
        EXPECT_EQ(row, rows4x5[i % 4]) << i;
    }
    log = From(scan, {0x40, 0x9F, 0x00, 0x00});
    EXPECT_EQ(Commands(log, 0x9F).size(), 4u) << "the reopened handset is probed again";
    std::vector<OutputReport> scan4x4 = From(log, {0x00, 0x01, 0x0F, 0x00});
    for (std::size_t i = 0; i < 32; ++i)
        EXPECT_EQ(Body(scan4x4[i]),
                  (Bytes{0x00, static_cast<std::uint8_t>(1u << (i % 4)), 0x0F, 0}))
            << i;
    const double period = (scan4x4[31].ms - scan4x4[0].ms) / 31;
    EXPECT_GE(period, 31.0);
    EXPECT_LE(period, 50.0);

    // After its key-flood second: key 5 of the 4x4 matrix (row bit 1, column
    // bit 5), then released.
    PumpFor(1200);
    handset.Take();
    log.clear();
    ASSERT_TRUE(handset.Inject({0x00, 0x22}));
    PumpFor(100);
    ASSERT_TRUE(handset.Inject({0x00, 0x02}));
    // The buzzer thread's beep rides on the scan reports for its 90 ms.
    handset.CollectUntil(
        log, [](const auto&) { return false; }, 600);
    auto on = std::find_if(log.begin(), log.end(),
                           [](const OutputReport& r) { return (Body(r)[0] & 0x20) != 0; });
    ASSERT_NE(on, log.end()) << "no beep";
    std::vector<OutputReport> beep(on, log.end());
    auto off = std::find_if(beep.begin(), beep.end(),
                            [](const OutputReport& r) { return (Body(r)[0] & 0x20) == 0; });
    ASSERT_NE(off, beep.end()) << "the beep does not end";
    EXPECT_GE(off->ms - beep.front().ms, 60.0);
    EXPECT_LE(off->ms - beep.front().ms, 400.0);
    ASSERT_NO_FATAL_FAILURE(CloseCalvox());
}

TEST_F(HandsetTest, CallingLedOfADirectKeyHandsetBlinksOnItsTimerWhileTheCallRings) {
    ASSERT_TRUE(folder.Write("Calvox.ini",
                             "[SCANMODE]\r\nMODE=SCAN_2X2\r\n[KEYDEFINE]\r\nKEY1=LED_CALLING\r\n"));
    HandsetConfig config;
    config.mcuAnswer = 0;
    ASSERT_NO_FATAL_FAILURE(PlugAndStart(config));
    PumpFor(1200);
    handset.Take();
    for (const char* text : {"CALL 4711 TIMESTAMP 1161234500", "CALL 4711 TYPE INCOMING_P2P",
                             "CALL 4711 PARTNER_HANDLE ab", "CALL 4711 STATUS RINGING"})
        ASSERT_NO_FATAL_FAILURE(Notify(text));
    // Line 1 driven as an output: on, off, on, ... 200 ms apart, with the buzzer bit.
    ASSERT_TRUE(handset.CollectUntil(
        log, [](const std::vector<OutputReport>& got) { return got.size() >= 6; }, 5000));
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(Body(log[i]), (Bytes{0x20, static_cast<std::uint8_t>(i % 2 ? 0 : 2), 0x02, 0}))
            << i;
        if (i > 0) {
            EXPECT_GE(log[i].ms - log[i - 1].ms, 150.0) << i;
            EXPECT_LE(log[i].ms - log[i - 1].ms, 450.0) << i;
        }
    }
    // Answered: the blinking stops with the LED on and the buzzer off.
    Notify("CALL 4711 STATUS INPROGRESS");
    ASSERT_TRUE(WaitFor({0x00, 0x02, 0x02, 0x00}));
    log.clear();
    handset.CollectUntil(
        log, [](const auto&) { return false; }, 500);
    EXPECT_TRUE(log.empty()) << "still blinking: " << log.size();
    ASSERT_NO_FATAL_FAILURE(CloseCalvox());
}

}  // namespace
}  // namespace wine_test
