// Registry, system facts, text files and the mixer through the ports, in this
// process. The mixer is Wine's over the ALSA null device that
// run-wine-tests.sh configures: one mixer per direction, each with a Volume
// and a Mute control on its destination line.
#include <gtest/gtest.h>

#include "sound/handset_mixer.h"
#include "win32/win_platform.h"
#include "wine_support.h"

namespace wine_test {
namespace {

using namespace calvox;
using namespace calvox::win32;

constexpr const char* kTestKey = "Software\\Calvox Wine Test";

TEST(RegistryPort, StringValuesWithinTheBuffer) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    auto set = [&](const char* name, const std::string& text) {
        ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>(text.size() + 1)),
                  ERROR_SUCCESS);
    };
    set("FriendlyName", "Zorvik USB Handset");
    set("Empty", "");
    set("Long", std::string(300, 'x'));
    RegCloseKey(key);

    const std::unique_ptr<RegistryPort> registryPort = MakeRegistryPort();
    RegistryPort& registry = *registryPort;
    std::string out = "unchanged";
    EXPECT_TRUE(registry.ReadString(RegistryHive::CurrentUser, kTestKey, "FriendlyName", 260, out));
    EXPECT_EQ(out, "Zorvik USB Handset");
    EXPECT_TRUE(registry.ReadString(RegistryHive::CurrentUser, kTestKey, "friendlyname", 19, out))
        << "18 characters and the terminator fit 19 bytes";
    EXPECT_EQ(out, "Zorvik USB Handset");

    out = "unchanged";
    EXPECT_FALSE(registry.ReadString(RegistryHive::CurrentUser, kTestKey, "Empty", 260, out));
    EXPECT_FALSE(registry.ReadString(RegistryHive::CurrentUser, kTestKey, "Absent", 260, out));
    EXPECT_FALSE(
        registry.ReadString(RegistryHive::CurrentUser, "Software\\No Such Key", "Name", 260, out));
    EXPECT_FALSE(
        registry.ReadString(RegistryHive::LocalMachine, kTestKey, "FriendlyName", 260, out))
        << "the hive is honoured";
    // The system refuses a value longer than the buffer rather than cut it.
    EXPECT_FALSE(registry.ReadString(RegistryHive::CurrentUser, kTestKey, "Long", 260, out));
    EXPECT_EQ(out, "unchanged");

    RegDeleteKeyA(HKEY_CURRENT_USER, kTestKey);
}

TEST(SystemPort, VersionUserFolderAndLocalTime) {
    const std::unique_ptr<SystemPort> systemPort = MakeSystemPort();
    SystemPort& system = *systemPort;
    OsVersion version;
    ASSERT_TRUE(system.GetVersion(version));
    EXPECT_EQ(version.platformId, 2u);
    EXPECT_GE(version.major, 5u);

    std::string user;
    ASSERT_TRUE(system.GetUserName(user));
    char expected[256] = {};
    ASSERT_GT(GetEnvironmentVariableA("USERNAME", expected, sizeof expected), 0u);
    EXPECT_EQ(user, expected);

    std::string appData;
    ASSERT_TRUE(system.GetAppDataFolder(appData));
    DWORD attributes = GetFileAttributesA(appData.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << appData;
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);

    // The system's own conversion of the same instants.
    for (std::int64_t seconds : {std::int64_t{0}, std::int64_t{1161234567}}) {
        SCOPED_TRACE(seconds);
        ULARGE_INTEGER ticks;
        ticks.QuadPart = (static_cast<ULONGLONG>(seconds) + 11644473600ull) * 10000000ull;
        FILETIME utc{ticks.LowPart, ticks.HighPart};
        SYSTEMTIME utcParts, local;
        ASSERT_TRUE(FileTimeToSystemTime(&utc, &utcParts));
        ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &utcParts, &local));
        LocalTimeParts parts;
        ASSERT_TRUE(system.ToLocalTime(seconds, parts));
        EXPECT_EQ(parts.year, local.wYear);
        EXPECT_EQ(parts.month, local.wMonth);
        EXPECT_EQ(parts.day, local.wDay);
        EXPECT_EQ(parts.hour, local.wHour);
        EXPECT_EQ(parts.minute, local.wMinute);
    }
    LocalTimeParts parts;
    EXPECT_FALSE(system.ToLocalTime(-1, parts));
}

