#include "client/transport.h"

#include <cstring>
#include <memory>

#include "hub/hub_messages.h"
#include "shell/tray.h"
#include "calls/client_windows.h"
#include "calls/call_reactions.h"
#include "base/text_convert.h"

namespace calvox {

namespace {

LResult SendUtf8(App& app, Hwnd hubWindow, const std::string& utf8, std::uint32_t cbData) {
    CopyDataRecord record{0, cbData, utf8.c_str()};
    return app.platform.window.SendCopyData(app.hub.skypeApiWindow, hubWindow, record);
}

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

int SendSkypeCommand(App& app, const std::string& text, Hwnd hubWindow) {
    Hwnd client = app.hub.skypeApiWindow;
    if (client == 0 || !app.platform.window.IsWindow(client)) return 0;

    // The text goes whole, whatever its length.
    std::string utf8;
    if (!ToUtf8(app.platform.text, text, utf8) || utf8.empty()) return 0;

    if (SendUtf8(app, hubWindow, utf8, static_cast<std::uint32_t>(utf8.size() + 1)) != 0)
        return 1;
    // The client did not take it: probe once, then count the link as lost.
    if (SendUtf8(app, hubWindow, "PING", 4) != 0) return 0;
    app.log.Write("client lost: it took neither a command nor PING");
    app.hub.skypeApiWindow = 0;
    BroadcastDiscover(app, hubWindow);
    return 0;
}

void BroadcastDiscover(App& app, Hwnd hubWindow) {
    app.platform.window.BroadcastMessageTimeout(app.hub.registeredMessages[REG_SKYPE_DISCOVER],
                                                hubWindow, 0, kDiscoverTimeoutMs);
}

bool FocusSkypeClient(App& app, Hwnd hubWindow) {
    Hwnd mainForm = app.hub.clientWindows.mainForm;
    WindowPort& window = app.platform.window;
    if (mainForm == 0 || !window.IsWindow(mainForm) || window.GetForegroundWindow() == mainForm)
        return false;
    SendSkypeCommand(app, "FOCUS", hubWindow);
    app.platform.clock.Sleep(kFocusPauseMs);
    return true;
}

void ApplySkypeAudioDevices(App& app, Hwnd hubWindow) {
    Hwnd client = app.hub.skypeApiWindow;
    if (client == 0 || !app.platform.window.IsWindow(client)) return;
    std::string name;
    if (!app.mixer.GetName(name) || name.size() >= kTextBufferSize) return;
    SendSkypeCommand(app, "SET AUDIO_IN " + name, hubWindow);
    SendSkypeCommand(app, "SET AUDIO_OUT " + name, hubWindow);
    SendSkypeCommand(app, "SET RINGER " + name, hubWindow);
}

void SendBareAudioCommands(App& app, Hwnd hubWindow) {
    SendSkypeCommand(app, "SET AUDIO_IN", hubWindow);
    SendSkypeCommand(app, "SET AUDIO_OUT", hubWindow);
    SendSkypeCommand(app, "SET RINGER", hubWindow);
}

LResult OnSkypeAttach(App& app, Hwnd hubWindow, WParam apiWindow, LParam status) {
    app.log.Write("client attach status " + AttachStatusText(status));
    if (status == kAttachSuccess) {
        app.hub.skypeApiWindow = static_cast<Hwnd>(apiWindow);
        FindClientWindows(app.platform.window, app.hub.clientWindows, app.hub.skypeApiWindow);
        FindAddressBar(app.platform.window, app.hub.clientWindows, app.hub.skypeApiWindow);
        app.platform.window.PostMessage(hubWindow, HUBM_SKYPE_ATTACHED, 0, 0);
    } else if (status == kAttachApiAvailable) {
        BroadcastDiscover(app, hubWindow);
    }
    return 0;
}

void OnSkypeAttached(App& app, Hwnd hubWindow) {
    ResetSkypeState(app, hubWindow);
    ApplySkypeAudioDevices(app, hubWindow);
    for (const char* command : {"PROTOCOL 10", "GET CURRENTUSERHANDLE", "GET CONNSTATUS",
                                "GET USERSTATUS", "SEARCH FRIENDS"})
        SendSkypeCommand(app, command, hubWindow);
    if (app.device.IsFound())
        TraySetIcon(app, hubWindow, app.hub.trayTip, app.hub.connectIcon);
}

LResult OnCopyData(App& app, Hwnd hubWindow, WParam sender, LParam lParam) {
    if (sender == 0 || static_cast<Hwnd>(sender) != app.hub.skypeApiWindow) return 1;
    const auto* record = reinterpret_cast<const CopyDataRecord*>(lParam);
    if (record == nullptr || record->lpData == nullptr || record->cbData == 0) return 1;

    // The copy always ends in a NUL of its own, whether or not the client
    // counted one, so the parser never reads past the block.
    std::unique_ptr<char[]> copy(new char[record->cbData + std::size_t{1}]);
    std::memcpy(copy.get(), record->lpData, record->cbData);
    copy[record->cbData] = '\0';
    if (app.platform.window.PostMessage(hubWindow, HUBM_SKYPE_NOTIFY,
                                        reinterpret_cast<WParam>(copy.get()), 0))
        app.notificationCopies.push_back(std::move(copy));
    return 1;
}

char* TakeNotificationCopy(App& app, WParam copy) {
    // Messages arrive in the order they were posted: the front is the usual match.
    auto& copies = app.notificationCopies;
    for (auto it = copies.begin(); it != copies.end(); ++it) {
        if (reinterpret_cast<WParam>(it->get()) != copy) continue;
        char* text = it->release();
        copies.erase(it);
        return text;
    }
    return nullptr;
}

}  // namespace calvox
