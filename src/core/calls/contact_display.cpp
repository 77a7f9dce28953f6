#include "calls/contact_display.h"

#include <cstdio>

#include "handset/mcu_protocol.h"
#include "client/transport.h"

namespace calvox {

void ShowContactGroup(App& app, const UserRecord& contact, McuCommand nameCommand) {
    SendMcuText(app, contact.displayName, nameCommand);
    SendMcuCommand(app, McuCommand::ContactNumber, static_cast<std::uint8_t>(contact.number));
    SendMcuCommand(app, McuCommand::ContactStatus, static_cast<std::uint8_t>(contact.status));
    SendMcuText(app, contact.handle, McuCommand::Handle);
}

void ShowContact(App& app, bool forward, int listKind) {
    SkypeDirectory& d = app.directory;
    const UserRecord* contact =
        listKind == 2 ? d.StepContact(forward) : d.NextContactWithOnline(listKind == 3, forward);
    if (contact == nullptr || contact->displayName.empty()) return;
    ShowContactGroup(app, *contact,
                     contact->online ? McuCommand::ContactOnline : McuCommand::ContactOffline);
}

std::string HistoryDateText(SystemPort& system, std::int64_t timestamp) {
    LocalTimeParts t;
    if (!system.ToLocalTime(timestamp, t)) return "00/00/00 00:00";
    char text[32];
    std::snprintf(text, sizeof text, "%02d/%02d/%02d %02d:%02d", t.year % 100, t.month % 100,
                  t.day % 100, t.hour % 100, t.minute % 100);
    return text;
}

void ShowHistoryCall(App& app, Hwnd hubWindow, int delta) {
    const CallRecord* call = app.directory.StepCall(delta);
    if (call == nullptr) return;
    McuCommand kindCommand = McuCommand::HistoryOutgoing;
    if (call->status == MISSED) kindCommand = McuCommand::HistoryMissed;
    else if (call->IsIncoming()) kindCommand = McuCommand::HistoryIncoming;
    if (call->status == MISSED && !call->seen)
        SendSkypeCommand(app, "SET CALL " + std::to_string(DecimalValue(call->id)) + " SEEN",
                         hubWindow);
    SendMcuText(app, HistoryDateText(app.platform.system, call->timestamp), kindCommand);
    SendMcuText(app, call->partnerDisplayName, McuCommand::HistoryPartner);
    if (const UserRecord* contact = app.directory.FindContactByHandle(call->partnerHandle)) {
        SendMcuCommand(app, McuCommand::ContactNumber, static_cast<std::uint8_t>(contact->number));
        SendMcuCommand(app, McuCommand::ContactStatus, static_cast<std::uint8_t>(contact->status));
    }
    SendMcuText(app, call->partnerHandle, McuCommand::Handle);
}

}  // namespace calvox
