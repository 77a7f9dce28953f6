// HID devices: discovery through the HID class, overlapped report I/O.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/thread_port.h"
#include "platform/types.h"

namespace calvox {

using HidHandle = std::uintptr_t;  // 0 = none

class HidPort {
public:
    virtual ~HidPort() = default;

    virtual Guid GetHidGuid() = 0;
    // Device paths of the present HID interfaces, in enumeration order.
    virtual std::vector<std::string> EnumerateHidInterfaces() = 0;
    // Opens a path for overlapped reading and writing; 0 on failure.
    virtual HidHandle OpenDevice(const std::string& path) = 0;
    virtual void CloseDevice(HidHandle handle) = 0;
    virtual bool GetAttributes(HidHandle handle, std::uint16_t& vendorId,
                               std::uint16_t& productId) = 0;
    virtual bool GetCaps(HidHandle handle, std::uint16_t& inputLength,
                         std::uint16_t& outputLength) = 0;
    // String descriptor 1 into a 260-byte buffer.
    virtual bool GetProductString(HidHandle handle, std::u16string& text) = 0;

    // One overlapped write per handle at a time; `completion` is signalled
    // when it completes (or is cancelled). The data is copied.
    virtual void StartWrite(HidHandle handle, const std::vector<std::uint8_t>& report,
                            EventHandle completion) = 0;
    // The outcome of the last write, waiting for it to complete; true when
    // every byte was written.
    virtual bool FinishWrite(HidHandle handle) = 0;
    // One overlapped read per handle at a time into `buffer` (kept by the caller
    // until FinishRead).
    virtual void StartRead(HidHandle handle, std::uint8_t* buffer, std::size_t length,
                           EventHandle completion) = 0;
    // The outcome of the last read, waiting for it to complete; false when it
    // failed or was cancelled.
    virtual bool FinishRead(HidHandle handle, std::size_t& bytesRead) = 0;
    // Cancels the pending transfers on the handle; their events get signalled.
    virtual void CancelIo(HidHandle handle) = 0;
};

}  // namespace calvox
