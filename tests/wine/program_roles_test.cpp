// The launcher role and the executable's resources.
#include "calvox_fixture.h"

namespace wine_test {
namespace {

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class LauncherTest : public CalvoxTest {
protected:
    // A batch file that leaves a marker file when the shell opens it.
    std::string WriteMarkerScript(const std::string& name) {
        marker = folder.File(name + ".txt");
        std::string script = folder.File(name + ".bat");
        EXPECT_TRUE(folder.Write(name + ".bat", "@echo opened> \"" + marker + "\"\r\n"));
        return script;
    }

    // Runs a launcher with commandTail; it must end by itself without a
    // window or a discover, and the shell must run the script.
    void Launch(const std::string& commandTail) {
        Process launcher;
        ASSERT_TRUE(launcher.Start(folder.Exe(), commandTail));
        DWORD code = 1;
        ASSERT_TRUE(launcher.WaitForExit(kExitLimitMs, &code)) << "the launcher stays";
        EXPECT_EQ(code, 0u);
        EXPECT_TRUE(PumpUntil([&] { return FileExists(marker); }, kExitLimitMs))
            << "the link was not opened: " << commandTail;
        EXPECT_TRUE(client.Received(Registered("SkypeControlAPIDiscover")).empty());
    }

    std::string marker;
};

TEST_F(LauncherTest, OpensTheLinkAndCreatesNoWindow) {
    std::string script = WriteMarkerScript("plain");
    ASSERT_NO_FATAL_FAILURE(Launch("SKYPELINK-" + script));
    EXPECT_EQ(FindWindowA(kHiddenClass, kHiddenClass), nullptr);
}

TEST_F(LauncherTest, OpensTheTextAfterThePrefixWhenAQuoteComesFirst) {
    // An unclosed quote: all the text after the prefix is the script's path,
    // so the quote before the prefix must not be part of what is opened.
    std::string script = WriteMarkerScript("quoted");
    ASSERT_NO_FATAL_FAILURE(Launch("\"SKYPELINK-" + script));
    EXPECT_EQ(FindWindowA(kHiddenClass, kHiddenClass), nullptr);
}

TEST_F(LauncherTest, RunsWhileAnInstanceIsResident) {
    ASSERT_NO_FATAL_FAILURE(StartCalvox());
    std::string script = WriteMarkerScript("beside");

    Process launcher;
    ASSERT_TRUE(launcher.Start(folder.Exe(), "SKYPELINK-" + script));
    ASSERT_TRUE(launcher.WaitForExit(kExitLimitMs));
    EXPECT_TRUE(PumpUntil([&] { return FileExists(marker); }, kExitLimitMs));
    EXPECT_EQ(FindWindowA(kHiddenClass, kHiddenClass), hidden);
    ASSERT_NO_FATAL_FAILURE(CloseCalvox());
}

// The colour of the centre pixel of a 16x16 icon, as 0xRRGGBB.
DWORD CentreColour(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return 0xFFFFFFFF;
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = 16;
    format.bmiHeader.biHeight = -16;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<BYTE> pixels(16 * 16 * 4);
    HDC screen = GetDC(nullptr);
    int rows = GetDIBits(screen, info.hbmColor, 0, 16, pixels.data(), &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    if (rows != 16) return 0xFFFFFFFF;
    const BYTE* p = &pixels[(8 * 16 + 8) * 4];
    return (DWORD{p[2]} << 16) | (DWORD{p[1]} << 8) | p[0];
}

TEST_F(CalvoxTest, ExecutableCarriesTheTrayIconsAndItsVersion) {
    HMODULE module = LoadLibraryExA(folder.Exe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    auto load = [&](int id) {
        return static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, 0));
    };
    HICON connect = load(129);
    HICON disconnect = load(130);
    ASSERT_NE(connect, nullptr);
    ASSERT_NE(disconnect, nullptr);
    EXPECT_EQ(CentreColour(connect), 0xFFFFFFu);     // white handset bar on green
    EXPECT_EQ(CentreColour(disconnect), 0xDC1E1Eu);  // red bar on grey
    DestroyIcon(connect);
    DestroyIcon(disconnect);
    FreeLibrary(module);

    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(folder.Exe().c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(folder.Exe().c_str(), 0, size, block.data()));
    char* text = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904b0\\FileVersion",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ(text, "1.0.0.0");
}

}  // namespace
}  // namespace wine_test
