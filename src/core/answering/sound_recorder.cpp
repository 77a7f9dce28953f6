#include "answering/sound_recorder.h"

#include "answering/sound_player.h"

namespace calvox {

namespace {

constexpr std::uint32_t kThreadEndWaitMs = 5000;

// The hub thread's critical sections.
class Locked {
public:
    Locked(ThreadPort& threads, LockHandle lock) : threads_(threads), lock_(lock) {
        threads_.Acquire(lock_);
    }
    ~Locked() { threads_.Release(lock_); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    ThreadPort& threads_;
    LockHandle lock_;
};

}  // namespace

std::uint32_t CaptureNotifySize(const WaveFormat& format) {
    const std::uint32_t average = format.avgBytesPerSec / 8 * 8;
    std::uint32_t size = average > 8191 ? format.avgBytesPerSec / 8 : 1024;
    if (format.blockAlign > 1) size -= size % format.blockAlign;
    return size;
}

SoundRecorder::SoundRecorder(Platform& platform, DiagnosticLog* log)
    : platform_(platform), log_(log) {
    ThreadPort& threads = platform_.threads;
    lock_ = threads.CreateLock();
    event_ = threads.CreateEvent("", false, false);
    thread_ = threads.StartThread("capture", [this] { CaptureThread(); });
}

SoundRecorder::~SoundRecorder() {
    StopCapture();
    ThreadPort& threads = platform_.threads;
    // The quit flag is looked at after every wake-up, so this wake-up ends it.
    quit_ = true;
    threads.SetEvent(event_);
    if (thread_ != 0) {
        if (!threads.JoinThread(thread_, kThreadEndWaitMs))
            threads.TerminateThread(thread_);
        else
            threads.CloseThread(thread_);
    }
    threads.CloseEvent(event_);
    {
        Locked hold(threads, lock_);
        output_.reset();
        ReleaseCaptureObjects();
    }
    threads.DestroyLock(lock_);
}

void SoundRecorder::CaptureThread() {
    ThreadPort& threads = platform_.threads;
    for (;;) {
        const WaitResult woke = threads.WaitEvent(event_, kInfinite);
        if (quit_ || woke == WaitResult::Failed) return;
        if (woke != WaitResult::Signaled) continue;
        threads.Acquire(lock_);
        const HResult result = DrainCaptureBuffer();
        threads.Release(lock_);
        if (result != kSOk) return;
    }
}

void SoundRecorder::ReleaseCaptureObjects() {
    SoundPort& sound = platform_.sound;
    if (buffer_ != 0) sound.ReleaseCaptureBuffer(buffer_);
    if (capture_ != 0) sound.ReleaseCapture(capture_);
    buffer_ = 0;
    capture_ = 0;
}

HResult SoundRecorder::Start(const std::string& deviceName, const WaveFormat& format,
                             const std::string& file) {
    StopCapture();
    SoundPort& sound = platform_.sound;
    Locked hold(platform_.threads, lock_);
    output_.reset();
    ReleaseCaptureObjects();
    format_.reset();

    deviceName_ = deviceName;
    file_ = file;
    nextOffset_ = 0;
    notifySize_ = 0;
    std::vector<SoundDevice> devices;
    const HResult listed = sound.EnumerateCaptureDevices(devices);
    deviceId_ = ChooseSoundDevice(listed, devices, deviceName_, "capture", log_);
    const std::string device = SoundDeviceText("capture", deviceName_);
    HResult result = sound.CreateCapture(deviceId_ ? &*deviceId_ : nullptr, capture_);
    if (result != kSOk) {
        WriteLog(log_, device + " failed to open: " + ResultCodeText(result));
        return result;
    }

    result = CreateCaptureBuffer(format);
    format_ = format;
    if (result != kSOk)
        WriteLog(log_, device + " gave no capture buffer: " + ResultCodeText(result));
    if (buffer_ == 0) return result;

    WaveFormat actual;
    if (sound.GetCaptureFormat(buffer_, actual) != kSOk) actual = format;
    output_ = std::make_unique<RiffWaveFile>(platform_.binaryFiles);
    const HResult opened = output_->OpenWrite(file_, actual);
    if (opened != kSOk) {
        WriteLog(log_,
                 "recording file " + Quoted(file_) + " not created: " + ResultCodeText(opened));
        output_.reset();
    }
    return result != kSOk ? result : opened;
}

HResult SoundRecorder::CreateCaptureBuffer(const WaveFormat& format) {
    SoundPort& sound = platform_.sound;
    if (buffer_ != 0) sound.ReleaseCaptureBuffer(buffer_);
    buffer_ = 0;
    if (capture_ == 0) return kEFail;
    notifySize_ = CaptureNotifySize(format);
    if (notifySize_ == 0) return kEFail;
    bufferSize_ = kCaptureNotifications * notifySize_;
    HResult result = sound.CreateCaptureBuffer(capture_, bufferSize_, format, buffer_);
    if (result != kSOk) {
        buffer_ = 0;
        return result;
    }
    nextOffset_ = 0;
    std::vector<std::uint32_t> positions;
    for (std::uint32_t i = 0; i < kCaptureNotifications; ++i)
        positions.push_back(notifySize_ * (i + 1) - 1);
    return sound.SetNotifications(buffer_, positions, event_);
}

HResult SoundRecorder::StartCapture() {
    Locked hold(platform_.threads, lock_);
    totalCaptured_ = 0;
    if (!format_) return kEFail;
    CreateCaptureBuffer(*format_);
    if (buffer_ == 0) return kEFail;
    const HResult result = platform_.sound.StartCapture(buffer_);
    if (result != kSOk) {
        WriteLog(log_, SoundDeviceText("capture", deviceName_) +
                           " failed to start: " + ResultCodeText(result));
        return result;
    }
    capturing_ = true;
    if (platform_.observer != nullptr) platform_.observer->RecorderStart(deviceName_, file_);
    return kSOk;
}

HResult SoundRecorder::StopCapture() {
    const bool wasCapturing = capturing_;
    capturing_ = false;
    HResult result = kSOk;
    {
        Locked hold(platform_.threads, lock_);
        if (buffer_ != 0) {
            platform_.sound.StopCapture(buffer_);
            result = DrainCaptureBuffer();
            if (output_) output_->Close();
            output_.reset();
        }
    }
    if (wasCapturing && platform_.observer != nullptr) platform_.observer->RecorderStop();
    return result;
}

HResult SoundRecorder::DrainCaptureBuffer() {
    if (buffer_ == 0 || !output_) return kSOk;
    SoundPort& sound = platform_.sound;
    std::uint32_t readPosition = 0;
    HResult result = sound.GetReadPosition(buffer_, readPosition);
    if (result != kSOk) return result;
    std::int64_t available = std::int64_t{readPosition} - nextOffset_;
    if (available < 0) available += bufferSize_;
    available -= available % notifySize_;
    if (available == 0) return kSOk;

    totalCaptured_ += static_cast<std::uint64_t>(available);
    LockedRegion region;
    result = sound.LockCapture(buffer_, nextOffset_, static_cast<std::uint32_t>(available), region);
    if (result != kSOk) return result;
    std::uint32_t written = 0;
    result = output_->Write(region.firstBytes, region.first, written);
    if (result == kSOk && region.second != nullptr)
        result = output_->Write(region.secondBytes, region.second, written);
    nextOffset_ = (nextOffset_ + region.firstBytes + region.secondBytes) % bufferSize_;
    sound.UnlockCapture(buffer_, region);
    return result;
}

}  // namespace calvox
