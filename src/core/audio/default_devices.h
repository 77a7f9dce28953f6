// The system's preferred playback and recording devices.
#pragma once

#include "app/app.h"

namespace calvox {

// Moves the preferred devices off the handset, so other programs keep theirs.
void KeepHandsetNonDefault(App& app, const std::string& handsetDeviceName);

}  // namespace calvox
