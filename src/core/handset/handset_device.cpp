#include "handset/handset_device.h"

#include <algorithm>
#include <vector>

#include "config/settings.h"
#include "handset/mcu_commands.h"
#include "handset/report_decoder.h"

namespace calvox {

HandsetDevice::HandsetDevice(Platform& platform, DiagnosticLog* log, const HubWindow* notify)
    : platform_(platform), log_(log), notify_(notify), writeLock_(platform.threads.CreateLock()) {}

HandsetDevice::~HandsetDevice() {
    Close();
    platform_.threads.DestroyLock(writeLock_);
}

// --- discovery ---------------------------------------------------------------

bool HandsetDevice::FindDevice(std::uint16_t vendorId, std::uint16_t productId,
                               std::uint16_t vendorMask, std::uint16_t productMask,
                               std::string& path) {
    HidPort& hid = platform_.hid;
    for (const std::string& candidate : hid.EnumerateHidInterfaces()) {
        HidHandle probe = hid.OpenDevice(candidate);
        if (probe == 0) continue;
        std::uint16_t vid = 0, pid = 0;
        const bool match = hid.GetAttributes(probe, vid, pid) &&
                           (vid & vendorMask) == (vendorId & vendorMask) &&
                           (pid & productMask) == (productId & productMask);
        hid.CloseDevice(probe);
        if (match) {
            path = candidate;
            return true;
        }
    }
    return false;
}

bool HandsetDevice::ReadCapabilities(HidHandle handle, std::uint32_t& inputLength,
                                     std::uint32_t& outputLength, int& productType) {
    std::uint16_t in = 0, out = 0;
    const bool read = platform_.hid.GetCaps(handle, in, out);
    if (read) {
        inputLength = in;
        outputLength = out;
    }
    std::u16string product;
    if (!platform_.hid.GetProductString(handle, product)) return read;
    std::string text;
    if (platform_.text.WideToAnsi(product, text) && !text.empty())
        productType = text.find(kHeadphoneSetProduct) != std::string::npos ? kProductHeadphoneSet
                                                                           : kProductGeneric;
    return read;
}

bool HandsetDevice::QueryProductClass(int& productClass) {
    if (vendorId_ == 0 || productId_ == 0 || kind_ == 0) return false;
    std::string path;
    if (!FindDevice(vendorId_, productId_, 0xFFFF, 0xFFFF, path)) return false;
    int type = 0;
    HidHandle handle = platform_.hid.OpenDevice(path);
    if (handle != 0) {
        std::uint32_t in = 0, out = 0;
        ReadCapabilities(handle, in, out, type);
        platform_.hid.CloseDevice(handle);
    }
    productClass = type == kProductHeadphoneSet ? kProductClassHeadphoneSet : kProductClassOther;
    return true;
}

// --- the channel ---------------------------------------------------------------

bool HandsetDevice::Open(std::uint16_t vendorId, std::uint16_t productId, int kind) {
    Close();
    std::string path;
    if (!FindDevice(vendorId, productId, 0xFFFF, 0xFFFF, path)) {
        Close();
        return false;
    }
    vendorId_ = vendorId;
    productId_ = productId;
    kind_ = kind;
    path_ = path;

    openFailure_.clear();
    readHandle_ = OpenChannel();
    HidHandle writer = OpenChannel();
    std::uint32_t in = inputLength_, out = outputLength_;
    int type = productType_;
    if (readHandle_ != 0 && !ReadCapabilities(readHandle_, in, out, type) && openFailure_.empty())
        openFailure_ = platform_.hid.LastError(readHandle_);
    productType_ = type;

    ThreadPort& threads = platform_.threads;
    platform_.threads.Acquire(writeLock_);
    writeHandle_ = writer;
    inputLength_ = in;
    outputLength_ = out;
    platform_.threads.Release(writeLock_);

    readerRunning_ = true;
    // What the reader needs from the hub's settings is fixed now: the hub may
    // change them for the next open while this reader still runs.
    const Hwnd notify = notify_ != nullptr ? notify_->Handle() : 0;
    const ReaderSetup setup{platform_.window.IsWindow(notify) ? notify : 0,
                            ResolveScanMode(scanMode_, productType_), gpioPullHigh_, readHandle_,
                            inputLength_};
    readerThread_ = threads.StartThread("reader", [this, setup] { ReaderThread(setup); });

    bool present = false;
    if (scanMode_ == MCU_MODE) {
        ProbeMcu();
        present = true;
    } else {
        for (int attempt = 0; attempt < 4 && !present; ++attempt) present = ProbeMcu();
    }
    mcuPresent_ = present;
    if (!present) StartScan();
    return true;
}

void HandsetDevice::StopThread(ThreadHandle& thread, const char* name) {
    if (thread == 0) return;
    ThreadPort& threads = platform_.threads;
    if (threads.JoinThread(thread, kThreadStopLimitMs)) {
        threads.CloseThread(thread);
    } else {
        WriteLog(log_,
                 std::string(name) + " thread did not stop in time: left to end with the program");
        threads.AbandonThread(thread);
    }
    thread = 0;
}

HidHandle HandsetDevice::OpenChannel() {
    const HidHandle handle = platform_.hid.OpenDevice(path_);
    if (handle == 0 && openFailure_.empty()) openFailure_ = platform_.hid.LastError(0);
    return handle;
}

void HandsetDevice::Close() {
    readerRunning_ = false;
    scanRunning_ = false;
    buzzerRequests_ = 0;
    StopScan();
    BuzzerOff();

    // A cancelled device ends the read under way and every later one, so the
    // reader stops wherever it stands.
    if (readHandle_ != 0) platform_.hid.CancelRead(readHandle_);
    StopThread(readerThread_, "reader");

    platform_.threads.Acquire(writeLock_);
    if (EventHandle mcu = mcuEvent_.exchange(0)) {
        platform_.threads.SetEvent(mcu);
        platform_.threads.CloseEvent(mcu);
    }
    if (writeHandle_ != 0) platform_.hid.CloseDevice(writeHandle_);
    writeHandle_ = 0;
    platform_.threads.Release(writeLock_);
    if (readHandle_ != 0) platform_.hid.CloseDevice(readHandle_);
    readHandle_ = 0;
    path_.clear();
    mcuPresent_ = false;
}

bool HandsetDevice::SendReport(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3, std::uint8_t b4) {
    if (BuzzerSounding()) b1 |= kBuzzerBit;
    return WriteReport(b1, b2, b3, b4);
}

bool HandsetDevice::WriteReport(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3,
                                std::uint8_t b4) {
    platform_.threads.Acquire(writeLock_);
    const bool written = WriteReportLocked(b1, b2, b3, b4);
    platform_.threads.Release(writeLock_);
    return written;
}

bool HandsetDevice::WriteReportLocked(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3,
                                      std::uint8_t b4) {
    if (writeHandle_ == 0 || outputLength_ == 0) return false;
    // The report is as long as the device says, zero-padded.
    std::vector<std::uint8_t> report(outputLength_, 0);
    const std::uint8_t bytes[] = {0, b1, b2, b3, b4};
    std::copy_n(bytes, std::min<std::size_t>(report.size(), 5), report.begin());
    return platform_.hid.Write(writeHandle_, report, kWriteTimeoutMs);
}

bool HandsetDevice::ProbeMcu() {
    ThreadPort& threads = platform_.threads;
    EventHandle event = mcuEvent_;
    if (event == 0) {
        event = threads.CreateEvent(kMcuEventName, true, false);
        mcuEvent_ = event;
    }
    threads.ResetEvent(event);
    if (kind_ != kDeviceKindHandset) return false;
    // Never with the buzzer bit.
    WriteReport(kMcuReport, McuCommandByte(McuCommand::Probe), 0x00, 0x00);
    return threads.WaitEvent(event, kProbeTimeoutMs) == WaitResult::Signaled;
}

bool HandsetDevice::StartScan() {
    if (scanThread_ != 0) return true;
    scanRunning_ = true;
    scanThread_ = platform_.threads.StartThread("scan", [this] { ScanThread(); });
    if (scanThread_ == 0) {
        scanRunning_ = false;
        return false;
    }
    scanThreadExists_ = true;
    return true;
}

void HandsetDevice::StopScan() {
    scanRunning_ = false;
    StopThread(scanThread_, "scan");
    scanThreadExists_ = false;
}

void HandsetDevice::ScanThread() {
    if (kind_ != kDeviceKindHandset) return;
    const ScanPattern pattern = ScanPatternFor(ResolveScanMode(scanMode_, productType_));
    if (pattern.steps.empty()) return;
    if (pattern.oneShot) {
        SendReport(0, pattern.steps[0].levels, pattern.steps[0].mask, 0);
        platform_.threads.WorkerSleep(kScanStepMs);
        return;
    }
    while (scanRunning_) {
        for (const ScanStep& step : pattern.steps) {
            if (!scanRunning_) break;
            SendReport(0, step.levels, step.mask, 0);
            platform_.threads.WorkerSleep(kScanStepMs);
        }
    }
}

void HandsetDevice::ReaderThread(const ReaderSetup& setup) {
    if (setup.handle == 0 || setup.inputLength == 0) return;
    ReportDecoder decoder(setup.scanMode, setup.gpioPullHigh);
    // Bytes 1-4 are decoded whatever the report's length: those a shorter
    // report does not carry stay zero.
    std::vector<std::uint8_t> buffer(std::max<std::size_t>(setup.inputLength, kDecodedReportBytes),
                                     0);

    while (readerRunning_ && kind_ == kDeviceKindHandset) {
        std::fill(buffer.begin(), buffer.end(), 0);
        std::size_t bytes = 0;
        // A failed read means the handset is gone; a cancelled one, that the
        // channel closes.
        if (platform_.hid.Read(setup.handle, buffer.data(), setup.inputLength, bytes) !=
            HidReadResult::Report)
            break;
        // A read shorter than the device's report lacks bytes the device
        // sends: they would decode as zeros, a phantom key 0.
        if (bytes < setup.inputLength) continue;
        ReportDecoder::Result result =
            decoder.Decode(buffer[1], buffer[2], buffer[3], buffer[4], scanThreadExists_);
        if (result.mcuHello) {
            if (EventHandle event = mcuEvent_) platform_.threads.SetEvent(event);
        }
        if (setup.notify == 0) continue;
        for (const PostedMessage& m : result.messages)
            platform_.window.PostMessage(setup.notify, m.message, m.wParam, m.lParam);
    }
}

// --- buzzer ----------------------------------------------------------------------

void HandsetDevice::ChangeBuzzerRequest(BuzzerRequest request, bool on) {
    const auto bit = static_cast<unsigned>(request);
    // Under the write lock, so that the reports switching the bit go out in
    // the order the requests changed.
    platform_.threads.Acquire(writeLock_);
    const unsigned before = on ? buzzerRequests_.fetch_or(bit) : buzzerRequests_.fetch_and(~bit);
    const unsigned others = before & ~bit;
    // A ring (re)started always writes its report; otherwise only a change of
    // the bit does.
    const bool write = on ? request == BuzzerRequest::Ring || others == 0 : others == 0;
    if (write && !scanRunning_ && kind_ == kDeviceKindHandset)
        WriteReportLocked(on ? kBuzzerBit : kGpioReport, 0, 0, 0);
    platform_.threads.Release(writeLock_);
}

void HandsetDevice::BuzzerOn() { ChangeBuzzerRequest(BuzzerRequest::Ring, true); }

void HandsetDevice::BuzzerOff() { ChangeBuzzerRequest(BuzzerRequest::Ring, false); }

void HandsetDevice::Beep(int ms, EventHandle cut) {
    if (BuzzerSounding()) return;
    ChangeBuzzerRequest(BuzzerRequest::Beep, true);
    const std::uint32_t duration =
        ms < 0 ? buzzerDurationMs_.load() : static_cast<std::uint32_t>(ms);
    if (cut != 0)
        platform_.threads.WaitEvent(cut, duration);
    else
        platform_.threads.WorkerSleep(duration);
    ChangeBuzzerRequest(BuzzerRequest::Beep, false);
}

}  // namespace calvox
