#include "sim/handset_display.h"

#include <cstdio>
#include <set>

namespace calvox::sim {

namespace {

const std::set<int> kTextCodes = {0x03, 0x04, 0x05, 0x07, 0x0A, 0x0B, 0x11, 0x12, 0x13, 0x14,
                                  0x15, 0x16, 0x17, 0x18, 0x1C, 0x22};

// Texts that begin a new screen: a call's state, a contact, a history entry,
// a presence change. What the screen showed before goes.
const std::set<int> kHeadlineCodes = {0x03, 0x04, 0x05, 0x07, 0x0A, 0x0B,
                                      0x11, 0x12, 0x13, 0x15, 0x16};

const char* TextName(int code) {
    switch (code) {
        case 0x03: return "calling";
        case 0x04: return "talking";
        case 0x05: return "incoming";
        case 0x07: return "ended";
        case 0x0A: return "contact (online)";
        case 0x0B: return "contact (offline)";
        case 0x11: return "history (in)";
        case 0x12: return "history (out)";
        case 0x13: return "history (missed)";
        case 0x14: return "history partner";
        case 0x15: return "now online";
        case 0x16: return "now offline";
        case 0x17: return "logo 1";
        case 0x18: return "logo 2";
        case 0x1C: return "handle";
        case 0x22: return "call-out number";
        default: return "text";
    }
}

}  // namespace

void HandsetDisplay::Feed(const std::array<std::uint8_t, 4>& b) {
    buzzer_ = (b[0] & 0x20) != 0;
    if ((b[0] & 0xC0) == 0x00) {
        gpioLevels_ = b[1];
        gpioMask_ = b[2];
        return;
    }
    if ((b[0] & 0xC0) != 0x40 || (b[1] & 0x80) == 0) return;
    const int code = b[1] & 0x7F;
    // A command 0x07 carries its value with a zero second byte too; a lone
    // report with a zero first byte is that command, not a text.
    if (kTextCodes.count(code) && !(code == 0x07 && pendingCode_ != code && b[2] == 0)) {
        if (pendingCode_ != code) pending_.clear();
        pendingCode_ = code;
        if (b[2]) pending_ += static_cast<char>(b[2]);
        if (b[3]) pending_ += static_cast<char>(b[3]);
        if (b[2] == 0 || b[3] == 0) {
            if (kHeadlineCodes.count(code)) {
                texts_.clear();
                contactNumber_ = contactStatus_ = -1;
            }
            texts_[code] = pending_;
            pending_.clear();
            pendingCode_ = -1;
        }
        return;
    }
    switch (code) {
        case 0x01:
            texts_.clear();
            digits_.clear();
            numberEntry_ = false;
            contactNumber_ = contactStatus_ = -1;
            break;
        case 0x02:
            numberEntry_ = true;
            digits_.clear();
            break;
        case 0x10:
            digits_ += static_cast<char>(b[2]);
            break;
        case 0x0C:
            if (!digits_.empty()) digits_.pop_back();
            break;
        case 0x0F:
            if (b[2] >= 1 && b[2] <= 10) indicators_[(b[2] - 1) / 2] = (b[2] - 1) % 2 == 1;
            break;
        case 0x19: ownStatus_ = b[2]; break;
        case 0x1A: contactNumber_ = b[2]; break;
        case 0x1B: contactStatus_ = b[2]; break;
        default: break;
    }
}

std::string HandsetDisplay::Picture() const {
    std::string out = "  +--- handset -------------------------------------\n";
    for (const auto& [code, text] : texts_)
        out += "  | " + std::string(TextName(code)) + ": " + text + "\n";
    if (numberEntry_) out += "  | number: " + digits_ + "\n";
    if (contactNumber_ >= 0 || contactStatus_ >= 0)
        out += "  | contact #" + std::to_string(contactNumber_) + ", status " +
               std::to_string(contactStatus_) + "\n";
    static const char* kIndicators[] = {"muted", "missed", "voicemail", "held", "conference"};
    std::string lit;
    for (int k = 0; k < 5; ++k)
        if (indicators_[k]) lit += std::string(lit.empty() ? "" : " ") + kIndicators[k];
    char gpio[64];
    std::snprintf(gpio, sizeof gpio, "gpio %02x/%02x", gpioLevels_, gpioMask_);
    out += "  | status " + std::to_string(ownStatus_) + "  [" + lit + "]  " + gpio +
           (buzzer_ ? "  BUZZER" : "") + "\n";
    out += "  +-------------------------------------------------\n";
    return out;
}

}  // namespace calvox::sim
