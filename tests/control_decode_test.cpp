#include <gtest/gtest.h>

#include "control_fixture.h"

namespace k7v::test {
namespace {

using host::fields::JogStop;
using host::fields::MotionCountA;
using host::fields::MotionCountB;

using DecodeTest = ControlTest;

bool AllJogStopsSet(const FakeHost& fake)
{
    for (int axis = 0; axis < host::kAxisCount; ++axis)
        if (fake.Get(JogStop[axis]) != 1) return false;
    return true;
}

struct WheelCase {
    int last, now;
    int delta, direction;  // expected; the previous cycle left delta 9, direction 1
};

TEST_F(DecodeTest, WheelCounterDifferenceGivesDeltaAndDirection)
{
    // clang-format off
    const WheelCase cases[] = {
        {0, 100, 100, 0},  // first report after the window was made
        {0, 200, 56, 1},   // the same, counter read as going down
        {250, 5, 11, 0},   // up across the wrap
        {5, 250, 11, 1},   // down across the wrap
        {10, 137, 127, 0}, {137, 10, 127, 1}, {10, 139, 127, 1}, {139, 10, 127, 0},
        {40, 40, 0, 1},    // no movement: the direction stays
        {0, 128, 9, 1},    // exactly 128 either way: the previous cycle's values again
        {200, 72, 9, 1},
    };
    // clang-format on
    for (const WheelCase& c : cases) {
        state().LastWheelCount = c.last;
        state().WheelDelta = 9;
        state().WheelDirection = 1;
        wide.ticks.WheelRestTicks = 0;
        Decode({.wheel = c.now});
        SCOPED_TRACE(testing::Message() << c.last << " -> " << c.now);
        EXPECT_EQ(state().WheelDelta, c.delta);
        EXPECT_EQ(state().WheelDirection, c.direction);
        EXPECT_EQ(wide.RawWheelDirection, c.direction);
        EXPECT_EQ(state().LastWheelCount, c.now);
        EXPECT_EQ(wide.ticks.WheelRestTicks, c.delta != 0 ? 5 : 0);
    }
    EXPECT_EQ(fake.TakeActions(), Lines{});  // mode 1 the whole time: no function ran
}

struct ModeCase {
    int modeSelector, axisSelector, expected;
};

TEST_F(DecodeTest, ModeTableTakesTheFirstMatchingRow)
{
    // clang-format off
    const ModeCase cases[] = {
        {6, 4, 12},  // function selector 6 beats every axis-selector row
        {1, 6, 4},  {1, 4, 5}, {1, 5, 6},  // mode positions of the axis selector beat the function selector
        {1, 1, 9},  {2, 2, 10}, {3, 3, 11}, {4, 7, 2}, {5, 1, 3},
        {0, 1, 3},  {7, 2, 3},  {127, 3, 3},  // no row: mode 3 of the previous case stays
        {0, 8, 3},
    };
    // clang-format on
    for (const ModeCase& c : cases) {
        Decode({.axisSelector = c.axisSelector, .modeSelector = c.modeSelector});
        EXPECT_EQ(state().PendantMode, c.expected) << c.modeSelector << "/" << c.axisSelector;
        EXPECT_EQ(state().LastPendantMode, c.expected);
    }
}

TEST_F(DecodeTest, FirstSelectedModeAndEveryChangeSendDoButtonForTheAxisSelectedBefore)
{
    Decode({.axisSelector = 1, .modeSelector = 1});  // mode 9 on X
    EXPECT_EQ(fake.TakeActions(), Lines{"DoButton(334)"});
    Decode({.axisSelector = 1, .modeSelector = 1});  // the same report again: nothing
    EXPECT_EQ(fake.TakeActions(), Lines{});

    // X to Y and mode 9 to 10 in one report: the mode's button names X, then the axis changes.
    Decode({.axisSelector = 2, .modeSelector = 2});
    EXPECT_EQ(fake.TakeActions(), (Lines{"DoButton(334)", "Code(ENDJOG)"}));
    EXPECT_EQ(state().SelectedAxis, 1);

    Decode({.axisSelector = 7, .modeSelector = 3});
    EXPECT_EQ(fake.TakeActions(), (Lines{"DoButton(335)", "Code(ENDJOG)"}));
    EXPECT_EQ(state().SelectedAxis, 3);
}

TEST_F(DecodeTest, AxisSelectorToAModePositionStopsAllJogsAndKeepsTheAxis)
{
    Decode({.axisSelector = 1, .modeSelector = 1});
    fake.Take();
    Decode({.axisSelector = 6, .modeSelector = 1});
    EXPECT_EQ(state().PendantMode, 4);
    EXPECT_EQ(state().SelectedAxis, 0);
    EXPECT_EQ(fake.TakeActions(), (Lines{"DoButton(334)", "Code(ENDJOG)"}));
    EXPECT_TRUE(AllJogStopsSet(fake));
}

TEST_F(DecodeTest, AxisChangeWithUnchangedModeStopsAllJogsAndClearsHeldCounts)
{
    Decode({.axisSelector = 2, .modeSelector = 1});  // Y, mode 9
    fake.Take();
    fake.motion.assign(fake.motion.size(), 0);
    state().StepAccumulator = 7;

    Decode({.axisSelector = 3, .modeSelector = 1});
    EXPECT_EQ(fake.TakeActions(), Lines{"Code(ENDJOG)"});
    EXPECT_EQ(state().SelectedAxis, 2);
    EXPECT_EQ(state().StepAccumulator, 0);
    EXPECT_TRUE(AllJogStopsSet(fake));

    // A position that selects nothing is still a change of position.
    Decode({.axisSelector = 0, .modeSelector = 1});
    EXPECT_EQ(fake.TakeActions(), Lines{"Code(ENDJOG)"});
    EXPECT_EQ(state().SelectedAxis, 2);
}

TEST_F(DecodeTest, AxisChangeWhileTheHostHasMotionQueuedHoldsStepLinesUntilItDrains)
{
    fake.Set(MotionCountA, 10);
    fake.Set(MotionCountB, 12);
    Decode({.axisSelector = 2, .modeSelector = 1});
    EXPECT_TRUE(wide.AxisChangePending);
    Decode({.axisSelector = 2, .modeSelector = 1});
    EXPECT_TRUE(wide.AxisChangePending);  // still queued
    fake.Set(MotionCountB, 10);
    Decode({.axisSelector = 2, .modeSelector = 1});
    EXPECT_FALSE(wide.AxisChangePending);

    // Equal counts at the change: nothing is pending.
    Decode({.axisSelector = 1, .modeSelector = 1});
    EXPECT_FALSE(wide.AxisChangePending);
}

TEST_F(DecodeTest, HeldCommandButtonRepeatsUntilTheHostLightsLed800AndReleaseIsSentOnce)
{
    Decode({.command = true});
    EXPECT_EQ(fake.Take(), Lines{"DoButton(1021)"});  // not latched yet: LED 800 is not asked
    Decode({.command = true});
    EXPECT_EQ(fake.Take(), (Lines{"GetLED(800)", "DoButton(1021)"}));
    fake.led[800] = true;
    Decode({.command = true});
    EXPECT_EQ(fake.Take(), Lines{"GetLED(800)"});
    EXPECT_EQ(state().CommandButtonLatched, 1);

    Decode({});
    EXPECT_EQ(fake.Take(), Lines{"DoButton(1021)"});
    EXPECT_EQ(state().CommandButtonLatched, 0);
    EXPECT_TRUE(wide.CommandReleaseSent);
    Decode({});
    EXPECT_EQ(fake.Take(), Lines{});

    // The next press starts over even though LED 800 is still lit.
    Decode({.command = true});
    EXPECT_EQ(fake.Take(), Lines{"DoButton(1021)"});
    EXPECT_FALSE(wide.CommandReleaseSent);
}

struct ReverseCase {
    int axisSelector;
    int xr, yr, zr;
    int expected;  // direction after a movement up
};

TEST_F(DecodeTest, OnlyTheValueOneReversesTheSelectedAxis)
{
    // clang-format off
    const ReverseCase cases[] = {
        {1, 1, 0, 0, 1}, {1, 2, 1, 1, 0}, {1, -1, 0, 0, 0},  // X
        {2, 0, 1, 0, 1}, {2, 1, 0, 1, 0},                    // Y
        {3, 0, 0, 1, 1}, {3, 1, 1, 0, 0},                    // Z
        {7, 1, 1, 1, 0},                                     // A is never reversed
    };
    // clang-format on
    int wheel = 0;
    for (const ReverseCase& c : cases) {
        settings.Xreverse = c.xr;
        settings.Yreverse = c.yr;
        settings.Zreverse = c.zr;
        wheel += 3;
        Decode({.wheel = wheel, .axisSelector = c.axisSelector});
        EXPECT_EQ(state().WheelDirection, c.expected) << c.axisSelector << " " << c.xr << c.yr << c.zr;
        EXPECT_EQ(wide.RawWheelDirection, 0);
    }
}

TEST_F(DecodeTest, OnAReversedAxisTheDirectionAlternatesWhileTheWheelRests)
{
    settings.Xreverse = 1;
    Decode({.wheel = 5});
    EXPECT_EQ(state().WheelDirection, 1);
    const int expected[] = {0, 1, 0, 1};
    for (int direction : expected) {
        Decode({.wheel = 5});
        EXPECT_EQ(state().WheelDelta, 0);
        EXPECT_EQ(state().WheelDirection, direction);
    }
}

TEST_F(DecodeTest, SuspendDecodesButtonsModeAndAxisButRunsNoFunctionAndDropsTheMovement)
{
    Decode({.modeSelector = 1});  // mode 9 on X
    fake.Take();
    Decode({.wheel = 3, .axisSelector = 2, .suspend = true, .command = true, .modeSelector = 2});
    EXPECT_EQ(fake.Take(), (Lines{"DoButton(1021)", "DoButton(334)", "Code(ENDJOG)"}));
    EXPECT_EQ(state().LastWheelCount, 3);

    Decode({.wheel = 3, .axisSelector = 2, .modeSelector = 2});  // released: the movement is gone
    EXPECT_EQ(fake.TakeActions(), Lines{"DoButton(1021)"});
}

TEST_F(DecodeTest, HostStopFlagClearsHeldCountsAndTheBurstAndSendsAnOwed205Once)
{
    Decode({.modeSelector = 1});
    fake.Take();
    state().StepAccumulator = -8;
    state().JogActive = true;
    state().JogStartButtonSent = true;
    fake.Set(host::fields::HostStopFlag, 1);

    // Suspend wins over the stop flag: the 205 stays owed.
    Decode({.wheel = 4, .suspend = true, .modeSelector = 1});
    EXPECT_EQ(fake.Take(), Lines{});
    EXPECT_TRUE(state().JogStartButtonSent);

    Decode({.wheel = 8, .modeSelector = 1});
    EXPECT_EQ(fake.Take(), Lines{"DoButton(205)"});
    EXPECT_EQ(state().StepAccumulator, 0);
    EXPECT_FALSE(state().JogActive);
    Decode({.wheel = 12, .modeSelector = 1});
    EXPECT_EQ(fake.Take(), Lines{});
}

TEST_F(DecodeTest, SavedDrosReturnInTheFirstCycleAfterFiveUpdatesOfRest)
{
    for (int rate : {100, 0}) {
        SCOPED_TRACE(rate);
        settings.StepJogRate = rate;
        fake.dro[818] = 60.0;
        fake.dro[821] = 80.0;
        const int wheel = state().LastWheelCount;
        Decode({.wheel = wheel + 3, .modeSelector = 1});
        Updates(2);
        Decode({.wheel = wheel + 5, .modeSelector = 1});  // still turning: the rest count starts again
        fake.dro[818] = 61.0;
        Updates(4);
        Decode({.wheel = wheel + 5, .modeSelector = 1});
        Decode({.wheel = wheel + 5, .modeSelector = 1});
        EXPECT_TRUE(state().DroRestorePending);
        fake.Take();

        // Counts still held back go out first, while DROs 818 and 821 still hold the step jog's
        // values; the saved ones are written back after the catch-up move.
        state().StepAccumulator = 3;
        Updates(1);
        Decode({.wheel = wheel + 5, .modeSelector = 1});
        const Lines expected =
            rate != 0 ? Lines{"Code(G91G1 F100 X 0.0050)", "Code(G90)", "SetDRO(818, 60)", "SetDRO(821, 80)"}
                      : Lines{"Code(G91G1 X 0.0050)", "Code(G90)", "SetDRO(818, 60)"};
        EXPECT_EQ(fake.TakeActions(), expected);
        EXPECT_EQ(state().StepAccumulator, 0);
        EXPECT_FALSE(state().DroRestorePending);
        Updates(6);
        Decode({.wheel = wheel + 5, .modeSelector = 1});
        EXPECT_EQ(fake.TakeActions(), Lines{});
    }
}

TEST_F(DecodeTest, StopJoggingEndsARunningBurstOnce)
{
    controller.StopJogging();  // no burst: nothing
    EXPECT_EQ(fake.Take(), Lines{});

    state().JogActive = true;
    state().JogStartButtonSent = true;
    controller.StopJogging();
    EXPECT_EQ(fake.Take(), (Lines{"Code(ENDJOG)", "DoButton(205)"}));
    EXPECT_TRUE(AllJogStopsSet(fake));
    EXPECT_FALSE(state().JogActive);
    EXPECT_FALSE(state().JogStartButtonSent);
    controller.StopJogging();
    EXPECT_EQ(fake.Take(), Lines{});

    state().JogActive = true;  // a burst that owes no 205
    controller.StopJogging();
    EXPECT_EQ(fake.Take(), Lines{"Code(ENDJOG)"});
}

}  // namespace
}  // namespace k7v::test
