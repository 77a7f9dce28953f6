// Bringing the handset into service on start-up and on every device change.
#pragma once

#include <cstdint>

#include "app/app.h"

namespace calvox {

void HandsetSetup(App& app, Hwnd hubWindow, int scanMode, std::uint16_t vendorId,
                  std::uint16_t productId);

}  // namespace calvox
