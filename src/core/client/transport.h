// The Skype Desktop API link: discovery, attach, commands out, texts in.
#pragma once

#include <deque>
#include <memory>
#include <string>

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

    // WM_COPYDATA: copies the client's text and posts it to the hub for parsing.
    // The copy stays the link's until HUBM_SKYPE_NOTIFY takes it, so copies still
    // queued when the window goes are freed with it.
    LResult OnCopyData(WParam sender, LParam record);
    // The copy a HUBM_SKYPE_NOTIFY names, handed over to the caller; null when the
    // message names no copy of ours (posted by someone else, or already taken).
    std::unique_ptr<char[]> TakeNotificationCopy(WParam copy);
    // The window goes: texts still queued are never dispatched now.
    void DropNotificationCopies() { copies_.clear(); }
    std::size_t QueuedCopies() const { return copies_.size(); }

private:
    LResult SendUtf8(const std::string& utf8, std::uint32_t cbData);

    WindowPort& windows_;
    TextPort& text_;
    DiagnosticLog& log_;
    HubWindow& hubWindow_;
    const RegisteredMessageIds& messages_;
    Hwnd apiWindow_ = 0;
    std::deque<std::unique_ptr<char[]>> copies_;
};

}  // namespace calvox
