// Texts from the Skype client: replies and notifications about calls, users,
// the user's own status and the connection. The parser keeps the directory
// and the session's facts up to date, asks the client for what it lacks, and
// returns what happened for the handset's side to act on.
#pragma once

#include <string>
#include <vector>

#include "client/historic_call_ids.h"
#include "client/presence.h"
#include "client/skype_directory.h"
#include "client/transport.h"
#include "platform/platform.h"

namespace calvox {

// Splits a notification the client's way: runs of " ,\t\n" separate tokens;
// Rest() is the text after the last token and the one delimiter that ended it.
class NotificationTokens {
public:
    explicit NotificationTokens(const std::string& text) : text_(text) {}
    bool Next(std::string& token);
    std::string Rest() const;

private:
    const std::string& text_;
    std::size_t pos_ = 0;
};

// Where the search for the client's calls stands after attaching: all calls
// listed first, then the active ones, then done.
enum class CallSearchPhase { SEARCH_ALL_CALLS = 2, SEARCH_ACTIVE_CALLS = 3, SEARCH_DONE = 4 };

enum class ClientEventKind {
    CallStatusChanged,       // call, status: a listed call's status, already stored
    MissedCallsChanged,      // a missed call was seen
    OwnStatusChanged,        // the user's own status (OwnStatus())
    LoggedOut,               // the user logged out: own status offline
    CallsDropped,            // the call list was emptied: no record may be kept
    ContactPresenceChanged,  // contact: went on- or offline
    ButtonReleased,          // key: the client's "NO" or a dial character
};

struct ClientEvent {
    explicit ClientEvent(ClientEventKind k) : kind(k) {}
    ClientEventKind kind;
    // Valid until the next text is parsed.
    CallRecord* call = nullptr;
    CallStatus status = CALL_STATUS_UNKNOWN;
    const UserRecord* contact = nullptr;
    std::string key;
};
using ClientEvents = std::vector<ClientEvent>;

class NotificationParser {
public:
    NotificationParser(Platform& platform, SkypeDirectory& directory, HistoricCallIds& historicIds,
                       ClientLink& link)
        : platform_(platform), directory_(directory), historicIds_(historicIds), link_(link) {}

    // One text as the client sent it (UTF-8); null or unconvertible gives nothing.
    ClientEvents Parse(const char* utf8);
    // The same for a text already in the ANSI code page.
    ClientEvents ParseText(const std::string& text);

    OwnStatus Status() const { return ownStatus_; }
    int ProtocolVersion() const { return protocolVersion_; }
    CallSearchPhase SearchPhase() const { return searchPhase_; }
    void SetSearchPhase(CallSearchPhase phase) { searchPhase_ = phase; }
    // The ringtone for calls from friends, looked up again in the user's profile.
    const std::string& RefreshRingtone();

private:
    void OnCall(NotificationTokens& tokens, ClientEvents& events);
    void OnCallStatus(const std::string& id, const std::string& value, ClientEvents& events);
    void OnUsers(NotificationTokens& tokens);
    void OnCalls(NotificationTokens& tokens);
    void OnUser(NotificationTokens& tokens, ClientEvents& events);
    void OnUserStatus(const std::string& value, ClientEvents& events);
    void OnCallHistoryChanged(ClientEvents& events);

    Platform& platform_;
    SkypeDirectory& directory_;
    HistoricCallIds& historicIds_;
    ClientLink& link_;
    CallSearchPhase searchPhase_ = CallSearchPhase::SEARCH_DONE;
    std::string currentUserHandle_;
    std::string ringtone_;
    int protocolVersion_ = 0;
    OwnStatus ownStatus_ = OwnStatus::Offline;
};

}  // namespace calvox
