#include "sim/handset_display.h"

#include <algorithm>

#include "client/presence.h"

namespace calvox::sim {

namespace {

constexpr std::size_t kWidth = 34;  // inside the frame

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return s;
}

std::string Framed(const std::string& text) {
    std::string line = "  | " + text;
    if (text.size() < kWidth) line += std::string(kWidth - text.size(), ' ');
    return line + " |\n";
}

}  // namespace

std::string McuTextLabel(McuCommand command) {
    switch (command) {
        case McuCommand::CallOutgoing:
            return "Calling";
        case McuCommand::CallTalking:
            return "Talking to";
        case McuCommand::CallIncoming:
            return "Call from";
        case McuCommand::CallEnded:
            return "Call ended";
        case McuCommand::ContactOnline:
            return "Contact (online)";
        case McuCommand::ContactOffline:
            return "Contact (offline)";
        case McuCommand::HistoryIncoming:
            return "Received call";
        case McuCommand::HistoryOutgoing:
            return "Made call";
        case McuCommand::HistoryMissed:
            return "Missed call";
        case McuCommand::HistoryPartner:
            return "With";
        case McuCommand::NowOnline:
            return "Now online";
        case McuCommand::NowOffline:
            return "Now offline";
        case McuCommand::LogoLine1:
            return "Logo";
        case McuCommand::LogoLine2:
            return "Logo";
        case McuCommand::Handle:
            return "Handle";
        case McuCommand::CallOutNumber:
            return "Call-out number";
        default:
            return "Text";
    }
}

std::string IndicatorName(McuIndicator indicator) {
    switch (indicator) {
        case McuIndicator::Muted:
            return "microphone muted";
        case McuIndicator::MissedCall:
            return "missed call";
        case McuIndicator::NewVoiceMail:
            return "new voicemail";
        case McuIndicator::OnHold:
            return "call on hold";
        case McuIndicator::Conference:
            return "conference";
    }
    return "indicator";
}

std::string PresenceWords(const std::string& clientWord, int code) {
    if (clientWord == "NA") return "not available";
    if (clientWord == "DND") return "busy (do not disturb)";
    if (clientWord == "SKYPEME") return "ready to talk";
    if (clientWord.empty()) return "status " + std::to_string(code);
    return Lower(clientWord);
}

void HandsetDisplay::Feed(const std::array<std::uint8_t, 4>& b) {
    buzzer_ = (b[0] & kBuzzerBit) != 0;
    const std::uint8_t type = b[0] & kReportTypeMask;
    if (type == kGpioReport) {
        gpioLevels_ = b[1];
        gpioMask_ = b[2];
        return;
    }
    if (type != kMcuReport || (b[1] & kMcuCommandBit) == 0) return;
    const auto command = static_cast<McuCommand>(b[1] & 0x7F);
    // CallEnded carries a value with a zero second byte too: a lone report
    // with a zero first byte is that command, not a text.
    const bool endedCommand =
        command == McuCommand::CallEnded && pendingCode_ != static_cast<int>(command) && b[2] == 0;
    if (IsMcuText(command) && !endedCommand)
        FeedText(command, b[2], b[3]);
    else
        FeedCommand(command, b[2]);
}

void HandsetDisplay::FeedText(McuCommand command, std::uint8_t first, std::uint8_t second) {
    if (pendingCode_ != static_cast<int>(command)) pending_.clear();
    pendingCode_ = static_cast<int>(command);
    if (first) pending_ += static_cast<char>(first);
    if (second) pending_ += static_cast<char>(second);
    if (first != 0 && second != 0) return;
    if (StartsMcuScreen(command)) {
        texts_.clear();
        contactNumber_ = contactStatus_ = -1;
    }
    texts_[command] = pending_;
    pending_.clear();
    pendingCode_ = -1;
}

void HandsetDisplay::FeedCommand(McuCommand command, std::uint8_t value) {
    switch (command) {
        case McuCommand::IdleScreen:
            texts_.clear();
            digits_.clear();
            numberEntry_ = false;
            contactNumber_ = contactStatus_ = -1;
            break;
        case McuCommand::StartNumberEntry:
            numberEntry_ = true;
            digits_.clear();
            break;
        case McuCommand::Digit:
            digits_ += static_cast<char>(value);
            break;
        case McuCommand::DeleteDigit:
            if (!digits_.empty()) digits_.pop_back();
            break;
        case McuCommand::Indicator:
            if (value >= 1 && value <= 2 * kMcuIndicatorCount)
                indicators_[(value - 1) / 2] = (value - 1) % 2 == 1;
            break;
        case McuCommand::OwnStatus:
            ownStatus_ = value;
            break;
        case McuCommand::ContactNumber:
            contactNumber_ = value;
            break;
        case McuCommand::ContactStatus:
            contactStatus_ = value;
            break;
        default:
            break;
    }
}

std::string HandsetDisplay::Picture() const {
    const std::string rule(kWidth + 2, '-');
    std::string out = "  +" + rule + "+\n";
    // The logo lines stand above the rest, as the handset shows them when idle.
    for (McuCommand logo : {McuCommand::LogoLine1, McuCommand::LogoLine2})
        if (auto it = texts_.find(logo); it != texts_.end()) out += Framed(it->second);
    bool screen = false;
    for (const auto& [command, text] : texts_) {
        if (command == McuCommand::LogoLine1 || command == McuCommand::LogoLine2) continue;
        screen = true;
        if (StartsMcuScreen(command)) out += Framed(McuTextLabel(command) + ":");
        out += Framed(command == McuCommand::Handle || StartsMcuScreen(command)
                          ? "  " + text
                          : McuTextLabel(command) + ": " + text);
    }
    if (contactNumber_ >= 0) out += Framed("Contact no. " + std::to_string(contactNumber_));
    if (contactStatus_ >= 0)
        out += Framed("Contact is " +
                      PresenceWords(ContactStatusWord(contactStatus_), contactStatus_));
    if (numberEntry_) out += Framed("Number: " + digits_ + "_");
    if (!screen && !numberEntry_) out += Framed("(idle)");
    out += "  |" + rule + "|\n";
    out +=
        Framed("You: " + (ownStatus_ == 0 ? std::string("(no status yet)")
                                          : PresenceWords(OwnStatusWord(ownStatus_), ownStatus_)));
    std::string lit;
    for (int k = 0; k < kMcuIndicatorCount; ++k)
        if (indicators_[static_cast<std::size_t>(k)])
            lit += (lit.empty() ? "" : ", ") + IndicatorName(static_cast<McuIndicator>(k));
    if (!lit.empty()) out += Framed("Lit: " + lit);
    if (gpioMask_ != 0) {
        std::string lines;
        for (int n = 0; n < 8; ++n) {
            if ((gpioMask_ & (1u << n)) == 0) continue;
            lines.append(" ").append(std::to_string(n));
            lines.append((gpioLevels_ & (1u << n)) ? " on" : " off");
        }
        out += Framed("LED lines:" + lines);
    }
    if (buzzer_) out += Framed("Buzzer: sounding");
    out += "  +" + rule + "+\n";
    return out;
}

}  // namespace calvox::sim
