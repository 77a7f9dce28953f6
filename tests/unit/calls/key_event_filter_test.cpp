#include "calls/key_event_filter.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "support/sim_platform.h"

namespace calvox {
namespace {

using Lines = std::vector<std::string>;

// Key events straight into the filter; what reaches the key handler shows on
// the `action` channel as "action CODE COUNT RELEASED".
struct RecordedActions : KeyActions {
    Lines lines;
    void HandleKeyAction(int code, int count, bool released) override {
        lines.push_back("action " + std::to_string(code) + " " + std::to_string(count) + " " +
                        (released ? "1" : "0"));
    }
    Lines Take() { return std::exchange(lines, {}); }
};

// The filter with the parts it acts through, on the virtual platform.
struct FilterRig {
    test::SimPlatform sim;
    Settings settings;
    DiagnosticLog log{nullptr};
    HandsetDevice device{sim.platform};
    BuzzerThread buzzer{sim.platform.threads, device, log};
    std::unique_ptr<SoundPlayer> player;
    HubWindow hubWindow{sim.platform.window, sim.platform.clock};
    AnsweringMachine answeringMachine{sim.platform, settings, player, hubWindow, &log};
    McuDisplay display{device, sim.platform.clock};
    ClientAutomation automation{sim.platform.window, sim.platform.clock};
    RecordedActions actions;
    KeyEventFilter filter{settings, log, buzzer, answeringMachine, display, automation, actions};
};

class KeyFilterTest : public ::testing::Test {
protected:
    void Down(int slot, int n) { filter.OnKeyDown(slot, n); }
    void Up(int slot, int n) { filter.OnKeyUp(slot, n); }
    // A key held for `count` reports: the press, the repeats at 3, 6, ..., the release.
    void Hold(int slot, int count) {
        Down(slot, 0);
        for (int n = 3; n < count; n += 3) Down(slot, n);
        Up(slot, count);
    }
    Lines Actions() { return rig.actions.Take(); }

    FilterRig rig;
    KeyEventFilter& filter = rig.filter;
    Settings& settings = rig.settings;
};

TEST_F(KeyFilterTest, PlainModeDeliversPressesOnlyAndRepeatsUpAndDown) {
    Hold(11, 9);  // NUMBER_5
    EXPECT_EQ(Actions(), (Lines{"action 11 0 0"}));
    Hold(3, 10);  // UP
    EXPECT_EQ(Actions(), (Lines{"action 3 0 0", "action 3 0 0", "action 3 0 0", "action 3 0 0"}));
    EXPECT_EQ(filter.KeyDownCount(), 7);  // every press and repeat counts
}

TEST_F(KeyFilterTest, LongZeroBecomesPlusOnce) {
    Hold(6, 13);
    EXPECT_EQ(Actions(), (Lines{"action 6 0 0", "action 18 0 0"}));
}

TEST_F(KeyFilterTest, CapsLayerOnPressNormalLayerOnRelease) {
    settings.keyTable[40] = CAPSLOCK;
    settings.keyTable[41] = HOOKBUTTON;
    settings.capsKeyTable[7] = VOLUMEMUTE;
    Down(40, 0);
    EXPECT_TRUE(filter.CapsActive());
    Down(7, 0);
    Down(41, 0);  // no caps entry: SKYPE
    Up(41, 2);    // the hook button is delivered on release, from the normal layer
    Up(40, 5);
    EXPECT_FALSE(filter.CapsActive());
    Down(7, 0);
    EXPECT_EQ(Actions(), (Lines{"action 38 0 0", "action 0 0 0", "action 26 2 1", "action 7 0 0"}));
}

TEST_F(KeyFilterTest, CompositeKeysShortOnReleaseLongWhileHeld) {
    settings.keyComposite = 1;
    Hold(10, 2);  // NUMBER_4 tapped
    EXPECT_EQ(Actions(), (Lines{"action 10 0 1"}));
    Hold(10, 13);  // NUMBER_4 held: 39 at 6 and 12, nothing on release
    EXPECT_EQ(Actions(), (Lines{"action 39 0 0", "action 39 0 0"}));
    Hold(16, 9);  // NUMBER_#: contact list once at 6
    EXPECT_EQ(Actions(), (Lines{"action 5 0 0"}));
    Hold(2, 6);  // HAND OFF released long: backspace
    EXPECT_EQ(Actions(), (Lines{"action 21 0 1"}));
    Hold(2, 1);
    EXPECT_EQ(Actions(), (Lines{"action 2 0 1"}));
}

TEST_F(KeyFilterTest, KeyUpModeActsOnReleaseWithLongSubstitutes) {
    settings.keyUpMode = 1;
    Hold(16, 7);
    Hold(16, 2);
    Hold(2, 8);
    Hold(11, 30);
    EXPECT_EQ(Actions(),
              (Lines{"action 5 0 1", "action 16 0 1", "action 21 0 1", "action 11 0 1"}));
    EXPECT_EQ(filter.KeyDownCount(), 0);
}

TEST_F(KeyFilterTest, SlotsPastTheTableAreCountedButIgnored) {
    Down(64, 0);
    Up(64, 1);
    filter.OnMcuKey(64, 0);
    EXPECT_EQ(Actions(), Lines{});
    EXPECT_EQ(filter.KeyDownCount(), 1);
}

TEST_F(KeyFilterTest, McuKeysRepeatOnlyUpDownAndTheLongZero) {
    filter.OnMcuKey(4, 2);  // DOWN repeat
    filter.OnMcuKey(6, 3);
    filter.OnMcuKey(6, 4);  // the long 0
    filter.OnMcuKey(9, 1);
    EXPECT_EQ(Actions(), (Lines{"action 4 2 0", "action 6 4 0"}));
    filter.OnMcuAction(0xB9);
    filter.OnMcuAction(0xA5);
    EXPECT_EQ(Actions(), (Lines{"action 165 0 0"}));
}

// While the answering machine holds a dialogue, the handset's digits are its
// menu; '*', '#' and every other code still reach the key handler.
TEST(KeyFilterAnsweringMachine, TakesOnlyTheDigits) {
    const struct {
        int code;
        bool toHandler;
    } rows[] = {{0xA1, false}, {0xA9, false}, {0xAA, true}, {0xAB, false},
                {0xAC, true},  {0xB2, true},  {0xB9, false}};
    for (const auto& row : rows) {
        FilterRig rig;
        rig.answeringMachine.BuildPrompts(rig.settings);
        rig.hubWindow.Created(1);
        rig.answeringMachine.Start(2);  // the PIN prompt
        ASSERT_TRUE(rig.answeringMachine.IsBusy());
        rig.filter.OnMcuAction(row.code);
        const Lines expected =
            row.toHandler ? Lines{"action " + std::to_string(row.code) + " 0 0"} : Lines{};
        EXPECT_EQ(rig.actions.Take(), expected) << std::hex << row.code;
    }
}

}  // namespace
}  // namespace calvox
