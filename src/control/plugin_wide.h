// Plug-in-wide state of the control logic: it lives as long as the loaded library and keeps its
// values when the pendant window is created again.
#pragma once

#include <cstdint>

namespace k7v::control {

// Short timers counted in host Update calls.
struct TickCounters {
    std::int32_t HeartbeatCounter = 1;  // 1 until the first Update, then 2..255, 2, ...
    std::int32_t ReversalTicks = 100;   // Update calls since the last jog reversal
    std::int32_t WheelActiveTicks = 0;  // the wheel still counts as active while above 0
    std::int32_t WheelRestTicks = 0;    // saved DROs are written back once this is 0

    // One host Update call: each counter advances on its own.
    void OnUpdate()
    {
        if (HeartbeatCounter > 254) HeartbeatCounter = 1;
        ++HeartbeatCounter;
        if (ReversalTicks > 1000) ReversalTicks = 100;
        ++ReversalTicks;
        if (WheelActiveTicks != 0) --WheelActiveTicks;
        if (WheelRestTicks != 0) --WheelRestTicks;
    }
};

struct PluginWide {
    TickCounters ticks;
    bool CommandReleaseSent = false;
    int RawWheelDirection = 0;
    bool AxisChangePending = false;
};

}  // namespace k7v::control
