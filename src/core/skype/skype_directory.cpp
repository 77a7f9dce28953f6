#include "skype/skype_directory.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace calvox {

namespace {

struct StatusWord {
    const char* word;
    int status;
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

int CallTypeFromName(const std::string& word) {
    for (int i = 0; i < 4; ++i)
        if (word == kTypeWords[i]) return i + 1;
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
    const std::string key = CutField(id);
    for (auto& call : calls_)
        if (call->id == key) return call.get();
    return nullptr;
}

int SkypeDirectory::SetCallProperty(const std::string& id, CallProperty property,
                                    const std::string& value) {
    CallRecord* call = FindCall(id);
    if (call == nullptr) {
        if (property != CallProperty::Timestamp) return 0;
        auto record = std::make_unique<CallRecord>();
        record->id = CutField(id);
        record->timestamp = DecimalValue(value);
        auto at = std::find_if(calls_.begin(), calls_.end(), [&](const auto& c) {
            return c->timestamp < record->timestamp;
        });
        calls_.insert(at, std::move(record));
        return 0;
    }
    switch (property) {
        case CallProperty::PartnerHandle: call->partnerHandle = CutField(value); break;
        case CallProperty::PartnerDisplayName: call->partnerDisplayName = CutField(value); break;
        case CallProperty::ConferenceId: call->conferenceId = DecimalValue(value); break;
        case CallProperty::Timestamp: call->timestamp = DecimalValue(value); break;
        case CallProperty::Type:
            if (int type = CallTypeFromName(value)) call->type = type;
            break;
        case CallProperty::Status: {
            CallStatusInfo info = CallStatusFromName(value);
            call->status = info.status;
            call->ended = info.ended;
            break;
        }
        case CallProperty::Seen: call->seen = value == "TRUE"; break;
    }
    return 1;
}

void SkypeDirectory::DeleteAllCalls() {
    calls_.clear();
    callPosition_ = 0;
}

CallRecord* SkypeDirectory::StepCall(int delta) {
    if (calls_.empty()) return nullptr;
    const int count = static_cast<int>(calls_.size());
    int position = callPosition_ + delta;
    if (position >= count) position = 0;
    if (position < 0) position = count - 1;
    callPosition_ = position;
    return calls_[position].get();
}

CallRecord* SkypeDirectory::FindHeldCall() {
    for (auto& c : calls_)
        if (c->status == ONHOLD) return c.get();
    return nullptr;
}

CallRecord* SkypeDirectory::FindRingingIncomingCall() {
    for (auto& c : calls_)
        if (!c->ended && c->status == RINGING && c->IsIncoming()) return c.get();
    return nullptr;
}

bool SkypeDirectory::HasUnseenMissedCall() const {
    return std::any_of(calls_.begin(), calls_.end(),
                       [](const auto& c) { return c->ended && c->status == MISSED && !c->seen; });
}

bool SkypeDirectory::HasLiveHeldCall() const {
    return std::any_of(calls_.begin(), calls_.end(),
                       [](const auto& c) { return !c->ended && c->status == ONHOLD; });
}

bool SkypeDirectory::HasLiveConferenceCall() const {
    return std::any_of(calls_.begin(), calls_.end(),
                       [](const auto& c) { return !c->ended && c->conferenceId != 0; });
}

// --- contacts --------------------------------------------------------------------------

std::size_t SkypeDirectory::IndexOf(const UserRecord* record) const {
    auto at = std::lower_bound(
        contacts_.begin(), contacts_.end(), record->displayName,
        [](const auto& u, const std::string& k) { return u->displayName < k; });
    while (at != contacts_.end() && at->get() != record) ++at;
    return static_cast<std::size_t>(at - contacts_.begin());
}

UserRecord* SkypeDirectory::FindContactByHandle(const std::string& handle) {
    auto it = byHandle_.find(CutField(handle));
    if (it == byHandle_.end() || it->second.empty()) return nullptr;
    UserRecord* first = it->second.front();
    for (UserRecord* other : it->second)
        if (IndexOf(other) < IndexOf(first)) first = other;
    return first;
}

UserRecord* SkypeDirectory::FindContactByNumber(std::int32_t number) {
    for (auto& u : contacts_)
        if (u->number == number) return u.get();
    return nullptr;
}

UserRecord* SkypeDirectory::ContactAt(std::size_t index) {
    return index < contacts_.size() ? contacts_[index].get() : nullptr;
}

void SkypeDirectory::AddContact(const std::string& handle, const std::string& name) {
    const std::string cutHandle = CutField(handle);
    const std::string key = CutField(name.empty() ? handle : name);
    // The list is sorted by display name; binary search finds the first record
    // not below the key, then equal names are checked for a duplicate.
    auto at = std::lower_bound(contacts_.begin(), contacts_.end(), key,
                               [](const auto& u, const std::string& k) { return u->displayName < k; });
    for (auto it = at; it != contacts_.end() && (*it)->displayName == key; ++it)
        if ((*it)->handle == cutHandle) return;
    auto record = std::make_unique<UserRecord>();
    record->handle = cutHandle;
    record->displayName = key;
    record->number = nextNumber_++;
    byHandle_[cutHandle].push_back(record.get());
    contacts_.insert(at, std::move(record));
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
    UserRecord* record = FindContactByHandle(handle);
    if (record == nullptr) return;
    auto& records = byHandle_[record->handle];
    std::erase(records, record);
    if (records.empty()) byHandle_.erase(record->handle);
    contacts_.erase(contacts_.begin() + static_cast<std::ptrdiff_t>(IndexOf(record)));
    // Keep the browse position inside the list.
    const int count = static_cast<int>(contacts_.size());
    if (count == 0) contactPosition_ = -1;
    else if (contactPosition_ >= count) contactPosition_ = count - 1;
}

void SkypeDirectory::DeleteAllContacts() {
    byHandle_.clear();
    contacts_.clear();
    contactPosition_ = -1;
}

UserRecord* SkypeDirectory::StepContact(bool forward) {
    if (contacts_.empty()) return nullptr;
    const int count = static_cast<int>(contacts_.size());
    contactPosition_ = std::clamp(contactPosition_ + (forward ? 1 : -1), 0, count - 1);
    return contacts_[contactPosition_].get();
}

UserRecord* SkypeDirectory::NextContactWithOnline(bool online, bool forward) {
    if (contacts_.empty()) return nullptr;
    const int count = static_cast<int>(contacts_.size());
    for (int i = std::max(contactPosition_, 0); i >= 0 && i < count; i += forward ? 1 : -1) {
        if (i != contactPosition_ && contacts_[i]->online == online) {
            contactPosition_ = i;
            return contacts_[i].get();
        }
    }
    if (contactPosition_ < 0) return nullptr;
    return contacts_[std::min(contactPosition_, count - 1)].get();
}

const std::string* SkypeDirectory::CurrentContactHandle() {
    if (contacts_.empty()) return nullptr;
    contactPosition_ = std::clamp(contactPosition_, 0, static_cast<int>(contacts_.size()) - 1);
    return &contacts_[contactPosition_]->handle;
}

}  // namespace calvox
