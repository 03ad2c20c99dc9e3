// The whole poll cycle through the pendant window allocates nothing once it has settled, in every
// pendant function: the read on the simulated bus, decoding, the function's host calls and the
// feedback report.
#include <gtest/gtest.h>

#include "device_fixture.h"
#include "host/host_fields.h"
#include "support/alloc_counter.h"
#include "support/quiet_host.h"

namespace k7v::test {
namespace {

namespace f = host::fields;

struct ModeCase {
    const char* name;
    int axisSelector, modeSelector;
    int mode;                   // the PendantMode the selectors give
    bool busyInTurn;            // the host is busy in every other cycle: counts are held, then caught up
    double rotation;            // the host's rotation angle
    const std::uint64_t* work;  // the host action that shows the function ran
};

TEST_F(PendantWindowTest, ThePollCycleAllocatesNothingInAnyMode)
{
    const ModeCase cases[] = {
        {"1, no function", 1, 0, 1, false, 0.0, nullptr},
        {"2, speed jog", 1, 4, 2, false, 0.0, &tally.jogs},
        {"3, rate jog", 2, 5, 3, false, 0.0, &tally.jogs},
        {"4, jog rate", 6, 0, 4, false, 0.0, &tally.droWrites},
        {"5, step rate", 4, 0, 5, false, 0.0, &tally.droWrites},
        {"6, DRO 74", 5, 0, 6, false, 0.0, &tally.droWrites},
        {"9, straight", 1, 1, 9, false, 0.0, &tally.moves},
        {"9, catch-up after a busy host", 3, 1, 9, true, 0.0, &tally.moves},
        {"9, rotated", 1, 1, 9, false, 30.0, &tally.moves},
        {"10, straight", 2, 2, 10, false, 0.0, &tally.moves},
        {"11, rotated", 2, 3, 11, false, 45.0, &tally.moves},
        {"12, axis action", 7, 6, 12, false, 0.0, &tally.buttons},
    };
    for (const ModeCase& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        AddPendant();
        // The quiet host's callbacks, so that the only heap use a cycle can show is the plug-in's own.
        host.callbacks = QuietCallbacks();
        ASSERT_TRUE(Start());
        ResetQuietHost();
        quietLeds[83] = quietLeds[15] = true;
        quietDros[3] = 40.0;
        quietDros[821] = 90.0;
        for (int axis = 0; axis < host::kAxisCount; ++axis) fake.Set(f::HostAxisVelocity[axis], 1000.0);
        fake.Set(f::HostRotationAngle, c.rotation);

        int wheel = 0;
        // One cycle: in turn the wheel moves (the host busy, when the case says so) and rests or
        // moves again with the host free, so a burst keeps running and held counts go out.
        auto cycle = [&](int i) {
            const bool odd = i % 2 == 1;
            if (c.busyInTurn) quietDros[22] = odd ? 0.0 : 25.0;
            if (!(c.busyInTurn && odd)) wheel = (wheel + (c.mode >= 4 && c.mode <= 6 && odd ? -3 : 3)) & 0xFF;
            const int speed = c.mode == 12 && odd ? 0 : 40;  // mode 12 acts on each start of a movement
            bus->Send(kPendantPath,
                      {0, static_cast<std::uint8_t>(wheel), static_cast<std::uint8_t>(speed),
                       static_cast<std::uint8_t>(c.axisSelector), static_cast<std::uint8_t>(c.modeSelector), 0, 0, 0});
            NextPeriod();
            if (i % 4 == 3) wide.ticks.OnUpdate();
        };
        for (int i = 0; i < 40; ++i) cycle(i);  // the mode change, the first burst, the saved DROs
        tally = {};
        std::size_t allocations = 0;
        {
            AllocationCounter counter;
            for (int i = 40; i < 240; ++i) cycle(i);
            allocations = counter.Count();
        }
        EXPECT_EQ(allocations, 0u);
        EXPECT_EQ(shuttle->Controller().State().PendantMode, c.mode);
        if (c.work) {
            EXPECT_GT(*c.work, 0u) << "the function did its work";
        }
        EXPECT_EQ(port->readsStarted, 240) << "every cycle read a new report";
    }
}

}  // namespace
}  // namespace k7v::test
