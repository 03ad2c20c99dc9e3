#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "control_fixture.h"

namespace k7v::test {
namespace {

namespace f = host::fields;

// Mode 2 on X with jogging on, a velocity limit of 1000 and an aux value of 77, after a first
// cycle that settled the jog direction.
class ContinuousTest : public ControlTest {
protected:
    ContinuousTest()
    {
        state().PendantMode = 2;
        fake.Set(f::HostAxisVelocity[0], 1000);
        fake.Set(f::HostAxisAux[0], 77);
    }

    // One cycle of the jog with this report wheel speed, direction and magnitude.
    void Cycle(int speed, int direction, int magnitude)
    {
        SetReportSpeed(speed);
        controller.RunPendantFunction(direction, magnitude);
    }
    int JogVelocity() const { return fake.Get(f::JogVelocity[0]); }

    // The three Update calls of the pause after a reversal, with the wheel turning on: nothing is sent.
    void RideOutReversalPause(int speed, int direction, int magnitude)
    {
        for (int update = 0; update < 3; ++update) {
            Cycle(speed, direction, magnitude);
            EXPECT_EQ(fake.Take(), Lines{}) << update;
            wide.ticks.OnUpdate();
            wide.ticks.WheelActiveTicks = 3;  // the wheel keeps turning through the pause
        }
    }
};

TEST_F(ContinuousTest, WheelWithoutReportedSpeedSendsNothing)
{
    for (int i = 0; i < 3; ++i) Cycle(0, 0, 5);
    EXPECT_EQ(fake.Take(), Lines{});
    EXPECT_EQ(wide.ticks.WheelActiveTicks, 0);
}

TEST_F(ContinuousTest, FirstCycleFillsTheJogBlockAndStartsTheBurst)
{
    fake.led[15] = true;
    Cycle(100, 1, 4);
    EXPECT_EQ(fake.Take(),
              (Lines{"GetLED(83)", "GetLED(804)", "GetLED(805)", "GetLED(15)", "DoButton(204)", "Code(DOJOG)"}));
    // FilterSum 1.82 * 100, factor 182 / 400 * 3 / 9
    EXPECT_DOUBLE_EQ(state().FilterSum, 182.0);
    EXPECT_EQ(JogVelocity(), 151);
    EXPECT_EQ(fake.Get(f::JogDirection[0]), 1);
    EXPECT_EQ(fake.Get(f::JogAuxLimit[0]), 77);
    EXPECT_EQ(fake.Get(f::JogVelocityLimit[0]), 1000);
    EXPECT_EQ(fake.Get(f::JogStop[0]), 0);
    EXPECT_EQ(fake.Get(f::JogRun[0]), 1);
    EXPECT_EQ(wide.ticks.WheelActiveTicks, 3);
    EXPECT_TRUE(state().JogActive);
    EXPECT_TRUE(state().JogStartButtonSent);

    fake.led[15] = false;  // a running burst does not ask again
    Cycle(100, 1, 4);
    EXPECT_EQ(fake.TakeActions(), Lines{"Code(DOJOG)"});
}

TEST_F(ContinuousTest, TheSelectedAxisJogsWithItsOwnLimitsAndLeavesTheOtherBlocksAlone)
{
    state().SelectedAxis = 3;  // A
    fake.Set(f::HostAxisVelocity[3], 600);
    fake.Set(f::HostAxisAux[3], 33);
    Cycle(100, 1, 4);
    EXPECT_EQ(fake.TakeActions(), Lines{"Code(DOJOG)"});
    EXPECT_EQ(fake.Get(f::JogVelocity[3]), 91);  // 600 * 182 / 400 * 3 / 9
    EXPECT_EQ(fake.Get(f::JogVelocityLimit[3]), 600);
    EXPECT_EQ(fake.Get(f::JogAuxLimit[3]), 33);
    EXPECT_EQ(fake.Get(f::JogDirection[3]), 1);
    EXPECT_EQ(fake.Get(f::JogRun[3]), 1);
    for (int axis = 0; axis < 3; ++axis) {
        SCOPED_TRACE(axis);
        EXPECT_EQ(fake.Get(f::JogVelocity[axis]), 0);
        EXPECT_EQ(fake.Get(f::JogVelocityLimit[axis]), 0);
        EXPECT_EQ(fake.Get(f::JogAuxLimit[axis]), 0);
        EXPECT_EQ(fake.Get(f::JogDirection[axis]), 0);
        EXPECT_EQ(fake.Get(f::JogRun[axis]), 0);
    }

    Cycle(100, 0, 4);  // a reversal stops the selected axis only
    EXPECT_EQ(fake.TakeActions(), Lines{"Code(ENDJOG)"});
    EXPECT_EQ(fake.Get(f::JogStop[3]), 1);
    EXPECT_EQ(fake.Get(f::JogStop[0]), 0);
}

TEST_F(ContinuousTest, SensitivityDivisorFollowsVelocityInAutoAndFallsBackToTheDefault)
{
    struct Case {
        int velocityInAuto;
        int expected;  // 1000 * 364 * 3 / 400 / divisor
    };
    const Case cases[] = {{0, 910}, {4, 390}, {5, 303}, {9, 109}, {-1, 303}, {10, 303}, {300, 303}};
    for (const Case& c : cases) {
        settings.VelocityInAuto = static_cast<std::int16_t>(c.velocityInAuto);
        state().SpeedHistory.fill(0.0);
        Cycle(200, 0, 3);
        EXPECT_EQ(JogVelocity(), c.expected) << c.velocityInAuto;
    }
}

TEST_F(ContinuousTest, SteadyFullSpeedIsCappedAtTheVelocityLimit)
{
    settings.VelocityInAuto = 0;  // divisor 3
    for (int i = 0; i < 10; ++i) Cycle(255, 0, 6);
    EXPECT_DOUBLE_EQ(state().FilterSum, 2550.0);
    EXPECT_EQ(state().SpeedFactor, 1.0);
    EXPECT_EQ(JogVelocity(), 1000);
}

TEST_F(ContinuousTest, ReversalStopsPausesForThreeUpdatesAndRestartsFromAnEmptyHistory)
{
    for (int i = 0; i < 4; ++i) Cycle(100, 0, 4);
    fake.Take();
    Cycle(100, 1, 4);
    EXPECT_EQ(fake.Take(), Lines{"Code(ENDJOG)"});
    EXPECT_EQ(fake.Get(f::JogStop[0]), 1);
    EXPECT_EQ(wide.ticks.ReversalTicks, 0);
    EXPECT_EQ(state().LastJogDirection, 1);

    RideOutReversalPause(100, 1, 4);
    Cycle(100, 1, 4);
    EXPECT_EQ(fake.TakeActions(), Lines{"Code(DOJOG)"});
    EXPECT_DOUBLE_EQ(state().FilterSum, 182.0);
    EXPECT_EQ(fake.Get(f::JogDirection[0]), 1);
}

TEST_F(ContinuousTest, ReversedAxisAtRestCountsAsAReversal)
{
    settings.Xreverse = 1;
    state().LastWheelCount = 10;
    Decode({.wheel = 14, .speed = 90, .modeSelector = 4});  // mode 2, reversed: direction 1
    EXPECT_EQ(fake.TakeActions(), (Lines{"DoButton(334)", "Code(DOJOG)"}));
    EXPECT_EQ(fake.Get(f::JogDirection[0]), 1);
    Decode({.wheel = 18, .speed = 90, .modeSelector = 4});
    EXPECT_EQ(fake.TakeActions(), Lines{"Code(DOJOG)"});
    Decode({.wheel = 18, .speed = 90, .modeSelector = 4});  // no count change flips the direction
    EXPECT_EQ(fake.TakeActions(), Lines{"Code(ENDJOG)"});
    EXPECT_EQ(wide.ticks.ReversalTicks, 0);
}

TEST_F(ContinuousTest, WheelStopSendsEndjogUntilTheTicksRunOutThenEndsTheBurstOnce)
{
    fake.led[15] = true;
    Cycle(100, 0, 4);
    fake.Take();
    Cycle(0, 0, 0);  // at rest; the counter moved in the previous check
    EXPECT_EQ(fake.TakeActions(), Lines{"Code(ENDJOG)"});
    wide.ticks.OnUpdate();
    Cycle(0, 0, 0);
    EXPECT_EQ(fake.TakeActions(), Lines{"Code(ENDJOG)"});
    Updates(2);
    Cycle(0, 0, 0);
    EXPECT_EQ(fake.Take(), Lines{"DoButton(205)"});
    EXPECT_FALSE(state().JogActive);
    EXPECT_EQ(state().SpeedHistory[9], 0.0);
    Cycle(0, 0, 0);
    EXPECT_EQ(fake.Take(), Lines{});
}

TEST_F(ContinuousTest, SpeedWithoutCountsInTheLastTwoChecksStops)
{
    Cycle(100, 0, 4);
    Cycle(100, 0, 0);
    fake.Take();
    Cycle(100, 0, 0);
    EXPECT_EQ(fake.Take(), (Lines{"GetLED(83)", "Code(ENDJOG)"}));
    EXPECT_EQ(fake.Get(f::JogStop[0]), 1);
    EXPECT_TRUE(state().JogActive);  // Stopping: the burst goes on
}

TEST_F(ContinuousTest, ClosedHostGateKeepsTheLastJogBlockButAStoppedWheelStillEnds)
{
    Cycle(100, 0, 4);
    fake.Take();
    fake.led[804] = true;  // 806 dark
    Cycle(200, 0, 4);
    EXPECT_EQ(fake.Take(), (Lines{"GetLED(83)", "GetLED(804)", "GetLED(806)"}));
    EXPECT_EQ(JogVelocity(), 151);
    Cycle(200, 0, 0);
    Cycle(200, 0, 0);
    EXPECT_EQ(fake.TakeActions(), Lines{"Code(ENDJOG)"});

    fake.led[804] = false;
    fake.led[805] = true;
    fake.led[806] = true;  // 806 opens the gate again
    Cycle(200, 0, 4);
    EXPECT_EQ(fake.TakeActions(), Lines{"Code(DOJOG)"});
}

TEST_F(ContinuousTest, JogLedOffShowsTheStatusTextAndTouchesNothing)
{
    fake.led[83] = false;
    Cycle(100, 0, 4);
    EXPECT_EQ(fake.TakeActions(), Lines{});
    EXPECT_EQ(fake.StatusText(), " Jog OFF. ");
    EXPECT_FALSE(state().JogActive);
    EXPECT_EQ(wide.ticks.WheelActiveTicks, 3);
}

TEST_F(ContinuousTest, RateJogStartsAfterDelayStepsAtThePercentageOfDro3)
{
    state().PendantMode = 3;
    settings.DelaySteps = 30;
    fake.Set(f::HostAxisVelocity[0], 800);
    fake.dro[3] = 50.0;
    Cycle(80, 0, 10);
    Cycle(80, 0, 10);
    EXPECT_EQ(fake.TakeActions(), Lines{});
    Cycle(80, 0, 10);  // the count reaches DelaySteps exactly
    EXPECT_EQ(fake.TakeActions(), Lines{"Code(DOJOG)"});
    EXPECT_EQ(JogVelocity(), 400);  // 50 % of the axis's velocity limit
    EXPECT_EQ(fake.Get(f::JogVelocityLimit[0]), 800);
    EXPECT_EQ(state().StartCounts, 30);

    Updates(3);
    Cycle(0, 0, 0);  // the burst ends and the count starts over
    EXPECT_EQ(state().StartCounts, 0);
    EXPECT_FALSE(state().JogActive);
}

TEST_F(ContinuousTest, RateJogReversalStartsTheDelayOver)
{
    state().PendantMode = 3;
    settings.DelaySteps = 20;
    fake.dro[3] = 50.0;
    Cycle(80, 0, 10);
    Cycle(80, 0, 10);
    EXPECT_EQ(fake.TakeActions(), Lines{"Code(DOJOG)"});

    Cycle(80, 1, 10);
    EXPECT_EQ(fake.TakeActions(), Lines{"Code(ENDJOG)"});
    EXPECT_EQ(state().StartCounts, 0);
    RideOutReversalPause(80, 1, 10);
    Cycle(80, 1, 10);  // 10 counts in the new direction: still below DelaySteps
    EXPECT_EQ(fake.TakeActions(), Lines{});
    Cycle(80, 1, 10);
    EXPECT_EQ(fake.TakeActions(), Lines{"Code(DOJOG)"});
    EXPECT_EQ(fake.Get(f::JogDirection[0]), 1);
}

TEST_F(ContinuousTest, RateJogStartCountWindsBackPast30000)
{
    state().PendantMode = 3;
    settings.DelaySteps = 500;
    state().StartCounts = 29995;
    Cycle(80, 0, 10);
    EXPECT_EQ(state().StartCounts, 400);
    EXPECT_EQ(fake.TakeActions(), Lines{"Code(DOJOG)"});
    Cycle(80, 0, 10);  // 410 is below DelaySteps again
    EXPECT_EQ(fake.TakeActions(), Lines{});
    EXPECT_EQ(state().StartCounts, 410);
}

TEST_F(ContinuousTest, RateJogSpeedOutsideTheHostFieldIsBoundedNotUndefined)
{
    state().PendantMode = 3;
    settings.DelaySteps = 0;
    struct Case {
        double dro3;
        int expected;
    };
    const Case cases[] = {{150.0, 1500},
                          {-20.0, -200},
                          {std::numeric_limits<double>::quiet_NaN(), 0},
                          {1e300, std::numeric_limits<std::int32_t>::max()},
                          {-1e300, std::numeric_limits<std::int32_t>::min()}};
    for (const Case& c : cases) {
        fake.dro[3] = c.dro3;
        Cycle(80, 0, 2);
        EXPECT_EQ(JogVelocity(), c.expected) << c.dro3;
    }
}

}  // namespace
}  // namespace k7v::test
