#include "client/skype_directory.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace calvox {

namespace {

struct StatusWord {
    const char* word;
    CallStatus status;
    bool ended;
};
constexpr StatusWord kStatusWords[] = {
    {"UNPLACED", UNPLACED, true},      {"ROUTING", ROUTING, false},
    {"EARLYMEDIA", EARLYMEDIA, false}, {"FAILED", FAILED, true},
    {"RINGING", RINGING, false},       {"INPROGRESS", INPROGRESS, false},
    {"ONHOLD", ONHOLD, false},         {"FINISHED", FINISHED, true},
    {"MISSED", MISSED, true},          {"REFUSED", REFUSED, true},
    {"BUSY", BUSY, true},              {"CANCELLED", CANCELLED, true},
    {"VM_BUFFERING_GREETING", INPROGRESS, false},
    {"VM_PLAYING_GREETING", INPROGRESS, false},
    {"VM_RECORDING", INPROGRESS, false},
    {"VM_UPLOADING", FINISHED, true},  {"VM_SENT", FINISHED, true},
    {"VM_CANCELLED", FINISHED, true},  {"VM_FAILED", FINISHED, true},
};

constexpr const char* kTypeWords[] = {"INCOMING_PSTN", "INCOMING_P2P", "OUTGOING_PSTN",
                                      "OUTGOING_P2P"};

}  // namespace

CallStatusInfo CallStatusFromName(const std::string& word) {
    for (const StatusWord& s : kStatusWords)
        if (word == s.word) return {s.status, s.ended};
    return {CALL_STATUS_UNKNOWN, true};
}

CallType CallTypeFromName(const std::string& word) {
    for (int i = 0; i < 4; ++i)
        if (word == kTypeWords[i]) return static_cast<CallType>(i + 1);
    return CALL_TYPE_UNKNOWN;
}

std::int32_t DecimalValue(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > std::numeric_limits<std::uint32_t>::max()) value = std::numeric_limits<std::uint32_t>::max();
    }
    // Wraps like the 32-bit value the client's numbers are read into.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(negative ? -value : value));
}

std::string CutField(const std::string& text) { return text.substr(0, kMaxFieldChars); }

// --- calls -------------------------------------------------------------------------

CallRecord* SkypeDirectory::FindCall(const std::string& id) {
    // Ids are stored cut, so look them up cut too.
    auto it = id.size() > kMaxFieldChars ? callsById_.find(CutField(id)) : callsById_.find(id);
    return it == callsById_.end() ? nullptr : it->second.get();
}

const std::vector<CallRecord*>& SkypeDirectory::CallView() const {
    if (callViewStale_) {
        callView_.assign(callOrder_.begin(), callOrder_.end());
        callViewStale_ = false;
    }
    return callView_;
}

const std::vector<CallRecord*>& SkypeDirectory::Calls() const { return CallView(); }

void SkypeDirectory::StopSortingCalls() {
    CallView();
    callOrder_.clear();
    callsSorted_ = false;
}

int SkypeDirectory::SetCallProperty(const std::string& id, CallProperty property,
                                    const std::string& value) {
    CallRecord* call = FindCall(id);
    if (call == nullptr) {
        if (property != CallProperty::Timestamp) return 0;
        auto record = std::make_unique<CallRecord>();
        record->id = CutField(id);
        record->timestamp = DecimalValue(value);
        if (callsSorted_) {
            callOrder_.insert(record.get());
            callViewStale_ = true;
        } else {
            // Before the first record with a smaller timestamp, so equal ones
            // keep their arrival order.
            auto at = std::find_if(callView_.begin(), callView_.end(), [&](const CallRecord* c) {
                return c->timestamp < record->timestamp;
            });
            callView_.insert(at, record.get());
        }
        callsById_.emplace(record->id, std::move(record));
        return 0;
    }
    Tally(*call, -1);
    switch (property) {
        case CallProperty::PartnerHandle: call->partnerHandle = CutField(value); break;
        case CallProperty::PartnerDisplayName: call->partnerDisplayName = CutField(value); break;
        case CallProperty::ConferenceId: call->conferenceId = DecimalValue(value); break;
        case CallProperty::Timestamp: {
            const std::int32_t timestamp = DecimalValue(value);
            // The tree must not see a key change under it.
            if (timestamp != call->timestamp && callsSorted_) StopSortingCalls();
            call->timestamp = timestamp;
            break;
        }
        case CallProperty::Type:
            if (const CallType type = CallTypeFromName(value); type != CALL_TYPE_UNKNOWN)
                call->type = type;
            break;
        case CallProperty::Status: {
            CallStatusInfo info = CallStatusFromName(value);
            call->status = info.status;
            call->ended = info.ended;
            break;
        }
        case CallProperty::Seen: call->seen = value == "TRUE"; break;
    }
    Tally(*call, +1);
    return 1;
}

void SkypeDirectory::Tally(const CallRecord& call, int sign) {
    if (call.ended && call.status == MISSED && !call.seen) unseenMissed_ += sign;
    if (!call.ended && call.status == ONHOLD) liveHeld_ += sign;
    if (!call.ended && call.conferenceId != 0) liveConference_ += sign;
}

void SkypeDirectory::DeleteAllCalls() {
    callView_.clear();
    callViewStale_ = false;
    callOrder_.clear();
    callsById_.clear();
    callsSorted_ = true;
    unseenMissed_ = liveHeld_ = liveConference_ = 0;
    callPosition_ = 0;
}

