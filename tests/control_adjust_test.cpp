#include <gtest/gtest.h>

#include <limits>

#include "control_fixture.h"

namespace k7v::test {
namespace {

using AdjustTest = ControlTest;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct AdjustCase {
    int mode, dro;
    double before;
    int rawDirection, counts;
    bool written;
    double after;
};

TEST_F(AdjustTest, EachCountChangesTheValueByHalfAPercentWithinItsBounds)
{
    // clang-format off
    const AdjustCase cases[] = {
        {4, 3, 50.0, 0, 4, true, 51.0},
        {4, 3, 99.0, 0, 10, true, 100.0},  // 103.95 is cut to the upper bound
        {4, 3, 100.0, 0, 1, false, 0},     // at the raise limit: left alone
        {4, 3, 0.0, 0, 5, true, 0.0},      // 0 cannot be raised
        {4, 3, 0.05, 1, 1, true, 0.1},     // lowering below the bound lifts to the bound
        {4, 3, 0.0, 1, 3, false, 0},
        {4, 3, -2.0, 1, 3, false, 0},
        {5, 821, 100.0, 1, 10, true, 95.0},
        {5, 821, 100.0, 1, 127, true, 36.5},
        {5, 821, 249.0, 0, 127, true, 250.0},
        {5, 821, 1.2, 1, 127, true, 1.0},
        {6, 74, 240.0, 0, 20, true, 250.0},
        {6, 74, 250.0, 0, 1, false, 0},
        {6, 74, 100.0, 0, 2, true, 101.0},
        {4, 3, kNaN, 0, 1, false, 0},  // a value that is not a number is left alone both ways
        {5, 821, kNaN, 1, 1, false, 0},
        {6, 74, 30.0, 1, 0, false, 0},  // no movement: no host call at all
    };
    // clang-format on
    for (const AdjustCase& c : cases) {
        state().PendantMode = c.mode;
        wide.RawWheelDirection = c.rawDirection;
        fake.dro.clear();
        fake.dro[c.dro] = c.before;
        controller.RunPendantFunction(1 - c.rawDirection, c.counts);  // only the raw direction counts
        const Lines calls = fake.Take();
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " from " << c.before << " dir " << c.rawDirection
                                        << " n " << c.counts);
        if (c.counts == 0) {
            EXPECT_EQ(calls, Lines{});
        } else if (c.written) {
            ASSERT_EQ(calls.size(), 2u);
            EXPECT_EQ(calls[0], "GetDRO(" + std::to_string(c.dro) + ")");
            EXPECT_DOUBLE_EQ(fake.dro[c.dro], c.after);
        } else {
            EXPECT_EQ(calls, Lines{"GetDRO(" + std::to_string(c.dro) + ")"});
        }
    }
}

TEST_F(AdjustTest, ReversalSettingDoesNotTurnTheAdjustment)
{
    settings.Xreverse = 1;
    fake.dro[821] = 100.0;
    Decode({.wheel = 2, .axisSelector = 4});  // mode 5 keeps X selected; the counter went up
    EXPECT_EQ(state().PendantMode, 5);
    EXPECT_EQ(state().WheelDirection, 1);
    EXPECT_DOUBLE_EQ(fake.dro[821], 101.0);
}

class AxisActionTest : public ControlTest {
protected:
    AxisActionTest()
    {
        state().PendantMode = 12;
        state().SelectedAxis = 1;
    }
    void Cycle(int speed)
    {
        SetReportSpeed(speed);
        controller.RunPendantFunction(0, 0);
    }
};

TEST_F(AxisActionTest, StartOfAWheelMovementSendsTheAxisButtonOnce)
{
    Cycle(0);
    EXPECT_EQ(fake.Take(), Lines{});  // at rest and no ticks: not even the LEDs are asked
    Cycle(40);
    EXPECT_EQ(fake.Take(), (Lines{"GetLED(804)", "GetLED(805)", "DoButton(1009)"}));
    EXPECT_EQ(wide.ticks.WheelActiveTicks, 3);
    Cycle(60);
    Cycle(0);
    EXPECT_EQ(fake.TakeActions(), Lines{});

    const int codes[] = {1008, 1009, 1010, 1011};
    for (int axis = 0; axis < 4; ++axis) {
        state().SelectedAxis = axis;
        Cycle(0);
        Cycle(10);
        EXPECT_EQ(fake.TakeActions(), Lines{"DoButton(" + std::to_string(codes[axis]) + ")"});
    }
}

TEST_F(AxisActionTest, ClosedGateRecordsNoEdge)
{
    fake.led[804] = true;
    Cycle(40);
    EXPECT_EQ(fake.Take(), Lines{"GetLED(804)"});
    EXPECT_FALSE(state().WheelWasMoving);
    fake.led[804] = false;
    Cycle(40);  // still turning as the gate opens: the edge is seen now
    EXPECT_EQ(fake.TakeActions(), Lines{"DoButton(1009)"});

    // Stopping behind LED 805 leaves the wheel recorded as moving until a cycle passes the gates.
    fake.led[805] = true;
    Cycle(0);
    Updates(3);
    Cycle(0);
    EXPECT_EQ(wide.ticks.WheelActiveTicks, 0);
    EXPECT_TRUE(state().WheelWasMoving);
    fake.led[805] = false;
    Cycle(30);
    EXPECT_EQ(fake.TakeActions(), Lines{});  // no edge
    Cycle(0);
    Cycle(30);
    EXPECT_EQ(fake.TakeActions(), Lines{"DoButton(1009)"});
}

}  // namespace
}  // namespace k7v::test
