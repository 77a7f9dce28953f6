#include "sim/story.h"

#include <ctime>
#include <ostream>
#include <sstream>
#include <vector>

#include "config/key_table.h"
#include "handset/mcu_commands.h"
#include "sim/handset_display.h"
#include "client/presence.h"

namespace calvox::sim {

namespace {

std::string Rest(std::istringstream& words) {
    std::string rest;
    std::getline(words >> std::ws, rest);
    return rest;
}

std::string CallStatusWords(const std::string& status) {
    static const std::map<std::string, std::string> kWords = {
        {"UNPLACED", "is not placed yet"},
        {"ROUTING", "is being connected"},
        {"EARLYMEDIA", "is connecting"},
        {"FAILED", "has failed"},
        {"RINGING", "is ringing"},
        {"INPROGRESS", "is answered: you are talking"},
        {"ONHOLD", "is on hold"},
        {"FINISHED", "has ended"},
        {"MISSED", "was missed"},
        {"REFUSED", "was refused"},
        {"BUSY", "is busy"},
        {"CANCELLED", "was cancelled"}};
    const auto it = kWords.find(status);
    return it != kWords.end() ? it->second : "is " + status;
}

std::string UtcTime(const std::string& seconds) {
    const std::time_t t = static_cast<std::time_t>(std::strtoll(seconds.c_str(), nullptr, 10));
    std::tm parts{};
    gmtime_r(&t, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &parts);
    return text;
}

std::string StepAsTyped(const ScriptLine& line) {
    std::string text = line.word;
    if (!line.text.empty()) return text + " " + line.text;
    for (const Token& t : line.args) text += " " + (t.quoted ? QuoteText(t.text) : t.text);
    return text;
}

// The voicemail settings block, by what it sets.
std::string SettingWords(McuCommand command, int value) {
    const std::string rings = " (after " + std::to_string(value) + " rings)";
    switch (command) {
        case McuCommand::SwitchSymbol:
            return std::string("the switch key is ") + (value == 12 ? "#" : "*");
        case McuCommand::CallOutOn:
            return "call-out on" + rings;
        case McuCommand::CallOutOff:
            return "call-out off";
        case McuCommand::AnswerOn:
            return "answering on" + rings;
        case McuCommand::AnswerOff:
            return "answering off";
        case McuCommand::VoiceMailOn:
            return "voicemail on" + rings;
        case McuCommand::VoiceMailOff:
            return "voicemail off";
        default:
            return {};
    }
}

}  // namespace

void Story::Say(const std::string& text) {
    if (!text.empty()) out_ << text << '\n';
}

std::string Story::YouPress(const std::string& function) {
    const int code = KeyFunctionFromName(function);
    pressed_ = code;
    const std::string name = KeyFunctionName(code);
    std::string what;
    switch (code) {
        case HOOK_SWITCH:
            offHook_ = !offHook_;
            what = offHook_ ? "lift the handset" : "put the handset down";
            break;
        case HOOK_OFF:
            what = "press the hook-off key";
            break;
        case HAND_OFF:
            what = "press the hang-up key";
            break;
        case DIALING:
            what = "press the dial key";
            break;
        case UP:
            what = "press up";
            break;
        case DOWN:
            what = "press down";
            break;
        case PHONELIST:
            what = "open the phone list";
            break;
        case CONTACT_LIST:
            what = "open the contact list";
            break;
        case HISTORYCALL:
            what = "open the call history";
            break;
        case ENTER:
            what = "press Enter";
            break;
        case BACKSPACE:
            what = "press Backspace";
            break;
        case VOLUMESTEPUP:
            what = "turn the volume up";
            break;
        case VOLUMESTEPDOWN:
            what = "turn the volume down";
            break;
        case VOLUMEMUTE:
            what = "mute the volume";
            break;
        default:
            what = name.rfind("NUMBER_", 0) == 0 ? "press " + name.substr(7) : "press a key";
            break;
    }
    return "you " + what + " (" + name + ")";
}

std::string Story::ClientSays(const std::string& text) {
    std::istringstream words(text);
    std::string object, id, property;
    words >> object;
    const std::string said = "the client: ";
    if (object == "USERSTATUS") {
        words >> id;
        return said + "you are " + PresenceWords(id, 0);
    }
    if (object == "USERS") return said + "your friends are " + Rest(words);
    words >> id >> property;
    const std::string value = Rest(words);
    if (object == "USER" && property == "FULLNAME") {
        names_[id] = value;
        return said + id + " is " + value;
    }
    if (object == "USER" && property == "ONLINESTATUS") {
        const auto name = names_.find(id);
        return said + (name != names_.end() ? name->second : id) + " is " + PresenceWords(value, 0);
    }
    if (object != "CALL") return said + text;
    Call& call = calls_[id];
    const std::string named = "call " + id;
    if (property == "STATUS") {
        const std::string partner =
            call.partner.empty() ? "" : " " + call.direction + " " + call.partner;
        return said + named + partner + " " + CallStatusWords(value);
    }
    if (property == "TYPE") {
        const bool incoming = value.rfind("INCOMING", 0) == 0;
        call.direction = incoming ? "from" : "to";
        return said + named + " is " + (incoming ? "an incoming" : "an outgoing") + " call";
    }
    if (property == "PARTNER_DISPNAME") {
        call.partner = value;
        return said + named + " is " + call.direction + " " + value;
    }
    if (property == "PARTNER_HANDLE") return said + "the other side of " + named + " is " + value;
    if (property == "TIMESTAMP") return said + named + " began " + UtcTime(value);
    return said + text;
}

void Story::StepBegins(const ScriptLine& line) {
    const std::string& w = line.word;
    const std::string n = line.args.empty() ? "" : " " + line.args[0].text;
    if (w == "start")
        Say("\nCalvox starts" + (line.text.empty() ? "" : " with " + line.text));
    else if (w == "skype")
        Say(ClientSays(line.text));
    else if (w == "skype-from-other")
        Say("another program sends Calvox: " + line.text);
    else if (w == "press")
        Say(YouPress(line.text));
    else if (w == "report")
        Say("the handset sends the input report" + StepAsTyped(line).substr(6));
    else if (w == "wait")
        Say("(" + line.args[0].text + " ms pass)");
    else if (w == "wait-until")
        Say("(time passes until " + line.args[0].text + " ms)");
    else if (w == "plug")
        Say("you plug the handset" + n + " in");
    else if (w == "unplug")
        Say("you unplug the handset" + n);
    else if (w == "post")
        Say("Windows posts " + line.args[0].text + " to Calvox");
    else if (w == "companion-discover")
        Say("the companion program announces itself");
    else if (w == "companion-changing")
        Say("the companion program reports a change (" + line.args[0].text + ")");
    else if (w == "companion-exit")
        Say("the companion program closes");
    else if (w == "client-exit")
        Say("the Skype client exits");
    else if (w == "client-start")
        Say("the Skype client starts again");
    else if (w == "tray")
        Say("you click the tray icon (" + line.args[0].text + ")");
    else if (w == "right-click")
        Say("you right-click the tray icon");
    else if (w != "ring" && w != "show-handset")
        Say("> " + StepAsTyped(line));
}

namespace {

// The LED lines a GPIO report sets: " N on", " N off" for each line in `mask`.
std::string LedLines(int values, int mask) {
    std::string lines;
    for (int line = 0; line < 8; ++line) {
        if ((mask & (1 << line)) == 0) continue;
        lines.append(" ").append(std::to_string(line));
        lines.append((values & (1 << line)) ? " on" : " off");
    }
    return lines;
}

// What an MCU command other than a text tells the reader; empty for one the
// story does not know.
std::string McuCommandWords(McuCommand command, int value) {
    switch (command) {
        case McuCommand::IdleScreen:
            return "back to the idle screen";
        case McuCommand::StartNumberEntry:
            return "a number begins";
        case McuCommand::Digit:
            return std::string("digit ") + static_cast<char>(value);
        case McuCommand::DeleteDigit:
            return "the last digit goes";
        case McuCommand::CursorLeft:
            return "cursor left";
        case McuCommand::CursorRight:
            return "cursor right";
        case McuCommand::Indicator:
            if (value < 1 || value > 2 * kMcuIndicatorCount) return {};
            return "light \"" + IndicatorName(static_cast<McuIndicator>((value - 1) / 2)) +
                   ((value - 1) % 2 ? "\" on" : "\" off");
        case McuCommand::OwnStatus:
            return "you are " + PresenceWords(OwnStatusWord(value), value);
        case McuCommand::ContactNumber:
            return "contact no. " + std::to_string(value);
        case McuCommand::ContactStatus:
            return "the contact is " + PresenceWords(ContactStatusWord(value), value);
        case McuCommand::CallEnded:
            return "the answering machine is done with the call";
        default:
            return SettingWords(command, value);
    }
}

}  // namespace

void Story::HandsetReport(const std::string& text) {
    std::istringstream words(text);
    std::vector<int> b;
    std::string word;
    bool failed = false;
    while (words >> word) {
        if (word == "failed")
            failed = true;
        else
            b.push_back(static_cast<int>(std::strtol(word.c_str(), nullptr, 16)));
    }
    if (b.size() != 4) return Say("  Calvox -> handset: " + text);
    if (failed) return Say("  Calvox -> handset: a report, which fails: the handset is gone");
    const bool buzzer = (b[0] & kBuzzerBit) != 0;
    if (buzzer != buzzer_)
        Say(buzzer ? "  handset: the buzzer sounds" : "  handset: the buzzer stops");
    buzzer_ = buzzer;
    const int type = b[0] & kReportTypeMask;
    if (type == kGpioReport) {
        if (std::string lines = LedLines(b[1], b[2]); !lines.empty())
            Say("  handset: LED lines" + lines);
        return;
    }
    if (type != kMcuReport || (b[1] & kMcuCommandBit) == 0)
        return Say("  Calvox -> handset: " + text);
    const int code = b[1] & 0x7F;
    const auto command = static_cast<McuCommand>(code);
    const bool endedCommand = command == McuCommand::CallEnded && textCode_ != code && b[2] == 0;
    if (IsMcuText(command) && !endedCommand) {
        if (textCode_ != code) text_.clear();
        textCode_ = code;
        if (b[2]) text_ += static_cast<char>(b[2]);
        if (b[3]) text_ += static_cast<char>(b[3]);
        if (b[2] && b[3]) return;
        Say("  handset: " + McuTextLabel(command) + " " + QuoteText(text_));
        textCode_ = -1;
        text_.clear();
        return;
    }
    const int value = b[2];
    if (command == McuCommand::Probe)
        return Say("  Calvox asks the handset for its microcontroller");
    if (command == McuCommand::Acknowledge) return;  // every event of the handset gets one
    if (std::string words = McuCommandWords(command, value); !words.empty())
        return Say("  handset: " + words);
    Say("  Calvox -> handset: " + text);
}

void Story::TraceWritten(const TraceLine& line) {
    const std::string& text = line.text;
    const std::size_t blank = text.find(' ');
    const std::string channel = text.substr(0, blank);
    const std::string rest = blank == std::string::npos ? "" : text.substr(blank + 1);
    if (channel == "timer" || channel == "ttimer" || channel == "sleep") return;
    if (channel == "skype<") return Say("  Calvox -> client: " + rest);
    if (channel == "hid<") return HandsetReport(rest);
    if (channel == "discover") return Say("  Calvox looks for the Skype client");
    if (channel == "quit") return Say("  Calvox ends");
    if (channel == "log") return Say("  log: " + rest);
    if (channel == "action") {
        const int code = std::atoi(rest.c_str());
        const bool told = code == pressed_;
        pressed_ = -1;
        if (told) return;
        const std::string name = KeyFunctionName(code);
        return Say("  Calvox takes it as " + (name.empty() ? "key action " + rest : name));
    }
    if (channel == "tray") {
        std::istringstream words(rest);
        std::string op, icon;
        words >> op >> icon;
        if (op == "delete") return Say("  the tray icon goes");
        const std::string shown = icon == "connect"      ? "connected"
                                  : icon == "disconnect" ? "not connected"
                                                         : icon;
        return Say("  tray icon: " + shown + " " + Rest(words));
    }
    if (channel == "mixer" || channel == "companion<" || channel == "registry" ||
        channel == "sound") {
        const std::string who = channel == "companion<" ? "companion" : channel;
        return Say("  Calvox -> " + who + ": " + rest);
    }
    Say("  Calvox: " + text);
}

void Story::HandsetShown(const std::string& caption, const std::string& picture) {
    out_ << '\n';
    if (!caption.empty()) out_ << "  " << caption << ":\n";
    out_ << (picture.empty() ? "  (no handset)\n" : picture) << '\n';
}

}  // namespace calvox::sim
