// The diagnostic log file: written beside Calvox.exe when the settings ask for
// it, with the reason a handset was not found; rolled over at its limit.
#include <fstream>
#include <sstream>

#include "calvox_fixture.h"
#include "win32/win_platform.h"

namespace wine_test {
namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

using DiagnosticLogTest = CalvoxTest;

TEST_F(DiagnosticLogTest, SaysWhyNoHandsetWasFoundOnlyWhenAskedTo) {
    ASSERT_NO_FATAL_FAILURE(StartAttached());
    ASSERT_NO_FATAL_FAILURE(CloseCalvox());
    EXPECT_EQ(GetFileAttributesA(folder.File("Calvox.log").c_str()), INVALID_FILE_ATTRIBUTES)
        << "the log is off by default";

    ASSERT_TRUE(folder.Write("Calvox.ini", "[DIAGNOSTICS]\r\nLOG=1\r\n"));
    // The client already holds the first run's commands: wait for the second's.
    ASSERT_NO_FATAL_FAILURE(StartCalvox());
    ASSERT_TRUE(
        PumpUntil([&] { return client.Commands().size() >= 2 * kFirstCommands.size(); }, 10000));
    ASSERT_NO_FATAL_FAILURE(CloseCalvox());
    const std::string log = ReadAll(folder.File("Calvox.log"));
    EXPECT_EQ(Count(log, " start, settings \"" + folder.File("Calvox.ini") + "\""), 1u) << log;
    EXPECT_EQ(Count(log, " handset not found: no supported handset on the USB\r\n"), 1u) << log;
    EXPECT_EQ(Count(log, " client attach status 0 (attached)\r\n"), 1u) << log;
}

TEST(WinLog, KeepsTheNewestLinesInTwoFilesWithinTheLimit) {
    CalvoxFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::string path = folder.File("test.log");
    constexpr std::size_t kLimit = 1000;
    {
        const auto log = calvox::win32::MakeLogPort(path, kLimit);
        for (int i = 0; i < 100; ++i) log->WriteLine("line " + std::to_string(1000 + i));
    }
    const std::string current = ReadAll(path), older = ReadAll(path + ".1");
    EXPECT_LE(current.size(), kLimit);
    EXPECT_LE(older.size(), kLimit);
    EXPECT_GT(older.size(), kLimit - 40) << "rolled over only when full";
    // Every line whole, stamped, in order; the newest last.
    std::istringstream lines(older + current);
    int previous = 0, count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        ASSERT_EQ(line.size(), 34u) << line;  // "YYYY-MM-DD HH:MM:SS.mmm line NNNN\r"
        const int n = std::stoi(line.substr(29));
        if (previous != 0) {
            EXPECT_EQ(n, previous + 1);
        }
        previous = n;
    }
    EXPECT_EQ(previous, 1099);
    EXPECT_GT(count, 29) << "more than one file holds";
}

TEST(WinLog, GrowsOnWhenAnotherProgramHoldsTheFileAtItsLimit) {
    CalvoxFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::string path = folder.File("held.log");
    // A reader that does not share deletion: the file cannot be moved.
    ASSERT_TRUE(folder.Write("held.log", ""));
    HANDLE holder = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    {
        const auto log = calvox::win32::MakeLogPort(path, 1000);
        for (int i = 0; i < 100; ++i) log->WriteLine("line " + std::to_string(1000 + i));
    }
    CloseHandle(holder);
    const std::string current = ReadAll(path);
    EXPECT_EQ(GetFileAttributesA((path + ".1").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Count(current, " line 1"), 100u) << "no line lost";
    EXPECT_EQ(Count(current, "could not roll over"), 1u) << current;
}

}  // namespace
}  // namespace wine_test
