#include "handset/mcu_protocol.h"

#include <algorithm>

#include "calls/call_actions.h"
#include "handset/mcu_commands.h"

namespace calvox {

namespace {

void EndNumberEntry(App& app) {
    if (!app.numberEntryActive) return;
    app.numberEntryActive = false;
    ClearDisplay(app);
}

}  // namespace

bool SendMcuCommand(App& app, McuCommand command, std::uint8_t value) {
    if (!app.device.McuPresent()) return true;
    if (!KeepsNumberEntry(command)) EndNumberEntry(app);
    app.platform.clock.Sleep(kMcuCommandPauseMs);
    return app.device.SendReport(kMcuReport, McuCommandByte(command), value, 0);
}

void SendMcuDigit(App& app, std::uint8_t ch) {
    if (!app.device.McuPresent()) return;
    app.platform.clock.Sleep(kMcuCommandPauseMs);
    app.device.SendReport(kMcuReport, McuCommandByte(McuCommand::Digit), ch, 0);
}

void SendMcuText(App& app, const std::string& text, McuCommand command) {
    if (!app.device.McuPresent()) return;
    EndNumberEntry(app);
    app.platform.clock.Sleep(kMcuCommandPauseMs);
    if (text.empty()) return;
    const std::uint8_t codeByte = McuCommandByte(command);
    std::size_t i = 0;
    for (; i + 1 < text.size(); i += 2) {
        app.device.SendReport(kMcuReport, codeByte, static_cast<std::uint8_t>(text[i]),
                              static_cast<std::uint8_t>(text[i + 1]));
        app.platform.clock.Sleep(kMcuTextPairPauseMs);
    }
    std::uint8_t last = i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0;
    app.device.SendReport(kMcuReport, codeByte, last, 0);
}

void ClearDisplay(App& app) {
    ClearAddressBar(app);
    app.numberEntry.clear();
    app.numberEntryActive = false;
    SendMcuCommand(app, McuCommand::IdleScreen, 0);
}

void SendVoiceMailSettingsToHandset(App& app) {
    for (const McuCommandItem& item : VoiceMailSettingsCommands(app.settings)) {
        if (item.isText) SendMcuText(app, item.text, item.command);
        else SendMcuCommand(app, item.command, item.value);
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
