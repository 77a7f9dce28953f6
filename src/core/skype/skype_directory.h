// The program's picture of the Skype client: its calls, newest first, and
// the user's contacts, sorted by display name.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace calvox {

// Stored texts are cut to this many characters.
inline constexpr std::size_t kMaxFieldChars = 259;

enum CallStatus : int {
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

enum CallType : int {
    CALL_TYPE_UNKNOWN = 0,
    INCOMING_PSTN = 1,
    INCOMING_P2P = 2,
    OUTGOING_PSTN = 3,
    OUTGOING_P2P = 4,
};

struct CallRecord {
    std::string id;
    std::string partnerHandle;
    std::string partnerDisplayName;
    std::int32_t conferenceId = 0;
    int type = CALL_TYPE_UNKNOWN;
    int status = CALL_STATUS_UNKNOWN;
    std::int32_t timestamp = 0;
    bool ended = false;
    bool seen = false;

    bool IsIncoming() const { return type == INCOMING_PSTN || type == INCOMING_P2P; }
};

enum class CallProperty { PartnerHandle, PartnerDisplayName, ConferenceId, Type, Status, Timestamp, Seen };

struct CallStatusInfo {
    int status;
    bool ended;
};
CallStatusInfo CallStatusFromName(const std::string& word);
// 0 for a word that names no type.
int CallTypeFromName(const std::string& word);

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
    const std::vector<std::unique_ptr<CallRecord>>& Calls() const { return calls_; }
    int CallPosition() const { return callPosition_; }
    void SetCallPosition(int position) { callPosition_ = position; }

    // Contacts.
    UserRecord* FindContactByHandle(const std::string& handle);
    UserRecord* FindContactByNumber(std::int32_t number);
    UserRecord* ContactAt(std::size_t index);
    void AddContact(const std::string& handle, const std::string& name);
    int SetContactStatus(const std::string& handle, bool online, int status);
    void RemoveContact(const std::string& handle);
    void DeleteAllContacts();
    UserRecord* StepContact(bool forward);
    UserRecord* NextContactWithOnline(bool online, bool forward);
    const std::string* CurrentContactHandle();
    const std::vector<std::unique_ptr<UserRecord>>& Contacts() const { return contacts_; }
    int ContactPosition() const { return contactPosition_; }
    void SetContactPosition(int position) { contactPosition_ = position; }

private:
    std::size_t IndexOf(const UserRecord* record) const;

    std::vector<std::unique_ptr<UserRecord>> contacts_;
    // Records by handle, so that lookups stay cheap in long lists; a renamed
    // contact has several.
    std::unordered_map<std::string, std::vector<UserRecord*>> byHandle_;
    int contactPosition_ = -1;
    std::vector<std::unique_ptr<CallRecord>> calls_;
    int callPosition_ = 0;
    // Contact numbers run on for the whole run and are never reused.
    std::int32_t nextNumber_ = 1;
};

}  // namespace calvox
