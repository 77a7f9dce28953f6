// Bringing the handset into service on start-up and on every device change.
#pragma once

#include <cstdint>

#include "hub/app.h"

namespace calvox {

// Closes everything, finds the handset among the USB devices, opens its HID
// channel and mixer and applies the configured levels. Ids 0/0 take the first
// handset found.
void HandsetSetup(App& app, Hwnd hubWindow, int scanMode, std::uint16_t vendorId,
                  std::uint16_t productId);

bool IsWindows2000(SystemPort& system);

}  // namespace calvox
