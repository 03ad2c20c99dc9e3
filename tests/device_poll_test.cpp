// The 25 ms poll cycle: the RestoreG90 refresh, reading one report within the bounded wait, and
// the feedback report.
#include <gtest/gtest.h>

#include "device_fixture.h"
#include "host/host_fields.h"
#include "support/alloc_counter.h"
#include "support/quiet_host.h"

namespace k7v::test {
namespace {

namespace f = host::fields;

class PollCycleTest : public PendantWindowTest {
protected:
    void SetUp() override
    {
        AddPendant();
        ASSERT_TRUE(Start());
    }
    platform::SimDevice& Pendant() { return *bus->Find(kPendantPath); }
    std::uint8_t& RestoreG90() { return shuttle->Controller().State().RestoreG90; }
};

TEST_F(PollCycleTest, RestoreG90FollowsTheHostOnlyWhileItIsIdle)
{
    struct Case {
        const char* name;
        int busy, machineB, motionB, noG90;
        std::uint8_t before, after;
    };
    const Case cases[] = {
        {"idle, G90 wanted", 0, 0, 0, 0, 0, 1},          {"idle, no G90", 0, 0, 0, 1, 1, 0},
        {"busy flag keeps the value", 1, 0, 0, 1, 1, 1}, {"machine counts differ", 0, 3, 0, 1, 1, 1},
        {"motion counts differ", 0, 0, 3, 0, 0, 0},
    };
    EXPECT_EQ(RestoreG90(), 1) << "before any refresh";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fake.Set(f::HostBusyFlag, c.busy);
        fake.Set(f::MachineCountA, 7);
        fake.Set(f::MachineCountB, 7 + c.machineB);
        fake.Set(f::MotionCountA, 9);
        fake.Set(f::MotionCountB, 9 + c.motionB);
        fake.Set(f::HostNoG90Flag, c.noG90);
        RestoreG90() = c.before;
        NextPeriod();
        EXPECT_EQ(RestoreG90(), c.after);
    }
}

TEST_F(PollCycleTest, AReportIsDecodedAtOnceWithinTheWaitOrInALaterCycle)
{
    // Already buffered: the read completes at once.
    bus->Send(kPendantPath, Marked(1));
    window->Tick();
    EXPECT_EQ(DecodedMarker(), 1);
    EXPECT_FALSE(port->ReadOutstanding());

    // Sent 3 ms and exactly 5 ms into the cycle: the 5 ms wait takes it.
    struct InWait {
        int ms;
        std::uint8_t marker;
    };
    for (const InWait c : {InWait{3, 2}, InWait{5, 3}}) {
        bus->SendAt(kPendantPath, Marked(c.marker), bus->Now() + c.ms);
        window->Tick();
        EXPECT_EQ(DecodedMarker(), c.marker) << c.ms;
        EXPECT_FALSE(port->ReadOutstanding()) << c.ms;
    }

    // Sent 6 ms into the cycle, just after the wait: this cycle decodes the previous report again,
    // and its read stays pending; the next cycle waits on that read instead of starting another.
    bus->SendAt(kPendantPath, Marked(4), bus->Now() + 6);
    window->Tick();
    const int started = port->readsStarted;
    EXPECT_EQ(DecodedMarker(), 3);
    EXPECT_EQ(shuttle->PreviousReport(), Marked(3));
    EXPECT_TRUE(port->ReadOutstanding());
    EXPECT_EQ(Pendant().writeCount, 4u) << "feedback goes out in every cycle";
    bus->Advance(25);  // the late report completes the read between cycles
    EXPECT_EQ(shuttle->ReadBuffer(), Marked(3)) << "the system never writes into the decoded buffer";
    window->Tick();
    EXPECT_EQ(DecodedMarker(), 4);
    EXPECT_EQ(port->readsStarted, started) << "no second read was started";

    // Nothing comes for a while: the last report is decoded again in every cycle.
    for (int i = 0; i < 4; ++i) NextPeriod();
    EXPECT_EQ(DecodedMarker(), 4);
    EXPECT_EQ(port->readsStarted, started + 1);
    bus->Send(kPendantPath, Marked(5));  // completes the pending read as it arrives
    NextPeriod();
    EXPECT_EQ(DecodedMarker(), 5);
}

TEST_F(PollCycleTest, AFailedReadDecodesThePreviousReportAgain)
{
    bus->Send(kPendantPath, Marked(6));
    NextPeriod();
    NextPeriod();               // read pending
    bus->Unplug(kPendantPath);  // the system fails the read; no removal notice yet
    fake.Take();
    NextPeriod();
    EXPECT_EQ(DecodedMarker(), 6);
    EXPECT_EQ(fake.Take(), std::vector<std::string>{"GetLED(800)"}) << "the cycle still runs";
    NextPeriod();  // reads on the dead handle fail at once
    EXPECT_EQ(DecodedMarker(), 6);
    EXPECT_FALSE(port->ReadOutstanding());
}

TEST_F(PollCycleTest, FeedbackCarriesTheLedAndTheHeartbeat)
{
    bus->Send(kPendantPath, Marked(1));
    NextPeriod();
    EXPECT_EQ(Pendant().LastWrite(), (platform::SimFeedback{0, 0, 0, 1, 0})) << "heartbeat 1 before the first Update";
    EXPECT_EQ(fake.Take(), std::vector<std::string>{"GetLED(800)"});

    fake.led[800] = true;
    for (int i = 0; i < 3; ++i) wide.ticks.OnUpdate();
    NextPeriod();
    EXPECT_EQ(Pendant().LastWrite(), (platform::SimFeedback{0, 1, 0, 4, 0}));

    fake.led[800] = false;
    while (wide.ticks.HeartbeatCounter != 255) wide.ticks.OnUpdate();
    NextPeriod();
    EXPECT_EQ(Pendant().LastWrite(), (platform::SimFeedback{0, 0, 0, 255, 0}));
    wide.ticks.OnUpdate();
    NextPeriod();
    EXPECT_EQ(Pendant().LastWrite()[3], 2);
}

TEST_F(PendantWindowTest, AHandleThatFailedToOpenIsSkipped)
{
    struct Case {
        const char* name;
        bool readFails, writeFails;
    };
    for (const Case c : {Case{"no read handle", true, false}, Case{"no write handle", false, true}}) {
        SCOPED_TRACE(c.name);
        Restart();
        platform::SimDevice& pendant = AddPendant();
        pendant.readOpenFails = c.readFails;
        pendant.writeOpenFails = c.writeFails;
        ASSERT_TRUE(Start());
        EXPECT_EQ(Link().DeviceConnected, 1);
        bus->Send(kPendantPath, Marked(8));
        NextPeriod();
        EXPECT_EQ(port->readsStarted, c.readFails ? 0 : 1);
        EXPECT_EQ(DecodedMarker(), c.readFails ? 0 : 8);
        EXPECT_EQ(pendant.writeCount, c.writeFails ? 0u : 1u);
        EXPECT_EQ(bus->writesRefused, 0);
        EXPECT_EQ(fake.Take().back(), "GetLED(800)") << "decoding and feedback still run";
    }
}

TEST_F(PollCycleTest, ThePollCycleAllocatesNothing)
{
    // A host whose callbacks keep no log, so that only the poll cycle can allocate; LED 800 is lit
    // so the feedback report carries it.
    ResetQuietHost();
    quietLeds[800] = true;
    host.callbacks = QuietCallbacks();
    std::size_t allocations = 0;
    {
        AllocationCounter counter;
        for (int i = 0; i < 400; ++i) {
            // Reports at once, within the wait, after it, and none at all, in turn.
            const auto marker = static_cast<std::uint8_t>(i);
            if (i % 4 == 0) bus->Send(kPendantPath, Marked(marker));
            if (i % 4 == 1) bus->SendAt(kPendantPath, Marked(marker), bus->Now() + 28);
            if (i % 4 == 2) bus->SendAt(kPendantPath, Marked(marker), bus->Now() + 40);
            NextPeriod();
            wide.ticks.OnUpdate();
        }
        allocations = counter.Count();
    }
    EXPECT_EQ(allocations, 0u);
    EXPECT_EQ(Pendant().writeCount, 400u);
}

}  // namespace
}  // namespace k7v::test
