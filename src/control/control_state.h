// The record that report decoding and the pendant functions share. The pendant window owns one;
// it is created with the window and discarded with it.
#pragma once

#include <array>
#include <cstdint>

namespace k7v::control {

struct ControlState {
    std::uint32_t CurrentReport[2] = {0, 0};
    int AxisSelector = 0;
    int LastAxisSelector = 1;
    int ModeSelector = 0;
    int PendantMode = 1;  // 1 = no function
    int LastPendantMode = 1;
    int SelectedAxis = 0;  // 0 = X, 1 = Y, 2 = Z, 3 = A
    int SuspendActive = 0;
    int CommandButtonLatched = 0;
    int LastWheelCount = 0;
    int WheelDelta = 0;
    int WheelDirection = 0;  // 0 = counter going up, after per-axis reversal
    int WheelSpeed = 0;

    // Step jogging
    std::int32_t StepAccumulator = 0;
    double SavedDro818 = 0.0;
    double SavedDro821 = 0.0;
    bool DroRestorePending = false;

    // Continuous jogging
    bool JogActive = false;
    bool JogStartButtonSent = false;
    int LastJogDirection = 0;
    int StartCounts = 0;
    double RecentDeltas[2] = {0.0, 0.0};
    int RecentDeltaIndex = 0;
    std::array<double, 10> SpeedHistory{};
    double FilterSum = 0.0;
    double SpeedFactor = 0.0;

    // Axis action
    bool WheelMoving = false;
    bool WheelWasMoving = false;

    // Kept up to date by the poll cycle from the host's state: a step move line is followed by
    // "G90" while this is set.
    std::uint8_t RestoreG90 = 1;
};

}  // namespace k7v::control
