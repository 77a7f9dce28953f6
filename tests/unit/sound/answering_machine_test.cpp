#include "sound/answering_machine.h"

#include <gtest/gtest.h>

#include "base/hub_messages.h"
#include "support/null_platform.h"
#include "support/sim_platform.h"

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

// Thread timers fired by hand, and the dialogue's end messages counted.
class Clock : public test::NullPlatform {
public:
    std::uint32_t period = 0;  // of the running step timer; 0 when none
    ThreadTimerProc proc;
    int ends = 0;
    std::uintptr_t SetThreadTimer(std::uint32_t ms, ThreadTimerProc p) override {
        period = ms;
        proc = std::move(p);
        return 1;
    }
    void KillThreadTimer(std::uintptr_t) override { period = 0; }
    bool PostMessage(Hwnd, unsigned message, WParam, LParam) override {
        ends += message == HUBM_AM_DIALOGUE_END;
        return true;
    }
};

class AnsweringMachineTest : public ::testing::Test {
protected:
    AnsweringMachineTest() {
        hub.Created(kHub);
        settings.pin = "1234";
        settings.vmDuration = 7;
        settings.greeting = "C:\\Calvox\\greeting.wav";
        machine.BuildPrompts(settings);
    }
    void Run(const Event& e) {
        switch (e.kind) {
            case 'S':
                machine.Start(e.arg - '0');
                break;
            case 'D':
                machine.OnDigit(e.arg);
                break;
            case 'T':
                clock.proc(1);
                break;
            default:
                machine.Stop();
                break;
        }
    }

    test::SimPlatform sim{"mixer \"USB Audio Device\"\n"};
    Clock clock;
    Platform platform = sim.With({.window = &clock, .clock = &clock});
    Settings settings;
    HubWindow hub{platform.window, platform.clock};
    std::unique_ptr<SoundPlayer> player = std::make_unique<SoundPlayer>(platform, hub);
    AnsweringMachine machine{platform, settings, player, hub};
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
        {"choice 1: greeting and message",
         {{'S', '1', S::ChoicePrompt, 1000, 0},
          {'D', '1', S::Greeting, 1000, 0},
          {'D', '2', S::Greeting, 1000, 0},
          {'T', 0, S::Recording, 7000, 0},
          {'T', 0, S::Idle, 0, 1}}},
    };
    for (const Dialogue& d : dialogues) {
        clock.ends = 0;
        for (std::size_t i = 0; i < d.events.size(); ++i) {
            const Event& e = d.events[i];
            Run(e);
            EXPECT_EQ(machine.State(), e.state) << d.name << ", event " << i;
            EXPECT_EQ(clock.period, e.timer) << d.name << ", event " << i;
            EXPECT_EQ(clock.ends, e.ends) << d.name << ", event " << i;
        }
        EXPECT_EQ(machine.IsBusy(), machine.State() != S::Idle);
    }
}

TEST_F(AnsweringMachineTest, PathThatDoesNotFitIsAPromptThatFails) {
    settings.greeting = "C:\\" + std::string(300, 'g') + ".wav";
    machine.BuildPrompts(settings);
    const std::string cut = settings.greeting.substr(0, 259);
    sim.platform.binaryFiles.CloseFile(
        sim.platform.binaryFiles.OpenFile(cut, FileOpenMode::Create));
    machine.Start(3);
    EXPECT_TRUE(sim.Lines("sound").empty());
    EXPECT_EQ(clock.period, 1000u);
    clock.proc(1);
    EXPECT_EQ(machine.State(), S::Recording);
}

}  // namespace
}  // namespace calvox
