// A pendant window on the simulated HID bus, with a fake host behind it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "control/plugin_wide.h"
#include "device/shuttle_win.h"
#include "platform/sim/sim_hid_bus.h"
#include "platform/sim/sim_window.h"
#include "settings/pendant_settings.h"
#include "support/fake_host.h"

namespace k7v::test {

inline const std::string kPendantPath =
    R"(\\?\hid#vid_04d8&pid_fce6#7&2f0a1c3&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030})";
inline const std::string kOtherPendantPath =
    R"(\\?\hid#vid_04d8&pid_fce6#7&9b31d07&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030})";
inline const std::string kKeyboardPath =
    R"(\\?\hid#vid_046d&pid_c31c&mi_00#7&1d4e2a&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030})";

// A report of a resting pendant (axis selector on X, no function) with a marker in byte 0, which
// decoding does not use: it shows which report was decoded without making the host do anything.
inline platform::SimReport Marked(std::uint8_t marker)
{
    return {marker, 0, 0, 0x01, 0, 0, 0, 0};
}

class PendantWindowTest : public testing::Test {
protected:
    platform::SimDevice& AddPendant(const std::string& path = kPendantPath)
    {
        return bus->AddDevice(path, 0x04D8, 0xFCE6);
    }

    void MakeWindow()
    {
        auto hid = bus->CreatePort();
        port = hid.get();
        shuttle = std::make_unique<device::ShuttleWin>(host, settings, wide, std::move(hid),
                                                       std::make_unique<platform::SimWindowPort>(&window));
        shuttle->CreatePendantWindow(&hostWindowObject);
    }

    // The window made and discovery run; the host's log starts empty.
    bool Start()
    {
        MakeWindow();
        const bool found = shuttle->DiscoverPendant();
        fake.Take();
        return found;
    }

    // One timer period passes, then its tick arrives.
    void NextPeriod()
    {
        bus->Advance(device::kPollPeriodMs);
        window->Tick();
    }

    std::uint8_t DecodedMarker() const { return shuttle->Controller().State().CurrentReport[0] & 0xFF; }
    const device::DeviceLink& Link() const { return shuttle->Link(); }

    // Starts over on an empty bus, for tables of cases.
    void Restart()
    {
        TearDown();
        bus.emplace();
    }

    void TearDown() override
    {
        shuttle.reset();
        EXPECT_EQ(bus->faults.secondRead, 0);
        EXPECT_EQ(bus->faults.closedWithPendingRead, 0);
        EXPECT_EQ(bus->faults.destroyedWithPendingRead, 0);
        EXPECT_EQ(bus->faults.badClose, 0);
        EXPECT_EQ(bus->enumerationsOpen, 0);
        EXPECT_EQ(bus->OpenHandleCount(), 0) << "the window leaves no handle open";
    }

    FakeHost fake;
    host::Host host = fake.Wire();
    settings::PendantSettings settings = settings::PendantSettings::Defaults();
    control::PluginWide wide;
    std::optional<platform::SimHidBus> bus{std::in_place};
    platform::SimWindowPort* window = nullptr;
    platform::SimHidPort* port = nullptr;
    std::unique_ptr<device::ShuttleWin> shuttle;
    int hostWindowObject = 0;
};

}  // namespace k7v::test
