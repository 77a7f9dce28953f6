#include "hub/hub.h"

#include <gtest/gtest.h>

#include "hub/app.h"

namespace calvox {
namespace {

TEST(PairArrivals, DelayByDistanceOfTheTwoStamps) {
    struct Case {
        std::int64_t audio, hid;
        std::uint32_t delay;
        bool cleared;
    };
    const Case cases[] = {
        {100, 100, 1000, true},  {100, 101, 1000, true}, {101, 100, 1000, true},
        {100, 102, 10000, true}, {100, 115, 10000, true}, {115, 100, 10000, true},
        {100, 116, 0, false},    {100, 0, 0, false},      {0, 100, 0, false},
    };
    for (const Case& c : cases) {
        std::int64_t audio = c.audio, hid = c.hid;
        EXPECT_EQ(PairArrivals(audio, hid), c.delay) << c.audio << " " << c.hid;
        EXPECT_EQ(audio == 0 && hid == 0, c.cleared || (c.audio == 0 && c.hid == 0));
        if (!c.cleared) {
            EXPECT_EQ(audio, c.audio);
            EXPECT_EQ(hid, c.hid);
        }
    }
}

TEST(PairArrivals, StaleStampPairsWithALaterArrival) {
    std::int64_t audio = 100, hid = 130;
    EXPECT_EQ(PairArrivals(audio, hid), 0u);
    audio = 131;  // the audio interface comes again
    EXPECT_EQ(PairArrivals(audio, hid), 1000u);
}

TEST(LaunchLink, TextAfterThePrefixWhereverItStands) {
    std::string link;
    EXPECT_TRUE(FindLaunchLink("SKYPELINK-callto://bob", link));
    EXPECT_EQ(link, "callto://bob");
    EXPECT_TRUE(FindLaunchLink("\"SKYPELINK-callto://bob\"", link));
    EXPECT_EQ(link, "callto://bob");
    EXPECT_TRUE(FindLaunchLink("\"SKYPELINK-callto://bob", link));
    EXPECT_EQ(link, "callto://bob");
    EXPECT_TRUE(FindLaunchLink("SKYPELINK-say \"hi\"", link));
    EXPECT_EQ(link, "say \"hi\"");
    EXPECT_TRUE(FindLaunchLink("ab SKYPELINK-x", link));
    EXPECT_EQ(link, "x");
    EXPECT_TRUE(FindLaunchLink("SKYPELINK-", link));
    EXPECT_EQ(link, "");
    EXPECT_FALSE(FindLaunchLink("", link));
    EXPECT_FALSE(FindLaunchLink("skypelink-x", link));
}

TEST(HiddenWindow, ClassAndCreationParameters) {
    WindowClassSpec c = HiddenWindowClass();
    EXPECT_EQ(c.className, "Calvox Hidden Window class");
    EXPECT_EQ(c.style, 3u);
    EXPECT_EQ(c.backgroundBrush, 5);
    WindowCreateSpec w = HiddenWindowCreation();
    EXPECT_EQ(w.title, "Calvox Hidden Window class");
    EXPECT_EQ(w.style, 0x00CF0000u);
    EXPECT_EQ(w.x, static_cast<int>(0x80000000u));
    EXPECT_EQ(w.height, 0);
}

}  // namespace
}  // namespace calvox
