#include "client/profile.h"

#include <gtest/gtest.h>

#include "calls/call_state.h"
#include "client/notification_parser.h"

namespace calvox {
namespace {

TEST(Ringtone, ElementOnOneLine) {
    EXPECT_EQ(RingtoneFromConfig("<config>\n  <SOUND_FRIEND_CALLING>C:\\ring.wav</SOUND_FRIEND_"
                                 "CALLING>\n</config>\n"),
              "C:\\ring.wav");
}

TEST(Ringtone, ElementSplitOverTwoLinesKeepsTheBreak) {
    EXPECT_EQ(RingtoneFromConfig("<SOUND_FRIEND_CALLING>C:\\my\n ring.wav</SOUND_FRIEND_CALLING>\n"),
              "C:\\my\n ring.wav");
}

TEST(Ringtone, NoElementGivesNothingAndTheLastElementWins) {
    EXPECT_EQ(RingtoneFromConfig("<config/>\n"), "");
    EXPECT_EQ(RingtoneFromConfig("<SOUND_FRIEND_CALLING>a</SOUND_FRIEND_CALLING>\n"
                                 "<SOUND_FRIEND_CALLING>b</SOUND_FRIEND_CALLING>\n"),
              "b");
}

TEST(NotificationTokens, RestOfTheTextKeepsBlanksAndCommas) {
    const std::string text = "CALL 12 PARTNER_DISPNAME John Smith, Jr.";
    NotificationTokens t(text);
    std::string token;
    ASSERT_TRUE(t.Next(token) && t.Next(token) && t.Next(token));
    EXPECT_EQ(token, "PARTNER_DISPNAME");
    EXPECT_EQ(t.Rest(), "John Smith, Jr.");
}

TEST(NotificationTokens, RunsOfDelimitersAndAnEmptyRest) {
    const std::string text = "USERS a, b,,\tc\n";
    NotificationTokens t(text);
    std::vector<std::string> tokens;
    for (std::string token; t.Next(token);) tokens.push_back(token);
    EXPECT_EQ(tokens, (std::vector<std::string>{"USERS", "a", "b", "c"}));
    const std::string bare = "USER bob FULLNAME";
    NotificationTokens u(bare);
    std::string x;
    u.Next(x), u.Next(x), u.Next(x);
    EXPECT_EQ(u.Rest(), "");
}

TEST(HandsetCallState, FromStatusAndType) {
    using enum HandsetCallState;
    EXPECT_EQ(HandsetCallStateFor(RINGING, INCOMING_P2P), CALLSTATE_INCOMING);
    EXPECT_EQ(HandsetCallStateFor(RINGING, OUTGOING_P2P), CALLSTATE_OUTGOING);
    EXPECT_EQ(HandsetCallStateFor(ROUTING, CALL_TYPE_UNKNOWN), CALLSTATE_OUTGOING);
    EXPECT_EQ(HandsetCallStateFor(ONHOLD, CALL_TYPE_UNKNOWN), CALLSTATE_TALKING);
    EXPECT_EQ(HandsetCallStateFor(FAILED, CALL_TYPE_UNKNOWN), CALLSTATE_IDLE);
}

}  // namespace
}  // namespace calvox
