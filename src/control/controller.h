// Report decoding and the pendant functions, run once per poll cycle.
//
// Start values chosen where the record leaves them open (control_state.h): LastPendantMode 1, so the
// first report that selects a function sends one DoButton(334 + axis); LastJogDirection 0 and
// StartCounts 0; WheelMoving and WheelWasMoving false, so the first turn in mode 12 is an edge.
#pragma once

#include <cstdint>

#include "control/control_state.h"
#include "control/gcode.h"
#include "control/plugin_wide.h"
#include "host/host.h"
#include "settings/pendant_settings.h"

namespace k7v::control {

// The status text the host shows while its jog LED (83) is dark and the wheel asks for a move.
inline constexpr const char* kJogOffText = " Jog OFF. ";

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
    // Decoding steps, in the order DecodeReport runs them.
    void CommandButton();
    void ModeTable();
    void AxisSelection();
    void WheelMovement();
    void DroWriteBack();

    void ContinuousJog(int direction, int magnitude);
    void EndBurst();
    void StopSelectedAxis();

    void StepJog(int direction, int magnitude);
    void StraightMove(int direction, int magnitude, const char* letter);
    void RotatedMove(int direction, double angle);  // angle: the host's rotation in degrees
    void CatchUp(const char* letter);
    void SendMoveLine(const CommandLine& line);
    bool HostReady() const;  // DRO 22 below 20: the host takes a move now

    void Adjust(int magnitude);
    void AxisAction();

    void SetAllJogStops();
    int ReportWheelSpeed() const;

    const host::Host& host_;
    const settings::PendantSettings& settings_;
    PluginWide& wide_;
    ControlState state_;
};

}  // namespace k7v::control
