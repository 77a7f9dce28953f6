// The run-time state of the hub. Read and written only on the hub thread.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "hub/hub_messages.h"
#include "config/settings.h"
#include "platform/types.h"
#include "client/presence.h"

namespace calvox {

struct CallRecord;

// The Skype client's windows, found on attach.
struct ClientWindows {
    Hwnd mainForm = 0;
    Hwnd pageControl = 0;
    Hwnd historyList = 0;
    Hwnd contactList = 0;
    Hwnd addressBar = 0;
};

// What the handset display is browsing.
enum class UiMode : int {
    Normal = 1,
    AllContacts = 2,
    OnlineContacts = 3,
    OfflineContacts = 4,
    History = 5,
};

struct HubState {
    std::array<unsigned, REG_COUNT> registeredMessages{};
    Hwnd hubWindow = 0;
    Hwnd skypeApiWindow = 0;
    ClientWindows clientWindows;
    Hwnd companionWindow = 0;
    int scanMode = MCU_MODE;
    std::uint16_t deviceVid = 0;
    std::uint16_t devicePid = 0;
    int keyDownCount = 0;
    std::int64_t audioArrivalTime = 0;
    std::int64_t hidArrivalTime = 0;
    Guid hidClassGuid;
    DeviceNotifyHandle audioNotification = 0;
    DeviceNotifyHandle hidNotification = 0;
    std::uintptr_t buzzerEvent = 0;
    std::uintptr_t buzzerStopEvent = 0;
    std::uintptr_t buzzerThread = 0;
    bool capsActive = false;
    int micMuted = 0;

    // Indicator LEDs.
    std::uint8_t mutingMask = 0;
    std::uint8_t callingMask = 0;
    std::uint8_t ledOutput = 0;
    std::uintptr_t muteBlinkTimer = 0;
    std::uintptr_t ringBlinkTimer = 0;
    bool muteBlinkPhase = false;
    bool ringBlinkPhase = false;

    std::uintptr_t amPickupTimer = 0;
    bool ringing = false;
    CallRecord* currentCall = nullptr;
    OwnStatus ownStatus = OwnStatus::Offline;
    UiMode uiMode = UiMode::Normal;
    bool hookDown = false;
    bool gboxPresent = false;

    std::string trayTip = kDefaultProductTitle;
    std::string connectIconPath;
    std::string disconnectIconPath;
    IconHandle connectIcon = 0;
    IconHandle disconnectIcon = 0;
    // The icon the tray shows (or would show with the icon hidden).
    IconHandle trayIcon = 0;
    // Explorer's "TaskbarCreated", registered at window creation.
    unsigned taskbarCreatedMessage = 0;
};

}  // namespace calvox
