// Discovery of the pendant among the HID interfaces, its removal and return, and the safety stop
// of a running jog when the wheel goes away.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <vector>

#include "device_fixture.h"
#include "host/host_fields.h"

namespace k7v::test {
namespace {

using device::kInvalidHandle;

struct BusDevice {
    std::string path;
    std::uint16_t vendor = 0x04D8;
    std::uint16_t product = 0xFCE6;
    bool openFails = false;
    bool attributesFail = false;
};

TEST_F(PendantWindowTest, DiscoveryConnectsTheFirstMatchingInterfaceInEnumerationOrder)
{
    const std::string mi0 = R"(\\?\hid#vid_04d8&pid_fce6&mi_00#8&11&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030})";
    const std::string mi1 = R"(\\?\hid#vid_04d8&pid_fce6&mi_01#8&12&0&0001#{4d1e55b2-f16f-11cf-88cb-001111000030})";
    struct Case {
        const char* name;
        std::vector<BusDevice> devices;
        std::string expected;  // empty: no match
    };
    const std::vector<Case> cases = {
        {"a second pendant is ignored",
         {{kKeyboardPath, 0x046D, 0xC31C}, {kPendantPath}, {kOtherPendantPath}},
         kPendantPath},
        {"several interfaces of one pendant", {{mi0}, {mi1}}, mi0},
        {"unopenable or unreadable devices are passed over",
         {{kOtherPendantPath, 0x04D8, 0xFCE6, true}, {mi0, 0x04D8, 0xFCE6, false, true}, {kPendantPath}},
         kPendantPath},
        {"vendor or product alone does not match",
         {{mi0, 0x04D8, 0x0001}, {mi1, 0x1234, 0xFCE6}, {kPendantPath}},
         kPendantPath},
        {"no pendant among the devices", {{kKeyboardPath, 0x046D, 0xC31C}, {mi0, 0x04D8, 0xFCE7}}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        for (const BusDevice& d : c.devices) {
            platform::SimDevice& device = bus->AddDevice(d.path, d.vendor, d.product);
            device.openFails = d.openFails;
            device.attributesFail = d.attributesFail;
        }
        const bool found = Start();
        EXPECT_EQ(found, !c.expected.empty());
        EXPECT_EQ(Link().DeviceConnected, found ? 1 : 0);
        EXPECT_EQ(Link().DevicePath, c.expected);
        // The matched device keeps its attribute handle; every other one was closed again.
        EXPECT_EQ(bus->OpenHandleCount(), found ? 3 : 0);
        EXPECT_EQ(window->registered, found);
        EXPECT_TRUE(window->timerRunning) << "the poll timer starts with or without a pendant";
        EXPECT_EQ(window->timerId, 1u);
        EXPECT_EQ(window->timerPeriodMs, 25u);

        NextPeriod();
        for (const BusDevice& d : c.devices)
            EXPECT_EQ(bus->Find(d.path)->writeCount, d.path == c.expected ? 1u : 0u) << d.path;
    }
}

TEST_F(PendantWindowTest, WithoutAPendantTheCycleStaysIdleAndNothingLeadsToConnected)
{
    EXPECT_FALSE(Start());
    EXPECT_EQ(port->eventsCreated, 0);
    EXPECT_FALSE(window->registered);
    for (int i = 0; i < 3; ++i) NextPeriod();
    EXPECT_EQ(window->ticksDelivered, 3);
    EXPECT_TRUE(fake.Take().empty()) << "no host field read, no callback";
    EXPECT_EQ(bus->writesRefused, 0);

    // Even an arrival handed to the window directly has no path to open.
    AddPendant();
    EXPECT_TRUE(shuttle->OnDeviceChange(device::kDeviceArrival, nullptr));
    EXPECT_EQ(Link().DeviceConnected, 0);
    EXPECT_EQ(bus->OpenHandleCount(), 0);
}

TEST_F(PendantWindowTest, DiscoveryRunsWithAFailedEnumerationAndWithoutASystemWindow)
{
    AddPendant();
    bus->enumerationFails = true;
    EXPECT_FALSE(Start());
    EXPECT_TRUE(window->timerRunning);
    TearDown();

    // No window could be made: discovery still connects; only the timer and notices are missing.
    bus->enumerationFails = false;
    auto hid = bus->CreatePort();
    port = hid.get();
    shuttle = std::make_unique<device::ShuttleWin>(host, settings, wide, std::move(hid),
                                                   std::make_unique<platform::SimWindowPort>(&window, true));
    shuttle->CreatePendantWindow(nullptr);
    EXPECT_TRUE(shuttle->DiscoverPendant());
    EXPECT_FALSE(window->timerRunning);
    EXPECT_FALSE(window->Tick());
    EXPECT_EQ(Link().DeviceConnected, 1);
}

TEST_F(PendantWindowTest, OnlyTheRemovalOfThePendantInterfaceDisconnects)
{
    struct Case {
        const char* name;
        std::string path;
        std::uint32_t deviceType;
        bool disconnects;
    };
    std::string upper = kPendantPath;
    for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    const Case cases[] = {
        {"the pendant", kPendantPath, device::kDeviceTypeInterface, true},
        {"the pendant's path in upper case", upper, device::kDeviceTypeInterface, true},
        {"another device", kKeyboardPath, device::kDeviceTypeInterface, false},
        {"another device type", kPendantPath, 3, false},
    };
    AddPendant();
    bus->AddDevice(kKeyboardPath, 0x046D, 0xC31C);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (shuttle) TearDown();
        ASSERT_TRUE(Start());
        bus->Send(kPendantPath, Marked(7));
        NextPeriod();
        const auto before = Link();

        EXPECT_TRUE(window->NotifyRemoval(c.path, c.deviceType));
        EXPECT_EQ(Link().DeviceConnected, c.disconnects ? 0 : 1);
        EXPECT_EQ(Link().ReadHandle, c.disconnects ? kInvalidHandle : before.ReadHandle);
        EXPECT_EQ(Link().WriteHandle, c.disconnects ? kInvalidHandle : before.WriteHandle);
        EXPECT_EQ(Link().DevicePath, kPendantPath) << "the path is kept for the return";

        fake.Take();
        const auto writes = bus->Find(kPendantPath)->writeCount;
        NextPeriod();
        EXPECT_EQ(fake.Take().empty(), c.disconnects);
        EXPECT_EQ(bus->Find(kPendantPath)->writeCount, writes + (c.disconnects ? 0 : 1));
    }
}

TEST_F(PendantWindowTest, ArrivalReopensTheStoredPathOnly)
{
    AddPendant();
    ASSERT_TRUE(Start());
    bus->Unplug(kPendantPath);
    window->NotifyRemoval(kPendantPath);

    // The pendant comes back in another port: the stored path does not open, so the window counts
    // as connected with no handles, decodes its last report and writes nothing.
    bus->AddDevice(kOtherPendantPath, 0x04D8, 0xFCE6);
    bus->Send(kOtherPendantPath, Marked(9));
    EXPECT_TRUE(window->NotifyArrival(kOtherPendantPath));
    EXPECT_EQ(Link().DeviceConnected, 1);
    EXPECT_EQ(Link().ReadHandle, kInvalidHandle);
    EXPECT_EQ(Link().WriteHandle, kInvalidHandle);
    NextPeriod();
    EXPECT_EQ(DecodedMarker(), 0);
    EXPECT_EQ(bus->Find(kOtherPendantPath)->writeCount, 0u);
    EXPECT_EQ(bus->writesRefused, 0) << "no write is tried on an invalid handle";
    EXPECT_EQ(port->readsStarted, 0);

    // Back in its own port: the next arrival opens it again and reports flow.
    bus->Replug(kPendantPath);
    EXPECT_TRUE(window->NotifyArrival(kPendantPath));
    EXPECT_NE(Link().ReadHandle, kInvalidHandle);
    EXPECT_NE(Link().WriteHandle, kInvalidHandle);
    bus->Send(kPendantPath, Marked(5));
    NextPeriod();
    EXPECT_EQ(DecodedMarker(), 5);
    EXPECT_EQ(bus->Find(kPendantPath)->writeCount, 1u);
    EXPECT_EQ(port->eventsCreated, 1) << "the read event is made once";
    EXPECT_EQ(window->registrations, 1);
}

TEST_F(PendantWindowTest, ArrivalWithHandlesOpenReplacesThemAndCancelsThePendingRead)
{
    AddPendant();
    ASSERT_TRUE(Start());
    NextPeriod();  // nothing to read: the read stays pending
    ASSERT_TRUE(port->ReadOutstanding());
    const auto old = Link();

    EXPECT_TRUE(window->NotifyArrival(kKeyboardPath));  // some other HID device arrived
    EXPECT_FALSE(port->ReadOutstanding());
    EXPECT_NE(Link().ReadHandle, old.ReadHandle);
    EXPECT_NE(Link().WriteHandle, old.WriteHandle);
    EXPECT_EQ(bus->OpenHandleCount(), 3) << "the old pair was closed";

    bus->SendAt(kPendantPath, Marked(4), bus->Now() + 30);
    NextPeriod();
    NextPeriod();
    EXPECT_EQ(DecodedMarker(), 4);
}

TEST_F(PendantWindowTest, DestructionCancelsAPendingReadAndClosesEveryHandle)
{
    AddPendant();
    ASSERT_TRUE(Start());
    NextPeriod();
    ASSERT_TRUE(port->ReadOutstanding());
    shuttle.reset();
    EXPECT_TRUE(window == nullptr) << "the window port went with the object";
    // TearDown checks that no read was left pending and no handle is open.
}

// A jog burst in mode 2 on X: the wheel turns with the jog LED lit.
class RunningJogTest : public PendantWindowTest {
protected:
    void StartJog()
    {
        AddPendant();
        ASSERT_TRUE(Start());
        fake.led[83] = true;
        fake.Set(host::fields::HostAxisVelocity[0], 1000);
        const platform::SimReport rest = {0, 0, 0, 0x01, 0x04, 0, 0, 0};
        const platform::SimReport turning = {0, 6, 40, 0x01, 0x04, 0, 0, 0};
        bus->Send(kPendantPath, rest);
        NextPeriod();
        bus->Send(kPendantPath, turning);
        NextPeriod();
        ASSERT_TRUE(shuttle->Controller().State().JogActive) << "precondition: the wheel started a jog";
        fake.Take();
    }
};

TEST_F(RunningJogTest, RemovalOfThePendantStopsTheJog)
{
    StartJog();
    bus->Unplug(kPendantPath);
    window->NotifyRemoval(kPendantPath);
    const auto calls = fake.TakeActions();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "Code(ENDJOG)"), calls.end());
    for (int axis = 0; axis < host::kAxisCount; ++axis) EXPECT_EQ(fake.Get(host::fields::JogStop[axis]), 1) << axis;
    EXPECT_FALSE(shuttle->Controller().State().JogActive);
}

TEST_F(RunningJogTest, DestructionStopsTheJog)
{
    StartJog();
    shuttle.reset();
    const auto calls = fake.TakeActions();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "Code(ENDJOG)"), calls.end());
    for (int axis = 0; axis < host::kAxisCount; ++axis) EXPECT_EQ(fake.Get(host::fields::JogStop[axis]), 1) << axis;
}

}  // namespace
}  // namespace k7v::test
