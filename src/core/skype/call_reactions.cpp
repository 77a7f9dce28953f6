#include "skype/call_reactions.h"

#include "answering/recording.h"
#include "device/mcu_protocol.h"

namespace calvox {

void ResetSkypeState(App& app, Hwnd hubWindow) {
    SwitchVoicemailRecording(app, hubWindow, false);
    SwitchCallRecording(app, hubWindow, false);
    app.hub.uiMode = 1;
    SendMcuCommand(app, 0x01, 0);
    app.numberEntry.clear();
    app.hub.currentCall = nullptr;
    app.hub.ringing = false;
}

void ResetHandsetMenu(App& app) {
    app.hub.uiMode = 1;
    app.hub.micMuted = 0;
    app.hub.hookDown = false;
    app.hub.capsActive = false;
}

}  // namespace calvox
