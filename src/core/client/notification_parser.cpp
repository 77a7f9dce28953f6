#include "client/notification_parser.h"

#include "base/text_convert.h"
#include "client/profile.h"
#include "config/settings.h"

namespace calvox {

namespace {

bool IsDelimiter(char c) { return c == ' ' || c == ',' || c == '\t' || c == '\n'; }

}  // namespace

bool NotificationTokens::Next(std::string& token) {
    while (pos_ < text_.size() && IsDelimiter(text_[pos_])) ++pos_;
    if (pos_ >= text_.size()) return false;
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !IsDelimiter(text_[pos_])) ++pos_;
    token.assign(text_, start, pos_ - start);
    if (pos_ < text_.size()) ++pos_;  // the delimiter that ended it
    return true;
}

std::string NotificationTokens::Rest() const {
    return pos_ < text_.size() ? text_.substr(pos_) : "";
}

const std::string& NotificationParser::RefreshRingtone() {
    // Without a user handle the ringtone found before stays.
    if (!currentUserHandle_.empty())
        ringtone_ = FindRingtone(platform_.files, platform_.system, currentUserHandle_);
    return ringtone_;
}

void NotificationParser::OnCallStatus(const std::string& id, const std::string& value,
                                      ClientEvents& events) {
    CallRecord* call = directory_.FindCall(id);
    if (call == nullptr) {
        link_.Send("GET CALL " + id + " TIMESTAMP");
        return;
    }
    const CallStatus status = CallStatusFromName(value).status;
    if (IsCallUnderway(status) && historicIds_.Contains(id)) {
        // Over before the last search: it never drives the handset again.
        directory_.SetCallProperty(id, CallProperty::Status, "FINISHED");
        return;
    }
    directory_.SetCallProperty(id, CallProperty::Status, value);
    ClientEvent& event = events.emplace_back(ClientEventKind::CallStatusChanged);
    event.call = call;
    event.status = status;
}

void NotificationParser::OnCall(NotificationTokens& tokens, ClientEvents& events) {
    std::string id, property, value;
    if (!tokens.Next(id) || !tokens.Next(property)) return;
    if (property == "PARTNER_DISPNAME") {
        value = tokens.Rest();
        directory_.SetCallProperty(id, CallProperty::PartnerDisplayName, value);
        return;
    }
    if (!tokens.Next(value)) return;
    if (property == "TYPE") {
        directory_.SetCallProperty(id, CallProperty::Type, value);
    } else if (property == "STATUS") {
        OnCallStatus(id, value, events);
    } else if (property == "PARTNER_HANDLE") {
        directory_.SetCallProperty(id, CallProperty::PartnerHandle, value);
    } else if (property == "TIMESTAMP") {
        const bool isNew = directory_.FindCall(id) == nullptr;
        directory_.SetCallProperty(id, CallProperty::Timestamp, value);
        if (isNew) {
            for (const char* p : {"TYPE", "PARTNER_DISPNAME", "PARTNER_HANDLE", "CONF_ID", "SEEN",
                                  "STATUS"})
                link_.Send("GET CALL " + id + " " + p);
        }
    } else if (property == "CONF_ID") {
        directory_.SetCallProperty(id, CallProperty::ConferenceId, value);
    } else if (property == "SEEN") {
        directory_.SetCallProperty(id, CallProperty::Seen, value);
        events.emplace_back(ClientEventKind::MissedCallsChanged);
    }
}

void NotificationParser::OnUsers(NotificationTokens& tokens) {
    std::size_t count = 0;
    for (std::string handle; tokens.Next(handle); ++count) {
        link_.Send("GET USER " + handle + " FULLNAME");
        link_.Send("GET USER " + handle + " ONLINESTATUS");
        WriteContactHandle(platform_, count, handle);
    }
    WriteContactCount(platform_, count);
    historicIds_.Clear();
    link_.Send("SEARCH CALLS");
    searchPhase_ = CallSearchPhase::SEARCH_ALL_CALLS;
}

