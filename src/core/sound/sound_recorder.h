// Capture from the handset's input device into a WAVE file: a circular
// capture buffer with 16 notifications, drained by a capture thread.
#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "sound/riff_wave_file.h"
#include "base/diagnostic_log.h"
#include "platform/platform.h"

namespace calvox {

inline constexpr std::uint32_t kCaptureNotifications = 16;

// Bytes between two notifications for a capture format: an eighth of a
// second where that is large enough, in whole sample blocks.
std::uint32_t CaptureNotifySize(const WaveFormat& format);

// What a capture thread works with. It is shared with the thread, so a thread
// that does not stop in time can be left to end with the program without
// touching freed memory.
class CaptureSession {
public:
    CaptureSession(Platform& platform, DiagnosticLog* log);
    ~CaptureSession();
    CaptureSession(const CaptureSession&) = delete;
    CaptureSession& operator=(const CaptureSession&) = delete;

    HResult Start(const std::string& deviceName, const WaveFormat& format, const std::string& file);
    HResult StartCapture();
    HResult StopCapture();
    // Seen by the capture thread at its next wake-up.
    void RequestQuit();
    void CaptureThread();

private:
    HResult CreateCaptureBuffer(const WaveFormat& format);
    // Drains unless a drain failed before; keeps the first failure.
    HResult DrainCaptureBuffer();
    HResult DrainOnce();
    void ReleaseCaptureObjects();

    Platform& platform_;
    DiagnosticLog* log_;
    std::string deviceName_;
    std::string file_;
    std::optional<Guid> deviceId_;
    SoundObject capture_ = 0;
    SoundBuffer buffer_ = 0;
    std::uint32_t notifySize_ = 0;
    std::uint32_t bufferSize_ = 0;
    std::uint32_t nextOffset_ = 0;
    std::uint64_t totalCaptured_ = 0;
    std::optional<WaveFormat> format_;
    bool capturing_ = false;
    std::unique_ptr<RiffWaveFile> output_;
    // The first failure of a drain: later drains would append after a gap.
    HResult failure_ = kSOk;

    // The capture thread drains under the lock; the hub thread opens, stops and
    // re-creates under it.
    LockHandle lock_ = 0;
    EventHandle event_ = 0;
    std::atomic<bool> quit_{false};
};

class SoundRecorder {
public:
    // Device and file failures go to `log` when there is one.
    explicit SoundRecorder(Platform& platform, DiagnosticLog* log = nullptr);
    ~SoundRecorder();
    SoundRecorder(const SoundRecorder&) = delete;
    SoundRecorder& operator=(const SoundRecorder&) = delete;

    // Opens the capture device whose description holds `deviceName` (the
    // default one when none does) and the output file.
    HResult Start(const std::string& deviceName, const WaveFormat& format,
                  const std::string& file) {
        return session_->Start(deviceName, format, file);
    }
    HResult StartCapture() { return session_->StartCapture(); }
    // Takes the last whole blocks and finishes the file; the first failure of
    // a drain, the file's writes or its close.
    HResult StopCapture() { return session_->StopCapture(); }

private:
    ThreadPort& threads_;
    DiagnosticLog* log_;
    std::shared_ptr<CaptureSession> session_;
    ThreadHandle thread_ = 0;
};

}  // namespace calvox
