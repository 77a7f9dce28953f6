#include "device/handset_device.h"

namespace calvox {

// The HID report channel arrives with handset discovery; until then no handset
// is ever open, so there is nothing to close, write or sound.
void HandsetDevice::Close() {
    found_ = false;
    mcuPresent_ = false;
}

int HandsetDevice::SendMcuReport(std::uint8_t, std::uint8_t, std::uint8_t) {
    return found_ ? 1 : 0;
}

void HandsetDevice::Beep() {}

}  // namespace calvox
