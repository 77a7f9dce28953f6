// The setup under Wine: a silent installation for the current user, the
// installed program at work, and an uninstallation that leaves nothing of it.
// Wine here runs no 32-bit code, so the 64-bit setup (the same script as the
// 32-bit Calvox-Setup.exe) is the one run.
#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "calvox_fixture.h"

namespace wine_test {
namespace {

constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kUninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Calvox";

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string BuiltFile(const std::string& name) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path = self;
    return path.substr(0, path.find_last_of('\\') + 1) + name;
}

std::string MenuFolder() {
    char programs[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs);
    return std::string(programs) + "\\Calvox";
}

// A string value under HKCU; empty when it is missing.
std::string UserValue(const char* key, const char* name) {
    char data[MAX_PATH] = {};
    DWORD size = sizeof data;
    if (RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, data, &size) !=
        ERROR_SUCCESS)
        return {};
    return data;
}

TEST_F(CalvoxTest, SetupInstallsForTheUserAndUninstallRemovesItAll) {
    const std::string target = folder.File("Installed");
    Process setup;
    ASSERT_TRUE(setup.Start(BuiltFile("Calvox-Setup-x64.exe"), "/S /D=" + target));
    DWORD code = 1;
    ASSERT_TRUE(setup.WaitForExit(60000, &code)) << "setup did not end";
    EXPECT_EQ(code, 0u);

    const std::vector<std::string> installed = {
        target + "\\Calvox.exe", target + "\\Calvox.ini", target + "\\Uninstall.exe",
        MenuFolder() + "\\Calvox.lnk", MenuFolder() + "\\Uninstall Calvox.lnk"};
    for (const std::string& path : installed) EXPECT_TRUE(Exists(path)) << path;
    EXPECT_EQ(UserValue(kRunKey, "Calvox"), "\"" + target + "\\Calvox.exe\"");
    EXPECT_EQ(UserValue(kUninstallKey, "InstallLocation"), target);

    // The installed program starts, is found by the client's answer to its
    // discover broadcast and attaches.
    ASSERT_TRUE(calvox.Start(target + "\\Calvox.exe", ""));
    hidden = WaitForHiddenWindow(kStartLimitMs);
    ASSERT_NE(hidden, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return client.Commands().size() >= kFirstCommands.size(); },
                          kStartLimitMs));
    EXPECT_EQ(client.Commands(), kFirstCommands);
    ASSERT_NO_FATAL_FAILURE(CloseCalvox());

    // The uninstaller runs from a copy of itself, so the folder going away is its end.
    Process uninstall;
    ASSERT_TRUE(uninstall.Start(target + "\\Uninstall.exe", "/S"));
    EXPECT_TRUE(PumpUntil([&] { return !Exists(target); }, 60000)) << "the folder is still there";
    for (const std::string& path : installed) EXPECT_FALSE(Exists(path)) << path;
    EXPECT_FALSE(Exists(MenuFolder()));
    EXPECT_EQ(UserValue(kRunKey, "Calvox"), "");
    EXPECT_EQ(UserValue(kUninstallKey, "InstallLocation"), "");
}

// The machine field of a program file's PE header (0x8664 x64, 0x14C i386).
unsigned Machine(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return 0;
    unsigned char head[4096] = {};
    const std::size_t got = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    if (got < 0x40) return 0;
    const std::size_t pe = head[0x3C] | head[0x3D] << 8;
    if (pe + 6 > got || std::memcmp(head + pe, "PE\0\0", 4) != 0) return 0;
    return head[pe + 4] | head[pe + 5] << 8;
}

TEST_F(CalvoxTest, SetupInstallsThe64BitProgramUnlessThe32BitOneIsChosen) {
    if (!Exists(BuiltFile("Calvox-Setup.exe")))
        GTEST_SKIP() << "no 32-bit build in this one (preset windows32)";
    for (const bool choose32 : {false, true}) {
        const std::string target = folder.File(choose32 ? "Installed32" : "Installed64");
        Process setup;
        ASSERT_TRUE(setup.Start(BuiltFile("Calvox-Setup-x64.exe"),
                                std::string("/S ") + (choose32 ? "/32 " : "") + "/D=" + target));
        DWORD code = 1;
        ASSERT_TRUE(setup.WaitForExit(60000, &code)) << "setup did not end";
        EXPECT_EQ(code, 0u);
        EXPECT_EQ(Machine(target + "\\Calvox.exe"), choose32 ? 0x14Cu : 0x8664u);
        Process uninstall;
        ASSERT_TRUE(uninstall.Start(target + "\\Uninstall.exe", "/S"));
        EXPECT_TRUE(PumpUntil([&] { return !Exists(target); }, 60000));
    }
}

}  // namespace
}  // namespace wine_test