TEST(FilePort, TextFileLineBreaksBecomeNewlines) {
    CalvoxFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::unique_ptr<FilePort> filesPort = MakeFilePort();
    FilePort& files = *filesPort;
    std::string content = "unchanged";

    ASSERT_TRUE(folder.Write("config.xml", "<a>\r\n<b>x\ry</b>\n\r\n"));
    ASSERT_TRUE(files.ReadTextFile(folder.File("config.xml"), content));
    EXPECT_EQ(content, "<a>\n<b>x\ry</b>\n\n");

    // Longer than one read, with a line break across the boundary of 4096 bytes.
    std::string big = std::string(4095, 'a') + "\r\n" + std::string(5000, 'b') + "\r\n";
    ASSERT_TRUE(folder.Write("big.xml", big));
    ASSERT_TRUE(files.ReadTextFile(folder.File("big.xml"), content));
    EXPECT_EQ(content, std::string(4095, 'a') + "\n" + std::string(5000, 'b') + "\n");

    ASSERT_TRUE(folder.Write("empty.xml", ""));
    ASSERT_TRUE(files.ReadTextFile(folder.File("empty.xml"), content));
    EXPECT_EQ(content, "");
    EXPECT_FALSE(files.ReadTextFile(folder.File("absent.xml"), content));
    EXPECT_FALSE(files.ReadTextFile(folder.path(), content)) << "a folder is no file";
}

// The open mixer whose destination 0 has the given component type.
class WineMixer : public ::testing::Test {
protected:
    void Open(std::uint32_t destinationType, Hwnd callbackWindow = 0) {
        ASSERT_GE(mixer.GetDeviceCount(), 2u) << "no mixers: HOME's .asoundrc must name the "
                                                 "ALSA null device (run-wine-tests.sh)";
        for (unsigned id = 0; id < mixer.GetDeviceCount(); ++id) {
            MixerHandle opened = mixer.Open(id, callbackWindow);
            ASSERT_NE(opened, 0u) << id;
            std::uint32_t count = 0;
            ASSERT_TRUE(mixer.GetDestinationCount(opened, count));
            ASSERT_EQ(count, 1u);
            MixerLine line;
            ASSERT_TRUE(mixer.GetDestination(opened, 0, line));
            if (line.componentType == destinationType) {
                handle = opened;
                destination = line;
                ASSERT_TRUE(mixer.GetDeviceName(id, name));
                return;
            }
            mixer.Close(opened);
        }
        FAIL() << "no mixer with destination type " << destinationType;
    }

    void TearDown() override {
        if (handle != 0) mixer.Close(handle);
    }

    const std::unique_ptr<MixerPort> mixerPort = MakeMixerPort();
    MixerPort& mixer = *mixerPort;
    MixerHandle handle = 0;
    MixerLine destination;
    std::string name;
};

TEST_F(WineMixer, AnOpenThatFailsSaysWhy) {
    EXPECT_EQ(mixer.LastError(), "");
    EXPECT_EQ(mixer.Open(mixer.GetDeviceCount(), 0), 0u);
    const std::string failure = mixer.LastError();
    EXPECT_EQ(failure.rfind("mixerOpen failed: MMRESULT 2", 0), 0u) << failure;  // bad device id
}

