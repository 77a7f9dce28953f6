#include "audio/default_devices.h"

namespace calvox {

// The sound mapper's registry values are managed with the audio device
// selection; until then the preferred devices are left as they are.
void KeepHandsetNonDefault(App&, const std::string&) {}

}  // namespace calvox
