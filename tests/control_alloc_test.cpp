#include <gtest/gtest.h>

#include "control_fixture.h"
#include "support/alloc_counter.h"
#include "support/quiet_host.h"

namespace k7v::test {
namespace {

namespace f = host::fields;

class AllocationTest : public ::testing::Test {
protected:
    AllocationTest()
    {
        // The quiet host's callbacks, so that the only heap use a run can show is the control code's own.
        host.callbacks = QuietCallbacks();
        ResetQuietHost();
        quietLeds[83] = quietLeds[15] = true;
        quietDros[3] = 40.0;
        quietDros[821] = 90.0;
        fake.Set(f::HostAxisVelocity[0], 1000);
        fake.Set(f::HostAxisVelocity[1], 800);
        fake.Set(f::HostAxisVelocity[2], 600);
        settings.DelaySteps = 5;
    }

    // Turns the wheel for `cycles` poll cycles, with an Update every other cycle, then lets it rest
    // until the tick counters have run out.
    void Session(int axisSelector, int modeSelector, int cycles, int step = 3)
    {
        Report r{.wheel = wheel, .axisSelector = axisSelector, .modeSelector = modeSelector};
        for (int i = 0; i < cycles; ++i) {
            wheel = (wheel + step) & 0xFF;
            r.wheel = wheel;
            r.speed = 30 + 10 * i;
            Decode(r);
            if (i % 2) wide.ticks.OnUpdate();
        }
        r.speed = 0;
        for (int i = 0; i < 8; ++i) {
            Decode(r);
            wide.ticks.OnUpdate();
        }
    }
    void Decode(const Report& r) { controller.DecodeReport(r.Word0(), r.Word1()); }

    FakeHost fake;  // records of their real sizes and a status text with room; its callbacks stay unused
    host::Host host = fake.Wire();
    settings::PendantSettings settings = settings::PendantSettings::Defaults();
    control::PluginWide wide;
    control::PendantController controller{host, settings, wide};
    int wheel = 0;
};

TEST_F(AllocationTest, NoPathOfThePollCycleAllocates)
{
    AllocationCounter counter;

    Session(1, 0, 4);   // mode 1: no function
    Session(1, 4, 12);  // mode 2 on X
    Session(2, 4, 6, -2);
    Session(2, 5, 12);             // mode 3 on Y
    settings.VelocityInAuto = 42;  // outside the list
    Session(3, 4, 6);
    Session(6, 4, 4);  // modes 4, 5, 6
    Session(4, 4, 4, -5);
    Session(5, 4, 4);
    Session(1, 1, 4);  // modes 9, 10, 11
    Session(2, 2, 4, -1);
    Session(7, 3, 4);
    settings.StepJogRate = 0;
    Session(1, 1, 3);
    quietDros[22] = 25.0;  // busy: counts are held, then caught up at rest
    Session(2, 1, 5);
    const int held = controller.State().StepAccumulator;
    quietDros[22] = 0.0;
    Session(2, 1, 0);
    settings.StepJogRate = 100;
    fake.Set(f::HostRotationAngle, 30.0);
    Session(1, 2, 4);
    Session(2, 2, 4, -3);
    fake.Set(f::HostRotationAngle, 0.0);
    Session(7, 6, 4);  // mode 12 on A

    quietLeds[83] = false;  // jogging off: the status text is replaced in place
    Session(1, 4, 3);
    Session(1, 1, 3);
    quietLeds[83] = true;

    Decode({.wheel = wheel, .speed = 50, .axisSelector = 1, .command = true, .modeSelector = 4});
    Decode({.wheel = wheel + 9, .speed = 50, .axisSelector = 1, .suspend = true, .modeSelector = 4});
    Session(1, 4, 4);
    fake.Set(f::HostStopFlag, 1);
    Session(1, 4, 2);
    fake.Set(f::HostStopFlag, 0);
    Session(1, 4, 3);
    controller.StopJogging();

    EXPECT_EQ(counter.Count(), 0u);
    EXPECT_EQ(held, 15);
    // The run reached every kind of host action.
    EXPECT_GT(tally.jogs, 0u);
    EXPECT_GT(tally.straightMoves, 0u);
    EXPECT_GT(tally.rotatedMoves, 0u);
    EXPECT_GT(tally.buttons, 0u);
    EXPECT_GT(tally.droWrites, 0u);
    EXPECT_EQ(fake.StatusText(), " Jog OFF. ");
    EXPECT_EQ(controller.State().StepAccumulator, 0);
}

}  // namespace
}  // namespace k7v::test
