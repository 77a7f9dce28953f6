// The Skype Desktop API link: discovery, attach, commands out, texts in.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "base/diagnostic_log.h"
#include "base/hub_messages.h"
#include "base/hub_window.h"
#include "platform/text_port.h"
#include "platform/window_port.h"

namespace calvox {

inline constexpr unsigned kDiscoverTimeoutMs = 60;

inline constexpr LParam kAttachSuccess = 0;
inline constexpr LParam kAttachPendingAuthorization = 1;
inline constexpr LParam kAttachRefused = 2;
inline constexpr LParam kAttachNotAvailable = 3;
inline constexpr LParam kAttachApiAvailable = 0x8001;

class ClientLink {
public:
    ClientLink(WindowPort& windows, TextPort& text, DiagnosticLog& log, HubWindow& hubWindow,
               const RegisteredMessageIds& messages)
        : windows_(windows), text_(text), log_(log), hubWindow_(hubWindow), messages_(messages) {}

    // Sends one command (ANSI text) to the client; true when the client took it.
    bool Send(const std::string& text);
    void BroadcastDiscover();
    // "SET AUDIO_IN", "SET AUDIO_OUT", "SET RINGER" without a device, at exit.
    void SendBareAudioCommands();

    // The client's API window, 0 before an attach or after the link was lost.
    Hwnd ApiWindow() const { return apiWindow_; }
    void SetApiWindow(Hwnd apiWindow) { apiWindow_ = apiWindow; }
    // A client window that still exists.
    bool IsAttached();

    // "SkypeControlAPIAttach" from the client: true when it attached.
    bool OnAttach(WParam apiWindow, LParam status);

    // A WM_COPYDATA's bytes, copied by the platform: a text from the client's
    // API window is queued and posted to the hub as HUBM_SKYPE_NOTIFY, so it is
    // parsed after the client's send has returned. It stays the link's until
    // that message takes it; texts still queued when the window goes go with it.
    LResult OnCopyData(Hwnd sender, std::string bytes);
    // The text a HUBM_SKYPE_NOTIFY names, handed over to the caller: up to its
    // first NUL, as the client meant it. Empty when the message names no text of
    // ours (posted by someone else, or already taken).
    std::optional<std::string> TakeNotificationCopy(WParam copyId);
    // The window goes: texts still queued are never dispatched now.
    void DropNotificationCopies() { copies_.clear(); }
    std::size_t QueuedCopies() const { return copies_.size(); }

private:
    LResult SendBytes(std::string_view bytes);

    WindowPort& windows_;
    TextPort& text_;
    DiagnosticLog& log_;
    HubWindow& hubWindow_;
    const RegisteredMessageIds& messages_;
    Hwnd apiWindow_ = 0;
    struct Copy {
        WParam id;
        std::string text;
    };
    std::deque<Copy> copies_;
    WParam lastCopyId_ = 0;
};

}  // namespace calvox
