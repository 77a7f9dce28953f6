#include "sound/driver_wave_player.h"

#include <cstring>

#include "base/hub_messages.h"
#include "base/text_convert.h"

namespace calvox {

namespace {
constexpr std::uint32_t kPollPeriodMs = 1000;
constexpr std::size_t kPathOffset = 8;
constexpr std::size_t kPathBytes = 512;
constexpr const char16_t* kDevicePrefix = u"\\DosDevices\\";

void Put32(DriverCommand& block, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) block[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}
}  // namespace

bool BuildDriverCommand(std::uint32_t operation, std::uint32_t channel, const std::u16string& path,
                        DriverCommand& block) {
    block.fill(0);
    Put32(block, 0, operation);
    Put32(block, 4, channel);
    if (operation != DRIVER_START) return true;
    const std::u16string text = kDevicePrefix + path;
    // The text and its terminator must fit the field whole.
    if ((text.size() + 1) * 2 > kPathBytes) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        block[kPathOffset + 2 * i] = static_cast<std::uint8_t>(text[i] & 0xFF);
        block[kPathOffset + 2 * i + 1] = static_cast<std::uint8_t>(text[i] >> 8);
    }
    Put32(block, 520, 48000);
    Put32(block, 524, 1);
    return true;
}

bool DriverWavePlayer::SendDriverCommand(std::uint32_t operation, std::uint32_t channel,
                                         const std::string& path, std::int32_t* reply) {
    if (object_ == 0) return false;
    std::u16string widePath;
    if (operation == DRIVER_START && !AnsiToWide(platform_.text, path, widePath)) return false;
    DriverCommand block;
    if (!BuildDriverCommand(operation, channel, widePath, block)) return false;
    DriverPort& driver = platform_.driver;
    if (operation == DRIVER_QUERY && reply != nullptr) {
        if (driver.Set(object_, kDriverProperty, block.data(), kDriverCommandSize) == 0)
            return false;
        if (driver.Get(object_, kDriverProperty, block.data(), kDriverCommandSize) == 0)
            return false;
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value |= std::uint32_t{block[kPathOffset + i]} << (8 * i);
        *reply = static_cast<std::int32_t>(value);
        return true;
    }
    return driver.Set(object_, kDriverProperty, block.data(), kDriverCommandSize) != 0;
}

void DriverWavePlayer::Create() {
    if (object_ != 0) return;
    DriverPort& driver = platform_.driver;
    driver.InitializeCom();
    object_ = driver.Create(kDriverClassId, kDriverInterfaceId);
    if (object_ == 0) {
        driver.UninitializeCom();
        return;
    }
    if (!SendDriverCommand(DRIVER_STOP, CHANNEL_MESSAGE, "", nullptr)) Release();
}

void DriverWavePlayer::Release() {
    StartVoicemail(false, "");
    StartRecording(false, "");
    if (object_ == 0) return;
    platform_.driver.ReleaseObject(object_);
    object_ = 0;
    platform_.driver.UninitializeCom();
}

void DriverWavePlayer::Configure(const std::string& greeting, int maxSeconds) {
    greetingPath_ = greeting;
    longestMessage_ = maxSeconds;
}

void DriverWavePlayer::StopPollTimer() {
    if (pollTimer_ == 0) return;
    platform_.clock.KillThreadTimer(pollTimer_);
    pollTimer_ = 0;
}

void DriverWavePlayer::StartVoicemail(bool on, const std::string& file) {
    if (!on) {
        SendDriverCommand(DRIVER_STOP, CHANNEL_GREETING, "", nullptr);
        SendDriverCommand(DRIVER_STOP, CHANNEL_MESSAGE, "", nullptr);
        if (state_ == 2 && !messagePath_.empty())
            WriteLog(log_, "recording stopped, voicemail message " + Quoted(messagePath_));
        state_ = 3;
        StopPollTimer();
        return;
    }
    if (object_ == 0) {
        WriteLog(log_,
                 "recording failed, voicemail message " + Quoted(file) + ": no handset driver");
        // Nothing can take the message: let the hub finish the call.
        if (platform_.window.IsWindow(hubWindow_.Handle()))
            platform_.window.PostMessage(hubWindow_.Handle(), HUBM_PLAYBACK_DONE, 0, 0);
        return;
    }
    if (state_ != 3 || file.empty()) return;
    StartRecording(false, "");
    messagePath_ = file;
    state_ = 1;
    if (!greetingPath_.empty())
        SendDriverCommand(DRIVER_START, CHANNEL_GREETING, greetingPath_, nullptr);
    if (pollTimer_ == 0) {
        elapsed_ = 0;
        pollTimer_ =
            platform_.clock.SetThreadTimer(kPollPeriodMs, [this](std::uintptr_t) { PollTick(); });
    }
}

void DriverWavePlayer::PollTick() {
    if (state_ == 1) {
        std::int32_t reply = -1;
        if (SendDriverCommand(DRIVER_QUERY, CHANNEL_GREETING, "", &reply) && reply != -1)
            return;  // the greeting still plays
        SendDriverCommand(DRIVER_STOP, CHANNEL_GREETING, "", nullptr);
        const bool started =
            SendDriverCommand(DRIVER_START, CHANNEL_MESSAGE, messagePath_, nullptr);
        WriteLog(log_, std::string(started ? "recording started" : "recording failed") +
                           ", voicemail message " + Quoted(messagePath_) +
                           (started ? "" : ": the driver refused it"));
        if (!started) messagePath_.clear();
        state_ = 2;
        return;
    }
    if (state_ == 2 && elapsed_ <= longestMessage_) {
        ++elapsed_;
        return;
    }
    if (platform_.window.IsWindow(hubWindow_.Handle())) {
        platform_.window.PostMessage(hubWindow_.Handle(), HUBM_PLAYBACK_DONE, 0, 0);
        return;
    }
    StartVoicemail(false, "");
    elapsed_ = 0;
}

bool DriverWavePlayer::StartRecording(bool on, const std::string& file) {
    if (object_ == 0) {
        if (on)
            WriteLog(log_,
                     "recording failed, call recording " + Quoted(file) + ": no handset driver");
        return false;
    }
    if (!on) {
        const bool stopped = SendDriverCommand(DRIVER_STOP, CHANNEL_RECORDING, "", nullptr);
        if (!recordingPath_.empty())
            WriteLog(log_, "recording stopped, call recording " + Quoted(recordingPath_));
        recordingPath_.clear();
        return stopped;
    }
    StartVoicemail(false, "");
    const bool started = SendDriverCommand(DRIVER_START, CHANNEL_RECORDING, file, nullptr);
    recordingPath_ = started ? file : "";
    WriteLog(log_, started ? "recording started, call recording " + Quoted(file)
                           : "recording failed, call recording " + Quoted(file) +
                                 ": the driver refused it");
    return started;
}

bool DriverWavePlayer::IsIdle() {
    if (state_ != 3 || pollTimer_ != 0) return false;
    for (std::uint32_t channel : {CHANNEL_GREETING, CHANNEL_MESSAGE, CHANNEL_RECORDING}) {
        std::int32_t reply = 0;
        if (SendDriverCommand(DRIVER_QUERY, channel, "", &reply) && reply > 0) return false;
    }
    return true;
}

}  // namespace calvox
