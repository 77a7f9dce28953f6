#include "control/call_actions.h"

#include "answering/driver_wave_player.h"
#include "answering/recording.h"
#include "app/hub_messages.h"
#include "skype/transport.h"

namespace calvox {

namespace {
bool FileExists(FilePort& files, const std::string& path) {
    return files.GetFileAttributes(path) != kInvalidFileAttributes;
}
}  // namespace

void AnswerRingingCall(App& app, Hwnd hubWindow) {
    if (const CallRecord* call = app.hub.currentCall)
        SendSkypeCommand(app, "SET CALL " + call->id + " STATUS INPROGRESS", hubWindow);
}

void FinishCurrentCall(App& app, Hwnd hubWindow, bool resumeHeld) {
    const CallRecord* call = app.hub.currentCall;
    if (call == nullptr) return;
    SendSkypeCommand(app, "SET CALL " + call->id + " STATUS FINISHED", hubWindow);
    if (!resumeHeld) return;
    if (const CallRecord* held = app.directory.FindHeldCall()) {
        app.platform.clock.Sleep(kResumePauseMs);
        SendSkypeCommand(app, "SET CALL " + held->id + " STATUS INPROGRESS", hubWindow);
    }
}
void HandleAudioButtons(App&, Hwnd, unsigned) {}
void ToggleMicMute(App&) {}
// The address bar is found with the client's windows; until then it is unknown.
void PostKeyToAddressBar(App&, int) {}

int MakeConfiguredCall(App& app, Hwnd hubWindow) {
    if (app.hub.currentCall != nullptr) return 0;
    std::string number = app.platform.profile.GetString(
        "VM", "MAKEACALL", GetSettingsPath(app.platform.files), kTextBufferSize);
    if (number.empty()) return 0;
    SendSkypeCommand(app, "CALL " + number, hubWindow);
    return 1;
}

bool NewVoicemailExists(App& app) {
    std::vector<std::string> messages;
    return ListFiles(app.platform.files, messages, app.settings.vmFolder, "*_N.wav", true) &&
           !messages.empty();
}

int OpenCompanion(App& app, Hwnd hubWindow, bool start) {
    if (!FileExists(app.platform.files, app.settings.companionPath)) return 0;
    if (!start) {
        Hwnd companion = app.hub.companionWindow;
        if (companion != 0 && app.platform.window.IsWindow(companion))
            app.platform.window.PostMessage(companion, app.hub.registeredMessages[REG_VM_CHANGING],
                                            VMS_DETACH, 0);
        return 1;
    }
    bool driver = app.driverPlayer.IsPresent();
    const char* argument = "SETTING";
    if (app.hub.gboxPresent && !driver) argument = "SETTINGWITHOUTVM";
    else if (!app.hub.gboxPresent && driver) argument = "SETTINGWITHOUTGBOX";
    app.platform.shell.ShellExecute(hubWindow, "Open", app.settings.companionPath, argument, "",
                                    kSwShow);
    return 1;
}

}  // namespace calvox
