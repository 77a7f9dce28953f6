#include "config/settings.h"

#include <gtest/gtest.h>

#include "handset/mcu_protocol.h"
#include "support/sim_platform.h"

namespace calvox {
namespace {

using test::SimPlatform;

TEST(ParseHexWord, TakesFourCharactersMostSignificantFirst) {
    EXPECT_EQ(ParseHexWord("1a2b"), 0x1A2B);
    EXPECT_EQ(ParseHexWord("E"), 0x000E);
    EXPECT_EQ(ParseHexWord("000e"), 0x000E);
    EXPECT_EQ(ParseHexWord("12345"), 0x1234);  // a fifth digit is dropped
    EXPECT_EQ(ParseHexWord(""), 0);
}

TEST(ParseHexWord, OtherCharactersKeepTheirDigitPosition) {
    EXPECT_EQ(ParseHexWord("0x1F"), 0x001F);    // X counts as a zero digit
    EXPECT_EQ(ParseHexWord("0x1A2B"), 0x001A);  // only "0x1A" is read
    EXPECT_EQ(ParseHexWord("g1"), 0x0001);
}

TEST(ScanModeFromText, FirstNamedModeFoundAnywhereCaseSensitive) {
    EXPECT_EQ(ScanModeFromText("SCAN_4X4"), SCAN_4X4);
    EXPECT_EQ(ScanModeFromText("my SCAN_2X2 keypad"), SCAN_2X2);
    EXPECT_EQ(ScanModeFromText("scan_2x2"), MCU_MODE);
    EXPECT_EQ(ScanModeFromText("SCAN_1X8 or SCAN_4X5"), SCAN_4X5);  // tested in table order
    EXPECT_EQ(ScanModeFromText("nothing"), MCU_MODE);
}

TEST(CallOutCodes, DialCharactersBecomeHandsetDigitCodes) {
    EXPECT_EQ(CallOutCodesFromText("0*9#"), (std::vector<std::uint8_t>{11, 10, 9, 12}));
    EXPECT_EQ(CallOutCodesFromText("1-2 3a"), (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST(Pin, RecoveredFromScrambledProduct) {
    EXPECT_EQ(PinFromProduct(4817u * kPinScramblingFactor), "4817");
    EXPECT_EQ(PinFromProduct(12u * kPinScramblingFactor), "0012");
    EXPECT_EQ(PinFromProduct(12u * kPinScramblingFactor + 7918), "0012");
}

TEST(Clamping, IntegersFromTheFileStayInRange) {
    EXPECT_EQ(DurationMs(-5), 0u);
    EXPECT_EQ(DurationMs(90), 90u);
    EXPECT_EQ(ClampVolume(-1), 0);
    EXPECT_EQ(ClampVolume(70000), 65535);
    EXPECT_EQ(ConfiguredVolume(-1), -1);  // keeps the current volume
    EXPECT_EQ(ConfiguredVolume(70000), 65535);
    EXPECT_EQ(PickupDelayMs(12), 24000u);
    EXPECT_EQ(PickupDelayMs(-3), 0u);
    EXPECT_GT(PickupDelayMs(2000000000), 24000u);  // no wrap-around
}

TEST(LoadSettings, DefaultsWithoutAFile) {
    SimPlatform sim;
    Settings s;
    DeviceTexts texts;
    LoadDeviceSettings(sim.platform, s, texts);
    LoadVoiceMailSettings(sim.platform, s, true);
    for (int n = 0; n < kKeySlots; ++n) {
        EXPECT_EQ(s.keyTable[n], n);
        EXPECT_EQ(s.capsKeyTable[n], SKYPE);
    }
    EXPECT_EQ(s.scanMode, MCU_MODE);
    EXPECT_EQ(s.buzzerEnable, 1);
    EXPECT_EQ(s.buzzerDuration, 90);
    EXPECT_EQ(s.anyKeyAnswer, 1);
    EXPECT_EQ(s.deviceVid, kDefaultDeviceVid);
    EXPECT_EQ(s.devicePid, 0x000E);
    EXPECT_EQ(s.ring2Vm, 12);
    EXPECT_EQ(s.voicemailDelay, 24.0);
    EXPECT_EQ(s.pin, "4817");
    EXPECT_EQ(s.switchSymbol, '*');
    EXPECT_EQ(s.vmFolder, "C:\\Calvox\\VM");
    EXPECT_EQ(s.crFolder, "C:\\Calvox\\CR");
    EXPECT_EQ(s.greeting, "C:\\Calvox\\Greeting.wav");
    EXPECT_EQ(s.companionPath, "C:\\Calvox\\Velmora.exe");
    EXPECT_EQ(texts.product, "Zorvik Quillon");
    EXPECT_TRUE(texts.connectIconPath.empty());
}

TEST(LoadSettings, ReadsEveryKindOfValue) {
    SimPlatform sim(
        "ini [KEYDEFINE] KEY3=number_0\n"
        "ini [keydefine] KEY4=NUMBER 0\n"
        "ini [KEYDEFINE] KEY63=Number_#\n"
        "ini [CAPSKEYDEFINE] KEY1=CAPSLOCK\n"
        "ini [SCANMODE] MODE=x SCAN_2X2 y\n"
        "ini [BUZZER] DURATION=-5\n"
        "ini [CUSTOMER] DEVICEVID=0x1A2B\n"
        "ini [CUSTOMER] DEVICEPID=abcd\n"
        "ini [CUSTOMER] PRODUCT=\"  My Phone  \"\n"
        "ini [CUSTOMER] CONNECTICON=on.ico\n"
        "ini [LOGO] LINE1=\n"
        "ini [VM] AMPRODUCT=198\n"
        "ini [VM] CALLNUM=0*9#\n"
        "ini [VM] RING2VM=5\n"
        "ini [VM] SWITCHSYMBOL=#x\n"
        "ini [VM] VMFOLDER=D:\\Mail\n");
    Settings s;
    DeviceTexts texts;
    LoadDeviceSettings(sim.platform, s, texts);
    LoadVoiceMailSettings(sim.platform, s, true);
    EXPECT_EQ(s.keyTable[3], NUMBER_0);
    EXPECT_EQ(s.keyTable[4], KEY_UNKNOWN);
    EXPECT_EQ(s.keyTable[63], NUMBER_HASH);
    EXPECT_EQ(s.keyTable[5], 5);
    EXPECT_EQ(s.capsKeyTable[1], CAPSLOCK);
    EXPECT_EQ(s.scanMode, SCAN_2X2);
    EXPECT_EQ(s.buzzerDuration, -5);
    EXPECT_EQ(s.deviceVid, 0x001A);
    EXPECT_EQ(s.devicePid, 0xABCD);
    EXPECT_EQ(texts.product, "  My Phone  ");
    EXPECT_EQ(texts.connectIconPath, "C:\\Calvox\\Icons\\on.ico");
    EXPECT_TRUE(s.logoLine1.empty());
    EXPECT_EQ(s.pin, "0000");  // 198 / 7919
    EXPECT_EQ(s.callOutCodes, (std::vector<std::uint8_t>{11, 10, 9, 12}));
    EXPECT_EQ(s.voicemailDelay, 10.0);
    EXPECT_EQ(s.switchSymbol, '#');
    EXPECT_EQ(s.vmFolder, "D:\\Mail");
}

TEST(LoadSettings, NotesNameWhatDoesNotReadAsWritten) {
    const struct {
        std::string line;
        std::vector<std::string> notes;
    } cases[] = {
        {"[SCANMODE] MODE=x SCAN_2X2 y",
         {"setting [SCANMODE] MODE=x SCAN_2X2 y reads as SCAN_2X2"}},
        {"[SCANMODE] MODE=scan_2x2",
         {"setting [SCANMODE] MODE=scan_2x2 names no scan mode: MCU_MODE is used"}},
        {"[CUSTOMER] DEVICEPID=e", {}},
        {"[CUSTOMER] DEVICEPID=0x1A2B", {"setting [CUSTOMER] DEVICEPID=0x1A2B reads as 001A"}},
        {"[CUSTOMER] MINIMUMVOLUME=-1", {"setting [CUSTOMER] MINIMUMVOLUME=-1 counts as 0 (off)"}},
        {"[VM] RING2AM=300", {"setting [VM] RING2AM=300 reaches the handset as 44"}},
        {"[VM] RING2VM=-1",
         {"setting [VM] RING2VM=-1 counts as 0 rings and reaches the handset as 255"}},
        {"[VM] VMDURATION=12abc", {"setting [VM] VMDURATION=12abc reads as 12"}},
        {"[VM] SWITCHSYMBOL=#x", {"setting [VM] SWITCHSYMBOL=#x counts as #"}},
        // The PIN's note leaves its value out.
        {"[VM] AMPRODUCT=198", {"setting [VM] AMPRODUCT is not a four-digit PIN times 7919"}},
        {"[VM] AMPRODUCT=38145823", {}},
    };
    for (const auto& c : cases) {
        SimPlatform sim("ini " + c.line + "\n");
        Settings s;
        DeviceTexts texts;
        SettingNotes notes;
        LoadDeviceSettings(sim.platform, s, texts, &notes);
        LoadVoiceMailSettings(sim.platform, s, true, &notes);
        EXPECT_EQ(notes, c.notes) << c.line;
    }
}

TEST(LoadSettings, ReloadKeepsValuesOfMissingKeys) {
    SimPlatform sim("ini [VM] VOICEMAIL=1\n");
    Settings s;
    LoadVoiceMailSettings(sim.platform, s, true);
    s.pin = "1111";
    s.ring2Vm = 3;
    LoadVoiceMailSettings(sim.platform, s, false);
    EXPECT_EQ(s.pin, "1111");
    EXPECT_EQ(s.ring2Vm, 3);
    EXPECT_EQ(s.voiceMail, 1);
}

TEST(LoadSettings, IconPathThatDoesNotFitIsDropped) {
    SimPlatform sim("ini [CUSTOMER] CONNECTICON=" + std::string(250, 'a') + ".ico\n");
    Settings s;
    DeviceTexts texts;
    LoadDeviceSettings(sim.platform, s, texts);
    EXPECT_TRUE(texts.connectIconPath.empty());
}

TEST(SettingsPath, MakesTheFileHiddenAndWritable) {
    SimPlatform sim("ini [VM] VOICEMAIL=1\n");
    EXPECT_EQ(GetSettingsPath(sim.platform.files), "C:\\Calvox\\Calvox.ini");
    EXPECT_EQ(sim.platform.files.GetFileAttributes("C:\\Calvox\\Calvox.ini"), 0x82u);
}

TEST(VoiceMailCommands, FollowTheSettings) {
    Settings s;
    auto codes = [](const std::vector<McuCommandItem>& items) {
        std::vector<std::pair<int, int>> out;
        for (const auto& i : items) out.emplace_back(static_cast<int>(i.command), i.value);
        return out;
    };
    using P = std::vector<std::pair<int, int>>;
    EXPECT_EQ(codes(VoiceMailSettingsCommands(s)), (P{{0x24, 0}, {0x26, 0}, {0x28, 0}, {0x21, 10}}));

    s.callOut = 1;
    s.ring2CallOut = 4;
    s.enableAm = 1;
    s.ring2Am = 6;
    s.voiceMail = 1;
    s.ring2Vm = 3;
    s.switchSymbol = '#';
    s.callOutCodes = {1, 11};
    auto items = VoiceMailSettingsCommands(s);
    EXPECT_EQ(codes(items), (P{{0x23, 4}, {0x25, 3}, {0x27, 3}, {0x21, 12}, {0x22, 0}}));
    EXPECT_TRUE(items.back().isText);
    EXPECT_EQ(items.back().text, std::string("\x01\x0b"));
}

TEST(WriteBack, ValuesNeverBreakTheirLine) {
    SimPlatform sim;
    WriteDisplayName(sim.platform, "bob", "Bob\r\n[CUSTOMER]\nHIDETRAYICON=1");
    EXPECT_EQ(sim.platform.profile.GetString("DISPLAYNAME", "bob", "C:\\Calvox\\Calvox.ini", 260),
              "Bob  [CUSTOMER] HIDETRAYICON=1");
    WriteContactHandle(sim.platform, 1, "bob\n");
    WriteContactCount(sim.platform, 2);
    EXPECT_NE(sim.out.str().find("ini-write [HANDLES] KEY1=bob"), std::string::npos);
    EXPECT_NE(sim.out.str().find("ini-write [HANDLES] COUNT=2"), std::string::npos);
}

}  // namespace
}  // namespace calvox
