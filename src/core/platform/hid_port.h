// HID devices: discovery through the HID class, and report I/O on an open
// device. The device is opaque: the port keeps its file, the records of its
// transfers and the text of its last failure behind the handle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/types.h"

namespace calvox {

using HidHandle = std::uintptr_t;  // an open device; 0 = none

// How a read ended.
enum class HidReadResult {
    Report,     // an input report came
    Failed,     // the device refused the read or went away
    Cancelled,  // CancelRead was asked for the device
};

class HidPort {
public:
    virtual ~HidPort() = default;

    virtual Guid GetHidGuid() = 0;
    // Device paths of the present HID interfaces, in enumeration order.
    virtual std::vector<std::string> EnumerateHidInterfaces() = 0;
    // Opens a path for reading and writing; 0 on failure (LastError(0) says why).
    virtual HidHandle OpenDevice(const std::string& path) = 0;
    // Ends what the device still has under way and lets it go.
    virtual void CloseDevice(HidHandle device) = 0;
    virtual bool GetAttributes(HidHandle device, std::uint16_t& vendorId,
                               std::uint16_t& productId) = 0;
    virtual bool GetCaps(HidHandle device, std::uint16_t& inputLength,
                         std::uint16_t& outputLength) = 0;
    // String descriptor 1 into a 260-byte buffer.
    virtual bool GetProductString(HidHandle device, std::u16string& text) = 0;

    // Waits without a time limit for one input report into `buffer` (at most
    // `length` bytes; `bytesRead` of them filled). One read per device at a time.
    virtual HidReadResult Read(HidHandle device, std::uint8_t* buffer, std::size_t length,
                               std::size_t& bytesRead) = 0;
    // From any thread: ends the read under way with Cancelled, and every read
    // that starts later on the device, so a cancel is never lost to a read
    // that had not begun yet.
    virtual void CancelRead(HidHandle device) = 0;
    // Writes one output report (the caller pads it to the device's length);
    // a write that does not complete within `timeoutMs` is cancelled. True
    // when every byte was written. One write per device at a time.
    virtual bool Write(HidHandle device, const std::vector<std::uint8_t>& report,
                       std::uint32_t timeoutMs) = 0;
    // The text of the device's last failure ("WriteFile failed: error 31"),
    // or of the last failed open for device 0; empty while there was none.
    virtual std::string LastError(HidHandle device) = 0;
};

}  // namespace calvox
