// A pendant window on the simulated HID bus with a quiet host behind it, for the benchmarks.
//
// The host's callbacks are plain functions over fixed arrays: they record nothing and never
// allocate, so what a poll cycle costs and allocates is the plug-in's own. A program counts its
// host actions through the tallies below when it needs them (the report-lag table does).
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "control/plugin_wide.h"
#include "device/shuttle_win.h"
#include "host/host.h"
#include "host/host_fields.h"
#include "host/host_string.h"
#include "platform/sim/sim_hid_bus.h"
#include "platform/sim/sim_window.h"
#include "settings/pendant_settings.h"

namespace k7v::bench {

inline constexpr int kCodes = 1100;  // host codes the quiet host keeps; others read 0 or dark
inline bool quietLeds[kCodes];
inline double quietDros[kCodes];

// What the host was asked to do, for programs that measure host actions. Plain counters and the
// time of the last of each kind, in the simulated clock's milliseconds.
struct HostTally {
    std::int64_t now = 0;  // set by the program before each cycle
    std::uint64_t jogs = 0, moves = 0, buttons = 0, droWrites = 0;
    std::int64_t lastJogAt = -1, lastMoveAt = -1;
};
inline HostTally tally;

inline bool Known(int code)
{
    return code >= 0 && code < kCodes;
}

extern "C" inline void QuietDoButton(int)
{
    ++tally.buttons;
}
extern "C" inline void QuietSetDro(int code, double value)
{
    ++tally.droWrites;
    if (Known(code)) quietDros[code] = value;
}
extern "C" inline double QuietGetDro(int code)
{
    return Known(code) ? quietDros[code] : 0.0;
}
extern "C" inline bool QuietGetLed(int code)
{
    return Known(code) && quietLeds[code];
}
extern "C" inline void QuietSetLed(int, bool) {}
extern "C" inline void QuietCode(const char* line)
{
    // Only the first letters are looked at: "DOJOG" starts a jog step, "G91G1" is a move line.
    if (line[0] == 'D' && std::strcmp(line, "DOJOG") == 0) {
        ++tally.jogs;
        tally.lastJogAt = tally.now;
    } else if (std::strncmp(line, "G91G1", 5) == 0) {
        ++tally.moves;
        tally.lastMoveAt = tally.now;
    }
}

// The host's records at their real sizes and a status line with room for a status text.
class QuietHost {
public:
    QuietHost()
        : motion_(host::kMotionRecordSize), options_(host::kOptionsRecordSize), machine_(host::kMachineRecordSize)
    {
        std::memset(quietLeds, 0, sizeof quietLeds);
        std::memset(quietDros, 0, sizeof quietDros);
        tally = {};
        quietLeds[83] = true;  // jogging enabled
        quietLeds[15] = true;  // the host wants to hear when a jog burst starts
        quietDros[3] = 40.0;   // rate jog at 40 per cent
        quietDros[818] = 250.0;
        quietDros[821] = 90.0;
        host.callbacks = {QuietDoButton, QuietSetDro, QuietGetDro, QuietGetLed, QuietSetLed, QuietCode};
        host.records = {motion_.data(), options_.data(), machine_.data(), nullptr};
        status_ = host::HostStringCreate("", 128);
        std::memcpy(machine_.data() + host::fields::HostStatusTextOffset, &status_.data, sizeof status_.data);
        for (int axis = 0; axis < host::kAxisCount; ++axis) host.Set(host::fields::HostAxisVelocity[axis], 1000.0);
    }
    ~QuietHost()
    {
        std::memcpy(&status_.data, machine_.data() + host::fields::HostStatusTextOffset, sizeof status_.data);
        host::HostStringRelease(status_);
    }
    QuietHost(const QuietHost&) = delete;
    QuietHost& operator=(const QuietHost&) = delete;

    host::Host host;

private:
    std::vector<std::uint8_t> motion_, options_, machine_;
    host::HostString status_{nullptr};
};

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

// The pendant window made, the pendant discovered and connected, the poll timer running.
class PendantRig {
public:
    PendantRig()
    {
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

    QuietHost quiet;
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
