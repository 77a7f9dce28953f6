#include "handset/mcu_protocol.h"

#include <algorithm>

namespace calvox {

bool McuDisplay::Write(McuCommand command, std::uint8_t b3, std::uint8_t b4) {
    return device_.SendReport(kMcuReport, McuCommandByte(command), b3, b4);
}

void McuDisplay::EndNumberEntry() {
    if (!numberEntryActive_) return;
    numberEntryActive_ = false;
    Clear();
}

bool McuDisplay::Command(McuCommand command, std::uint8_t value) {
    if (!device_.McuPresent()) return false;
    if (!KeepsNumberEntry(command)) EndNumberEntry();
    clock_.Sleep(kMcuCommandPauseMs);
    return Write(command, value, 0);
}

void McuDisplay::Digit(std::uint8_t ch) {
    if (!device_.McuPresent()) return;
    clock_.Sleep(kMcuCommandPauseMs);
    Write(McuCommand::Digit, ch, 0);
}

void McuDisplay::Text(const std::string& text, McuCommand command) {
    if (!device_.McuPresent()) return;
    EndNumberEntry();
    clock_.Sleep(kMcuCommandPauseMs);
    if (text.empty()) return;
    std::size_t i = 0;
    for (; i + 1 < text.size(); i += 2) {
        Write(command, static_cast<std::uint8_t>(text[i]), static_cast<std::uint8_t>(text[i + 1]));
        clock_.Sleep(kMcuTextPairPauseMs);
    }
    std::uint8_t last = i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0;
    Write(command, last, 0);
}

void McuDisplay::Clear() {
    if (onClear_) onClear_();
    numberEntry_.clear();
    numberEntryActive_ = false;
    Command(McuCommand::IdleScreen, 0);
}

void McuDisplay::EchoDigit(char ch) {
    if (!numberEntryActive_) {
        Command(McuCommand::StartNumberEntry, 0);
        numberEntryActive_ = true;
        for (char c : numberEntry_) Digit(static_cast<std::uint8_t>(c));
    }
    if (numberEntry_.size() < kNumberEntryChars) {
        Digit(static_cast<std::uint8_t>(ch));
        numberEntry_ += ch;
    }
}

void McuDisplay::SendVoiceMailSettings(const Settings& settings) {
    for (const McuCommandItem& item : VoiceMailSettingsCommands(settings)) {
        if (item.isText)
            Text(item.text, item.command);
        else
            Command(item.command, item.value);
    }
}

std::vector<McuCommandItem> VoiceMailSettingsCommands(const Settings& s) {
    std::vector<McuCommandItem> items;
    auto command = [&](McuCommand c, int value) {
        items.push_back({c, static_cast<std::uint8_t>(value), false, {}});
    };
    if (s.callOut) command(McuCommand::CallOutOn, s.ring2CallOut);
    else command(McuCommand::CallOutOff, 0);
    if (s.enableAm || s.voiceMail)
        command(McuCommand::AnswerOn, static_cast<int>(std::min(static_cast<unsigned>(s.ring2Am),
                                                                static_cast<unsigned>(s.ring2Vm))));
    else command(McuCommand::AnswerOff, 0);
    if (s.voiceMail) command(McuCommand::VoiceMailOn, s.ring2Vm);
    else command(McuCommand::VoiceMailOff, 0);
    command(McuCommand::SwitchSymbol, s.switchSymbol == '#' ? 12 : 10);
    if (!s.callOutCodes.empty()) {
        items.push_back({McuCommand::CallOutNumber, 0, true,
                         std::string(s.callOutCodes.begin(), s.callOutCodes.end())});
    }
    return items;
}

}  // namespace calvox
