// The arithmetic and tables of the window automation and the key handler,
// and the finders and the newest recording against the virtual Windows.
#include <gtest/gtest.h>

#include <string>

#include "calls/client_windows.h"
#include "calls/key_handler.h"
#include "support/sim_platform.h"

namespace calvox {
namespace {

TEST(ClientControl, AbsoluteCenterScalesToTheScreenAndTruncatesTowardZero) {
    struct Case {
        Rect rect;
        int width, height;
        int x, y;
    };
    const Case cases[] = {
        {{10, 45, 790, 65}, 1024, 768, 25599, 4693},  // the address bar's middle
        {{0, 0, 1024, 768}, 1024, 768, 32767, 32767},
        {{-100, -50, -20, -10}, 1024, 768, -3839, -2559},  // left of and above the screen
        {{10, 45, 790, 65}, 0, 768, 400 * 65535, 4693},    // no width: counts as 1
        {{10, 45, 790, 65}, 1024, 0, 25599, 55 * 65535},
        {{1, 1, 2, 2}, 1024, 768, 63, 85},  // (1 + 2) / 2 is 1 before it scales
    };
    for (const Case& c : cases) {
        const AbsolutePoint p = AbsoluteCenter(c.rect, c.width, c.height);
        EXPECT_EQ(p.x, c.x) << c.rect.left << "," << c.rect.right << " on " << c.width;
        EXPECT_EQ(p.y, c.y) << c.rect.top << "," << c.rect.bottom << " on " << c.height;
    }
}

TEST(ClientControl, ExemptCodesAreTheSettingsAndSoundKeysAndEveryMcuCode) {
    for (int code = 0; code <= 31; ++code) EXPECT_FALSE(IsExemptCode(code)) << code;
    for (int code = 32; code <= 40; ++code) EXPECT_TRUE(IsExemptCode(code)) << code;
    for (int code = 0xA1; code <= 0xBA; ++code) EXPECT_TRUE(IsExemptCode(code)) << code;
    EXPECT_TRUE(IsExemptCode(0xE0));
}

TEST(ClientControl, DialCharacterTables) {
    std::string keyUp, mcu;
    for (int code = NUMBER_0; code <= NUMBER_PLUS; ++code) keyUp += KeyUpDialCharacter(code);
    EXPECT_EQ(keyUp, "0123456789#*+");
    EXPECT_EQ(KeyUpDialCharacter(CONTACT_LIST), 0);
    EXPECT_EQ(KeyUpDialCharacter(MINIMIZE), 0);
    for (int code = 0xA1; code <= 0xAC; ++code) mcu += McuDialCharacter(code);
    EXPECT_EQ(mcu, "123456789*0#");
    EXPECT_EQ(McuDialCharacter(0xA0), 0);
    EXPECT_EQ(McuDialCharacter(0xAD), 0);

    const std::string keys = "0123456789#*+";
    const std::uint16_t expected[] = {0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36,
                                      0x37, 0x38, 0x39, 0x33, 0x6A, 0x6B};
    for (std::size_t i = 0; i < keys.size(); ++i)
        EXPECT_EQ(DialVirtualKey(keys[i]), expected[i]) << keys[i];
}

TEST(ClientControl, FindersFollowEachClientLayout) {
    struct Case {
        const char* layout;
        bool pages;
        const char* editClass;  // empty: no address bar
    };
    const Case cases[] = {
        {"standard", true, "Edit"},
        {"filterbar", true, "TFilterbarEdit.UnicodeClass"},
        {"tntedit", true, "TTntEdit.UnicodeClass"},
        {"nopages", false, "Edit"},
        {"none", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.layout);
        test::SimPlatform p(std::string("client\nclient-windows ") + c.layout + "\nstart\n");
        WindowPort& window = p.platform.window;
        ClientWindows found;
        const Hwnd api = p.sim.ClientApiWindow();
        EXPECT_EQ(FindClientWindows(window, found, api), c.pages);
        EXPECT_EQ(FindAddressBar(window, found, api), *c.editClass != '\0');
        EXPECT_EQ(found.mainForm != 0, std::string(c.layout) != "none");
        if (c.pages) {
            EXPECT_EQ(window.GetClassName(found.pageControl), "TTntPageControl.UnicodeClass");
            EXPECT_EQ(window.GetClassName(found.contactList), "tSkContactList.UnicodeClass");
            EXPECT_EQ(window.GetClassName(found.historyList), "tSkBgGrid.UnicodeClass");
        } else {
            EXPECT_EQ(found.pageControl, 0u);
        }
        EXPECT_EQ(window.GetClassName(found.addressBar), c.editClass);
    }
}

TEST(ClientControl, NewestRecordingByCreationTimeTheLaterListedOnATie) {
    test::SimPlatform p(
        "file rec\\b.wav created=1000\n"
        "file rec\\C.wav created=2000\n"
        "file rec\\a.wav created=2000\n"
        "file rec\\d.txt created=9000\n"
        "file other.wav created=9999\n"
        "start\n");
    EXPECT_EQ(p.platform.files.FindFiles("C:\\Calvox\\rec\\*.*"),
              (std::vector<std::string>{"a.wav", "b.wav", "C.wav", "d.txt"}));
    std::string newest;
    ASSERT_TRUE(FindNewestRecording(p.platform.files, "C:\\Calvox\\rec", newest));
    EXPECT_EQ(newest, "C:\\Calvox\\rec\\C.wav");
    EXPECT_FALSE(FindNewestRecording(p.platform.files, "C:\\Calvox\\missing", newest));
}

}  // namespace
}  // namespace calvox
