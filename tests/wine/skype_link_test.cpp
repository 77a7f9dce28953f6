// The Desktop API handshake and WM_COPYDATA both ways with a real client peer.
#include "calvox_fixture.h"

namespace wine_test {
namespace {

TEST_F(CalvoxTest, DiscoverAttachAndFirstCommandsWithTheirByteCounts) {
    ASSERT_NO_FATAL_FAILURE(StartAttached());

    std::vector<PeerEvent> discovers = client.Received(Registered("SkypeControlAPIDiscover"));
    ASSERT_EQ(discovers.size(), 1u);
    EXPECT_EQ(reinterpret_cast<HWND>(discovers[0].wParam), hidden);
    EXPECT_EQ(discovers[0].lParam, 0);

    std::vector<PeerEvent> sent = client.Received(WM_COPYDATA);
    ASSERT_EQ(sent.size(), kFirstCommands.size());
    for (std::size_t i = 0; i < sent.size(); ++i) {
        SCOPED_TRACE(kFirstCommands[i]);
        EXPECT_EQ(sent[i].text, kFirstCommands[i]);
        // The terminating NUL is counted.
        EXPECT_EQ(sent[i].cbData, kFirstCommands[i].size() + 1);
        EXPECT_EQ(reinterpret_cast<HWND>(sent[i].wParam), hidden);
    }
    EXPECT_EQ(sent[0].cbData, 12u);
    EXPECT_EQ(sent[3].cbData, 15u);

    ASSERT_NO_FATAL_FAILURE(CloseCalvox());
}

TEST_F(CalvoxTest, CopyDataIsAnsweredWithOneWhoeverSendsIt) {
    ASSERT_NO_FATAL_FAILURE(StartAttached());
    PeerWindow stranger("not the client");
    EXPECT_EQ(SendCopyData(hidden, stranger.hwnd(), "CALL 5 STATUS RINGING"), 1);
    EXPECT_EQ(SendCopyData(hidden, nullptr, "CALL 5 STATUS RINGING"), 1);
    EXPECT_EQ(SendCopyData(hidden, client.hwnd(), "CONNSTATUS ONLINE"), 1);
    // Still alive and attached: nothing was sent back to the stranger.
    PumpFor(200);
    EXPECT_TRUE(stranger.Received(WM_COPYDATA).empty());
    ASSERT_NO_FATAL_FAILURE(CloseCalvox());
}

TEST_F(CalvoxTest, RefusedCommandIsProbedWithPingThenTheClientIsDiscoveredAgain) {
    client.QueueCopyDataReplies({0, 0});
    ASSERT_NO_FATAL_FAILURE(StartCalvox());
    UINT discover = Registered("SkypeControlAPIDiscover");
    ASSERT_TRUE(PumpUntil([&] { return client.Commands().size() >= 2 + kFirstCommands.size(); },
                          kStartLimitMs))
        << "commands received: " << client.Commands().size();

    std::vector<PeerEvent> events;
    for (const PeerEvent& event : client.Events())
        if (event.message == WM_COPYDATA || event.message == discover) events.push_back(event);
    // discover, PROTOCOL 10 (refused), PING (refused), discover, then the
    // first commands again after the new attach; the refused batch is lost.
    ASSERT_GE(events.size(), 4u);
    EXPECT_EQ(events[0].message, discover);
    EXPECT_EQ(events[1].text, "PROTOCOL 10");
    EXPECT_EQ(events[1].cbData, 12u);
    EXPECT_EQ(events[2].text, "PING");
    EXPECT_EQ(events[2].cbData, 4u);
    EXPECT_EQ(events[3].message, discover);
    EXPECT_EQ(reinterpret_cast<HWND>(events[3].wParam), hidden);

    std::vector<std::string> commands = client.Commands();
    std::vector<std::string> afterReattach(commands.begin() + 2, commands.end());
    EXPECT_EQ(afterReattach, kFirstCommands);
    EXPECT_EQ(client.Received(discover).size(), 2u);
    ASSERT_NO_FATAL_FAILURE(CloseCalvox());
}

TEST_F(CalvoxTest, SecondInstanceEndsAtOnceAndTheFirstGoesOn) {
    ASSERT_NO_FATAL_FAILURE(StartAttached());

    Process second;
    ASSERT_TRUE(second.Start(folder.Exe(), ""));
    DWORD code = 1;
    ASSERT_TRUE(second.WaitForExit(3000, &code)) << "the second instance stays";
    EXPECT_EQ(code, 0u);

    PumpFor(200);
    // The second never got as far as its own window or discover.
    EXPECT_EQ(client.Received(Registered("SkypeControlAPIDiscover")).size(), 1u);
    EXPECT_EQ(FindWindowA(kHiddenClass, kHiddenClass), hidden);
    EXPECT_TRUE(calvox.Running());
    PeerWindow stranger("not the client");
    EXPECT_EQ(SendCopyData(hidden, stranger.hwnd(), "PING"), 1);
    ASSERT_NO_FATAL_FAILURE(CloseCalvox());
}

}  // namespace
}  // namespace wine_test
