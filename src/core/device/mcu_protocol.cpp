#include "device/mcu_protocol.h"

#include "control/call_actions.h"
#include "device/mcu_commands.h"

namespace calvox {

namespace {

void EndNumberEntry(App& app) {
    if (!app.numberEntryActive) return;
    app.numberEntryActive = false;
    ClearDisplay(app);
}

}  // namespace

int SendMcuCommand(App& app, std::uint8_t code, std::uint8_t value) {
    if (!app.device.McuPresent()) return 0;
    if (!KeepsNumberEntry(static_cast<McuCommand>(code))) EndNumberEntry(app);
    app.platform.clock.Sleep(kMcuCommandPauseMs);
    return app.device.SendReport(kMcuReport, static_cast<std::uint8_t>(kMcuCommandBit | code),
                                 value, 0);
}

void SendMcuDigit(App& app, std::uint8_t ch) {
    if (!app.device.McuPresent()) return;
    app.platform.clock.Sleep(kMcuCommandPauseMs);
    app.device.SendReport(
        kMcuReport, kMcuCommandBit | static_cast<std::uint8_t>(McuCommand::Digit), ch, 0);
}

void SendMcuText(App& app, const std::string& text, std::uint8_t code) {
    if (!app.device.McuPresent()) return;
    EndNumberEntry(app);
    app.platform.clock.Sleep(kMcuCommandPauseMs);
    if (text.empty()) return;
    const auto codeByte = static_cast<std::uint8_t>(kMcuCommandBit | code);
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
    SendMcuCommand(app, static_cast<std::uint8_t>(McuCommand::IdleScreen), 0);
}

void SendVoiceMailSettingsToHandset(App& app) {
    for (const McuCommandItem& item : VoiceMailSettingsCommands(app.settings)) {
        if (item.isText) SendMcuText(app, item.text, item.code);
        else SendMcuCommand(app, item.code, item.value);
    }
}

}  // namespace calvox
