#include "hub/hub.h"

#include <gtest/gtest.h>

#include "base/hub_messages.h"
#include "hub/startup.h"
#include "support/null_platform.h"

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

// An inert platform that keeps what is posted and numbers the registered messages.
class PostingPlatform : public test::NullPlatform {
public:
    std::vector<Msg> posted;
    unsigned nextMessage = 0xC000;
    bool PostMessage(Hwnd w, unsigned m, WParam wp, LParam lp) override {
        posted.push_back({w, m, wp, lp});
        return true;
    }
    unsigned RegisterWindowMessage(const std::string&) override { return nextMessage++; }
};

class HubTest : public ::testing::Test {
protected:
    void SetUp() override {
        hub.Window().Created(kHubWindow);
        hub.Handle(wm::kCreate, 0, 0);
        platform.posted.clear();
    }
    static constexpr Hwnd kHubWindow = 0x100;
    static constexpr Hwnd kClient = test::NullPlatform::kClient;
    PostingPlatform platform;
    Hub hub{platform.ports};
};

// A text still queued when the window goes is dropped with it; a notify message
// that names no text of ours (anyone may post one) is ignored.
TEST_F(HubTest, QueuedTextsGoWithTheWindowAndForeignNoticesAreIgnored) {
    hub.Link().SetApiWindow(kClient);
    const std::string text("USERSTATUS ONLINE", sizeof "USERSTATUS ONLINE");
    hub.OnCopyData(kClient, text);
    hub.OnCopyData(kClient, text);
    ASSERT_EQ(platform.posted.size(), 2u);
    hub.Handle(HUBM_SKYPE_NOTIFY, platform.posted[0].wParam, 0);
    hub.Handle(HUBM_SKYPE_NOTIFY, platform.posted[0].wParam, 0);
    hub.Handle(HUBM_SKYPE_NOTIFY, platform.posted[1].wParam + 1, 0);
    EXPECT_EQ(hub.Link().QueuedCopies(), 1u);
    hub.Handle(wm::kDestroy, 0, 0);
    EXPECT_EQ(hub.Link().QueuedCopies(), 0u);
}

TEST_F(HubTest, OnlyAnAcceptedAttachIsPostedBackToTheHub) {
    const unsigned attach = 0xC000 + REG_SKYPE_ATTACH;
    hub.Handle(attach, kClient, 2);
    EXPECT_TRUE(platform.posted.empty());
    hub.Handle(attach, kClient, 0);
    ASSERT_EQ(platform.posted.size(), 1u);
    EXPECT_EQ(platform.posted[0].message, HUBM_SKYPE_ATTACHED);
    EXPECT_EQ(platform.posted[0].hwnd, kHubWindow);
}

}  // namespace
}  // namespace calvox
