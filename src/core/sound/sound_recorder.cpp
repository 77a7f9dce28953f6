#include "sound/sound_recorder.h"

#include "sound/sound_player.h"

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

CaptureSession::CaptureSession(Platform& platform, DiagnosticLog* log)
    : platform_(platform), log_(log) {
    ThreadPort& threads = platform_.threads;
    lock_ = threads.CreateLock();
    event_ = threads.CreateEvent("", false, false);
}

CaptureSession::~CaptureSession() {
    ThreadPort& threads = platform_.threads;
    threads.CloseEvent(event_);
    output_.reset();
    ReleaseCaptureObjects();
    threads.DestroyLock(lock_);
}

void CaptureSession::RequestQuit() {
    quit_ = true;
    platform_.threads.SetEvent(event_);
}

void CaptureSession::CaptureThread() {
    ThreadPort& threads = platform_.threads;
    for (;;) {
        const WaitResult woke = threads.WaitEvent(event_, kInfinite);
        if (quit_ || woke == WaitResult::Failed) return;
        if (woke != WaitResult::Signaled) continue;
        // A failed drain is kept for StopCapture; the thread waits on, so a
        // stop is still seen at its next wake-up.
        Locked hold(threads, lock_);
        DrainCaptureBuffer();
    }
}

SoundRecorder::SoundRecorder(Platform& platform, DiagnosticLog* log)
    : threads_(platform.threads),
      log_(log),
      session_(std::make_shared<CaptureSession>(platform, log)) {
    // The thread holds the session while it runs and lets it go when it ends.
    thread_ = threads_.StartThread("capture", [session = session_]() mutable {
        const std::shared_ptr<CaptureSession> own = std::move(session);
        own->CaptureThread();
    });
}

SoundRecorder::~SoundRecorder() {
    session_->StopCapture();
    session_->RequestQuit();
    if (thread_ != 0) {
        if (threads_.JoinThread(thread_, kThreadEndWaitMs)) {
            threads_.CloseThread(thread_);
        } else {
            // Killing it could leave a lock held for the exit that follows;
            // it keeps the session until it ends.
            WriteLog(log_, "capture thread did not stop in time: left to end with the program");
            threads_.AbandonThread(thread_);
        }
    }
}

void CaptureSession::ReleaseCaptureObjects() {
    SoundPort& sound = platform_.sound;
    if (buffer_ != 0) sound.ReleaseCaptureBuffer(buffer_);
    if (capture_ != 0) sound.ReleaseCapture(capture_);
    buffer_ = 0;
    capture_ = 0;
}

HResult CaptureSession::Start(const std::string& deviceName, const WaveFormat& format,
                              const std::string& file) {
    StopCapture();
    SoundPort& sound = platform_.sound;
    Locked hold(platform_.threads, lock_);
    output_.reset();
    ReleaseCaptureObjects();
    format_.reset();

    deviceName_ = deviceName;
    file_ = file;
    failure_ = kSOk;
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

HResult CaptureSession::CreateCaptureBuffer(const WaveFormat& format) {
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

HResult CaptureSession::StartCapture() {
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

HResult CaptureSession::StopCapture() {
    const bool wasCapturing = capturing_;
    capturing_ = false;
    HResult result = kSOk;
    {
        Locked hold(platform_.threads, lock_);
        if (buffer_ != 0) {
            platform_.sound.StopCapture(buffer_);
            result = DrainCaptureBuffer();
            if (output_) {
                const HResult closed = output_->Close();
                if (result == kSOk) result = closed;
            }
            output_.reset();
        }
    }
    if (wasCapturing && platform_.observer != nullptr) platform_.observer->RecorderStop();
    return result;
}

HResult CaptureSession::DrainCaptureBuffer() {
    if (failure_ != kSOk) return failure_;
    const HResult result = DrainOnce();
    if (result != kSOk) failure_ = result;
    return result;
}

HResult CaptureSession::DrainOnce() {
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
