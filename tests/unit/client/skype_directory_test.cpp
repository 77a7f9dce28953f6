#include "client/skype_directory.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace calvox {
namespace {

std::vector<std::string> CallIds(const SkypeDirectory& d) {
    std::vector<std::string> ids;
    for (const auto& c : d.Calls()) ids.push_back(c->id);
    return ids;
}

std::vector<std::string> ContactHandles(const SkypeDirectory& d) {
    std::vector<std::string> handles;
    for (const auto& u : d.Contacts()) handles.push_back(u->handle);
    return handles;
}

TEST(CallTable, NewestFirstAndEqualTimestampsKeepArrivalOrder) {
    SkypeDirectory d;
    EXPECT_EQ(d.SetCallProperty("a", CallProperty::Timestamp, "300"), 0);
    d.SetCallProperty("b", CallProperty::Timestamp, "100");
    d.SetCallProperty("c", CallProperty::Timestamp, "200");
    d.SetCallProperty("d", CallProperty::Timestamp, "200");
    EXPECT_EQ(CallIds(d), (std::vector<std::string>{"a", "c", "d", "b"}));
    // A later timestamp change keeps the record's place.
    EXPECT_EQ(d.SetCallProperty("b", CallProperty::Timestamp, "999"), 1);
    EXPECT_EQ(CallIds(d), (std::vector<std::string>{"a", "c", "d", "b"}));
    // The next call still goes before the first record with a smaller timestamp.
    d.SetCallProperty("e", CallProperty::Timestamp, "250");
    EXPECT_EQ(CallIds(d), (std::vector<std::string>{"a", "e", "c", "d", "b"}));
}

// The list is kept by a tree and rebuilt when read; it must match the plain
// rule at every step: a new call goes before the first record with a smaller
// timestamp, a changed timestamp keeps its record's place, clearing starts over.
TEST(CallTable, OrderMatchesThePlainRuleThroughReadsChangesAndClears) {
    SkypeDirectory d;
    std::vector<std::pair<std::string, int>> model;
    unsigned seed = 12345;
    const auto next = [&](unsigned range) {
        return (seed = seed * 1103515245 + 12345) / 65536 % range;
    };
    for (int step = 0; step < 3000; ++step) {
        const unsigned action = next(100);
        if (action == 0) {
            d.DeleteAllCalls();
            model.clear();
        } else if (action < 4 && !model.empty()) {
            auto& [id, timestamp] = model[next(static_cast<unsigned>(model.size()))];
            timestamp = static_cast<int>(next(50));
            d.SetCallProperty(id, CallProperty::Timestamp, std::to_string(timestamp));
        } else {
            const std::string id = std::to_string(step);
            const int timestamp = static_cast<int>(next(50));
            d.SetCallProperty(id, CallProperty::Timestamp, std::to_string(timestamp));
            auto at = std::find_if(model.begin(), model.end(),
                                   [&](const auto& m) { return m.second < timestamp; });
            model.insert(at, {id, timestamp});
        }
        if (next(10) == 0 || step == 2999) {
            std::vector<std::string> expected;
            for (const auto& m : model) expected.push_back(m.first);
            ASSERT_EQ(CallIds(d), expected) << "step " << step;
        }
    }
}

TEST(CallTable, PropertiesOfUnknownCallsAreDropped) {
    SkypeDirectory d;
    EXPECT_EQ(d.SetCallProperty("x", CallProperty::Status, "RINGING"), 0);
    EXPECT_EQ(d.FindCall("x"), nullptr);
}

TEST(CallTable, StatusTypeAndSeenWords) {
    SkypeDirectory d;
    d.SetCallProperty("1", CallProperty::Timestamp, "5");
    CallRecord* c = d.FindCall("1");
    d.SetCallProperty("1", CallProperty::Status, "FAILED");
    EXPECT_EQ(c->status, FAILED);
    EXPECT_TRUE(c->ended);
    d.SetCallProperty("1", CallProperty::Status, "VM_RECORDING");
    EXPECT_EQ(c->status, INPROGRESS);
    EXPECT_FALSE(c->ended);
    d.SetCallProperty("1", CallProperty::Status, "VM_SENT");
    EXPECT_EQ(c->status, FINISHED);
    EXPECT_TRUE(c->ended);
    d.SetCallProperty("1", CallProperty::Status, "ringing");
    EXPECT_EQ(c->status, CALL_STATUS_UNKNOWN);
    EXPECT_TRUE(c->ended);
    d.SetCallProperty("1", CallProperty::Type, "INCOMING_P2P");
    EXPECT_EQ(c->type, INCOMING_P2P);
    d.SetCallProperty("1", CallProperty::Type, "SIDEWAYS");
    EXPECT_EQ(c->type, INCOMING_P2P);
    d.SetCallProperty("1", CallProperty::Seen, "true");
    EXPECT_FALSE(c->seen);
    d.SetCallProperty("1", CallProperty::Seen, "TRUE");
    EXPECT_TRUE(c->seen);
    d.SetCallProperty("1", CallProperty::ConferenceId, "42abc");
    EXPECT_EQ(c->conferenceId, 42);
}

TEST(CallTable, StepCallWrapsBothWays) {
    SkypeDirectory d;
    EXPECT_EQ(d.StepCall(1), nullptr);
    for (int i = 0; i < 5; ++i)
        d.SetCallProperty(std::to_string(i), CallProperty::Timestamp, std::to_string(100 - i));
    EXPECT_EQ(d.StepCall(-1)->id, "4");
    EXPECT_EQ(d.StepCall(1)->id, "0");
    EXPECT_EQ(d.StepCall(0)->id, "0");
}

TEST(CallTable, Queries) {
    SkypeDirectory d;
    d.SetCallProperty("m", CallProperty::Timestamp, "1");
    d.SetCallProperty("m", CallProperty::Status, "MISSED");
    EXPECT_TRUE(d.HasUnseenMissedCall());
    d.SetCallProperty("m", CallProperty::Seen, "TRUE");
    EXPECT_FALSE(d.HasUnseenMissedCall());
    d.SetCallProperty("h", CallProperty::Timestamp, "2");
    d.SetCallProperty("h", CallProperty::Status, "ONHOLD");
    EXPECT_TRUE(d.HasLiveHeldCall());
    EXPECT_EQ(d.FindHeldCall()->id, "h");
    d.SetCallProperty("r", CallProperty::Timestamp, "3");
    d.SetCallProperty("r", CallProperty::Status, "RINGING");
    EXPECT_EQ(d.FindRingingIncomingCall(), nullptr);  // no type yet
    d.SetCallProperty("r", CallProperty::Type, "INCOMING_PSTN");
    EXPECT_EQ(d.FindRingingIncomingCall()->id, "r");
    d.SetCallProperty("r", CallProperty::ConferenceId, "7");
    EXPECT_TRUE(d.HasLiveConferenceCall());
    d.SetCallProperty("r", CallProperty::Status, "FINISHED");
    EXPECT_FALSE(d.HasLiveConferenceCall());
}

TEST(CallTable, LongIdsAreStoredAndFoundCut) {
    SkypeDirectory d;
    const std::string id(400, '7');
    d.SetCallProperty(id, CallProperty::Timestamp, "1");
    d.SetCallProperty(id, CallProperty::Timestamp, "1");
    EXPECT_EQ(d.Calls().size(), 1u);
    EXPECT_EQ(d.FindCall(id)->id.size(), kMaxFieldChars);
}

TEST(Contacts, SortedByteWiseWithRunWideNumbers) {
    SkypeDirectory d;
    d.AddContact("bob", "Bob");
    d.AddContact("alice", "");
    EXPECT_EQ(ContactHandles(d), (std::vector<std::string>{"bob", "alice"}));
    EXPECT_EQ(d.FindContactByHandle("bob")->number, 1);
    EXPECT_EQ(d.FindContactByHandle("alice")->number, 2);
    EXPECT_EQ(d.FindContactByHandle("alice")->displayName, "alice");
    d.DeleteAllContacts();
    d.AddContact("carol", "Carol");
    EXPECT_EQ(d.FindContactByHandle("carol")->number, 3);  // numbers are never reused
}

TEST(Contacts, DuplicatesAndRenamedContacts) {
    SkypeDirectory d;
    d.AddContact("bob", "Bob");
    d.AddContact("bob", "Bob");
    EXPECT_EQ(d.Contacts().size(), 1u);
    d.AddContact("bob", "Robert");
    EXPECT_EQ(d.Contacts().size(), 2u);
    EXPECT_EQ(d.FindContactByNumber(2)->displayName, "Robert");
    // Equal names: the newer record stands first.
    d.AddContact("bob2", "Bob");
    EXPECT_EQ(ContactHandles(d), (std::vector<std::string>{"bob2", "bob", "bob"}));
    EXPECT_EQ(d.FindContactByHandle("bob")->displayName, "Bob");  // the first in list order
}

TEST(Contacts, RemovalTakesEveryRecordOfARenamedContact) {
    SkypeDirectory d;
    d.AddContact("bob", "Bob");
    d.AddContact("carol", "Carol");
    d.AddContact("bob", "Robert");
    d.AddContact("bob", "Bobby");
    d.RemoveContact("bob");
    EXPECT_EQ(ContactHandles(d), (std::vector<std::string>{"carol"}));
    EXPECT_EQ(d.FindContactByHandle("bob"), nullptr);
    EXPECT_EQ(d.FindContactByNumber(3), nullptr);
    EXPECT_EQ(d.SetContactStatus("bob", true, 1), 0);
    // Added again, the handle takes a new number.
    d.AddContact("bob", "Bob");
    EXPECT_EQ(d.FindContactByHandle("bob")->number, 5);
}

TEST(Contacts, StatusChangeIsReportedOnlyFromAKnownStatus) {
    SkypeDirectory d;
    d.AddContact("bob", "Bob");
    EXPECT_EQ(d.SetContactStatus("bob", true, 1), 0);
    EXPECT_EQ(d.SetContactStatus("bob", true, 1), 0);
    EXPECT_EQ(d.SetContactStatus("bob", false, 2), 1);
    EXPECT_EQ(d.SetContactStatus("nobody", false, 2), 0);
}

TEST(Contacts, StepContactClampsWithoutWrapping) {
    SkypeDirectory d;
    EXPECT_EQ(d.StepContact(true), nullptr);
    d.AddContact("a", "A");
    d.AddContact("b", "B");
    EXPECT_EQ(d.StepContact(false)->handle, "a");  // from -1 backward gives 0
    EXPECT_EQ(d.StepContact(true)->handle, "b");
    EXPECT_EQ(d.StepContact(true)->handle, "b");
}

TEST(Contacts, NextContactWithOnlineSkipsTheCurrentPosition) {
    SkypeDirectory d;
    for (const char* h : {"a", "b", "c", "d"}) d.AddContact(h, h);
    d.SetContactStatus("b", true, 1);
    d.SetContactStatus("d", true, 1);
    EXPECT_EQ(d.NextContactWithOnline(true, true)->handle, "b");
    EXPECT_EQ(d.NextContactWithOnline(true, true)->handle, "d");
    EXPECT_EQ(d.NextContactWithOnline(true, true)->handle, "d");  // none further: stays
    EXPECT_EQ(d.NextContactWithOnline(true, false)->handle, "b");
    EXPECT_EQ(d.NextContactWithOnline(false, false)->handle, "a");
    SkypeDirectory fresh;
    fresh.AddContact("x", "x");
    EXPECT_EQ(fresh.NextContactWithOnline(true, true), nullptr);  // position -1, no match
}

TEST(Contacts, RemovalKeepsTheBrowsePositionInTheList) {
    SkypeDirectory d;
    d.AddContact("a", "A");
    d.AddContact("b", "B");
    d.StepContact(true);
    d.StepContact(true);
    d.RemoveContact("b");
    EXPECT_EQ(d.ContactPosition(), 0);
    d.RemoveContact("a");
    EXPECT_EQ(d.ContactPosition(), -1);
    EXPECT_EQ(d.CurrentContactHandle(), nullptr);
}

}  // namespace
}  // namespace calvox
