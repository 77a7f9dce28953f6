// The records whose layout Windows, the USB stack and the handset's driver
// fix, checked in the 64-bit and the 32-bit build alike: a 32-bit program
// cannot be run on the build machines, so the compiler is where a difference
// between the two shows.
#include "win32/win_platform.h"
// After windows.h, which they need.
#include <ks.h>
#include <mmreg.h>
#include <setupapi.h>
#include <usbioctl.h>
extern "C" {
#include <hidsdi.h>
}

#include <cstddef>

#include "sound/driver_wave_player.h"

namespace calvox::win32 {

constexpr bool k64Bit = sizeof(void*) == 8;

// USB hub queries (byte-packed).
static_assert(sizeof(USB_ROOT_HUB_NAME) == 6, "the length query of the root hub's name");
static_assert(sizeof(USB_NODE_INFORMATION) == 76);
static_assert(offsetof(USB_NODE_INFORMATION, u.HubInformation.HubDescriptor.bNumberOfPorts) == 6);
static_assert(sizeof(USB_NODE_CONNECTION_INFORMATION) == 35, "a port without its pipes");
static_assert(sizeof(USB_NODE_CONNECTION_NAME) == 10, "the length query of a hub's name");
static_assert(offsetof(USB_NODE_CONNECTION_NAME, NodeName) == 8);
static_assert(sizeof(USB_DESCRIPTOR_REQUEST) == 12 && offsetof(USB_DESCRIPTOR_REQUEST, Data) == 12,
              "the descriptor follows the 12-byte request head");

// The kernel-streaming component id of an audio endpoint.
static_assert(sizeof(KSPROPERTY) == 24);
static_assert(sizeof(KSCOMPONENTID) == 72 && offsetof(KSCOMPONENTID, Name) == 48);

// HID and SetupAPI: the size field of the interface detail is the size of
// its fixed part, which differs between the builds.
static_assert(sizeof(HIDD_ATTRIBUTES) == 12);
static_assert(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) == 4);
static_assert(sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) == (k64Bit ? 8 : 5));

// GetVersionEx's basic record, without the service pack numbers.
static_assert(sizeof(OSVERSIONINFOA) == 148);

// The tray icon record in the form with balloon texts and no GUID.
static_assert(NOTIFYICONDATAA_V2_SIZE == (k64Bit ? 504 : 488));

// WAVE formats as files and DirectSound hold them.
static_assert(sizeof(WAVEFORMATEX) == 18);
static_assert(sizeof(WAVEFORMATEXTENSIBLE) == 40);

// The driver object's command block: 32-bit fields around a 256-character path.
static_assert(kDriverCommandSize == 528);
static_assert(sizeof(ULONG) == 4 && sizeof(WCHAR) == 2);

}  // namespace calvox::win32
