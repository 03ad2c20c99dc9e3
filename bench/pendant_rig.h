// A pendant window on the simulated HID bus with a quiet host behind it, for the benchmarks.
//
// The quiet host (tests/support/quiet_host.h) records nothing and never allocates, so what a poll
// cycle costs and allocates is the plug-in's own. A program counts its host actions through
// `tally` when it needs them (the report-lag table does).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "control/plugin_wide.h"
#include "device/shuttle_win.h"
#include "host/host_fields.h"
#include "platform/sim/sim_hid_bus.h"
#include "platform/sim/sim_window.h"
#include "settings/pendant_settings.h"
#include "support/quiet_host.h"

namespace k7v::bench {

using test::HostTally;
using test::quietDros;
using test::quietLeds;
using test::tally;

// One input report as the pendant sends it. Bytes 5 to 7 are not decoded; the lag program puts a
// sequence number there to tell which report a cycle decoded.
struct PendantInput {
    int wheel = 0;         // byte 1, wraps at 256
    int speed = 0;         // byte 2
    int axisSelector = 1;  // byte 3, bits 0 to 3: 1 = X
    int modeSelector = 0;  // byte 4: 1 = step mode 9, 4 = mode 2, 5 = mode 3, 6 = mode 12
    std::uint32_t sequence = 0;

    platform::SimReport Bytes() const
    {
        return {0,
                static_cast<std::uint8_t>(wheel & 0xFF),
                static_cast<std::uint8_t>(speed & 0xFF),
                static_cast<std::uint8_t>(axisSelector & 0x0F),
                static_cast<std::uint8_t>(modeSelector & 0x7F),
                static_cast<std::uint8_t>(sequence & 0xFF),
                static_cast<std::uint8_t>((sequence >> 8) & 0xFF),
                static_cast<std::uint8_t>((sequence >> 16) & 0xFF)};
    }
    static std::uint32_t SequenceOf(const device::PendantReport& r)
    {
        return static_cast<std::uint32_t>(r[5]) | static_cast<std::uint32_t>(r[6]) << 8 |
               static_cast<std::uint32_t>(r[7]) << 16;
    }
};

inline const std::string kRigPendantPath =
    R"(\\?\hid#vid_04d8&pid_fce6#7&2f0a1c3&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030})";

// The pendant window made, the pendant discovered and connected, the poll timer running, with a
// host that jogs: jogging enabled, feeds set and every axis at 1000.
class PendantRig {
public:
    PendantRig()
    {
        quietLeds[83] = true;  // jogging enabled
        quietLeds[15] = true;  // the host wants to hear when a jog burst starts
        quietDros[3] = 40.0;   // rate jog at 40 per cent
        quietDros[818] = 250.0;
        quietDros[821] = 90.0;
        for (int axis = 0; axis < host::kAxisCount; ++axis)
            quiet.host.Set(host::fields::HostAxisVelocity[axis], 1000.0);
        pendant = &bus.AddDevice(kRigPendantPath, device::kPendantVendorId, device::kPendantProductId);
        auto hid = bus.CreatePort();
        shuttle = std::make_unique<device::ShuttleWin>(quiet.host, settings, wide, std::move(hid),
                                                       std::make_unique<platform::SimWindowPort>(&window));
        shuttle->CreatePendantWindow(&hostWindowObject);
        connected = shuttle->DiscoverPendant();
    }
    ~PendantRig() { shuttle.reset(); }
    PendantRig(const PendantRig&) = delete;
    PendantRig& operator=(const PendantRig&) = delete;

    bool Send(const PendantInput& input) { return bus.Send(kRigPendantPath, input.Bytes()); }
    bool SendAt(const PendantInput& input, std::int64_t ms) { return bus.SendAt(kRigPendantPath, input.Bytes(), ms); }

    test::QuietHost quiet;  // first: its reset precedes everything below
    settings::PendantSettings settings = settings::PendantSettings::Defaults();
    control::PluginWide wide;
    platform::SimHidBus bus;
    platform::SimDevice* pendant = nullptr;
    platform::SimWindowPort* window = nullptr;
    std::unique_ptr<device::ShuttleWin> shuttle;
    bool connected = false;
    int hostWindowObject = 0;
};

}  // namespace k7v::bench
