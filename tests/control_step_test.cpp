#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <limits>

#include "control_fixture.h"

namespace k7v::test {
namespace {

namespace f = host::fields;

// A step mode with the host ready: jogging on, gate LEDs dark, no rotation, DRO 22 at 0, "G90"
// after each line.
class StepTest : public ControlTest {
protected:
    void Select(int mode, int axis)
    {
        state().PendantMode = mode;
        state().SelectedAxis = axis;
    }
    void Move(int direction, int delta) { controller.RunPendantFunction(direction, delta); }
};

struct StraightCase {
    int mode, stepsize, rate, axis, direction, delta;
    Lines expected;
};

TEST_F(StepTest, StraightMoveLines)
{
    // clang-format off
    const StraightCase cases[] = {
        {9, 0, 100, 0, 0, 3, {"SetDRO(821, 100)", "Code(G91G1 F100 X 0.0030)", "Code(G90)"}},
        {9, 0, 0, 0, 0, 3, {"Code(G91G1 F60.0000 X 0.0030)", "Code(G90)"}},  // feed from DRO 818
        {11, 1, 100, 2, 1, 2, {"SetDRO(821, 100)", "Code(G91G1 F100 Z -20.0000)", "Code(G90)"}},
        {10, 1, 100, 3, 0, 7, {"SetDRO(821, 100)", "Code(G91G1 F100 A 7.0000)", "Code(G90)"}},
        {10, 0, 100, 1, 1, 127, {"SetDRO(821, 100)", "Code(G91G1 F100 Y -1.2700)", "Code(G90)"}},
        {11, 0, 250, 0, 0, 1, {"SetDRO(821, 100)", "Code(G91G1 F250 X 0.1000)", "Code(G90)"}},
        {9, 1, 100, 1, 0, 5, {"SetDRO(821, 100)", "Code(G91G1 F100 Y 0.5000)", "Code(G90)"}},
        {9, 0, -40, 0, 1, 1, {"SetDRO(821, 100)", "Code(G91G1 F-40 X -0.0010)", "Code(G90)"}},
        // A Stepsize other than 0 or 1 takes the fine distances.
        {11, 2, 100, 2, 0, 2, {"SetDRO(821, 100)", "Code(G91G1 F100 Z 0.2000)", "Code(G90)"}},
        {10, -1, 100, 0, 0, 3, {"SetDRO(821, 100)", "Code(G91G1 F100 X 0.0300)", "Code(G90)"}},
    };
    // clang-format on
    fake.dro[818] = 60.0;
    for (const StraightCase& c : cases) {
        settings.StepJogRate = c.rate;
        settings.Stepsize = c.stepsize;
        state().DroRestorePending = false;
        Select(c.mode, c.axis);
        Move(c.direction, c.delta);
        EXPECT_EQ(fake.TakeActions(), c.expected) << c.expected[c.expected.size() - 2];
    }
}

TEST_F(StepTest, FirstMoveOfAMovementSavesTheDrosInOrder)
{
    Select(9, 0);
    fake.dro[818] = 60.0;
    fake.dro[821] = 80.0;
    Move(0, 3);
    EXPECT_EQ(fake.Take(), (Lines{"GetLED(804)", "GetLED(805)", "GetLED(83)", "GetDRO(818)", "GetDRO(821)",
                                  "SetDRO(821, 100)", "GetDRO(22)", "Code(G91G1 F100 X 0.0030)", "Code(G90)"}));
    EXPECT_TRUE(state().DroRestorePending);
    EXPECT_EQ(state().SavedDro818, 60.0);
    EXPECT_EQ(state().SavedDro821, 80.0);

    Move(0, 2);  // later moves of the same movement do not save again
    EXPECT_EQ(fake.Take(), (Lines{"GetLED(804)", "GetLED(805)", "GetLED(83)", "SetDRO(821, 100)", "GetDRO(22)",
                                  "Code(G91G1 F100 X 0.0020)", "Code(G90)"}));
    EXPECT_EQ(state().SavedDro821, 80.0);

    settings.StepJogRate = 0;  // the feed word is DRO 818 read after the busy check
    Move(1, 1);
    EXPECT_EQ(fake.Take(), (Lines{"GetLED(804)", "GetLED(805)", "GetLED(83)", "GetDRO(22)", "GetDRO(818)",
                                  "Code(G91G1 F60.0000 X -0.0010)", "Code(G90)"}));
}

TEST_F(StepTest, NoMovementAndNothingHeldCallsNothing)
{
    Select(10, 1);
    Move(0, 0);
    Move(1, 0);
    EXPECT_EQ(fake.Take(), Lines{});
}

TEST_F(StepTest, BusyHostHoldsStraightCountsBack)
{
    Select(9, 1);
    for (double busy : {20.0, 1e9, std::numeric_limits<double>::quiet_NaN()}) {
        fake.dro[22] = busy;
        state().StepAccumulator = 0;
        Move(0, 3);
        Move(1, 1);
        EXPECT_EQ(fake.TakeActions(), (Lines{"SetDRO(821, 100)", "SetDRO(821, 100)"})) << busy;
        EXPECT_EQ(state().StepAccumulator, 2);
    }
    fake.dro[22] = 19.999;
    Move(0, 1);
    EXPECT_EQ(fake.TakeActions(), (Lines{"SetDRO(821, 100)", "Code(G91G1 F100 Y 0.0010)", "Code(G90)"}));
    EXPECT_EQ(state().StepAccumulator, 2);  // a direct move leaves the held counts for the rest
}

struct CatchUpCase {
    int held, rate, axis, mode, stepsize;
    Lines expected;
    int left;
};

TEST_F(StepTest, RestingWheelCatchesUpHeldCountsFiveAtATime)
{
    const char* y5 = "Code(G91G1 F100 Y 0.0050)";
    // clang-format off
    const CatchUpCase cases[] = {
        {7, 100, 1, 9, 0, {y5, "Code(G90)", y5, "Code(G90)"}, 0},
        {5, 100, 1, 9, 0, {y5, "Code(G90)"}, 0},
        {-5, 100, 1, 9, 0, {"Code(G91G1 F100 Y -0.0050)", "Code(G90)"}, 0},
        {12, 100, 1, 9, 0, {y5, "Code(G90)"}, 7},
        {-3, 0, 1, 9, 0, {"Code(G91G1 Y -0.0050)", "Code(G90)"}, 0},  // a remainder goes as a full move
        {1, 100, 2, 11, 1, {"Code(G91G1 F100 Z 50.0000)", "Code(G90)"}, 0},
        {-9, 0, 0, 10, 1, {"Code(G91G1 X -5.0000)", "Code(G90)", "Code(G91G1 X -5.0000)", "Code(G90)"}, 0},
        {6, 100, 3, 10, 7, {"Code(G91G1 F100 A 0.0500)", "Code(G90)", "Code(G91G1 F100 A 0.0500)", "Code(G90)"}, 0},
    };
    // clang-format on
    for (const CatchUpCase& c : cases) {
        settings.StepJogRate = c.rate;
        settings.Stepsize = c.stepsize;
        Select(c.mode, c.axis);
        state().StepAccumulator = c.held;
        Move(0, 0);
        EXPECT_EQ(fake.TakeActions(), c.expected) << c.held;
        EXPECT_EQ(state().StepAccumulator, c.left) << c.held;
    }
}

TEST_F(StepTest, CatchUpAsksTheBusyValueBeforeEachMoveAndWaitsWhileBusy)
{
    Select(9, 1);
    state().StepAccumulator = 12;
    Move(0, 0);
    EXPECT_EQ(fake.Take(), (Lines{"GetDRO(22)", "Code(G91G1 F100 Y 0.0050)", "Code(G90)"}));
    Move(0, 0);
    EXPECT_EQ(fake.Take(), (Lines{"GetDRO(22)", "Code(G91G1 F100 Y 0.0050)", "Code(G90)", "GetDRO(22)",
                                  "Code(G91G1 F100 Y 0.0050)", "Code(G90)"}));

    fake.dro[22] = 25.0;
    state().StepAccumulator = 7;
    Move(0, 0);
    EXPECT_EQ(fake.Take(), Lines{"GetDRO(22)"});  // 7 is not below 5: the remainder check asks nothing
    EXPECT_EQ(state().StepAccumulator, 7);
}

struct RotatedCase {
    double angle;
    int axis, mode, stepsize, direction;
    const char* line;
};

TEST_F(StepTest, RotationTurnsXAndYStepsIntoCombinedMoves)
{
    // clang-format off
    const RotatedCase cases[] = {
        {90.0, 0, 9, 0, 0, "G91G1 X-0.0000 Y-0.0010 "},
        {30.0, 0, 10, 0, 0, "G91G1 X0.0087 Y-0.0050 "},
        {30.0, 1, 10, 1, 1, "G91G1 X-0.5000 Y-0.8660 "},
        {-45.0, 1, 11, 0, 0, "G91G1 X-0.0707 Y0.0707 "},
    };
    // clang-format on
    fake.dro[818] = 60.0;
    for (const RotatedCase& c : cases) {
        fake.Set(f::HostRotationAngle, c.angle);
        settings.Stepsize = c.stepsize;
        Select(c.mode, c.axis);
        Move(c.direction, 9);  // one unit whatever the count
        EXPECT_EQ(fake.Take(), (Lines{"GetLED(804)", "GetLED(805)", "GetLED(83)", "GetDRO(22)",
                                      std::string("Code(") + c.line + ")", "Code(G90)"}));
    }
    EXPECT_FALSE(state().DroRestorePending);  // a rotated move saves no DRO

    Select(9, 2);  // Z moves straight
    Move(0, 3);
    EXPECT_EQ(fake.TakeActions(), (Lines{"SetDRO(821, 100)", "Code(G91G1 F100 Z 0.0030)", "Code(G90)"}));

    fake.dro[22] = 30.0;  // busy: rotated counts are dropped, not held
    Select(9, 0);
    Move(0, 3);
    EXPECT_EQ(fake.TakeActions(), Lines{});
    EXPECT_EQ(state().StepAccumulator, 0);
}

TEST_F(StepTest, PendingAxisChangeDropsTheLineButStillSendsG90)
{
    Select(9, 0);
    wide.AxisChangePending = true;
    Move(0, 3);
    EXPECT_EQ(fake.TakeActions(), (Lines{"SetDRO(821, 100)", "Code(G90)"}));
    state().StepAccumulator = 4;
    Move(0, 0);
    EXPECT_EQ(fake.TakeActions(), Lines{"Code(G90)"});
    EXPECT_EQ(state().StepAccumulator, 0);

    wide.AxisChangePending = false;
    state().RestoreG90 = 0;
    Move(0, 3);
    EXPECT_EQ(fake.TakeActions(), (Lines{"SetDRO(821, 100)", "Code(G91G1 F100 X 0.0030)"}));
}

TEST_F(StepTest, AHostValueThatIsNotANumberNeverReachesAMoveLine)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Select(9, 0);
    settings.StepJogRate = 0;
    fake.dro[818] = nan;  // the feed word would read "Fnan"
    Move(0, 3);
    EXPECT_EQ(fake.TakeActions(), Lines{"Code(G90)"});  // held back like a line after an axis change

