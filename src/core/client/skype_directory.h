// The program's picture of the Skype client: its calls, newest first, and
// the user's contacts, sorted by display name.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace calvox {

// Stored texts are cut to this many characters.
inline constexpr std::size_t kMaxFieldChars = 259;

enum class CallStatus : int {
    CALL_STATUS_UNKNOWN = 0,
    UNPLACED = 1,
    ROUTING = 2,
    EARLYMEDIA = 3,
    FAILED = 4,
    RINGING = 5,
    INPROGRESS = 6,
    ONHOLD = 7,
    FINISHED = 8,
    MISSED = 9,
    REFUSED = 10,
    BUSY = 11,
    CANCELLED = 12,
};
// The client's own words for them, used unqualified throughout.
using enum CallStatus;

// A call placed, ringing, talking or on hold: one the handset has to show.
constexpr bool IsCallUnderway(CallStatus s) {
    return s == ROUTING || s == EARLYMEDIA || s == RINGING || s == INPROGRESS || s == ONHOLD;
}

enum class CallType : int {
    CALL_TYPE_UNKNOWN = 0,
    INCOMING_PSTN = 1,
    INCOMING_P2P = 2,
    OUTGOING_PSTN = 3,
    OUTGOING_P2P = 4,
};
using enum CallType;

struct CallRecord {
    std::string id;
    std::string partnerHandle;
    std::string partnerDisplayName;
    std::int32_t conferenceId = 0;
    CallType type = CALL_TYPE_UNKNOWN;
    CallStatus status = CALL_STATUS_UNKNOWN;
    std::int32_t timestamp = 0;
    bool ended = false;
    bool seen = false;

    bool IsIncoming() const { return type == INCOMING_PSTN || type == INCOMING_P2P; }
};

enum class CallProperty {
    PartnerHandle,
    PartnerDisplayName,
    ConferenceId,
    Type,
    Status,
    Timestamp,
    Seen
};

struct CallStatusInfo {
    CallStatus status;
    bool ended;
};
CallStatusInfo CallStatusFromName(const std::string& word);
// CALL_TYPE_UNKNOWN for a word that names no type.
CallType CallTypeFromName(const std::string& word);

struct UserRecord {
    bool online = false;
    int status = 0;  // ContactStatus, 0 until the first ONLINESTATUS
    std::string handle;
    std::string displayName;
    std::int32_t number = 0;
};

// Leading decimal digits (with an optional sign), 0 when there are none.
std::int32_t DecimalValue(const std::string& text);
std::string CutField(const std::string& text);

class SkypeDirectory {
public:
    // Calls.
    CallRecord* FindCall(const std::string& id);
    // 1 when stored; 0 when not, which for a timestamp means the call was new
    // and has just been created.
    int SetCallProperty(const std::string& id, CallProperty property, const std::string& value);
    void DeleteAllCalls();
    CallRecord* StepCall(int delta);
    CallRecord* FindHeldCall();
    CallRecord* FindRingingIncomingCall();
    bool HasUnseenMissedCall() const;
    bool HasLiveHeldCall() const;
    bool HasLiveConferenceCall() const;
    // The list newest first.
    const std::vector<CallRecord*>& Calls() const;
    int CallPosition() const { return callPosition_; }
    void SetCallPosition(int position) { callPosition_ = position; }

    // Contacts.
    UserRecord* FindContactByHandle(const std::string& handle);
    UserRecord* FindContactByNumber(std::int32_t number);
    UserRecord* ContactAt(std::size_t index);
    void AddContact(const std::string& handle, const std::string& name);
    int SetContactStatus(const std::string& handle, bool online, int status);
    // Removes every record of the handle: a renamed contact has several.
    void RemoveContact(const std::string& handle);
    void DeleteAllContacts();
    UserRecord* StepContact(bool forward);
    UserRecord* NextContactWithOnline(bool online, bool forward);
    const std::string* CurrentContactHandle();
    // The list in display order.
    const std::vector<UserRecord*>& Contacts() const;
    int ContactPosition() const { return contactPosition_; }
    void SetContactPosition(int position) { contactPosition_ = position; }

private:
    // List order: display name ascending, and among equal names the newer
    // record (the higher number) first. Numbers are unique, so this is a
    // total order and a tree keeps the list sorted in O(log n) per change.
    struct ListOrder {
        using is_transparent = void;
        bool operator()(const UserRecord* a, const UserRecord* b) const {
            if (int c = a->displayName.compare(b->displayName)) return c < 0;
            return a->number > b->number;
        }
        // By name alone: finds the run of records with one display name.
        bool operator()(const UserRecord* a, std::string_view name) const {
            return a->displayName < name;
        }
        bool operator()(std::string_view name, const UserRecord* b) const {
            return name < b->displayName;
        }
    };
    using ContactSet = std::set<UserRecord*, ListOrder>;

    const std::vector<UserRecord*>& ContactView() const;
    void ClampContactPosition();

    // Owns the records; also answers lookups by number.
    std::unordered_map<std::int32_t, std::unique_ptr<UserRecord>> byNumber_;
    ContactSet ordered_;
    // Each handle's records in list order: the first is the one the handle
    // names; a renamed contact has several.
    std::unordered_map<std::string, ContactSet> byHandle_;
    // The list as positions, rebuilt only when browsed after a change.
    mutable std::vector<UserRecord*> view_;
    mutable bool viewStale_ = false;
    int contactPosition_ = -1;

    // Newest first; equal timestamps keep their arrival order, as a multiset
    // places an equal key after the ones already there.
    struct NewerFirst {
        bool operator()(const CallRecord* a, const CallRecord* b) const {
            return a->timestamp > b->timestamp;
        }
    };

    const std::vector<CallRecord*>& CallView() const;
    void StopSortingCalls();

    // Owns the records.
    std::unordered_map<std::string, std::unique_ptr<CallRecord>> callsById_;
    // True while the list is sorted newest first: a tree keeps the order and
    // the list is rebuilt from it only when read after a change. A changed
    // timestamp keeps its record's place and may break the order until the
    // list is cleared; from then on the list itself is kept and a new call
    // goes before the first older one.
    bool callsSorted_ = true;
    std::multiset<CallRecord*, NewerFirst> callOrder_;
    mutable std::vector<CallRecord*> callView_;
    mutable bool callViewStale_ = false;
    // How many records each indicator query would find, kept as records
    // change so the queries after every status line cost nothing.
    void Tally(const CallRecord& call, int sign);
    int unseenMissed_ = 0;
    int liveHeld_ = 0;
    int liveConference_ = 0;
    int callPosition_ = 0;
    // Contact numbers run on for the whole run and are never reused.
    std::int32_t nextNumber_ = 1;
};

}  // namespace calvox
