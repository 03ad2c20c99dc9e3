// Wheel adjustment of host values (modes 4, 5, 6) and the axis action of mode 12.
#include "control/controller.h"
#include "control/host_codes.h"

namespace k7v::control {
namespace {

struct AdjustRow {
    int dro;
    double raiseBelow;  // raised only while the value is below this
    double upper;
    double lowerAbove;  // lowered only while the value is above this
    double lower;
};

constexpr AdjustRow kJogRateRow{codes::kJogRateDro, 100.0, 100.0, 0.0, 0.1};    // mode 4
constexpr AdjustRow kStepRateRow{codes::kStepRateDro, 250.0, 250.0, 0.0, 1.0};  // mode 5
constexpr AdjustRow kDro74Row{codes::kAdjustedDro74, 250.0, 250.0, 0.0, 1.0};   // mode 6

// Each wheel count changes the value by this fraction of the value read at the start of the cycle.
constexpr double kPerCount = 0.005;

}  // namespace

void PendantController::Adjust(int magnitude)
{
    if (magnitude == 0) return;
    const AdjustRow& row = state_.PendantMode == 4 ? kJogRateRow : state_.PendantMode == 5 ? kStepRateRow : kDro74Row;
    // The raw direction: the reversal settings turn axis moves, not the value adjustments.
    // Comparisons are written so that a value that is not a number is left alone.
    if (wide_.RawWheelDirection == 0) {
        double v = host_.GetDRO(row.dro);
        if (v < row.raiseBelow) {
            v = (magnitude * kPerCount + 1.0) * v;
            if (v > row.upper) v = row.upper;
            host_.SetDRO(row.dro, v);
        }
    } else {
        double v = host_.GetDRO(row.dro);
        if (v > row.lowerAbove) {
            v = (1.0 - magnitude * kPerCount) * v;
            if (v < row.lower) v = row.lower;
            host_.SetDRO(row.dro, v);
        }
    }
}

void PendantController::AxisAction()
{
    ControlState& s = state_;
    s.WheelSpeed = ReportWheelSpeed();
    s.WheelMoving = s.WheelSpeed != 0;
    if (s.WheelSpeed != 0) wide_.ticks.WheelActiveTicks = 3;
    if (wide_.ticks.WheelActiveTicks == 0) return;
    if (host_.GetLED(codes::kGateLedA)) return;
    if (host_.GetLED(codes::kGateLedB)) return;
    // Only the start of a wheel movement triggers the action, and only while the gates are open.
    if (s.WheelMoving && !s.WheelWasMoving) host_.DoButton(codes::kAxisActionBase + s.SelectedAxis);
    s.WheelWasMoving = s.WheelMoving;
}

}  // namespace k7v::control