    settings.StepJogRate = 100;
    fake.dro[818] = 60.0;
    fake.Set(f::HostRotationAngle, nan);  // the turned distances would read "Xnan Ynan"
    Move(0, 1);
    EXPECT_EQ(fake.TakeActions(), Lines{"Code(G90)"});

    Select(9, 2);  // Z is never turned, so its move still goes out
    Move(0, 1);
    EXPECT_EQ(fake.TakeActions(), (Lines{"SetDRO(821, 100)", "Code(G91G1 F100 Z 0.0010)", "Code(G90)"}));
}

TEST_F(StepTest, HostGateAndJogLedDropTheCounts)
{
    Select(9, 0);
    fake.led[804] = true;
    Move(0, 3);
    EXPECT_EQ(fake.Take(), (Lines{"GetLED(804)", "GetLED(806)"}));

    fake.led[804] = false;
    fake.led[805] = true;
    fake.led[806] = true;
    fake.led[83] = false;
    Move(0, 3);
    EXPECT_EQ(fake.Take(), (Lines{"GetLED(804)", "GetLED(805)", "GetLED(806)", "GetLED(83)"}));
    EXPECT_EQ(fake.StatusText(), " Jog OFF. ");
    EXPECT_EQ(state().StepAccumulator, 0);
    EXPECT_FALSE(state().DroRestorePending);
}

TEST_F(StepTest, LinesKeepTheDecimalPointUnderADecimalCommaLocale)
{
    const char* const candidates[] = {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "nl_NL.UTF-8", "German"};
    const char* chosen = nullptr;
    for (const char* name : candidates)
        if (std::setlocale(LC_ALL, name)) {
            chosen = name;
            break;
        }
    if (!chosen) GTEST_SKIP() << "no decimal-comma locale on this machine";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 0.5);
    const bool comma = probe[1] == ',';

    settings.StepJogRate = 0;
    fake.dro[818] = 60.0;
    Select(9, 0);
    Move(0, 3);
    fake.Set(f::HostRotationAngle, 30.0);
    Move(0, 3);
    std::setlocale(LC_ALL, "C");
    if (!comma) GTEST_SKIP() << chosen << " does not use a decimal comma";
    EXPECT_EQ(fake.TakeActions(),
              (Lines{"Code(G91G1 F60.0000 X 0.0030)", "Code(G90)", "Code(G91G1 X0.0009 Y-0.0005 )", "Code(G90)"}));
}

}  // namespace
}  // namespace k7v::test
