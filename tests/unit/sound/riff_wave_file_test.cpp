#include "sound/riff_wave_file.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/sim_platform.h"

namespace calvox {
namespace {

std::uint32_t At32(const std::string& b, std::size_t o) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(b[o + i]);
    return v;
}

// The bytes of a file in the simulator's folder.
std::string Bytes(test::SimPlatform& p, const std::string& path) {
    std::string bytes(1 << 20, '\0');
    std::size_t got = 0;
    const FileHandle f = p.platform.binaryFiles.OpenFile(path, FileOpenMode::Read);
    if (f == 0) return {};
    p.platform.binaryFiles.ReadFile(f, bytes.data(), bytes.size(), got);
    p.platform.binaryFiles.CloseFile(f);
    bytes.resize(got);
    return bytes;
}

void Put(test::SimPlatform& p, const std::string& path, const std::string& bytes) {
    const FileHandle f = p.platform.binaryFiles.OpenFile(path, FileOpenMode::Create);
    p.platform.binaryFiles.WriteFile(f, bytes.data(), bytes.size());
    p.platform.binaryFiles.CloseFile(f);
}

TEST(RiffWaveFile, WrittenFileReadsBackWithItsSizesAndFinishedFact) {
    test::SimPlatform p;
    const std::string path = "C:\\Calvox\\m.wav";
    std::vector<std::uint8_t> samples(40001);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::uint8_t>(i * 7);
    {
        RiffWaveFile out(p.platform.binaryFiles);
        ASSERT_EQ(out.OpenWrite(path, PcmFormat(1, 8000, 16)), kSOk);
        std::uint32_t written = 0;
        // More than the write buffer holds, in two parts.
        ASSERT_EQ(out.Write(30000, samples.data(), written), kSOk);
        ASSERT_EQ(out.Write(10001, samples.data() + 30000, written), kSOk);
        EXPECT_EQ(written, 10001u);

        // Not closed yet: the sizes are 0 and "fact" says unfinished.
        const std::string early = Bytes(p, path);
        EXPECT_EQ(At32(early, 4), 0u);
        EXPECT_EQ(early.substr(36, 4), "fact");
        EXPECT_EQ(At32(early, 44), 0xFFFFFFFFu);
        EXPECT_EQ(At32(early, 52), 0u);
    }
    const std::string b = Bytes(p, path);
    // RIFF, fmt (16 bytes for PCM), fact, data, one pad byte after odd data.
    ASSERT_EQ(b.size(), 12u + 24 + 12 + 8 + 40001 + 1);
    EXPECT_EQ(At32(b, 4), b.size() - 8);
    EXPECT_EQ(At32(b, 16), 16u);
    EXPECT_EQ(At32(b, 44), 0u);
    EXPECT_EQ(At32(b, 52), 40001u);

    RiffWaveFile in(p.platform.binaryFiles);
    ASSERT_EQ(in.OpenRead(path), kSOk);
    EXPECT_EQ(in.DataSize(), 40001u);
    EXPECT_EQ(in.Format().blockAlign, 2);
    std::vector<std::uint8_t> back(50000);
    std::uint32_t got = 0;
    ASSERT_EQ(in.Read(back.data(), 50000, got), kSOk);
    back.resize(got);
    EXPECT_EQ(back, samples);
    EXPECT_EQ(in.Read(nullptr, 1, got), kEInvalidArg);
}

TEST(RiffWaveFile, AFileCutShortByAFullDiskDescribesWhatReachedIt) {
    test::SimPlatform p("disk-free 40000\n");
    const std::string path = "C:\\Calvox\\m.wav";
    std::vector<std::uint8_t> samples(90000);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::uint8_t>(i * 7);
    {
        RiffWaveFile out(p.platform.binaryFiles);
        ASSERT_EQ(out.OpenWrite(path, PcmFormat(1, 8000, 16)), kSOk);
        std::uint32_t written = 0;
        // The second write fills the disk part-way; nothing is taken after it.
        for (std::size_t at : {0, 30000, 60000})
            EXPECT_EQ(out.Write(30000, samples.data() + at, written) == kSOk, at == 0) << at;
        EXPECT_NE(out.Close(), kSOk);
    }
    const std::uint32_t data = 40000 - 56;  // after the header
    RiffWaveFile in(p.platform.binaryFiles);
    ASSERT_EQ(in.OpenRead(path), kSOk);
    EXPECT_EQ(in.DataSize(), data);
    std::vector<std::uint8_t> back(data);
    std::uint32_t got = 0;
    ASSERT_EQ(in.Read(back.data(), data, got), kSOk);
    EXPECT_TRUE(std::equal(back.begin(), back.end(), samples.begin())) << "contiguous, no gap";
}

TEST(RiffWaveFile, MalformedAndTruncatedFilesAreRefused) {
    test::SimPlatform p("file good.wav wav 1 8000 16 1\n");
    const std::string good = Bytes(p, "C:\\Calvox\\good.wav");
    auto with = [&](std::size_t offset, const std::string& bytes) {
        return std::string(good).replace(offset, bytes.size(), bytes);
    };
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"header cut", good.substr(0, 10)},
        {"not RIFF", with(0, "RIFX")},
        {"not WAVE", with(8, "AVI ")},
        {"no fmt", with(12, "fmtx")},
        {"fmt shorter than 16", with(16, std::string("\x0e\0\0\0", 4))},
        {"no data", with(36, "datx")},
        {"data cut short", good.substr(0, good.size() - 1)},
        {"chunk past the end", with(16, "\xf0\xff\xff\xff")},
        // Not PCM, with 300 extra bytes in an 18-byte chunk.
        {"extra size past its chunk",
         with(16, std::string("\x12\0\0\0\xfe\xff", 6)).insert(36, std::string("\x2c\x01", 2))},
    };
    for (const auto& c : cases) {
        Put(p, "C:\\Calvox\\f.wav", c.bytes);
        RiffWaveFile in(p.platform.binaryFiles);
        EXPECT_EQ(in.OpenRead("C:\\Calvox\\f.wav"), kEInvalidData) << c.what;
        std::uint8_t byte = 0;
        std::uint32_t got = 1;
        EXPECT_EQ(in.Read(&byte, 1, got), kCoENotInitialized) << c.what;
    }
    // A name that is no file may be a resource of the program.
    RiffWaveFile in(p.platform.binaryFiles);
    EXPECT_EQ(in.OpenRead("C:\\Calvox\\none.wav"), kEFileNotFound);
    EXPECT_EQ(in.OpenRead("#133"), kSOk);
    EXPECT_EQ(in.Format().channels, 2);
}

}  // namespace
}  // namespace calvox
