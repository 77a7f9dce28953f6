// The open handset: its HID channel, reader and scan threads, buzzer and the
// one primitive that writes an output report.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "base/diagnostic_log.h"
#include "base/hub_window.h"
#include "platform/platform.h"

namespace calvox {

inline constexpr int kProductGeneric = 3;
inline constexpr int kProductHeadphoneSet = 4;
inline constexpr int kProductClassHeadphoneSet = 4;
inline constexpr int kProductClassOther = 8;
inline constexpr int kDeviceKindHandset = 1;
inline constexpr const char* kHeadphoneSetProduct = "Zorvik USB Headphone Set";
inline constexpr const char* kMcuEventName = "ZVK_HID_MCU_EVENT";
inline constexpr std::uint32_t kWriteTimeoutMs = 100;
inline constexpr std::uint32_t kProbeTimeoutMs = 100;
inline constexpr std::uint32_t kScanStepMs = 32;
inline constexpr std::uint32_t kThreadStopLimitMs = 1000;
// The report id and the four bytes the reader decodes.
inline constexpr std::size_t kDecodedReportBytes = 5;

class HandsetDevice {
public:
    // A worker that does not stop in time is noted in `log` when there is one.
    // The reader posts the handset's events to `notify` (none without it),
    // as the window is when the channel opens.
    explicit HandsetDevice(Platform& platform, DiagnosticLog* log = nullptr,
                           const HubWindow* notify = nullptr);
    ~HandsetDevice();
    HandsetDevice(const HandsetDevice&) = delete;
    HandsetDevice& operator=(const HandsetDevice&) = delete;

    // Discovery.
    bool FindDevice(std::uint16_t vendorId, std::uint16_t productId, std::uint16_t vendorMask,
                    std::uint16_t productMask, std::string& path);
    bool ReadCapabilities(HidHandle handle, std::uint32_t& inputLength, std::uint32_t& outputLength,
                          int& productType);
    // 4 for a headphone set, 8 for any other handset.
    bool QueryProductClass(int& productClass);

    // The channel.
    void SetScanMode(int mode) { scanMode_ = mode; }
    int ScanMode() const { return scanMode_; }
    void SetGpioPullHigh(bool pullHigh) { gpioPullHigh_ = pullHigh; }
    bool Open(std::uint16_t vendorId, std::uint16_t productId, int kind);
    void Close();
    bool IsFound() const { return !path_.empty(); }
    // True when the report was written; false when it was not (also when no
    // handset is open).
    bool SendReport(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3, std::uint8_t b4);
    // Why the last Open met a device it could not use (a failed open or
    // capabilities query, in the HID port's words); empty when nothing failed.
    const std::string& OpenFailure() const { return openFailure_; }
    bool ProbeMcu();
    bool StartScan();
    void StopScan();

    void SetMcuPresent(bool present) { mcuPresent_ = present; }
    bool McuPresent() const { return mcuPresent_; }

    // Buzzer. The ring (BuzzerOn/BuzzerOff) and a key beep are separate
    // requests; the buzzer sounds while either is made, so a beep that ends
    // during a ring leaves it sounding.
    void SetBuzzerDuration(std::uint32_t ms) { buzzerDurationMs_ = ms; }
    std::uint32_t BuzzerDuration() const { return buzzerDurationMs_; }
    void BuzzerOn();
    void BuzzerOff();
    // ms < 0: the configured duration. A signalled `cut` ends the beep early.
    void Beep(int ms = -1, EventHandle cut = 0);

    std::uint16_t VendorId() const { return vendorId_; }
    std::uint16_t ProductId() const { return productId_; }
    int ProductType() const { return productType_; }
    std::uint32_t InputLength() const { return inputLength_; }
    std::uint32_t OutputLength() const { return outputLength_; }

private:
    enum class BuzzerRequest : unsigned { Ring = 1, Beep = 2 };
    bool WriteReport(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3, std::uint8_t b4);
    // The same with the write lock already held.
    bool WriteReportLocked(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3, std::uint8_t b4);
    // Adds or withdraws a request and, where the buzzer bit changes and no
    // scan loop carries it, writes the report that switches it.
    void ChangeBuzzerRequest(BuzzerRequest request, bool on);
    bool BuzzerSounding() const { return buzzerRequests_.load() != 0; }
    // What one reader works with, fixed when it starts.
    struct ReaderSetup {
        Hwnd notify;
        int scanMode;
        bool gpioPullHigh;
        HidHandle handle;
        std::uint32_t inputLength;
    };
    void ReaderThread(const ReaderSetup& setup);
    void ScanThread();
    void StopThread(std::uintptr_t& thread, const char* name);
    // Opens one handle on the device path, noting why when it fails.
    HidHandle OpenChannel();

    Platform& platform_;
    DiagnosticLog* log_;
    const HubWindow* notify_;
    std::atomic<int> scanMode_{0};
    std::uint16_t vendorId_ = 0;
    std::uint16_t productId_ = 0;
    std::atomic<int> kind_{0};  // read by the buzzer thread while the hub opens
    std::atomic<int> productType_{kProductGeneric};
    std::string path_;
    HidHandle readHandle_ = 0;
    HidHandle writeHandle_ = 0;
    ThreadHandle readerThread_ = 0;
    ThreadHandle scanThread_ = 0;
    std::atomic<bool> scanThreadExists_{false};
    std::atomic<bool> readerRunning_{false};
    std::atomic<bool> scanRunning_{false};
    std::atomic<unsigned> buzzerRequests_{0};
    std::uint32_t inputLength_ = 0;
    std::uint32_t outputLength_ = 0;
    std::atomic<std::uint32_t> buzzerDurationMs_{90};
    std::atomic<EventHandle> mcuEvent_{0};
    std::atomic<bool> mcuPresent_{false};
    bool gpioPullHigh_ = false;
    std::string openFailure_;
    LockHandle writeLock_ = 0;
};

}  // namespace calvox
