// Step jogging (modes 9, 10, 11): each cycle's wheel movement becomes one relative move line for
// the host, held back while the host is busy and turned by the host's rotation angle for X and Y.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "control/controller.h"
#include "control/gcode.h"
#include "control/host_codes.h"

namespace k7v::control {
namespace {

namespace f = host::fields;

constexpr const char* kAxisLetters[host::kAxisCount] = {"X", "Y", "Z", "A"};

// Distance per wheel count, by mode 9, 10, 11, for the fine and the coarse step sizes.
constexpr double kFineUnits[3] = {0.001, 0.01, 0.1};
constexpr double kCoarseUnits[3] = {0.1, 1.0, 10.0};
// A catch-up move is always five counts.
constexpr int kCatchUpCounts = 5;
constexpr double kFineCatchUp[3] = {0.005, 0.05, 0.5};
constexpr double kCoarseCatchUp[3] = {0.5, 5.0, 50.0};

// Degrees to radians with the rounded constant 0.017453293, not pi/180: the last digit of a
// rotated move line depends on it.
constexpr double kDegreesToRadians = 0.017453293;

const char* AxisLetter(int axis)
{
    return axis >= 0 && axis < host::kAxisCount ? kAxisLetters[axis] : "";
}

int ModeRow(int mode)
{
    return mode >= 9 && mode <= 11 ? mode - 9 : 0;
}

// Only 1 selects the coarse set: any other Stepsize (a hand-edited profile) takes the fine, smaller
// distances, so a bad value can never make the axis move further than the user expects.
bool Coarse(std::int32_t stepsize)
{
    return stepsize == 1;
}

double StepUnit(int mode, std::int32_t stepsize)
{
    return Coarse(stepsize) ? kCoarseUnits[ModeRow(mode)] : kFineUnits[ModeRow(mode)];
}

double CatchUpDistance(int mode, std::int32_t stepsize)
{
    return Coarse(stepsize) ? kCoarseCatchUp[ModeRow(mode)] : kFineCatchUp[ModeRow(mode)];
}

// Adds held-back counts without overflowing: a host that stays busy for days must not wrap the
// accumulator into the opposite direction.
std::int32_t AddCounts(std::int32_t accumulator, int counts)
{
    const std::int64_t sum = static_cast<std::int64_t>(accumulator) + counts;
    constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(sum > kLimit ? kLimit : (sum < -kLimit ? -kLimit : sum));
}

}  // namespace

bool PendantController::HostReady() const
{
    // A busy value that is not a number holds the move back too.
    return host_.GetDRO(codes::kBusyDro) < 20.0;
}

void PendantController::SendMoveLine(const CommandLine& line)
{
    // After an axis change the host may still run queued motion for the old axis; a line now
    // would be queued behind it, so it is dropped. A host value that is not a number (DRO 818 as
    // the feed word, the rotation angle) would make a line such as "G91G1 Xnan Ynan ": that line
    // is dropped too. "G90" follows either way, as for any line held back.
    if (!wide_.AxisChangePending && line.Valid()) host_.Code(line.c_str());
    if (state_.RestoreG90) host_.Code("G90");
}

void PendantController::StepJog(int direction, int magnitude)
{
    ControlState& s = state_;
    const char* letter = AxisLetter(s.SelectedAxis);
    if (magnitude == 0) {
        if (s.StepAccumulator != 0) CatchUp(letter);
        return;
    }
    if (magnitude < 0) return;

    if (host_.GetLED(codes::kGateLedA) || host_.GetLED(codes::kGateLedB)) {
        if (!host_.GetLED(codes::kGateOpenLed)) return;
    }
    if (!host_.GetLED(codes::kJogEnabledLed)) {
        host_.SetStatusText(kJogOffText);
        return;
    }
    const double angle = host_.Get(f::HostRotationAngle);
    if (angle != 0.0 && (s.SelectedAxis == 0 || s.SelectedAxis == 1)) {
        RotatedMove(direction, angle);
    } else {
        StraightMove(direction, magnitude, letter);
    }
}

void PendantController::StraightMove(int direction, int magnitude, const char* letter)
{
    ControlState& s = state_;
    const std::int32_t rate = settings_.StepJogRate;
    // The first move of a wheel movement saves the feed DROs; they go back once the wheel rests.
    if (!s.DroRestorePending) {
        s.SavedDro818 = host_.GetDRO(codes::kFeedDro);
        s.SavedDro821 = host_.GetDRO(codes::kStepRateDro);
        s.DroRestorePending = true;
    }
    if (rate != 0) host_.SetDRO(codes::kStepRateDro, 100.0);

    if (HostReady()) {
        double step = magnitude * StepUnit(s.PendantMode, settings_.Stepsize);
        if (direction == 1) step = -step;
        CommandLine line;
        if (rate != 0) {
            line.Format("G91G1 F%d %s %.4f", {rate, letter, step});
        } else {
            line.Format("G91G1 F%.4f %s %.4f", {host_.GetDRO(codes::kFeedDro), letter, step});
        }
        SendMoveLine(line);
    } else {
        s.StepAccumulator = AddCounts(s.StepAccumulator, direction == 1 ? -magnitude : magnitude);
    }
}

void PendantController::RotatedMove(int direction, double angle)
{
    const ControlState& s = state_;
    const double r = angle * kDegreesToRadians;
    double u = StepUnit(s.PendantMode, settings_.Stepsize);
    if (direction == 1) u = -u;
    const double dx = s.SelectedAxis == 0 ? u : 0.0;
    const double dy = s.SelectedAxis == 1 ? u : 0.0;
    // The step vector turned by -r: an X step at 90 degrees moves towards -Y.
    const double x = dx * std::cos(r) - dy * std::sin(-r);
    const double y = dy * std::cos(r) + dx * std::sin(-r);
    if (!HostReady()) return;
    CommandLine line;
    line.Format("G91G1 X%.4f Y%.4f ", {x, y});
    SendMoveLine(line);
}

void PendantController::CatchUp(const char* letter)
{
    ControlState& s = state_;
    const std::int32_t rate = settings_.StepJogRate;
    const double distance = CatchUpDistance(s.PendantMode, settings_.Stepsize);
    auto send = [&] {
        const double step = s.StepAccumulator > 0 ? distance : -distance;
        CommandLine line;
        if (rate != 0) {
            line.Format("G91G1 F%d %s %.4f", {rate, letter, step});
        } else {
            line.Format("G91G1 %s %.4f", {letter, step});
        }
        SendMoveLine(line);
    };

    if (std::abs(s.StepAccumulator) >= kCatchUpCounts && HostReady()) {
        send();
        s.StepAccumulator += s.StepAccumulator > 0 ? -kCatchUpCounts : kCatchUpCounts;
    }
    // A remainder below five counts goes out as one more full catch-up move.
    if (s.StepAccumulator != 0 && std::abs(s.StepAccumulator) < kCatchUpCounts && HostReady()) {
        send();
        s.StepAccumulator = 0;
    }
}

}  // namespace k7v::control