TEST_F(WineMixer, SpeakersVolumeAndMuteRoundTrip) {
    PeerWindow owner("mixer callback owner (test)");
    ASSERT_NO_FATAL_FAILURE(Open(kMixerDstSpeakers, reinterpret_cast<Hwnd>(owner.hwnd())));
    EXPECT_EQ(name, "Out: default");
    EXPECT_EQ(destination.channels, 2u);

    std::vector<MixerControl> controls;
    ASSERT_TRUE(mixer.GetAllControls(handle, destination, controls));
    ASSERT_EQ(controls.size(), 2u);
    EXPECT_EQ(controls[0].type, kMixerControlVolume);
    EXPECT_EQ(controls[0].name, "Volume");
    EXPECT_EQ(controls[1].type, kMixerControlMute);
    EXPECT_EQ(controls[1].name, "Mute");

    MixerControl volume, mute;
    ASSERT_TRUE(mixer.GetControlByType(handle, destination.lineId, kMixerControlVolume, volume));
    ASSERT_TRUE(mixer.GetControlByType(handle, destination.lineId, kMixerControlMute, mute));
    EXPECT_EQ(volume.controlId, controls[0].controlId);
    EXPECT_EQ(mute.controlId, controls[1].controlId);

    std::vector<std::uint32_t> values;
    for (std::uint32_t level : {40000u, 1234u, 65535u}) {
        ASSERT_TRUE(mixer.SetValues(handle, volume.controlId, {level}));
        ASSERT_TRUE(mixer.GetValues(handle, volume.controlId, 1, values));
        EXPECT_EQ(values, std::vector<std::uint32_t>{level});
    }
    // Wine keeps one level for all channels and reports it on the first.
    ASSERT_TRUE(mixer.GetValues(handle, volume.controlId, 2, values));
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0], 65535u);

    for (std::uint32_t muted : {1u, 0u}) {
        ASSERT_TRUE(mixer.SetValues(handle, mute.controlId, {muted}));
        ASSERT_TRUE(mixer.GetValues(handle, mute.controlId, 1, values));
        EXPECT_EQ(values, std::vector<std::uint32_t>{muted});
    }
    EXPECT_FALSE(mixer.GetValues(handle, 0x7777, 1, values));
    EXPECT_FALSE(mixer.SetValues(handle, 0x7777, {1}));
    EXPECT_FALSE(mixer.GetControlByType(handle, destination.lineId, kMixerControlOnOff, volume));
}

TEST_F(WineMixer, MicrophoneSourceOfTheRecordingMixer) {
    ASSERT_NO_FATAL_FAILURE(Open(kMixerDstWaveIn));
    EXPECT_EQ(name, "In: default");
    ASSERT_EQ(destination.connections, 1u);
    MixerLine source;
    ASSERT_TRUE(mixer.GetSource(handle, 0, 0, source));
    EXPECT_EQ(source.componentType, kMixerSrcMicrophone);
    EXPECT_NE(source.lineId, destination.lineId);
    EXPECT_FALSE(mixer.GetSource(handle, 0, 1, source));
    EXPECT_FALSE(mixer.GetDestination(handle, 1, source));
}

TEST(MixerPort, HandsetMixerOpensByNameAndSetsTheMasterVolume) {
    WinPlatform platform;
    HubWindow hub(platform.ports.window, platform.ports.clock);
    HandsetMixer handsetMixer(platform.ports, hub);
    EXPECT_FALSE(handsetMixer.OpenByName("USB")) << "no mixer of Wine's is called USB";
    ASSERT_TRUE(handsetMixer.OpenByName("Out"));
    std::string name;
    ASSERT_TRUE(handsetMixer.GetName(name));
    EXPECT_EQ(name, "Out: default");

    ASSERT_TRUE(handsetMixer.SetMasterVolume(30000, -1));
    std::uint32_t volume = 0;
    int balance = -1;
    ASSERT_TRUE(handsetMixer.GetMasterVolume(volume, balance));
    EXPECT_EQ(volume, 30000u);
    ASSERT_TRUE(handsetMixer.StepMasterVolume(true));
    ASSERT_TRUE(handsetMixer.GetMasterVolume(volume, balance));
    EXPECT_EQ(volume, 30000u + kVolumeStep);

    std::uint32_t muted = 1;
    ASSERT_TRUE(handsetMixer.SpeakerMute(true, muted));
    muted = 0;
    ASSERT_TRUE(handsetMixer.SpeakerMute(false, muted));
    EXPECT_EQ(muted, 1u);
    muted = 0;
    ASSERT_TRUE(handsetMixer.SpeakerMute(true, muted));
    handsetMixer.Close();
}

}  // namespace
}  // namespace wine_test
