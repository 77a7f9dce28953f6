#include "answering/riff_wave_file.h"

#include <gtest/gtest.h>

#include "answering/sound_bench.h"

namespace calvox {
namespace {

std::uint32_t At32(const std::vector<std::uint8_t>& b, std::size_t o) {
    return static_cast<std::uint32_t>(b[o] | (b[o + 1] << 8) | (b[o + 2] << 16)) |
           (std::uint32_t{b[o + 3]} << 24);
}

TEST(RiffWaveFile, WrittenFileReadsBackWithItsSizesAndFinishedFact) {
    test::SoundBench bench;
    std::vector<std::uint8_t> samples(40001);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::uint8_t>(i * 7);
    {
        RiffWaveFile out(bench);
        ASSERT_EQ(out.OpenWrite("m.wav", PcmFormat(1, 8000, 16)), kSOk);
        std::uint32_t written = 0;
        // More than the write buffer holds, in two parts.
        ASSERT_EQ(out.Write(30000, samples.data(), written), kSOk);
        EXPECT_EQ(written, 30000u);
        ASSERT_EQ(out.Write(10001, samples.data() + 30000, written), kSOk);

        // Before the close the file shows an unfinished header.
        const std::vector<std::uint8_t>& early = bench.files["m.wav"];
        EXPECT_EQ(At32(early, 4), 0u);
        EXPECT_EQ(std::string(early.begin() + 36, early.begin() + 40), "fact");
        EXPECT_EQ(At32(early, 44), 0xFFFFFFFFu);
        EXPECT_EQ(At32(early, 52), 0u);
        ASSERT_EQ(out.Close(), kSOk);
    }
    const std::vector<std::uint8_t>& b = bench.files["m.wav"];
    // RIFF, fmt (16 bytes for PCM), fact, data, one pad byte after odd data.
    ASSERT_EQ(b.size(), 12u + 24 + 12 + 8 + 40001 + 1);
    EXPECT_EQ(At32(b, 4), b.size() - 8);
    EXPECT_EQ(At32(b, 16), 16u);
    EXPECT_EQ(At32(b, 44), 0u);
    EXPECT_EQ(At32(b, 52), 40001u);

    RiffWaveFile in(bench);
    ASSERT_EQ(in.OpenRead("m.wav"), kSOk);
    EXPECT_EQ(in.DataSize(), 40001u);
    EXPECT_EQ(in.Format().samplesPerSec, 8000u);
    EXPECT_EQ(in.Format().blockAlign, 2);
    std::vector<std::uint8_t> back(50000);
    std::uint32_t got = 0;
    ASSERT_EQ(in.Read(back.data(), 50000, got), kSOk);
    ASSERT_EQ(got, 40001u);
    back.resize(got);
    EXPECT_EQ(back, samples);
    EXPECT_EQ(in.Read(back.data(), 10, got), kSOk);
    EXPECT_EQ(got, 0u);
}

TEST(RiffWaveFile, ExtendedFormatKeepsItsExtraBytes) {
    test::SoundBench bench;
    WaveFormat f = PcmFormat(1, 8000, 16);
    f.formatTag = kWaveFormatExtensible;
    f.extra = {16, 0, 4, 0, 0, 0, 1, 0, 0, 0, 0, 0, 16, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    {
        RiffWaveFile out(bench);
        ASSERT_EQ(out.OpenWrite("x.wav", f), kSOk);
    }
    EXPECT_EQ(At32(bench.files["x.wav"], 16), 18u + 22);
    RiffWaveFile in(bench);
    ASSERT_EQ(in.OpenRead("x.wav"), kSOk);
    EXPECT_EQ(in.Format().formatTag, kWaveFormatExtensible);
    EXPECT_EQ(in.Format().extra, f.extra);
    EXPECT_EQ(in.DataSize(), 0u);
}

TEST(RiffWaveFile, MalformedAndTruncatedFilesAreRefused) {
    const std::vector<std::uint8_t> good = test::WaveBytes(test::PcmFmt(1, 8000, 16, 16000), 100);
    auto with = [&](std::size_t offset, std::vector<std::uint8_t> bytes) {
        std::vector<std::uint8_t> b = good;
        std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<std::ptrdiff_t>(offset));
        return b;
    };
    std::vector<std::uint8_t> extraTooLong = test::WaveBytes(
        {0xFE, 0xFF, 1, 0, 0x40, 0x1F, 0, 0, 0x80, 0x3E, 0, 0, 2, 0, 16, 0, 22, 0}, 100);
    const struct {
        const char* what;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"empty", {}},
        {"header cut", std::vector<std::uint8_t>(good.begin(), good.begin() + 10)},
        {"not RIFF", with(0, {'R', 'I', 'F', 'X'})},
        {"not WAVE", with(8, {'A', 'V', 'I', ' '})},
        {"no fmt", with(12, {'f', 'm', 't', 'x'})},
        {"fmt shorter than 16", with(16, {14, 0, 0, 0})},
        {"no data", with(36, {'d', 'a', 't', 'x'})},
        {"data cut short", std::vector<std::uint8_t>(good.begin(), good.end() - 1)},
        {"chunk past the end", with(16, {0xF0, 0xFF, 0xFF, 0xFF})},
        {"extra size past its chunk", extraTooLong},
    };
    for (const auto& c : cases) {
        test::SoundBench bench;
        bench.files["f.wav"] = c.bytes;
        RiffWaveFile in(bench);
        EXPECT_EQ(in.OpenRead("f.wav"), kEFail) << c.what;
        std::uint8_t byte = 0;
        std::uint32_t got = 1;
        EXPECT_EQ(in.Read(&byte, 1, got), kCoENotInitialized) << c.what;
        EXPECT_EQ(got, 0u);
    }
    test::SoundBench bench;
    bench.files["f.wav"] = good;
    RiffWaveFile in(bench);
    ASSERT_EQ(in.OpenRead("f.wav"), kSOk);
    std::uint32_t got = 0;
    EXPECT_EQ(in.Read(nullptr, 1, got), kEInvalidArg);
}

TEST(RiffWaveFile, NameThatIsNoFileLoadsFromTheProgramsResources) {
    test::SoundBench bench;
    bench.resources["#133/WAVE"] = test::WaveBytes(test::PcmFmt(2, 44100, 16, 176400), 400);
    RiffWaveFile in(bench);
    ASSERT_EQ(in.OpenRead("#133"), kSOk);
    EXPECT_EQ(in.DataSize(), 400u);
    EXPECT_EQ(in.Format().channels, 2);
    EXPECT_EQ(in.OpenRead("#134"), kEFail);
}

}  // namespace
}  // namespace calvox
