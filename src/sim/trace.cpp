#include "sim/trace.h"

#include <cstdio>
#include <map>
#include <ostream>

#include "base/hub_messages.h"

namespace calvox::sim {

namespace {

const std::map<std::string, unsigned>& MessageNames() {
    static const std::map<std::string, unsigned> names = {
        {"WM_CREATE", 0x0001},
        {"WM_DESTROY", 0x0002},
        {"WM_CLOSE", 0x0010},
        {"WM_QUIT", 0x0012},
        {"WM_SETTEXT", 0x000C},
        {"WM_GETTEXT", 0x000D},
        {"WM_COPYDATA", 0x004A},
        {"WM_KEYDOWN", 0x0100},
        {"WM_KEYUP", 0x0101},
        {"WM_CHAR", 0x0102},
        {"WM_COMMAND", 0x0111},
        {"WM_SYSCOMMAND", 0x0112},
        {"WM_TIMER", 0x0113},
        {"WM_MOUSEMOVE", 0x0200},
        {"WM_LBUTTONDOWN", 0x0201},
        {"WM_LBUTTONUP", 0x0202},
        {"WM_LBUTTONDBLCLK", 0x0203},
        {"WM_RBUTTONDOWN", 0x0204},
        {"WM_RBUTTONUP", 0x0205},
        {"WM_DEVICECHANGE", 0x0219},
        {"MM_MIXM_LINE_CHANGE", 0x03D0},
        {"MM_MIXM_CONTROL_CHANGE", 0x03D1},
        {"WM_USER", 0x0400},
        {"HUBM_KEY_DOWN", HUBM_KEY_DOWN},
        {"HUBM_KEY_UP", HUBM_KEY_UP},
        {"HUBM_SPEAKER_UNMUTE", HUBM_SPEAKER_UNMUTE},
        {"HUBM_MCU_KEY", HUBM_MCU_KEY},
        {"HUBM_AUDIO_BUTTONS", HUBM_AUDIO_BUTTONS},
        {"HUBM_MCU_READY", HUBM_MCU_READY},
        {"HUBM_MCU_EVENT", HUBM_MCU_EVENT},
        {"HUBM_MCU_REQUEST", HUBM_MCU_REQUEST},
        {"HUBM_SKYPE_NOTIFY", HUBM_SKYPE_NOTIFY},
        {"HUBM_SKYPE_ATTACHED", HUBM_SKYPE_ATTACHED},
        {"HUBM_TRAY", HUBM_TRAY},
        {"HUBM_MCU_ACTION", HUBM_MCU_ACTION},
        {"HUBM_PLAYBACK_DONE", HUBM_PLAYBACK_DONE},
        {"HUBM_AM_DIALOGUE_END", HUBM_AM_DIALOGUE_END},
    };
    return names;
}

}  // namespace

void RawTrace::TraceWritten(const TraceLine& line) {
    out_ << '@' << line.time << ' ' << line.text << '\n';
}

void RawTrace::HandsetShown(const std::string& caption, const std::string& picture) {
    if (!caption.empty()) out_ << "  -- " << caption << " --\n";
    out_ << (picture.empty() ? "  (no handset)\n" : picture);
}

std::string Hex(std::uint64_t value) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "0x%llx", static_cast<unsigned long long>(value));
    return buffer;
}

std::string MessageName(unsigned message) {
    for (const auto& [name, number] : MessageNames())
        if (number == message && name.rfind("HUBM_", 0) != 0) return name;
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%x", message);
    return hex;
}

bool MessageByName(const std::string& name, unsigned& message) {
    auto it = MessageNames().find(name);
    if (it == MessageNames().end()) return false;
    message = it->second;
    return true;
}

}  // namespace calvox::sim
