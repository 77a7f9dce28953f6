#include "sound/answering_machine.h"

#include <algorithm>

#include "base/hub_messages.h"
#include "base/text_case.h"
#include "sound/recording.h"

namespace calvox {

namespace {

constexpr std::uint32_t kPlayingPollMs = 1000;
constexpr std::size_t kPinLength = 4;

}  // namespace

void AnsweringMachine::BuildPrompts(const Settings& settings) {
    const std::string folder = GetModuleDirectory(platform_.files) + "\\";
    choicePrompt_ = folder + kChoicePrompt;
    choiceFailedPrompt_ = folder + kChoiceFailedPrompt;
    pinPrompt_ = folder + kPinPrompt;
    pinRetryPrompt_ = folder + kPinRetryPrompt;
    pinFailedPrompt_ = folder + kPinFailedPrompt;
    pinPassedPrompt_ = folder + kPinPassedPrompt;
    greeting_ = settings.greeting;
    state_ = DialogueState::Idle;
}

void AnsweringMachine::ArmStepTimer(std::uint32_t ms) {
    DisarmStepTimer();
    stepTimer_ = platform_.clock.SetThreadTimer(ms, [this](std::uintptr_t) { OnStepTimer(); });
}

void AnsweringMachine::DisarmStepTimer() {
    if (stepTimer_ != 0) platform_.clock.KillThreadTimer(stepTimer_);
    stepTimer_ = 0;
}

bool AnsweringMachine::PlayPrompt(const std::string& path) {
    if (!player_ || path.empty()) return false;
    if (path.size() >= kTextBufferSize) {
        // A path that does not fit is a prompt that cannot be played: the
        // dialogue goes on as after a missing file.
        player_->Stop();
        ArmStepTimer(kPlayingPollMs);
        return false;
    }
    player_->Load(path);
    const std::uint32_t seconds = player_->Length();
    player_->Play(false);
    ArmStepTimer(TimerPeriodMs((std::uint64_t{seconds} + 1) * 1000));
    return true;
}

void AnsweringMachine::StartPinEntry() {
    digits_.clear();
    retries_ = 0;
    state_ = DialogueState::PinPrompt;
}

void AnsweringMachine::Start(int mode) {
    switch (static_cast<DialogueMode>(mode)) {
        case DialogueMode::Choice:
            state_ = DialogueState::ChoicePrompt;
            PlayPrompt(choicePrompt_);
            break;
        case DialogueMode::Pin:
            StartPinEntry();
            PlayPrompt(pinPrompt_);
            break;
        case DialogueMode::Message:
            state_ = DialogueState::Greeting;
            PlayPrompt(greeting_);
            break;
        default:
            break;
    }
}

void AnsweringMachine::OnDigit(char ch) {
    switch (state_) {
        case DialogueState::ChoicePrompt:
        case DialogueState::AwaitChoice:
            if (ch == '2') {
                StartPinEntry();
                DisarmStepTimer();
                PlayPrompt(pinPrompt_);
            } else if (ch == '1') {
                state_ = DialogueState::Greeting;
                DisarmStepTimer();
                PlayPrompt(greeting_);
            }
            break;
        case DialogueState::PinPrompt:
        case DialogueState::AwaitPin:
            if (digits_.size() < kPinLength) digits_ += ch;
            if (digits_.size() != kPinLength) break;
            DisarmStepTimer();
            if (EqualIgnoringCase(digits_, settings_.pin)) {
                state_ = DialogueState::PinPassed;
                PlayPrompt(pinPassedPrompt_);
            } else if (retries_ < kPinAttempts - 1) {
                state_ = DialogueState::PinPrompt;
                digits_.clear();
                PlayPrompt(pinRetryPrompt_);
                ++retries_;
            } else {
                state_ = DialogueState::PinFailed;
                PlayPrompt(pinFailedPrompt_);
            }
            break;
        default:
            break;
    }
}

void AnsweringMachine::OnStepTimer() {
    // Waits count from the end of the prompt.
    if (player_ && player_->IsPlaying()) {
        ArmStepTimer(kPlayingPollMs);
        return;
    }
    DisarmStepTimer();
    switch (state_) {
        case DialogueState::ChoicePrompt:
            state_ = DialogueState::AwaitChoice;
            ArmStepTimer(kDigitWaitMs);
            break;
        case DialogueState::AwaitChoice:
            state_ = DialogueState::ChoiceFailed;
            PlayPrompt(choiceFailedPrompt_);
            break;
        case DialogueState::PinPrompt:
            state_ = DialogueState::AwaitPin;
            ArmStepTimer(kDigitWaitMs);
            break;
        case DialogueState::AwaitPin:
            state_ = DialogueState::PinFailed;
            PlayPrompt(pinFailedPrompt_);
            break;
        case DialogueState::PinPassed:
            // Silently: from now on the digits reach the key handler.
            Stop();
            break;
        case DialogueState::Greeting:
            StartMessage();
            break;
        case DialogueState::ChoiceFailed:
        case DialogueState::PinFailed:
        case DialogueState::Recording:
            EndDialogue();
            break;
        default:
            break;
    }
}

void AnsweringMachine::EndDialogue() {
    Stop();
    hubWindow_.Post(HUBM_AM_DIALOGUE_END, 0, 0);
}

void AnsweringMachine::StartMessage() {
    recorder_.reset();
    const std::string file =
        RecordingFileName(settings_.vmFolder, "PSTN", platform_.clock.Now(), 'N');
    if (!player_ || file.size() >= kTextBufferSize) {
        if (player_) WriteLog(log_, "recording failed, answering machine message: path too long");
        EndDialogue();
        return;
    }
    EnsureFolder(platform_.files, settings_.vmFolder);
    ArmStepTimer(
        TimerPeriodMs(static_cast<std::uint64_t>(std::max(settings_.vmDuration, 0)) * 1000));
    state_ = DialogueState::Recording;
    recorder_ = std::make_unique<SoundRecorder>(platform_, log_);
    // The message: 8 kHz mono 16-bit PCM.
    const HResult opened = recorder_->Start(player_->Device(), PcmFormat(1, 8000, 16), file);
    const HResult started = recorder_->StartCapture();
    if (opened == kSOk && started == kSOk) {
        messageFile_ = file;
        WriteLog(log_, "recording started, answering machine message " + Quoted(file));
    } else {
        WriteLog(log_, "recording failed, answering machine message " + Quoted(file) + ": " +
                           ResultCodeText(opened != kSOk ? opened : started));
    }
}

void AnsweringMachine::Stop() {
    if (player_) player_->Stop();
    if (recorder_) {
        const HResult stopped = recorder_->StopCapture();
        recorder_.reset();
        if (!messageFile_.empty())
            WriteLog(log_, "recording stopped, answering machine message " + Quoted(messageFile_) +
                               (stopped != kSOk ? ", cut short: " + ResultCodeText(stopped) : ""));
        messageFile_.clear();
    }
    state_ = DialogueState::Idle;
    DisarmStepTimer();
}

}  // namespace calvox