CallRecord* SkypeDirectory::StepCall(int delta) {
    const auto& calls = CallView();
    if (calls.empty()) return nullptr;
    const int count = static_cast<int>(calls.size());
    int position = callPosition_ + delta;
    if (position >= count) position = 0;
    if (position < 0) position = count - 1;
    callPosition_ = position;
    return calls[position];
}

CallRecord* SkypeDirectory::FindHeldCall() {
    for (CallRecord* c : CallView())
        if (c->status == ONHOLD) return c;
    return nullptr;
}

CallRecord* SkypeDirectory::FindRingingIncomingCall() {
    for (CallRecord* c : CallView())
        if (!c->ended && c->status == RINGING && c->IsIncoming()) return c;
    return nullptr;
}

bool SkypeDirectory::HasUnseenMissedCall() const { return unseenMissed_ > 0; }

bool SkypeDirectory::HasLiveHeldCall() const { return liveHeld_ > 0; }

bool SkypeDirectory::HasLiveConferenceCall() const { return liveConference_ > 0; }

// --- contacts --------------------------------------------------------------------------

const std::vector<UserRecord*>& SkypeDirectory::ContactView() const {
    if (viewStale_) {
        view_.assign(ordered_.begin(), ordered_.end());
        viewStale_ = false;
    }
    return view_;
}

const std::vector<UserRecord*>& SkypeDirectory::Contacts() const { return ContactView(); }

UserRecord* SkypeDirectory::FindContactByHandle(const std::string& handle) {
    auto it =
        handle.size() > kMaxFieldChars ? byHandle_.find(CutField(handle)) : byHandle_.find(handle);
    return it == byHandle_.end() ? nullptr : *it->second.begin();
}

UserRecord* SkypeDirectory::FindContactByNumber(std::int32_t number) {
    auto it = byNumber_.find(number);
    return it == byNumber_.end() ? nullptr : it->second.get();
}

UserRecord* SkypeDirectory::ContactAt(std::size_t index) {
    const auto& view = ContactView();
    return index < view.size() ? view[index] : nullptr;
}

void SkypeDirectory::AddContact(const std::string& handle, const std::string& name) {
    const std::string cutHandle = CutField(handle);
    std::string key = CutField(name.empty() ? handle : name);
    ContactSet& records = byHandle_[cutHandle];
    // The same handle under the same name is already listed.
    if (records.find(std::string_view(key)) != records.end()) return;
    auto record = std::make_unique<UserRecord>();
    record->handle = cutHandle;
    record->displayName = std::move(key);
    record->number = nextNumber_++;
    records.insert(record.get());
    ordered_.insert(record.get());
    viewStale_ = true;
    byNumber_.emplace(record->number, std::move(record));
}

int SkypeDirectory::SetContactStatus(const std::string& handle, bool online, int status) {
    UserRecord* u = FindContactByHandle(handle);
    if (u == nullptr) return 0;
    const int changed = u->status != 0 && u->status != status ? 1 : 0;
    u->online = online;
    u->status = status;
    return changed;
}

void SkypeDirectory::RemoveContact(const std::string& handle) {
    auto it = byHandle_.find(CutField(handle));
    if (it == byHandle_.end()) return;
    for (UserRecord* record : it->second) {
        ordered_.erase(record);
        byNumber_.erase(record->number);
    }
    byHandle_.erase(it);
    viewStale_ = true;
    ClampContactPosition();
}

void SkypeDirectory::ClampContactPosition() {
    // Keep the browse position inside the list.
    const int count = static_cast<int>(ordered_.size());
    if (count == 0)
        contactPosition_ = -1;
    else if (contactPosition_ >= count)
        contactPosition_ = count - 1;
}

void SkypeDirectory::DeleteAllContacts() {
    byHandle_.clear();
    ordered_.clear();
    byNumber_.clear();
    view_.clear();
    viewStale_ = false;
    contactPosition_ = -1;
}

UserRecord* SkypeDirectory::StepContact(bool forward) {
    const auto& contacts = ContactView();
    if (contacts.empty()) return nullptr;
    const int count = static_cast<int>(contacts.size());
    contactPosition_ = std::clamp(contactPosition_ + (forward ? 1 : -1), 0, count - 1);
    return contacts[contactPosition_];
}

UserRecord* SkypeDirectory::NextContactWithOnline(bool online, bool forward) {
    const auto& contacts = ContactView();
    if (contacts.empty()) return nullptr;
    const int count = static_cast<int>(contacts.size());
    for (int i = std::max(contactPosition_, 0); i >= 0 && i < count; i += forward ? 1 : -1) {
        if (i != contactPosition_ && contacts[i]->online == online) {
            contactPosition_ = i;
            return contacts[i];
        }
    }
    if (contactPosition_ < 0) return nullptr;
    return contacts[std::min(contactPosition_, count - 1)];
}

const std::string* SkypeDirectory::CurrentContactHandle() {
    const auto& contacts = ContactView();
    if (contacts.empty()) return nullptr;
    contactPosition_ = std::clamp(contactPosition_, 0, static_cast<int>(contacts.size()) - 1);
    return &contacts[contactPosition_]->handle;
}

}  // namespace calvox
