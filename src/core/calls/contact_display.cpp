#include "calls/contact_display.h"

#include <cstdio>

namespace calvox {

void ContactDisplay::ShowGroup(const UserRecord& contact, McuCommand nameCommand) {
    display_.Text(contact.displayName, nameCommand);
    display_.Command(McuCommand::ContactNumber, static_cast<std::uint8_t>(contact.number));
    display_.Command(McuCommand::ContactStatus, static_cast<std::uint8_t>(contact.status));
    display_.Text(contact.handle, McuCommand::Handle);
}

void ContactDisplay::ShowContact(bool forward, int listKind) {
    SkypeDirectory& d = directory_;
    const UserRecord* contact =
        listKind == 2 ? d.StepContact(forward) : d.NextContactWithOnline(listKind == 3, forward);
    if (contact == nullptr || contact->displayName.empty()) return;
    ShowGroup(*contact, contact->online ? McuCommand::ContactOnline : McuCommand::ContactOffline);
}

std::string HistoryDateText(SystemPort& system, std::int64_t timestamp) {
    LocalTimeParts t;
    if (!system.ToLocalTime(timestamp, t)) return "00/00/00 00:00";
    char text[32];
    std::snprintf(text, sizeof text, "%02d/%02d/%02d %02d:%02d", t.year % 100, t.month % 100,
                  t.day % 100, t.hour % 100, t.minute % 100);
    return text;
}

void ContactDisplay::ShowHistoryCall(int delta) {
    const CallRecord* call = directory_.StepCall(delta);
    if (call == nullptr) return;
    McuCommand kindCommand = McuCommand::HistoryOutgoing;
    if (call->status == MISSED) kindCommand = McuCommand::HistoryMissed;
    else if (call->IsIncoming()) kindCommand = McuCommand::HistoryIncoming;
    if (call->status == MISSED && !call->seen)
        link_.Send("SET CALL " + std::to_string(DecimalValue(call->id)) + " SEEN");
    display_.Text(HistoryDateText(system_, call->timestamp), kindCommand);
    display_.Text(call->partnerDisplayName, McuCommand::HistoryPartner);
    if (const UserRecord* contact = directory_.FindContactByHandle(call->partnerHandle)) {
        display_.Command(McuCommand::ContactNumber, static_cast<std::uint8_t>(contact->number));
        display_.Command(McuCommand::ContactStatus, static_cast<std::uint8_t>(contact->status));
    }
    display_.Text(call->partnerHandle, McuCommand::Handle);
}

}  // namespace calvox
