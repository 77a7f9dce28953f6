#include "client/transport.h"

#include <string>

#include "base/text_convert.h"

namespace calvox {

namespace {

std::string AttachStatusText(LParam status) {
    switch (status) {
        case kAttachSuccess:
            return "0 (attached)";
        case kAttachPendingAuthorization:
            return "1 (waiting for the user to allow it)";
        case kAttachRefused:
            return "2 (refused by the user)";
        case kAttachNotAvailable:
            return "3 (not available)";
        case kAttachApiAvailable:
            return "0x8001 (available again)";
        default:
            return std::to_string(status);
    }
}

}  // namespace

LResult ClientLink::SendBytes(std::string_view bytes) {
    return windows_.SendCopyData(apiWindow_, hubWindow_.Handle(), bytes);
}

bool ClientLink::IsAttached() { return apiWindow_ != 0 && windows_.IsWindow(apiWindow_); }

bool ClientLink::Send(const std::string& text) {
    if (!IsAttached()) return false;

    // The text goes whole, whatever its length.
    std::string utf8;
    if (!ToUtf8(text_, text, utf8) || utf8.empty()) return false;

    // With its terminator counted.
    if (SendBytes(std::string_view(utf8.c_str(), utf8.size() + 1)) != 0) return true;
    // The client did not take it: probe once, then count the link as lost.
    if (SendBytes("PING") != 0) return false;
    log_.Write("client lost: it took neither a command nor PING");
    apiWindow_ = 0;
    BroadcastDiscover();
    return false;
}

void ClientLink::BroadcastDiscover() {
    windows_.BroadcastMessageTimeout(messages_[REG_SKYPE_DISCOVER], hubWindow_.Handle(), 0,
                                     kDiscoverTimeoutMs);
}

void ClientLink::SendBareAudioCommands() {
    Send("SET AUDIO_IN");
    Send("SET AUDIO_OUT");
    Send("SET RINGER");
}

bool ClientLink::OnAttach(WParam apiWindow, LParam status) {
    log_.Write("client attach status " + AttachStatusText(status));
    if (status == kAttachSuccess) {
        apiWindow_ = static_cast<Hwnd>(apiWindow);
        return true;
    }
    if (status == kAttachApiAvailable) BroadcastDiscover();
    return false;
}

LResult ClientLink::OnCopyData(Hwnd sender, std::string bytes) {
    if (sender == 0 || sender != apiWindow_ || bytes.empty()) return 1;
    // The parser reads up to the first NUL, whether or not the client counted one.
    bytes.resize(std::char_traits<char>::length(bytes.c_str()));
    const WParam id = ++lastCopyId_;
    if (hubWindow_.Post(HUBM_SKYPE_NOTIFY, id, 0)) copies_.push_back({id, std::move(bytes)});
    return 1;
}

std::optional<std::string> ClientLink::TakeNotificationCopy(WParam copyId) {
    // Messages arrive in the order they were posted: the front is the usual match.
    for (auto it = copies_.begin(); it != copies_.end(); ++it) {
        if (it->id != copyId) continue;
        std::string text = std::move(it->text);
        copies_.erase(it);
        return text;
    }
    return std::nullopt;
}

}  // namespace calvox
