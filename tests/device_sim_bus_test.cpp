// The simulated HID bus that the pendant window is tested on: its input buffer, unplug and
// replug, and the misuse it reports.
#include <gtest/gtest.h>

#include "device_fixture.h"
#include "platform/sim/sim_hid_bus.h"

namespace k7v::test {
namespace {

using device::kInvalidHandle;
using device::ReadStart;
using platform::SimHidBus;

class SimBusTest : public testing::Test {
protected:
    SimBusTest() : port(bus.CreatePort()) { bus.AddDevice(kPendantPath, 0x04D8, 0xFCE6); }

    // Opens the pendant for reading and gives it a read event, as the pendant window does.
    device::Handle OpenReader()
    {
        port->CreateReadEvent();
        return port->OpenForRead(kPendantPath);
    }

    SimHidBus bus;
    std::unique_ptr<platform::SimHidPort> port;
    platform::SimReport buffer{};
};

TEST_F(SimBusTest, TheInputBufferKeepsTheNewest32Reports)
{
    const device::Handle reader = OpenReader();
    for (int i = 0; i < 40; ++i) bus.SendAt(kPendantPath, Marked(static_cast<std::uint8_t>(i)), i);
    bus.Advance(100);
    EXPECT_EQ(bus.Find(kPendantPath)->reportsDropped, 8u);
    ASSERT_EQ(port->StartRead(reader, buffer.data(), buffer.size()), ReadStart::Completed);
    EXPECT_EQ(buffer[0], 8) << "the oldest eight were pushed out";
    EXPECT_EQ(bus.Find(kPendantPath)->lastDeliveredSentAtMs, 8);
    EXPECT_EQ(bus.Find(kPendantPath)->inputBuffer.Size(), 31u);
    port->Close(reader);
}

TEST_F(SimBusTest, AWaitCompletesOnlyForAReportDueWithinIt)
{
    const device::Handle reader = OpenReader();
    bus.SendAt(kPendantPath, Marked(1), 6);
    ASSERT_EQ(port->StartRead(reader, buffer.data(), buffer.size()), ReadStart::Pending);
    EXPECT_FALSE(port->WaitForRead(5));
    EXPECT_EQ(bus.Now(), 0) << "waiting moves no clock";
    EXPECT_TRUE(port->WaitForRead(6));
    EXPECT_TRUE(port->FinishRead(reader));
    EXPECT_EQ(buffer[0], 1);
    port->Close(reader);
}

TEST_F(SimBusTest, UnplugKillsEveryHandleAndReplugNeedsNewOnes)
{
    const device::Handle reader = OpenReader();
    const device::Handle writer = port->OpenForWrite(kPendantPath);
    const std::uint8_t feedback[5] = {0, 1, 0, 2, 0};
    ASSERT_EQ(port->StartRead(reader, buffer.data(), buffer.size()), ReadStart::Pending);

    bus.Unplug(kPendantPath);
    EXPECT_TRUE(port->WaitForRead(0)) << "the pending read ends";
    EXPECT_FALSE(port->FinishRead(reader)) << "with an error";
    EXPECT_FALSE(port->Write(writer, feedback, 5));
    EXPECT_EQ(port->OpenForRead(kPendantPath), kInvalidHandle);

    bus.Replug(kPendantPath);
    bus.Send(kPendantPath, Marked(2));
    EXPECT_EQ(port->StartRead(reader, buffer.data(), buffer.size()), ReadStart::Failed) << "old handles stay dead";
    const device::Handle reader2 =
        port->OpenForRead(R"(\\?\HID#VID_04D8&PID_FCE6#7&2F0A1C3&0&0000#{4D1E55B2-F16F-11CF-88CB-001111000030})");
    ASSERT_NE(reader2, kInvalidHandle) << "paths compare without regard to case";
    EXPECT_EQ(port->StartRead(reader2, buffer.data(), buffer.size()), ReadStart::Completed);
    for (const device::Handle h : {reader, writer, reader2}) port->Close(h);
    EXPECT_EQ(bus.faults.Total(), 0);
}

TEST_F(SimBusTest, MisuseThatWouldCorruptMemoryIsCounted)
{
    const device::Handle reader = OpenReader();
    ASSERT_EQ(port->StartRead(reader, buffer.data(), buffer.size()), ReadStart::Pending);
    EXPECT_EQ(port->StartRead(reader, buffer.data(), buffer.size()), ReadStart::Failed);
    EXPECT_EQ(bus.faults.secondRead, 1);
    port->Close(reader);
    EXPECT_EQ(bus.faults.closedWithPendingRead, 1);
    port->Close(reader);
    EXPECT_EQ(bus.faults.badClose, 1);

    const device::Handle reader2 = port->OpenForRead(kPendantPath);
    ASSERT_EQ(port->StartRead(reader2, buffer.data(), buffer.size()), ReadStart::Pending);
    port.reset();
    EXPECT_EQ(bus.faults.destroyedWithPendingRead, 1);
}

}  // namespace
}  // namespace k7v::test
