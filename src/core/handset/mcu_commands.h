// The command codes of the handset's microcontroller and what each one does
// to its display. One MCU report carries one command: byte 1 the report type
// (plus the buzzer bit), byte 2 0x80 | code, bytes 3-4 the data.
#pragma once

#include <cstdint>

namespace calvox {

inline constexpr std::uint8_t kGpioReport = 0x00;
inline constexpr std::uint8_t kMcuReport = 0x40;
inline constexpr std::uint8_t kReportTypeMask = 0xC0;
inline constexpr std::uint8_t kBuzzerBit = 0x20;
inline constexpr std::uint8_t kMcuCommandBit = 0x80;

enum class McuCommand : std::uint8_t {
    IdleScreen = 0x01,
    StartNumberEntry = 0x02,
    CallOutgoing = 0x03,  // texts of a call's state: the partner's display name
    CallTalking = 0x04,
    CallIncoming = 0x05,
    CallEnded = 0x07,  // also a command: the answering machine is done with a call
    ContactOnline = 0x0A,
    ContactOffline = 0x0B,
    DeleteDigit = 0x0C,
    CursorLeft = 0x0D,
    CursorRight = 0x0E,
    Indicator = 0x0F,
    Digit = 0x10,
    HistoryIncoming = 0x11,
    HistoryOutgoing = 0x12,
    HistoryMissed = 0x13,
    HistoryPartner = 0x14,
    NowOnline = 0x15,
    NowOffline = 0x16,
    LogoLine1 = 0x17,
    LogoLine2 = 0x18,
    OwnStatus = 0x19,
    ContactNumber = 0x1A,
    ContactStatus = 0x1B,
    Handle = 0x1C,
    Acknowledge = 0x1E,
    Probe = 0x1F,
    SwitchSymbol = 0x21,
    CallOutNumber = 0x22,
    CallOutOn = 0x23,
    CallOutOff = 0x24,
    AnswerOn = 0x25,
    AnswerOff = 0x26,
    VoiceMailOn = 0x27,
    VoiceMailOff = 0x28,
};

// Byte 2 of the report that carries `command`.
constexpr std::uint8_t McuCommandByte(McuCommand command) {
    return static_cast<std::uint8_t>(kMcuCommandBit | static_cast<std::uint8_t>(command));
}

// A call's state on the handset. Each value is also the text command that
// shows the partner's name in that state.
enum class HandsetCallState : std::uint8_t {
    CALLSTATE_OUTGOING = static_cast<std::uint8_t>(McuCommand::CallOutgoing),
    CALLSTATE_TALKING = static_cast<std::uint8_t>(McuCommand::CallTalking),
    CALLSTATE_INCOMING = static_cast<std::uint8_t>(McuCommand::CallIncoming),
    CALLSTATE_IDLE = static_cast<std::uint8_t>(McuCommand::CallEnded),
};

constexpr McuCommand CallStateText(HandsetCallState state) {
    return static_cast<McuCommand>(state);
}

// What the microcontroller reports back. Ready codes say which handset
// answered the probe; a request asks the hub for something to show.
enum class McuReady : std::uint8_t { First = 0x80, Gbox = 0x81, Last = 0x9F };
enum class McuRequest : std::uint8_t {
    CallContact = 0xC0,    // data: the contact's position, from 1; 0 for none
    ShowCallState = 0xC1,  // the own status and the current call's partner again
    ShowContact = 0xC2,    // data: the contact's position, from 1
};

// Commands whose data is a text, two characters a report, ended by a zero.
constexpr bool IsMcuText(McuCommand c) {
    switch (c) {
        case McuCommand::CallOutgoing:
        case McuCommand::CallTalking:
        case McuCommand::CallIncoming:
        case McuCommand::CallEnded:
        case McuCommand::ContactOnline:
        case McuCommand::ContactOffline:
        case McuCommand::HistoryIncoming:
        case McuCommand::HistoryOutgoing:
        case McuCommand::HistoryMissed:
        case McuCommand::HistoryPartner:
        case McuCommand::NowOnline:
        case McuCommand::NowOffline:
        case McuCommand::LogoLine1:
        case McuCommand::LogoLine2:
        case McuCommand::Handle:
        case McuCommand::CallOutNumber:
            return true;
        default:
            return false;
    }
}

// Texts that begin a new screen (a call's state, a contact, a history entry,
// a presence change): what the display held before goes.
constexpr bool StartsMcuScreen(McuCommand c) {
    return IsMcuText(c) && c != McuCommand::HistoryPartner && c != McuCommand::Handle &&
           c != McuCommand::LogoLine1 && c != McuCommand::LogoLine2 &&
           c != McuCommand::CallOutNumber;
}

// Commands that belong to number entry itself and so leave it on the display.
constexpr bool KeepsNumberEntry(McuCommand c) {
    return c == McuCommand::StartNumberEntry || c == McuCommand::DeleteDigit ||
           c == McuCommand::Acknowledge;
}

// The indicators of command Indicator: indicator k in state s is sent as 2k + 1 + s.
enum class McuIndicator : std::uint8_t { Muted, MissedCall, NewVoiceMail, OnHold, Conference };
inline constexpr int kMcuIndicatorCount = 5;

constexpr std::uint8_t IndicatorValue(McuIndicator k, bool on) {
    return static_cast<std::uint8_t>(2 * static_cast<int>(k) + 1 + (on ? 1 : 0));
}

}  // namespace calvox
