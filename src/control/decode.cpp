// Decoding of the pendant's input report into the control state, the entry check shared by every
// pendant function, and the write-back of the DRO values a step mode saved.
#include "control/controller.h"
#include "control/host_codes.h"

namespace k7v::control {
namespace {

namespace f = host::fields;

// Report fields, taken from the two little-endian words by shifts, never by overlaying the bytes.
int WheelCountOf(std::uint32_t word0)
{
    return static_cast<int>((word0 >> 8) & 0xFF);
}
int AxisSelectorOf(std::uint32_t word0)
{
    return static_cast<int>((word0 >> 24) & 0x0F);
}
int SuspendButtonOf(std::uint32_t word0)
{
    return static_cast<int>((word0 >> 28) & 1);
}
int CommandButtonOf(std::uint32_t word0)
{
    return static_cast<int>((word0 >> 29) & 1);
}
int ModeSelectorOf(std::uint32_t word1)
{
    return static_cast<int>(word1 & 0x7F);
}

// The mode table: the first row whose selector position matches sets PendantMode; 0 means no row.
int ModeFromSelectors(int modeSelector, int axisSelector)
{
    if (modeSelector == 6) return 12;
    if (axisSelector == 6) return 4;
    if (axisSelector == 4) return 5;
    if (axisSelector == 5) return 6;
    switch (modeSelector) {
        case 1:
            return 9;
        case 2:
            return 10;
        case 3:
            return 11;
        case 4:
            return 2;
        case 5:
            return 3;
        default:
            return 0;
    }
}

// Axis-selector positions that select an axis; -1 for the others (mode positions, nothing).
int AxisFromSelector(int axisSelector)
{
    switch (axisSelector) {
        case 1:
            return 0;
        case 2:
            return 1;
        case 3:
            return 2;
        case 7:
            return 3;
        default:
            return -1;
    }
}

}  // namespace

void PendantController::DecodeReport(std::uint32_t word0, std::uint32_t word1)
{
    state_.CurrentReport[0] = word0;
    state_.CurrentReport[1] = word1;
    CommandButton();
    state_.SuspendActive = SuspendButtonOf(word0);
    // The mode table runs before the axis selection: its DoButton names the axis selected before.
    ModeTable();
    AxisSelection();
    WheelMovement();
}

void PendantController::CommandButton()
{
    ControlState& s = state_;
    if (CommandButtonOf(s.CurrentReport[0])) {
        // The press is repeated until the host shows with LED 800 that it took it.
        if (s.CommandButtonLatched == 0 || !host_.GetLED(codes::kCommandTakenLed)) {
            host_.DoButton(codes::kCommandButton);
            s.CommandButtonLatched = 1;
            wide_.CommandReleaseSent = false;
        }
    } else if (!wide_.CommandReleaseSent && s.CommandButtonLatched == 1) {
        s.CommandButtonLatched = 0;
        wide_.CommandReleaseSent = true;
        host_.DoButton(codes::kCommandButton);
    }
}

void PendantController::ModeTable()
{
    ControlState& s = state_;
    s.AxisSelector = AxisSelectorOf(s.CurrentReport[0]);
    s.ModeSelector = ModeSelectorOf(s.CurrentReport[1]);
    if (const int mode = ModeFromSelectors(s.ModeSelector, s.AxisSelector)) s.PendantMode = mode;
    if (s.PendantMode != s.LastPendantMode) host_.DoButton(codes::kModeChangeBase + s.SelectedAxis);
    s.LastPendantMode = s.PendantMode;
}

void PendantController::SetAllJogStops()
{
    for (int axis = 0; axis < host::kAxisCount; ++axis) host_.Set(f::JogStop[axis], 1);
}

int PendantController::ReportWheelSpeed() const
{
    return static_cast<int>((state_.CurrentReport[0] >> 16) & 0xFF);
}

void PendantController::AxisSelection()
{
    ControlState& s = state_;
    if (const int axis = AxisFromSelector(s.AxisSelector); axis >= 0) s.SelectedAxis = axis;

    if (s.AxisSelector != s.LastAxisSelector) {
        s.StepAccumulator = 0;
        // Counts that differ mean the host still has motion queued: step lines wait until it drains.
        if (host_.Get(f::MotionCountB) != host_.Get(f::MotionCountA)) wide_.AxisChangePending = true;
        SetAllJogStops();
        host_.Code("ENDJOG");
    }
    if (wide_.AxisChangePending && host_.Get(f::MotionCountB) == host_.Get(f::MotionCountA))
        wide_.AxisChangePending = false;
    s.LastAxisSelector = s.AxisSelector;
}

void PendantController::WheelMovement()
{
    ControlState& s = state_;
    const int count = WheelCountOf(s.CurrentReport[0]);
    const int d = count - s.LastWheelCount;
    // The counter is 8 bits and wraps: the shorter way round gives the direction. A difference of
    // exactly 128 is ambiguous and leaves the previous cycle's values.
    if (d == 0) {
        s.WheelDelta = 0;
    } else if (d >= 1 && d <= 127) {
        s.WheelDelta = d;
        s.WheelDirection = 0;
    } else if (d <= -129) {
        s.WheelDelta = 256 + d;
        s.WheelDirection = 0;
    } else if (d >= -127 && d <= -1) {
        s.WheelDelta = -d;
        s.WheelDirection = 1;
    } else if (d >= 129) {
        s.WheelDelta = 256 - d;
        s.WheelDirection = 1;
    }

    wide_.RawWheelDirection = s.WheelDirection;
    const bool reversed = (s.SelectedAxis == 0 && settings_.Xreverse == 1) ||
                          (s.SelectedAxis == 1 && settings_.Yreverse == 1) ||
                          (s.SelectedAxis == 2 && settings_.Zreverse == 1);
    if (reversed) s.WheelDirection = 1 - s.WheelDirection;

    s.LastWheelCount = count;
    if (s.WheelDelta != 0) wide_.ticks.WheelRestTicks = 5;
    RunPendantFunction(s.WheelDirection, s.WheelDelta);
    DroWriteBack();
}

void PendantController::DroWriteBack()
{
    ControlState& s = state_;
    // Saved values stay out of the host while the wheel turns and return once it has rested.
    if (!s.DroRestorePending || wide_.ticks.WheelRestTicks != 0) return;
    host_.SetDRO(codes::kFeedDro, s.SavedDro818);
    if (settings_.StepJogRate != 0) host_.SetDRO(codes::kStepRateDro, s.SavedDro821);
    s.DroRestorePending = false;
}

void PendantController::RunPendantFunction(int direction, int magnitude)
{
    ControlState& s = state_;
    if (s.SuspendActive == 1) return;
    // The host's stop flag ends every pendant action, and settles a DoButton(205) owed by a burst.
    if (host_.Get(f::HostStopFlag) != 0) {
        s.StepAccumulator = 0;
        s.JogActive = false;
        if (s.JogStartButtonSent) {
            host_.DoButton(codes::kJogBurstEnd);
            s.JogStartButtonSent = false;
        }
        return;
    }
    switch (s.PendantMode) {
        case 2:
        case 3:
            ContinuousJog(direction, magnitude);
            break;
        case 4:
        case 5:
        case 6:
            Adjust(magnitude);
            break;
        case 9:
        case 10:
        case 11:
            StepJog(direction, magnitude);
            break;
        case 12:
            AxisAction();
            break;
        default:
            break;  // 1: no function
    }
}

void PendantController::StopJogging()
{
    ControlState& s = state_;
    if (!s.JogActive) return;
    SetAllJogStops();
    host_.Code("ENDJOG");
    s.JogActive = false;
    if (s.JogStartButtonSent) {
        host_.DoButton(codes::kJogBurstEnd);
        s.JogStartButtonSent = false;
    }
}

}  // namespace k7v::control
