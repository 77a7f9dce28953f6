#include "client/transport.h"

#include <gtest/gtest.h>

#include <deque>

#include "hub/hub.h"
#include "hub/hub_messages.h"
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

    LResult SendCopyData(Hwnd to, Hwnd, const CopyDataRecord& r) override {
        if (to != client) return 0;
        sent.push_back({std::string(static_cast<const char*>(r.lpData), r.cbData), r.cbData});
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
    App app{platform};
    const Hwnd hub = 0x100;

    void Attach() { app.hub.skypeApiWindow = windows.client; }
};

TEST_F(TransportTest, CountsTheTerminatorInCbData) {
    Attach();
    EXPECT_EQ(SendSkypeCommand(app, "GET USERSTATUS", hub), 1);
    ASSERT_EQ(windows.sent.size(), 1u);
    EXPECT_EQ(windows.sent[0].cb, 15u);
    EXPECT_EQ(windows.sent[0].bytes, std::string("GET USERSTATUS\0", 15));
}

TEST_F(TransportTest, AnsiTextGoesOutAsUtf8) {
    Attach();
    SendSkypeCommand(app, "CALL J\xFCrgen \x80", hub);  // ü and the euro sign in 1252
    ASSERT_EQ(windows.sent.size(), 1u);
    EXPECT_EQ(windows.sent[0].bytes, std::string("CALL J\xC3\xBCrgen \xE2\x82\xAC") + std::string(1, 0));
}

TEST_F(TransportTest, LongCommandGoesWhole) {
    Attach();
    std::string text = "CALL " + std::string(600, 'x');
    SendSkypeCommand(app, text, hub);
    ASSERT_EQ(windows.sent.size(), 1u);
    EXPECT_EQ(windows.sent[0].cb, text.size() + 1);
}

TEST_F(TransportTest, NothingBeforeAttachOrForEmptyText) {
    EXPECT_EQ(SendSkypeCommand(app, "PING", hub), 0);
    Attach();
    windows.clientAlive = false;
    EXPECT_EQ(SendSkypeCommand(app, "PING", hub), 0);
    windows.clientAlive = true;
    EXPECT_EQ(SendSkypeCommand(app, "", hub), 0);
    EXPECT_TRUE(windows.sent.empty());
    EXPECT_EQ(windows.broadcasts, 0);
}

TEST_F(TransportTest, RefusedCommandIsProbedWithPingThenTheLinkIsLost) {
    Attach();
    windows.returns = {0, 1};
    SendSkypeCommand(app, "GET CONNSTATUS", hub);
    ASSERT_EQ(windows.sent.size(), 2u);
    EXPECT_EQ(windows.sent[1].cb, 4u);
    EXPECT_EQ(windows.sent[1].bytes, "PING");
    EXPECT_EQ(app.hub.skypeApiWindow, windows.client);
    EXPECT_EQ(windows.broadcasts, 0);

    windows.returns = {0, 0};
    SendSkypeCommand(app, "GET CONNSTATUS", hub);
    EXPECT_EQ(windows.sent.size(), 4u);
    EXPECT_EQ(app.hub.skypeApiWindow, 0u);
    EXPECT_EQ(windows.broadcasts, 1);
}

TEST_F(TransportTest, ReceivedTextIsCopiedWithATerminatorOfItsOwn) {
    Attach();
    const char bytes[] = {'U', 'S', 'E', 'R'};  // no terminator
    CopyDataRecord record{0, sizeof bytes, bytes};
    EXPECT_EQ(OnCopyData(app, hub, windows.client, reinterpret_cast<LParam>(&record)), 1);
    ASSERT_EQ(windows.posted.size(), 1u);
    EXPECT_EQ(windows.posted[0].message, HUBM_SKYPE_NOTIFY);
    std::unique_ptr<char[]> copy(TakeNotificationCopy(app, windows.posted[0].wParam));
    EXPECT_STREQ(copy.get(), "USER");
    EXPECT_EQ(TakeNotificationCopy(app, windows.posted[0].wParam), nullptr);
}

// A text still queued when the window goes is freed with it; a notify message
// that names no copy of ours (anyone may post one) is ignored, not freed.
TEST_F(TransportTest, QueuedTextsGoWithTheWindowAndForeignBlocksAreLeftAlone) {
    Attach();
    const char text[] = "USERSTATUS ONLINE";
    CopyDataRecord record{0, sizeof text, text};
    OnCopyData(app, hub, windows.client, reinterpret_cast<LParam>(&record));
    OnCopyData(app, hub, windows.client, reinterpret_cast<LParam>(&record));
    ASSERT_EQ(windows.posted.size(), 2u);
    HubWindowProc(app, hub, HUBM_SKYPE_NOTIFY, windows.posted[0].wParam, 0);
    HubWindowProc(app, hub, HUBM_SKYPE_NOTIFY, windows.posted[0].wParam, 0);
    char foreign[] = "USERSTATUS AWAY";
    HubWindowProc(app, hub, HUBM_SKYPE_NOTIFY, reinterpret_cast<WParam>(foreign), 0);
    EXPECT_STREQ(foreign, "USERSTATUS AWAY");
    EXPECT_EQ(app.notificationCopies.size(), 1u);
    HubWindowProc(app, hub, wm::kDestroy, 0, 0);
    EXPECT_TRUE(app.notificationCopies.empty());
}

TEST_F(TransportTest, ReceiveIgnoresOtherSendersAndEmptyBlocks) {
    Attach();
    const char text[] = "X";
    CopyDataRecord record{0, 2, text};
    EXPECT_EQ(OnCopyData(app, hub, 0x777, reinterpret_cast<LParam>(&record)), 1);
    EXPECT_EQ(OnCopyData(app, hub, 0, reinterpret_cast<LParam>(&record)), 1);
    CopyDataRecord empty{0, 0, text};
    EXPECT_EQ(OnCopyData(app, hub, windows.client, reinterpret_cast<LParam>(&empty)), 1);
    CopyDataRecord null{0, 5, nullptr};
    EXPECT_EQ(OnCopyData(app, hub, windows.client, reinterpret_cast<LParam>(&null)), 1);
    EXPECT_TRUE(windows.posted.empty());
}

TEST_F(TransportTest, AttachStatuses) {
    EXPECT_EQ(OnSkypeAttach(app, hub, windows.client, 2), 0);
    EXPECT_EQ(app.hub.skypeApiWindow, 0u);
    EXPECT_TRUE(windows.posted.empty());
    EXPECT_EQ(OnSkypeAttach(app, hub, windows.client, 0x8001), 0);
    EXPECT_EQ(windows.broadcasts, 1);
    EXPECT_EQ(app.hub.skypeApiWindow, 0u);
    EXPECT_EQ(OnSkypeAttach(app, hub, windows.client, 0), 0);
    EXPECT_EQ(app.hub.skypeApiWindow, windows.client);
    ASSERT_EQ(windows.posted.size(), 1u);
    EXPECT_EQ(windows.posted[0].message, HUBM_SKYPE_ATTACHED);
}

}  // namespace
}  // namespace calvox
