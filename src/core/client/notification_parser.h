// Texts from the Skype client: replies and notifications about calls, users,
// the user's own status and the connection.
#pragma once

#include <string>

#include "hub/app.h"
#include "handset/mcu_commands.h"

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

// Parses one notification; takes ownership of the text block (new char[]).
void HandleNotification(App& app, Hwnd hubWindow, char* text);
// The same for a text already in the ANSI code page.
void HandleNotificationText(App& app, Hwnd hubWindow, const std::string& text);

// The handset state a call status stands for.
HandsetCallState HandsetCallStateFor(CallStatus status, CallType type);

}  // namespace calvox
