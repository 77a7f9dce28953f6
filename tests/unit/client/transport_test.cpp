#include "client/transport.h"

#include <gtest/gtest.h>

#include <deque>

#include "base/hub_messages.h"
#include "support/null_platform.h"
#include "support/sim_platform.h"

namespace calvox {
namespace {

// The client's side of WM_COPYDATA and the discover broadcast.
class FakeClientWindows : public test::NullPlatform {
public:
    struct Sent {
        std::string bytes;
        std::uint32_t cb;
    };
    std::vector<Sent> sent;
    std::deque<LResult> returns;  // then 1
    int broadcasts = 0;
    std::vector<Msg> posted;
    Hwnd client = 0x500;
    bool clientAlive = true;

    LResult SendCopyData(Hwnd to, Hwnd, std::string_view bytes) override {
        if (to != client) return 0;
        sent.push_back({std::string(bytes), static_cast<std::uint32_t>(bytes.size())});
        if (returns.empty()) return 1;
        LResult v = returns.front();
        returns.pop_front();
        return v;
    }
    void BroadcastMessageTimeout(unsigned, WParam, LParam, unsigned) override { ++broadcasts; }
    bool IsWindow(Hwnd w) override { return w == client && clientAlive; }
    bool PostMessage(Hwnd w, unsigned m, WParam wp, LParam lp) override {
        posted.push_back({w, m, wp, lp});
        return true;
    }
};

class TransportTest : public ::testing::Test {
protected:
    test::SimPlatform sim;
    FakeClientWindows windows;
    Platform platform = sim.With({.window = &windows});
    DiagnosticLog log{nullptr};
    HubWindow hub{windows, platform.clock};
    RegisteredMessageIds messages{};
    ClientLink link{windows, platform.text, log, hub, messages};

    void SetUp() override { hub.Created(0x100); }
    void Attach() { link.SetApiWindow(windows.client); }
};

TEST_F(TransportTest, CountsTheTerminatorInCbData) {
    Attach();
    EXPECT_TRUE(link.Send("GET USERSTATUS"));
    ASSERT_EQ(windows.sent.size(), 1u);
    EXPECT_EQ(windows.sent[0].cb, 15u);
    EXPECT_EQ(windows.sent[0].bytes, std::string("GET USERSTATUS\0", 15));
}

TEST_F(TransportTest, AnsiTextGoesOutAsUtf8) {
    Attach();
    link.Send("CALL J\xFCrgen \x80");  // ü and the euro sign in 1252
    ASSERT_EQ(windows.sent.size(), 1u);
    EXPECT_EQ(windows.sent[0].bytes, std::string("CALL J\xC3\xBCrgen \xE2\x82\xAC") + std::string(1, 0));
}

TEST_F(TransportTest, LongCommandGoesWhole) {
    Attach();
    std::string text = "CALL " + std::string(600, 'x');
    link.Send(text);
    ASSERT_EQ(windows.sent.size(), 1u);
    EXPECT_EQ(windows.sent[0].cb, text.size() + 1);
}

TEST_F(TransportTest, NothingBeforeAttachOrForEmptyText) {
    EXPECT_FALSE(link.Send("PING"));
    Attach();
    windows.clientAlive = false;
    EXPECT_FALSE(link.Send("PING"));
    windows.clientAlive = true;
    EXPECT_FALSE(link.Send(""));
    EXPECT_TRUE(windows.sent.empty());
    EXPECT_EQ(windows.broadcasts, 0);
}

TEST_F(TransportTest, RefusedCommandIsProbedWithPingThenTheLinkIsLost) {
    Attach();
    windows.returns = {0, 1};
    link.Send("GET CONNSTATUS");
    ASSERT_EQ(windows.sent.size(), 2u);
    EXPECT_EQ(windows.sent[1].cb, 4u);
    EXPECT_EQ(windows.sent[1].bytes, "PING");
    EXPECT_EQ(link.ApiWindow(), windows.client);
    EXPECT_EQ(windows.broadcasts, 0);

    windows.returns = {0, 0};
    link.Send("GET CONNSTATUS");
    EXPECT_EQ(windows.sent.size(), 4u);
    EXPECT_EQ(link.ApiWindow(), 0u);
    EXPECT_EQ(windows.broadcasts, 1);
}

TEST_F(TransportTest, ReceivedTextIsCopiedWithATerminatorOfItsOwn) {
    Attach();
    // No terminator, then one counted with bytes after it.
    EXPECT_EQ(link.OnCopyData(windows.client, "USER"), 1);
    EXPECT_EQ(link.OnCopyData(windows.client, std::string("USER\0AWAY", 10)), 1);
    ASSERT_EQ(windows.posted.size(), 2u);
    EXPECT_EQ(windows.posted[0].message, HUBM_SKYPE_NOTIFY);
    EXPECT_NE(windows.posted[0].wParam, windows.posted[1].wParam);
    EXPECT_EQ(link.TakeNotificationCopy(windows.posted[0].wParam), "USER");
    EXPECT_EQ(link.TakeNotificationCopy(windows.posted[0].wParam), std::nullopt);
    EXPECT_EQ(link.TakeNotificationCopy(windows.posted[1].wParam), "USER");
}

// A text still queued when the window goes is dropped with it; a notify message
// that names no text of ours (anyone may post one) is ignored.
TEST_F(TransportTest, QueuedTextsGoWithTheWindowAndForeignNoticesAreIgnored) {
    Attach();
    const std::string text("USERSTATUS ONLINE", sizeof "USERSTATUS ONLINE");
    link.OnCopyData(windows.client, text);
    link.OnCopyData(windows.client, text);
    ASSERT_EQ(windows.posted.size(), 2u);
    EXPECT_EQ(link.TakeNotificationCopy(windows.posted[0].wParam), "USERSTATUS ONLINE");
    EXPECT_EQ(link.TakeNotificationCopy(windows.posted[0].wParam), std::nullopt);
    EXPECT_EQ(link.TakeNotificationCopy(windows.posted[1].wParam + 1), std::nullopt);
    EXPECT_EQ(link.QueuedCopies(), 1u);
    link.DropNotificationCopies();
    EXPECT_EQ(link.QueuedCopies(), 0u);
}

TEST_F(TransportTest, ReceiveIgnoresOtherSendersAndEmptyBlocks) {
    Attach();
    const std::string text("X", 2);
    EXPECT_EQ(link.OnCopyData(0x777, text), 1);
    EXPECT_EQ(link.OnCopyData(0, text), 1);
    EXPECT_EQ(link.OnCopyData(windows.client, {}), 1);
    EXPECT_TRUE(windows.posted.empty());
}

TEST_F(TransportTest, AttachStatuses) {
    EXPECT_FALSE(link.OnAttach(windows.client, 2));
    EXPECT_EQ(link.ApiWindow(), 0u);
    EXPECT_TRUE(windows.posted.empty());
    EXPECT_FALSE(link.OnAttach(windows.client, 0x8001));
    EXPECT_EQ(windows.broadcasts, 1);
    EXPECT_EQ(link.ApiWindow(), 0u);
    EXPECT_TRUE(link.OnAttach(windows.client, 0));
    EXPECT_EQ(link.ApiWindow(), windows.client);
}

}  // namespace
}  // namespace calvox
