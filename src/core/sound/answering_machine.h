// The answering-machine dialogue that the handset's microcontroller starts:
// spoken prompts, a choice, a four-digit PIN for remote access, and a
// message recorded from the handset's microphone.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/hub_window.h"
#include "config/settings.h"
#include "platform/platform.h"
#include "sound/sound_player.h"
#include "sound/sound_recorder.h"

namespace calvox {

enum class DialogueState {
    ChoicePrompt = 1,  // the choice prompt plays
    AwaitChoice = 2,
    ChoiceFailed = 3,  // its prompt plays, then the dialogue ends
    PinPrompt = 4,     // the PIN or retry prompt plays; digits count already
    AwaitPin = 5,
    PinFailed = 7,
    PinPassed = 8,
    Greeting = 9,
    Recording = 10,
    Idle = 11,
};

enum class DialogueMode { Choice = 1, Pin = 2, Message = 3 };

inline constexpr int kPinAttempts = 3;
inline constexpr std::uint32_t kDigitWaitMs = 20000;

// The prompt files beside the program.
inline constexpr const char* kChoicePrompt = "AMSelGreeting.wav";
inline constexpr const char* kChoiceFailedPrompt = "AMSelFailed.wav";
inline constexpr const char* kPinPrompt = "AMPswdGreeting.wav";
inline constexpr const char* kPinRetryPrompt = "AMPswdRetrying.wav";
inline constexpr const char* kPinFailedPrompt = "AMPswdFailed.wav";
inline constexpr const char* kPinPassedPrompt = "AMPswdPass.wav";

class AnsweringMachine {
public:
    // `player` is the program's sound player, which may not exist yet; the end
    // of a dialogue is posted to the hub's window; the message's recording goes
    // to `log` when there is one.
    AnsweringMachine(Platform& platform, const Settings& settings,
                     const std::unique_ptr<SoundPlayer>& player, HubWindow& hubWindow,
                     DiagnosticLog* log = nullptr)
        : platform_(platform),
          settings_(settings),
          player_(player),
          hubWindow_(hubWindow),
          log_(log) {}
    ~AnsweringMachine() { Stop(); }
    AnsweringMachine(const AnsweringMachine&) = delete;
    AnsweringMachine& operator=(const AnsweringMachine&) = delete;

    // The prompt paths beside the program and the greeting of the settings;
    // the dialogue goes idle.
    void BuildPrompts(const Settings& settings);
    // Starts the dialogue: mode 1 the choice prompt, 2 the PIN prompt, 3 the
    // greeting and the message.
    void Start(int mode);
    // A digit the caller keyed in during the dialogue.
    void OnDigit(char ch);
    bool IsBusy() const { return state_ != DialogueState::Idle; }
    // Ends the dialogue; its step timer stops.
    void Stop();
    DialogueState State() const { return state_; }

private:
    bool PlayPrompt(const std::string& path);
    void ArmStepTimer(std::uint32_t ms);
    void DisarmStepTimer();
    void OnStepTimer();
    void StartMessage();
    void EndDialogue();
    void StartPinEntry();

    Platform& platform_;
    const Settings& settings_;
    const std::unique_ptr<SoundPlayer>& player_;
    HubWindow& hubWindow_;
    DiagnosticLog* log_;
    std::string choicePrompt_, choiceFailedPrompt_, pinPrompt_, pinRetryPrompt_, pinFailedPrompt_,
        pinPassedPrompt_, greeting_;
    std::string digits_;
    DialogueState state_ = DialogueState::Idle;
    int retries_ = 0;
    std::uintptr_t stepTimer_ = 0;
    std::unique_ptr<SoundRecorder> recorder_;
    std::string messageFile_;  // of the message being recorded
};

}  // namespace calvox
