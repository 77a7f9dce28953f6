// What the hub itself keeps: the registered message numbers, the device
// notifications and the handset set-up's choices. Read and written only on
// the hub thread.
#pragma once

#include <cstdint>

#include "base/hub_messages.h"
#include "config/settings.h"
#include "platform/types.h"
#include "platform/window_port.h"

namespace calvox {

struct HubState {
    RegisteredMessageIds registeredMessages{};
    // Explorer's "TaskbarCreated", registered at window creation.
    unsigned taskbarCreatedMessage = 0;
    int scanMode = MCU_MODE;
    std::uint16_t deviceVid = 0;
    std::uint16_t devicePid = 0;
    std::int64_t audioArrivalTime = 0;
    std::int64_t hidArrivalTime = 0;
    DeviceNotifyHandle audioNotification = 0;
    DeviceNotifyHandle hidNotification = 0;
};

}  // namespace calvox
