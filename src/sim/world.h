// The virtual Windows a run plays in: one object per service, each handed to
// the program's Platform as it is, and what steps do across several of them.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"
#include "sim/companion.h"
#include "sim/desktop.h"
#include "sim/key_press.h"
#include "sim/script.h"
#include "sim/skype_client.h"
#include "sim/trace.h"
#include "sim/virtual_clock.h"
#include "sim/virtual_driver.h"
#include "sim/virtual_files.h"
#include "sim/virtual_handset.h"
#include "sim/virtual_mixer.h"
#include "sim/virtual_registry.h"
#include "sim/virtual_shell.h"
#include "sim/virtual_sound.h"
#include "sim/virtual_system.h"
#include "sim/virtual_windows.h"

namespace calvox::sim {

class World {
public:
    // Every service writes its trace lines through `write`.
    explicit World(TraceWrite write);

    // The ports of one run of the program.
    Platform MakePlatform();

    // --- what world lines and steps do across services
    // The world lines are in: the files they made date from the run's start,
    // and the handsets' mixers come after every declared one.
    void Complete();
    void AddHandset(const HandsetSpec& spec);
    // The device goes first, then Windows tells the hub, one notification
    // handled after the other.
    void PlugHandset(int handset, bool plugged);
    void SendDeviceChange(DeviceInterfaceChange change, const Guid& classGuid);
    // Why handset `line` names cannot be plugged or unplugged now; empty when it can.
    std::string PlugRefusal(const ScriptLine& line) const;
    // The handset the program has open; else the first one plugged in; -1 for none.
    int HandsetOfStep() const;
    // What the handset in use shows; empty without one.
    std::string HandsetPicture() const;
    // The reports a press of the key for `function` sends, the settings file's
    // key table and scan mode applied; empty with the reason why not.
    std::string KeyPress(const std::string& function, std::vector<InputReport>& reports);
    // A WM_COPYDATA to the hub from `from` of exactly these bytes (none: cbData
    // 0 and no data).
    void SendText(Hwnd from, std::string bytes);
    // The client's API window, or a dead one when there never was a client.
    Hwnd ClientApiOrDead() const { return client.Api() != 0 ? client.Api() : desktop.dead(); }
    // A MESSAGE of `post` or `tray`: a registered name, a number or WM_.../HUBM_...
    bool ResolveMessage(const Token& token, unsigned& message, std::string& error);
    // A WPARAM or LPARAM of `post`: a number or a window role.
    bool ResolveParam(const Token& token, std::int64_t& value, std::string& error) const;

    // In the order they are made and the reverse of the order they go.
    Desktop desktop;
    VirtualClock clock;
    VirtualFiles files;
    VirtualShell shell;
    VirtualSystem system;
    TraceObserver observer;
    VirtualDriver driver;
    SkypeClient client;
    Companion companion;
    VirtualWindows windows;
    bool traceScan = false;  // the keypad scan's reports reach the trace
    VirtualHandsets handsets;
    VirtualMixers mixers;
    VirtualRegistry registry;
    VirtualSound sound;
};

}  // namespace calvox::sim
