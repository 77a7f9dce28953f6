// Browsing contacts and the call history on the handset display.
#pragma once

#include <string>

#include "client/skype_directory.h"
#include "client/transport.h"
#include "handset/mcu_commands.h"
#include "handset/mcu_protocol.h"
#include "platform/system_port.h"

namespace calvox {

// The contact entries and history calls the handset display browses.
class ContactDisplay {
public:
    ContactDisplay(McuDisplay& display, SkypeDirectory& directory, ClientLink& link,
                   SystemPort& system)
        : display_(display), directory_(directory), link_(link), system_(system) {}

    // listKind: 2 all contacts, 3 online ones, any other value offline ones.
    void ShowContact(bool forward, int listKind);
    // The history call `delta` entries on; a missed call shown is marked seen.
    void ShowHistoryCall(int delta);
    // A contact entry group: name, number, status, handle.
    void ShowGroup(const UserRecord& contact, McuCommand nameCommand);

private:
    McuDisplay& display_;
    SkypeDirectory& directory_;
    ClientLink& link_;
    SystemPort& system_;
};

// "yy/mm/dd hh:mm" of a call's start; zeros when it has no local time.
std::string HistoryDateText(SystemPort& system, std::int64_t timestamp);

}  // namespace calvox
