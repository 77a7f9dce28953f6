#include "device/leds.h"

namespace calvox {

// The LEDs hang on the HID channel's GPIO report; with no handset open there
// is no LED to drive.
void UpdateMutingLed(App&, Hwnd) {}
void MuteBlinkTick(App&, Hwnd) {}
void RingBlinkTick(App&, Hwnd) {}

}  // namespace calvox
