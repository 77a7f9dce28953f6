// The link to the companion settings program: its discovery, its window and
// the notes the two send each other with "VMSetting_Changing".
#pragma once

#include "base/hub_messages.h"
#include "base/hub_window.h"
#include "config/settings.h"
#include "platform/file_port.h"
#include "platform/shell_port.h"
#include "platform/window_port.h"

namespace calvox {

class CompanionLink {
public:
    CompanionLink(WindowPort& windows, ShellPort& shell, FilePort& files, const Settings& settings,
                  HubWindow& hubWindow, const RegisteredMessageIds& messages)
        : windows_(windows),
          shell_(shell),
          files_(files),
          settings_(settings),
          hubWindow_(hubWindow),
          messages_(messages) {}

    // The companion program is installed.
    bool Exists();
    // Starts it on its settings page; which page depends on the voicemail
    // hardware present. False when the program is missing.
    bool OpenSettings(bool gboxPresent, bool driverPresent);
    // Tells its window we go away; false when the program is missing.
    bool TellLeaving();
    // "VMSetting_Discover" from its window: the attach goes back to it.
    void OnDiscover(WParam companionWindow);
    void OnDetach() { window_ = 0; }
    // The call-recording setting was changed from the handset.
    void NotifyRecordingChanged();

private:
    WindowPort& windows_;
    ShellPort& shell_;
    FilePort& files_;
    const Settings& settings_;
    HubWindow& hubWindow_;
    const RegisteredMessageIds& messages_;
    Hwnd window_ = 0;
};

}  // namespace calvox
