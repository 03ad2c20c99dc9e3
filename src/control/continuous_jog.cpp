// Continuous jogging (modes 2 and 3): the selected axis jogs for as long as the wheel turns.
//
// Mode 2 follows the pendant's wheel speed through a weighted ten-cycle filter; mode 3 jogs at the
// percentage of DRO 3 after a start delay of DelaySteps counts.
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

#include "control/controller.h"
#include "control/host_codes.h"

namespace k7v::control {
namespace {

namespace f = host::fields;

// Weights of SpeedHistory, oldest slot first; they add up to 10.
constexpr std::array<double, 10> kFilterWeights = {0.18, 0.36, 0.55, 0.73, 0.91, 1.09, 1.27, 1.45, 1.64, 1.82};

// The ticks a reversal pauses the jog for, counted in Update calls.
constexpr int kReversalPauseTicks = 3;
constexpr int kWheelActiveTicks = 3;
// Mode 3 gathers counts without bound while the wheel keeps turning; the count is wound back here.
constexpr int kStartCountsWrap = 30000;
constexpr int kStartCountsAfterWrap = 400;

// A jog speed truncated toward zero for the host's 32-bit velocity field. Converting a NaN or an
// out-of-range double to an integer is undefined, and a host DRO 3 may hold anything, so such a
// speed becomes 0 or the nearest 32-bit value instead.
std::int32_t TruncateSpeed(double speed)
{
    if (std::isnan(speed)) return 0;
    if (speed >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
    if (speed <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(speed);
}

}  // namespace

void PendantController::StopSelectedAxis()
{
    host_.Set(f::JogStop[state_.SelectedAxis], 1);
    host_.Code("ENDJOG");
}

void PendantController::EndBurst()
{
    ControlState& s = state_;
    s.JogActive = false;
    if (s.JogStartButtonSent) {
        host_.DoButton(codes::kJogBurstEnd);
        s.JogStartButtonSent = false;
    }
}

void PendantController::ContinuousJog(int direction, int magnitude)
{
    ControlState& s = state_;
    TickCounters& ticks = wide_.ticks;
    const bool followsSpeed = s.PendantMode == 2;  // else mode 3, the rate jog
    const int a = s.SelectedAxis;

    // A profile may hold any VelocityInAuto; the list is read only inside its ten entries.
    const int divisor =
        followsSpeed ? settings::SensitivityDivisor(settings::SensitivityIndex(settings_.VelocityInAuto)) : 1;
    s.WheelSpeed = ReportWheelSpeed();

    // Reversal: stop, forget the speed history, and pause for a few Update calls.
    if (direction != s.LastJogDirection && ticks.WheelActiveTicks != 0) {
        StopSelectedAxis();
        if (followsSpeed) s.SpeedHistory.fill(0.0);
        ticks.ReversalTicks = 0;
        if (!followsSpeed) s.StartCounts = 0;
        s.LastJogDirection = direction;
        return;
    }
    if (ticks.ReversalTicks < kReversalPauseTicks) return;

    if (s.WheelSpeed != 0) {
        ticks.WheelActiveTicks = kWheelActiveTicks;
        if (!followsSpeed) s.StartCounts += magnitude;
        if (!host_.GetLED(codes::kJogEnabledLed)) {
            host_.SetStatusText(kJogOffText);
            return;
        }
    }

    if (ticks.WheelActiveTicks == 0) {
        if (!followsSpeed) s.StartCounts = 0;
        EndBurst();
        if (followsSpeed) s.SpeedHistory.fill(0.0);
        return;
    }

    if (!followsSpeed) {
        if (s.StartCounts < settings_.DelaySteps) return;
        if (s.StartCounts > kStartCountsWrap) s.StartCounts = kStartCountsAfterWrap;
    }

    // The jog runs only while the counter moved in at least one of the last two checks.
    s.RecentDeltaIndex = (s.RecentDeltaIndex + 1) % 2;
    s.RecentDeltas[s.RecentDeltaIndex] = magnitude;
    s.FilterSum = s.RecentDeltas[0] + s.RecentDeltas[1];
    if (s.FilterSum == 0.0) {
        StopSelectedAxis();
        return;
    }

    // While the host lights 804 or 805 it takes a jog only with 806 lit as well.
    if (host_.GetLED(codes::kGateLedA) || host_.GetLED(codes::kGateLedB)) {
        if (!host_.GetLED(codes::kGateOpenLed)) return;
    }

    const double velocityLimit = host_.Get(f::HostAxisVelocity[a]);
    double speed = 0.0;
    if (followsSpeed) {
        for (std::size_t i = 0; i + 1 < s.SpeedHistory.size(); ++i) s.SpeedHistory[i] = s.SpeedHistory[i + 1];
        s.SpeedHistory.back() = s.WheelSpeed;
        s.FilterSum = 0.0;
        for (std::size_t i = 0; i < s.SpeedHistory.size(); ++i) s.FilterSum += kFilterWeights[i] * s.SpeedHistory[i];
        s.SpeedFactor = s.FilterSum / 400.0 * 3.0 / divisor;
        if (s.SpeedFactor > 1.0) s.SpeedFactor = 1.0;
        speed = velocityLimit * s.SpeedFactor;
    } else {
        speed = host_.GetDRO(codes::kJogRateDro) * velocityLimit / 100.0;
    }

    if (s.WheelSpeed != 0) {
        if (!s.JogActive) {
            // The host asks with LED 15 to be told when a burst starts, and then when it ends.
            if (host_.GetLED(codes::kBurstButtonLed)) {
                host_.DoButton(codes::kJogBurstStart);
                s.JogStartButtonSent = true;
            } else {
                s.JogStartButtonSent = false;
            }
            s.JogActive = true;
        }
        host_.Set(f::JogDirection[a], direction);
        host_.Set(f::JogVelocity[a], TruncateSpeed(speed));
        host_.Set(f::JogAuxLimit[a], host_.Get(f::HostAxisAux[a]));
        host_.Set(f::JogVelocityLimit[a], host_.Get(f::HostAxisVelocity[a]));
        host_.Set(f::JogStop[a], 0);
        host_.Set(f::JogRun[a], 1);
        host_.Code("DOJOG");
    } else {
        StopSelectedAxis();
    }
    s.LastJogDirection = direction;
}

}  // namespace k7v::control
