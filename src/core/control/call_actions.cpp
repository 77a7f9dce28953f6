#include "control/call_actions.h"

#include "answering/driver_wave_player.h"
#include "app/hub_messages.h"
#include "skype/transport.h"

namespace calvox {

namespace {
bool IsFolder(FilePort& files, const std::string& path) {
    std::uint32_t attributes = files.GetFileAttributes(path);
    return attributes != kInvalidFileAttributes && (attributes & kFileAttributeDirectory) != 0;
}
bool FileExists(FilePort& files, const std::string& path) {
    return files.GetFileAttributes(path) != kInvalidFileAttributes;
}
}  // namespace

// Answering and hanging up act on the current call, which the call table
// provides; without it there is no call to act on.
void AnswerRingingCall(App&, Hwnd) {}
void FinishCurrentCall(App&, Hwnd, bool) {}
void HandleAudioButtons(App&, Hwnd, unsigned) {}
void ToggleMicMute(App&) {}

int MakeConfiguredCall(App& app, Hwnd hubWindow) {
    if (app.hub.currentCall != nullptr) return 0;
    std::string number = app.platform.profile.GetString(
        "VM", "MAKEACALL", GetSettingsPath(app.platform.files), kTextBufferSize);
    if (number.empty()) return 0;
    SendSkypeCommand(app, "CALL " + number, hubWindow);
    return 1;
}

bool NewVoicemailExists(App& app) {
    const std::string& folder = app.settings.vmFolder;
    if (folder.empty() || !IsFolder(app.platform.files, folder)) return false;
    return !app.platform.files.FindFiles(folder + "\\*_N.wav").empty();
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
