// The wave player and recorder inside the handset's driver: the voicemail
// greeting and message of a Skype call, and call recordings.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "base/diagnostic_log.h"
#include "base/hub_window.h"
#include "platform/platform.h"

namespace calvox {

// The driver control object that the handset driver registers: class
// {035C40C8-3B86-4B39-AC02-173DA6A7D73C}, interface
// {12DEA26B-5D20-4547-A46A-AEA148B6D00B} (docs/driver.md).
inline constexpr Guid kDriverClassId = {
    0x035C40C8, 0x3B86, 0x4B39, {0xAC, 0x02, 0x17, 0x3D, 0xA6, 0xA7, 0xD7, 0x3C}};
inline constexpr Guid kDriverInterfaceId = {
    0x12DEA26B, 0x5D20, 0x4547, {0xA4, 0x6A, 0xAE, 0xA1, 0x48, 0xB6, 0xD0, 0x0B}};
inline constexpr std::uint32_t kDriverProperty = 47;
inline constexpr std::size_t kDriverCommandSize = 528;

enum DriverChannel : std::uint32_t { CHANNEL_MESSAGE = 0, CHANNEL_GREETING = 1, CHANNEL_RECORDING = 2 };
enum DriverOperation : std::uint32_t { DRIVER_STOP = 0, DRIVER_START = 1, DRIVER_QUERY = 2 };

using DriverCommand = std::array<std::uint8_t, kDriverCommandSize>;
// The command block; false when a start path does not fit its field.
bool BuildDriverCommand(std::uint32_t operation, std::uint32_t channel,
                        const std::u16string& path, DriverCommand& block);

class DriverWavePlayer {
public:
    // Recordings started and stopped go to `log` when there is one.
    // The end of a voicemail message is posted to the hub's window.
    DriverWavePlayer(Platform& platform, const HubWindow& hubWindow, DiagnosticLog* log = nullptr)
        : platform_(platform), hubWindow_(hubWindow), log_(log) {}

    void Create();
    void Release();
    bool IsPresent() const { return object_ != 0; }
    void Configure(const std::string& greeting, int maxSeconds);
    void StartVoicemail(bool on, const std::string& file);
    // False when the driver did not take the command.
    bool StartRecording(bool on, const std::string& file);
    bool IsIdle();
    // Stops what plays or records and lets go of the driver's object.
    void StopAndRelease() { Release(); }
    int State() const { return state_; }

private:
    bool SendDriverCommand(std::uint32_t operation, std::uint32_t channel, const std::string& path,
                           std::int32_t* reply);
    void PollTick();
    void StopPollTimer();

    Platform& platform_;
    const HubWindow& hubWindow_;
    DiagnosticLog* log_;
    std::string messagePath_;
    std::string recordingPath_;  // of the call recording running
    std::string greetingPath_;
    int state_ = 3;  // 1 greeting playing, 2 message recording, 3 idle
    std::uintptr_t pollTimer_ = 0;
    int longestMessage_ = 0;
    int elapsed_ = 0;
    DriverObject object_ = 0;
};

}  // namespace calvox
