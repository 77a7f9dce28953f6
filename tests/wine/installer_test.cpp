// Calvox-Setup.exe under Wine: a silent installation for the current user, the
// installed program at work, and an uninstallation that leaves nothing of it.
#include <shlobj.h>

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
    ASSERT_TRUE(setup.Start(BuiltFile("Calvox-Setup.exe"), "/S /D=" + target));
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

}  // namespace
}  // namespace wine_test
