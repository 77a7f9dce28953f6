#include "answering/answering_machine.h"

#include <gtest/gtest.h>

#include "answering/sound_bench.h"

namespace calvox {
namespace {

constexpr Hwnd kHub = 0x100;
using S = DialogueState;

// One event of a dialogue and what it leaves: the state, the step timer's
// period (0: none) and how many dialogue ends were posted so far.
struct Event {
    char kind;  // 'S' start with mode arg, 'D' digit arg, 'T' step timer tick, 'X' stop
    char arg;
    S state;
    std::uint32_t timer;
    int ends;
};

struct Dialogue {
    const char* name;
    std::vector<Event> events;
};

class AnsweringMachineTest : public ::testing::Test {
protected:
    AnsweringMachineTest() {
        settings.pin = "1234";
        settings.vmDuration = 7;
        settings.vmFolder = "C:\\VM";
        settings.greeting = "C:\\Calvox\\greeting.wav";
        machine.BuildPrompts(settings);
    }
    void Run(const Event& e) {
        switch (e.kind) {
            case 'S':
                machine.Start(kHub, e.arg - '0');
                break;
            case 'D':
                machine.OnDigit(e.arg);
                break;
            case 'T':
                bench.Tick();
                break;
            default:
                machine.Stop();
                break;
        }
    }

    test::SoundBench bench;
    Settings settings;
    std::unique_ptr<SoundPlayer> player = std::make_unique<SoundPlayer>(bench.ports);
    AnsweringMachine machine{bench.ports, settings, player};
};

// The prompts are missing here, so each plays for nothing and its step comes
// a second later.
TEST_F(AnsweringMachineTest, DialoguesWalkTheirStates) {
    const Dialogue dialogues[] = {
        {"no choice",
         {{'S', '1', S::ChoicePrompt, 1000, 0},
          {'D', '5', S::ChoicePrompt, 1000, 0},
          {'T', 0, S::AwaitChoice, 20000, 0},
          {'T', 0, S::ChoiceFailed, 1000, 0},
          {'T', 0, S::Idle, 0, 1}}},
        {"choice 2 and the right PIN",
         {{'S', '1', S::ChoicePrompt, 1000, 0},
          {'T', 0, S::AwaitChoice, 20000, 0},
          {'D', '2', S::PinPrompt, 1000, 0},
          {'D', '1', S::PinPrompt, 1000, 0},
          {'T', 0, S::AwaitPin, 20000, 0},
          {'D', '2', S::AwaitPin, 20000, 0},
          {'D', '3', S::AwaitPin, 20000, 0},
          {'D', '4', S::PinPassed, 1000, 0},
          {'D', '4', S::PinPassed, 1000, 0},
          {'T', 0, S::Idle, 0, 0},
          {'D', '2', S::Idle, 0, 0}}},
        {"three wrong PINs, one typed during the retry prompt",
         {{'S', '2', S::PinPrompt, 1000, 0},
          {'D', '9', S::PinPrompt, 1000, 0},
          {'D', '9', S::PinPrompt, 1000, 0},
          {'D', '9', S::PinPrompt, 1000, 0},
          {'D', '9', S::PinPrompt, 1000, 0},
          {'D', '1', S::PinPrompt, 1000, 0},
          {'T', 0, S::AwaitPin, 20000, 0},
          {'D', '2', S::AwaitPin, 20000, 0},
          {'D', '3', S::AwaitPin, 20000, 0},
          {'D', '5', S::PinPrompt, 1000, 0},
          {'D', '1', S::PinPrompt, 1000, 0},
          {'D', '2', S::PinPrompt, 1000, 0},
          {'D', '3', S::PinPrompt, 1000, 0},
          {'D', '5', S::PinFailed, 1000, 0},
          {'T', 0, S::Idle, 0, 1}}},
        {"no PIN",
         {{'S', '2', S::PinPrompt, 1000, 0},
          {'T', 0, S::AwaitPin, 20000, 0},
          {'D', '1', S::AwaitPin, 20000, 0},
          {'T', 0, S::PinFailed, 1000, 0},
          {'T', 0, S::Idle, 0, 1}}},
        {"choice 1: greeting and message",
         {{'S', '1', S::ChoicePrompt, 1000, 0},
          {'D', '1', S::Greeting, 1000, 0},
          {'D', '2', S::Greeting, 1000, 0},
          {'T', 0, S::Recording, 7000, 0},
          {'T', 0, S::Idle, 0, 1}}},
        {"message stopped",
         {{'S', '3', S::Greeting, 1000, 0},
          {'T', 0, S::Recording, 7000, 0},
          {'X', 0, S::Idle, 0, 0},
          {'S', '4', S::Idle, 0, 0}}},
    };
    for (const Dialogue& d : dialogues) {
        bench.dialogueEnds = 0;
        for (std::size_t i = 0; i < d.events.size(); ++i) {
            const Event& e = d.events[i];
            Run(e);
            EXPECT_EQ(machine.State(), e.state) << d.name << ", event " << i;
            EXPECT_EQ(bench.timerPeriod, e.timer) << d.name << ", event " << i;
            EXPECT_EQ(bench.dialogueEnds, e.ends) << d.name << ", event " << i;
        }
        EXPECT_EQ(machine.IsBusy(), machine.State() != S::Idle);
    }
}

TEST_F(AnsweringMachineTest, StepsWaitForThePromptToEnd) {
    bench.files["C:\\Calvox\\AMSelGreeting.wav"] =
        test::WaveBytes(test::PcmFmt(1, 8000, 16, 16000), 16000 * 3 + 100);
    machine.Start(kHub, 1);
    EXPECT_TRUE(bench.playing);
    EXPECT_EQ(bench.timerPeriod, 4000u);
    bench.Tick();
    EXPECT_EQ(machine.State(), S::ChoicePrompt);
    EXPECT_EQ(bench.timerPeriod, 1000u);
    bench.playing = false;
    bench.Tick();
    EXPECT_EQ(machine.State(), S::AwaitChoice);
    EXPECT_EQ(bench.timerPeriod, 20000u);
}

TEST_F(AnsweringMachineTest, PathThatDoesNotFitIsAPromptThatFails) {
    settings.greeting = "C:\\" + std::string(300, 'g') + ".wav";
    machine.BuildPrompts(settings);
    bench.files[settings.greeting.substr(0, 259)] =
        test::WaveBytes(test::PcmFmt(1, 8000, 16, 16000), 16000 * 5);
    machine.Start(kHub, 3);
    EXPECT_FALSE(bench.playing);
    EXPECT_EQ(bench.timerPeriod, 1000u);
    bench.Tick();
    EXPECT_EQ(machine.State(), S::Recording);
}

TEST_F(AnsweringMachineTest, WithoutASoundPlayerNoStepComes) {
    player.reset();
    machine.Start(kHub, 3);
    EXPECT_EQ(machine.State(), S::Greeting);
    EXPECT_EQ(bench.timerPeriod, 0u);
    machine.Start(kHub, 1);
    machine.OnDigit('1');
    EXPECT_EQ(machine.State(), S::Greeting);
    machine.Stop();
    EXPECT_FALSE(machine.IsBusy());
}

}  // namespace
}  // namespace calvox
