// The open handset: its HID channel, worker threads and flags.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace calvox {

class HandsetDevice {
public:
    explicit HandsetDevice(Platform& platform) : platform_(platform) {}

    bool IsFound() const { return found_; }
    void Close();

    // The microcontroller said hello; until then MCU commands go nowhere.
    void SetMcuPresent(bool present) { mcuPresent_ = present; }
    bool McuPresent() const { return mcuPresent_; }

    void SetBuzzerDuration(std::uint32_t ms) { buzzerDurationMs_ = ms; }
    std::uint32_t BuzzerDuration() const { return buzzerDurationMs_; }

    // One MCU report (0x80 | code, first, second); non-zero on success.
    int SendMcuReport(std::uint8_t codeByte, std::uint8_t first, std::uint8_t second);
    // One beep of the configured length.
    void Beep();

private:
    Platform& platform_;
    bool found_ = false;
    bool mcuPresent_ = false;
    std::uint32_t buzzerDurationMs_ = 90;
};

}  // namespace calvox
