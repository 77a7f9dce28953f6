#include "client/transport.h"

#include <cstring>

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

LResult ClientLink::SendUtf8(const std::string& utf8, std::uint32_t cbData) {
    CopyDataRecord record{0, cbData, utf8.c_str()};
    return windows_.SendCopyData(apiWindow_, hubWindow_.Handle(), record);
}

bool ClientLink::IsAttached() { return apiWindow_ != 0 && windows_.IsWindow(apiWindow_); }

bool ClientLink::Send(const std::string& text) {
    if (!IsAttached()) return false;

    // The text goes whole, whatever its length.
    std::string utf8;
    if (!ToUtf8(text_, text, utf8) || utf8.empty()) return false;

    if (SendUtf8(utf8, static_cast<std::uint32_t>(utf8.size() + 1)) != 0) return true;
    // The client did not take it: probe once, then count the link as lost.
    if (SendUtf8("PING", 4) != 0) return false;
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

LResult ClientLink::OnCopyData(WParam sender, LParam lParam) {
    if (sender == 0 || static_cast<Hwnd>(sender) != apiWindow_) return 1;
    const auto* record = reinterpret_cast<const CopyDataRecord*>(lParam);
    if (record == nullptr || record->lpData == nullptr || record->cbData == 0) return 1;

    // The copy always ends in a NUL of its own, whether or not the client
    // counted one, so the parser never reads past the block.
    std::unique_ptr<char[]> copy(new char[record->cbData + std::size_t{1}]);
    std::memcpy(copy.get(), record->lpData, record->cbData);
    copy[record->cbData] = '\0';
    if (hubWindow_.Post(HUBM_SKYPE_NOTIFY, reinterpret_cast<WParam>(copy.get()), 0))
        copies_.push_back(std::move(copy));
    return 1;
}

std::unique_ptr<char[]> ClientLink::TakeNotificationCopy(WParam copy) {
    // Messages arrive in the order they were posted: the front is the usual match.
    for (auto it = copies_.begin(); it != copies_.end(); ++it) {
        if (reinterpret_cast<WParam>(it->get()) != copy) continue;
        std::unique_ptr<char[]> text = std::move(*it);
        copies_.erase(it);
        return text;
    }
    return nullptr;
}

}  // namespace calvox
