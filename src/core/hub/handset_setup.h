// Bringing the handset into service on start-up and on every device change
// (the hub's set-up steps are in hub/handset_setup.cpp).
#pragma once

#include "platform/system_port.h"

namespace calvox {

bool IsWindows2000(SystemPort& system);

}  // namespace calvox
