// Lookups stay cheap whatever the client's history: renames, a long call
// history replayed at attach, many contacts of one name. The bounds are far
// above what the indexed lookups need and far below the linear scans' cost.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "client/notification_parser.h"
#include "support/client_session.h"
#include "support/null_platform.h"

namespace calvox {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kBound = std::chrono::seconds(3);

struct ScaleTest : ::testing::Test {
    test::NullPlatform platform;
    test::ClientSession client{platform.ports};
    SkypeDirectory& directory = client.directory;
    // The calls whose status reached the handset's side, in order.
    std::vector<std::string> driving;
    void Notify(const std::string& text) {
        for (const ClientEvent& event : client.parser.ParseText(text))
            if (event.kind == ClientEventKind::CallStatusChanged && IsCallUnderway(event.status))
                driving.push_back(event.call->id);
    }
};

TEST_F(ScaleTest, ManyRenamesOfOneHandle) {
    const auto start = Clock::now();
    for (int i = 0; i < 8000; ++i) Notify("USER bob FULLNAME Name " + std::to_string(i));
    for (int i = 0; i < 8000; ++i)
        Notify(i % 2 ? "USER bob ONLINESTATUS ONLINE" : "USER bob ONLINESTATUS AWAY");
    EXPECT_LT(Clock::now() - start, kBound);
    // The handle names its first record in list order ("Name 0" sorts first).
    const UserRecord* bob = directory.FindContactByHandle("bob");
    EXPECT_EQ(bob->number, 1);
    EXPECT_EQ(bob->status, 1);
    EXPECT_EQ(directory.Contacts().size(), 8000u);
    Notify("USER bob BUDDYSTATUS 1");
    EXPECT_TRUE(directory.Contacts().empty());
}

TEST_F(ScaleTest, ManyContactsOfOneName) {
    const auto start = Clock::now();
    for (int i = 0; i < 16000; ++i) Notify("USER h" + std::to_string(i) + " FULLNAME Same Name");
    for (int i = 0; i < 16000; ++i) Notify("USER h" + std::to_string(i) + " ONLINESTATUS ONLINE");
    EXPECT_LT(Clock::now() - start, kBound);
    // The newer record stands first among equal names.
    EXPECT_EQ(directory.ContactAt(0)->handle, "h15999");
    EXPECT_EQ(directory.ContactAt(15999)->handle, "h0");
}

TEST_F(ScaleTest, LongCallHistoryReplayedAtAttach) {
    constexpr int kCalls = 16000;
    std::string ids;
    for (int i = 0; i < kCalls; ++i) ids += (i ? ", " : "") + std::to_string(i);
    const auto start = Clock::now();
    Notify("USERS ");
    Notify("CALLS " + ids);
    Notify("CALLS 7");  // the one active call
    for (int i = 0; i < kCalls; ++i) {
        const std::string id = std::to_string(i);
        // Newest first, as the client lists them; a few arrive out of order.
        const int age = i % 100 == 99 ? i - 50 : i;
        Notify("CALL " + id + " TIMESTAMP " + std::to_string(2000000 - age));
        Notify("CALL " + id + " STATUS " + (i == 7 ? "INPROGRESS" : "RINGING"));
    }
    EXPECT_LT(Clock::now() - start, kBound);
    const auto& calls = directory.Calls();
    ASSERT_EQ(calls.size(), static_cast<std::size_t>(kCalls));
    for (std::size_t i = 1; i < calls.size(); ++i)
        ASSERT_GE(calls[i - 1]->timestamp, calls[i]->timestamp);
    // Historic calls never drive the handset; the active one does.
    EXPECT_EQ(directory.FindRingingIncomingCall(), nullptr);
    EXPECT_EQ(directory.FindCall("42")->status, FINISHED);
    EXPECT_EQ(driving, std::vector<std::string>{"7"});
}

}  // namespace
}  // namespace calvox
