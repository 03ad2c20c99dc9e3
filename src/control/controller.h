// Report decoding and the pendant functions, run once per poll cycle.
#pragma once

#include <cstdint>

#include "control/control_state.h"
#include "control/plugin_wide.h"
#include "host/host.h"
#include "settings/pendant_settings.h"

namespace k7v::control {

class PendantController {
public:
    PendantController(const host::Host& host, const settings::PendantSettings& settings, PluginWide& wide)
        : host_(host), settings_(settings), wide_(wide)
    {
    }

    // Decodes one 8-byte input report (two little-endian words) and runs the pendant function of
    // the mode in force. Called in every poll cycle, with a new report or the previous one again.
    void DecodeReport(std::uint32_t word0, std::uint32_t word1);

    // The common entry of all pendant functions: entry check, then dispatch on PendantMode.
    void RunPendantFunction(int direction, int magnitude);

    // Stops any jog burst the plug-in started: JogStop of every axis, "ENDJOG", and an owed
    // DoButton(205). Used when the pendant goes away or the window is destroyed, so the host never
    // keeps jogging without the wheel. Does nothing when no burst is running.
    void StopJogging();

    ControlState& State() { return state_; }
    const ControlState& State() const { return state_; }

private:
    void CommandButton();
    void ModeTable();
    void AxisSelection();
    void WheelMovement();

    void ContinuousJog(int direction, int magnitude);
    void StepJog(int direction, int magnitude);
    void Adjust(int magnitude);
    void AxisAction();

    const host::Host& host_;
    const settings::PendantSettings& settings_;
    PluginWide& wide_;
    ControlState state_;
};

}  // namespace k7v::control
