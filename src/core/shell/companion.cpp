#include "shell/companion.h"

namespace calvox {

bool CompanionLink::Exists() {
    return files_.GetFileAttributes(settings_.companionPath) != kInvalidFileAttributes;
}

bool CompanionLink::OpenSettings(bool gboxPresent, bool driverPresent) {
    if (!Exists()) return false;
    const char* argument = "SETTING";
    if (gboxPresent && !driverPresent)
        argument = "SETTINGWITHOUTVM";
    else if (!gboxPresent && driverPresent)
        argument = "SETTINGWITHOUTGBOX";
    shell_.ShellExecute(hubWindow_.Handle(), "Open", settings_.companionPath, argument, "",
                        kSwShow);
    return true;
}

bool CompanionLink::TellLeaving() {
    if (!Exists()) return false;
    if (window_ != 0 && windows_.IsWindow(window_))
        windows_.PostMessage(window_, messages_[REG_VM_CHANGING], VMS_DETACH, 0);
    return true;
}

void CompanionLink::OnDiscover(WParam companionWindow) {
    const auto window = static_cast<Hwnd>(companionWindow);
    if (window == 0 || !windows_.IsWindow(window)) return;
    window_ = window;
    windows_.PostMessage(window_, messages_[REG_VM_ATTACH], hubWindow_.Handle(), 0);
}

void CompanionLink::NotifyRecordingChanged() {
    if (window_ != 0 && windows_.IsWindow(window_))
        windows_.PostMessage(window_, messages_[REG_VM_CHANGING], VMS_RECORDING_CHANGED, 0);
}

}  // namespace calvox
