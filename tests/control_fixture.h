// A controller wired to a FakeHost, for the control tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "control/controller.h"
#include "host/host_fields.h"
#include "settings/pendant_settings.h"
#include "support/fake_host.h"

namespace k7v::test {

// The fields of one input report, laid into the two little-endian words.
struct Report {
    int wheel = 0;         // byte 1
    int speed = 0;         // byte 2
    int axisSelector = 1;  // byte 3, bits 0 to 3
    bool suspend = false;  // byte 3, bit 4
    bool command = false;  // byte 3, bit 5
    int modeSelector = 0;  // byte 4, bits 0 to 6

    std::uint32_t Word0() const
    {
        return (static_cast<std::uint32_t>(wheel & 0xFF) << 8) | (static_cast<std::uint32_t>(speed & 0xFF) << 16) |
               (static_cast<std::uint32_t>(axisSelector & 0x0F) << 24) | (suspend ? 1u << 28 : 0u) |
               (command ? 1u << 29 : 0u) | 0xC00000A5u;  // byte 0 and unused bits carry noise
    }
    std::uint32_t Word1() const { return static_cast<std::uint32_t>(modeSelector & 0x7F) | 0xC3B28000u; }
};

using Lines = std::vector<std::string>;

class ControlTest : public ::testing::Test {
protected:
    ControlTest()
    {
        fake.led[83] = true;  // jogging on, unless a test says otherwise
    }

    void Decode(const Report& r) { controller.DecodeReport(r.Word0(), r.Word1()); }
    void Updates(int n)
    {
        for (int i = 0; i < n; ++i) wide.ticks.OnUpdate();
    }
    // The wheel-speed byte that modes 2, 3 and 12 read from the current report.
    void SetReportSpeed(int speed) { state().CurrentReport[0] = Report{.speed = speed}.Word0(); }
    control::ControlState& state() { return controller.State(); }

    FakeHost fake;
    host::Host host = fake.Wire();
    settings::PendantSettings settings = settings::PendantSettings::Defaults();
    control::PluginWide wide;
    control::PendantController controller{host, settings, wide};
};

}  // namespace k7v::test
