#include "client/notification_parser.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include "sound/recording.h"
#include "shell/tray.h"
#include "config/settings.h"
#include "handset/mcu_protocol.h"
#include "calls/call_reactions.h"
#include "client/presence.h"
#include "client/profile.h"
#include "base/text_convert.h"
#include "client/transport.h"

namespace calvox {

namespace {

bool IsDelimiter(char c) { return c == ' ' || c == ',' || c == '\t' || c == '\n'; }

void Send(App& app, Hwnd hub, const std::string& command) { SendSkypeCommand(app, command, hub); }

void UpdateMissedIndicator(App& app) {
    const int value =
        IndicatorValue(McuIndicator::MissedCall, app.directory.HasUnseenMissedCall());
    if (value == app.indicators.missed) return;
    SendMcuCommand(app, McuCommand::Indicator, static_cast<std::uint8_t>(value));
    app.indicators.missed = value;
}

void LoggedOut(App& app, Hwnd hub) {
    app.hub.ownStatus = OwnStatus::Offline;
    ResetSkypeState(app, hub);
    TraySetIcon(app, hub, app.hub.trayTip, app.hub.disconnectIcon);
    SendMcuCommand(app, McuCommand::OwnStatus, OwnStatusCode(OwnStatus::Offline));
}

void OnCallStatus(App& app, Hwnd hub, const std::string& id, const std::string& value) {
    CallRecord* call = app.directory.FindCall(id);
    if (call == nullptr) {
        Send(app, hub, "GET CALL " + id + " TIMESTAMP");
        return;
    }
    const HandsetCallState state =
        HandsetCallStateFor(CallStatusFromName(value).status, call->type);
    if (state != HandsetCallState::CALLSTATE_IDLE && app.historicCallIds.Contains(id)) {
        // Over before the last search: it never drives the handset again.
        app.directory.SetCallProperty(id, CallProperty::Status, "FINISHED");
        return;
    }
    if (state == HandsetCallState::CALLSTATE_INCOMING) FocusSkypeClient(app, hub);
    app.directory.SetCallProperty(id, CallProperty::Status, value);
    if (app.hub.currentCall == nullptr && state != HandsetCallState::CALLSTATE_IDLE)
        app.hub.currentCall = call;
    if (app.hub.currentCall == call) ReactToCurrentCall(app, hub, state);
    RefreshCallIndicators(app);
}

void OnCall(App& app, Hwnd hub, NotificationTokens& tokens) {
    std::string id, property, value;
    if (!tokens.Next(id) || !tokens.Next(property)) return;
    if (property == "PARTNER_DISPNAME") {
        value = tokens.Rest();
        app.directory.SetCallProperty(id, CallProperty::PartnerDisplayName, value);
        return;
    }
    if (!tokens.Next(value)) return;
    SkypeDirectory& calls = app.directory;
    if (property == "TYPE") {
        calls.SetCallProperty(id, CallProperty::Type, value);
    } else if (property == "STATUS") {
        OnCallStatus(app, hub, id, value);
    } else if (property == "PARTNER_HANDLE") {
        calls.SetCallProperty(id, CallProperty::PartnerHandle, value);
    } else if (property == "TIMESTAMP") {
        const bool isNew = calls.FindCall(id) == nullptr;
        calls.SetCallProperty(id, CallProperty::Timestamp, value);
        if (isNew) {
            for (const char* p : {"TYPE", "PARTNER_DISPNAME", "PARTNER_HANDLE", "CONF_ID", "SEEN",
                                  "STATUS"})
                Send(app, hub, "GET CALL " + id + " " + p);
        }
    } else if (property == "CONF_ID") {
        calls.SetCallProperty(id, CallProperty::ConferenceId, value);
    } else if (property == "SEEN") {
        calls.SetCallProperty(id, CallProperty::Seen, value);
        UpdateMissedIndicator(app);
    }
}

void OnUsers(App& app, Hwnd hub, NotificationTokens& tokens) {
    std::size_t count = 0;
    for (std::string handle; tokens.Next(handle); ++count) {
        Send(app, hub, "GET USER " + handle + " FULLNAME");
        Send(app, hub, "GET USER " + handle + " ONLINESTATUS");
        WriteContactHandle(app.platform, count, handle);
    }
    WriteContactCount(app.platform, count);
    app.historicCallIds.Clear();
    Send(app, hub, "SEARCH CALLS");
    app.callSearchPhase = CallSearchPhase::SEARCH_ALL_CALLS;
}

void OnCalls(App& app, Hwnd hub, NotificationTokens& tokens) {
    if (app.callSearchPhase == CallSearchPhase::SEARCH_ALL_CALLS) {
        for (std::string id; tokens.Next(id);) app.historicCallIds.Add(std::move(id));
        Send(app, hub, "SEARCH ACTIVECALLS");
        app.callSearchPhase = CallSearchPhase::SEARCH_ACTIVE_CALLS;
        return;
    }
    app.callSearchPhase = CallSearchPhase::SEARCH_DONE;
    for (std::string id; tokens.Next(id);) {
        app.historicCallIds.Remove(id);
        Send(app, hub, "GET CALL " + id + " TIMESTAMP");
    }
    app.historicCallIds.ForEach(
        [&](const std::string& id) { Send(app, hub, "GET CALL " + id + " TIMESTAMP"); });
}

void ShowPresenceChange(App& app, const UserRecord& contact) {
    if (contact.displayName.empty()) return;
    SendMcuText(app, contact.displayName,
                contact.online ? McuCommand::NowOnline : McuCommand::NowOffline);
    SendMcuCommand(app, McuCommand::ContactNumber, static_cast<std::uint8_t>(contact.number));
    SendMcuCommand(app, McuCommand::ContactStatus, static_cast<std::uint8_t>(contact.status));
    SendMcuText(app, contact.handle, McuCommand::Handle);
}

void OnUser(App& app, Hwnd hub, NotificationTokens& tokens) {
    std::string handle, property, value;
    if (!tokens.Next(handle) || !tokens.Next(property)) return;
    if (property == "FULLNAME") {
        value = tokens.Rest();
        app.directory.AddContact(handle, value);
        WriteDisplayName(app.platform, handle, value);
        return;
    }
    if (!tokens.Next(value)) return;
    if (property == "ONLINESTATUS") {
        int status = 2;
        bool online = false;
        ContactStatusFromWord(value, status, online);
        const bool changed = app.directory.SetContactStatus(handle, online, status) != 0;
        if (!changed || app.hub.uiMode != UiMode::Normal) return;
        if (const UserRecord* contact = app.directory.FindContactByHandle(handle))
            ShowPresenceChange(app, *contact);
    } else if (property == "BUDDYSTATUS") {
        if (value[0] == '1') {
            app.directory.RemoveContact(handle);
        } else if (value[0] == '2' || value[0] == '3') {
            Send(app, hub, "GET USER " + handle + " FULLNAME");
            Send(app, hub, "GET USER " + handle + " ONLINESTATUS");
        }
    }
}

void OnButtonReleased(App& app, NotificationTokens& tokens) {
    std::string key;
    if (!tokens.Next(key)) return;
    if (key == "NO") {
        CallRecord* call = app.hub.currentCall;
        if (call == nullptr || call->ended) {
            app.numberEntry.clear();
            SendMcuCommand(app, McuCommand::IdleScreen, 0);
        }
        return;
    }
    if (key.size() != 1) return;
    if (!app.numberEntryActive) {
        SendMcuCommand(app, McuCommand::StartNumberEntry, 0);
        app.numberEntryActive = true;
        for (char c : app.numberEntry) SendMcuDigit(app, static_cast<std::uint8_t>(c));
    }
    if (app.numberEntry.size() < kNumberEntryChars) {
        SendMcuDigit(app, static_cast<std::uint8_t>(key[0]));
        app.numberEntry += key[0];
    }
}

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

std::string NotificationTokens::Rest() const { return pos_ < text_.size() ? text_.substr(pos_) : ""; }

HandsetCallState HandsetCallStateFor(CallStatus status, CallType type) {
    switch (status) {
        case ROUTING:
        case EARLYMEDIA:
            return HandsetCallState::CALLSTATE_OUTGOING;
        case RINGING:
            return type == INCOMING_PSTN || type == INCOMING_P2P
                       ? HandsetCallState::CALLSTATE_INCOMING
                       : HandsetCallState::CALLSTATE_OUTGOING;
        case INPROGRESS:
        case ONHOLD:
            return HandsetCallState::CALLSTATE_TALKING;
        default:
            return HandsetCallState::CALLSTATE_IDLE;
    }
}

void HandleNotificationText(App& app, Hwnd hub, const std::string& text) {
    NotificationTokens tokens(text);
    std::string keyword, value;
    if (!tokens.Next(keyword)) return;
    if (keyword == "CALL") {
        OnCall(app, hub, tokens);
    } else if (keyword == "CURRENTUSERHANDLE") {
        if (!tokens.Next(value)) return;
        app.currentUserHandle = CutField(value);
        FindRingtone(app);
    } else if (keyword == "USERSTATUS") {
        if (!tokens.Next(value)) return;
        if (value == "LOGGEDOUT") {
            LoggedOut(app, hub);
            return;
        }
        app.hub.ownStatus = OwnStatusFromWord(value, app.hub.ownStatus);
        SendMcuCommand(app, McuCommand::OwnStatus, OwnStatusCode(app.hub.ownStatus));
    } else if (keyword == "CONNSTATUS") {
        if (tokens.Next(value) && value == "LOGGEDOUT") LoggedOut(app, hub);
    } else if (keyword == "PROTOCOL") {
        if (tokens.Next(value)) app.protocolVersion = DecimalValue(value);
    } else if (keyword == "CALLS") {
        OnCalls(app, hub, tokens);
    } else if (keyword == "CALLHISTORYCHANGED") {
        // The records go; nothing may keep pointing into them.
        app.hub.currentCall = nullptr;
        app.directory.DeleteAllCalls();
        app.historicCallIds.Clear();
        app.callSearchPhase = CallSearchPhase::SEARCH_ALL_CALLS;
        Send(app, hub, "SEARCH CALLS");
    } else if (keyword == "USERS") {
        OnUsers(app, hub, tokens);
    } else if (keyword == "USER") {
        OnUser(app, hub, tokens);
    } else if (keyword == "BTN_RELEASED") {
        OnButtonReleased(app, tokens);
    }
}

void HandleNotification(App& app, Hwnd hub, char* text) {
    std::unique_ptr<char[]> owned(text);
    if (!owned) return;
    std::string ansi;
    if (!Utf8ToAnsi(app.platform.text, owned.get(), ansi)) return;
    HandleNotificationText(app, hub, ansi);
}

}  // namespace calvox