void NotificationParser::OnCalls(NotificationTokens& tokens) {
    if (searchPhase_ == CallSearchPhase::SEARCH_ALL_CALLS) {
        for (std::string id; tokens.Next(id);) historicIds_.Add(std::move(id));
        link_.Send("SEARCH ACTIVECALLS");
        searchPhase_ = CallSearchPhase::SEARCH_ACTIVE_CALLS;
        return;
    }
    searchPhase_ = CallSearchPhase::SEARCH_DONE;
    for (std::string id; tokens.Next(id);) {
        historicIds_.Remove(id);
        link_.Send("GET CALL " + id + " TIMESTAMP");
    }
    historicIds_.ForEach(
        [&](const std::string& id) { link_.Send("GET CALL " + id + " TIMESTAMP"); });
}

void NotificationParser::OnUser(NotificationTokens& tokens, ClientEvents& events) {
    std::string handle, property, value;
    if (!tokens.Next(handle) || !tokens.Next(property)) return;
    if (property == "FULLNAME") {
        value = tokens.Rest();
        directory_.AddContact(handle, value);
        WriteDisplayName(platform_, handle, value);
        return;
    }
    if (!tokens.Next(value)) return;
    if (property == "ONLINESTATUS") {
        int status = 2;
        bool online = false;
        ContactStatusFromWord(value, status, online);
        if (directory_.SetContactStatus(handle, online, status) == 0) return;
        if (const UserRecord* contact = directory_.FindContactByHandle(handle))
            events.emplace_back(ClientEventKind::ContactPresenceChanged).contact = contact;
    } else if (property == "BUDDYSTATUS") {
        if (value[0] == '1') {
            directory_.RemoveContact(handle);
        } else if (value[0] == '2' || value[0] == '3') {
            link_.Send("GET USER " + handle + " FULLNAME");
            link_.Send("GET USER " + handle + " ONLINESTATUS");
        }
    }
}

void NotificationParser::OnUserStatus(const std::string& value, ClientEvents& events) {
    if (value == "LOGGEDOUT") {
        ownStatus_ = OwnStatus::Offline;
        events.emplace_back(ClientEventKind::LoggedOut);
        return;
    }
    ownStatus_ = OwnStatusFromWord(value, ownStatus_);
    events.emplace_back(ClientEventKind::OwnStatusChanged);
}

void NotificationParser::OnCallHistoryChanged(ClientEvents& events) {
    // The records go; the event tells whoever kept one.
    events.emplace_back(ClientEventKind::CallsDropped);
    directory_.DeleteAllCalls();
    historicIds_.Clear();
    searchPhase_ = CallSearchPhase::SEARCH_ALL_CALLS;
    link_.Send("SEARCH CALLS");
}

ClientEvents NotificationParser::ParseText(const std::string& text) {
    ClientEvents events;
    NotificationTokens tokens(text);
    std::string keyword, value;
    if (!tokens.Next(keyword)) return events;
    if (keyword == "CALL") {
        OnCall(tokens, events);
    } else if (keyword == "CURRENTUSERHANDLE") {
        if (!tokens.Next(value)) return events;
        currentUserHandle_ = CutField(value);
        RefreshRingtone();
    } else if (keyword == "USERSTATUS") {
        if (tokens.Next(value)) OnUserStatus(value, events);
    } else if (keyword == "CONNSTATUS") {
        if (tokens.Next(value) && value == "LOGGEDOUT") {
            ownStatus_ = OwnStatus::Offline;
            events.emplace_back(ClientEventKind::LoggedOut);
        }
    } else if (keyword == "PROTOCOL") {
        if (tokens.Next(value)) protocolVersion_ = DecimalValue(value);
    } else if (keyword == "CALLS") {
        OnCalls(tokens);
    } else if (keyword == "CALLHISTORYCHANGED") {
        OnCallHistoryChanged(events);
    } else if (keyword == "USERS") {
        OnUsers(tokens);
    } else if (keyword == "USER") {
        OnUser(tokens, events);
    } else if (keyword == "BTN_RELEASED") {
        if (tokens.Next(value) && (value == "NO" || value.size() == 1))
            events.emplace_back(ClientEventKind::ButtonReleased).key = value;
    }
    return events;
}

ClientEvents NotificationParser::Parse(const char* utf8) {
    std::string ansi;
    if (utf8 == nullptr || !Utf8ToAnsi(platform_.text, utf8, ansi)) return {};
    return ParseText(ansi);
}

}  // namespace calvox
