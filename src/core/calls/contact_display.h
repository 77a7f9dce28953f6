// Browsing contacts and the call history on the handset display.
#pragma once

#include <string>

#include "hub/app.h"
#include "handset/mcu_commands.h"

namespace calvox {

// listKind: 2 all contacts, 3 online ones, any other value offline ones.
void ShowContact(App& app, bool forward, int listKind);
void ShowHistoryCall(App& app, Hwnd hubWindow, int delta);
// A contact entry group: name, number, status, handle.
void ShowContactGroup(App& app, const UserRecord& contact, McuCommand nameCommand);
// "yy/mm/dd hh:mm" of a call's start; zeros when it has no local time.
std::string HistoryDateText(SystemPort& system, std::int64_t timestamp);

}  // namespace calvox
