// What one poll cycle costs: the simulated read, decoding, the pendant function and the feedback
// report, through ShuttleWin::OnPollTimer on the simulated bus, for each pendant function.
//
// Every iteration feeds the pendant's next report, so each cycle does its mode's real work (the
// wheel keeps turning, the host alternates between busy and free where that matters). The counter
// "allocs" is the number of operator new calls per cycle during the timed loop; the goal is 0.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <new>

#include "host/host_fields.h"
#include "pendant_rig.h"

namespace {

std::size_t allocations = 0;

void* Allocate(std::size_t size)
{
    ++allocations;
    if (size == 0) size = 1;
    if (void* p = std::malloc(size)) return p;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size)
{
    return Allocate(size);
}
void* operator new[](std::size_t size)
{
    return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    ++allocations;
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept
{
    return operator new(size, tag);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace k7v::bench {
namespace {

namespace f = host::fields;

// The work a cycle is given: which function the selectors choose, how the wheel moves, and what
// the host does between cycles.
enum class Scenario { NoFunction, SpeedJog, RateJog, Adjust, StepStraight, StepCatchUp, StepRotated, AxisAction };

// The pendant's report for cycle `i` of a scenario.
PendantInput InputFor(Scenario scenario, std::uint64_t i)
{
    const int turn = static_cast<int>(i * 3);  // three counts per cycle, always the same way
    switch (scenario) {
        case Scenario::NoFunction:
            return {.wheel = turn, .speed = 40, .axisSelector = 1, .modeSelector = 0};
        case Scenario::SpeedJog:
            return {.wheel = turn, .speed = 40 + static_cast<int>(i % 50), .modeSelector = 4};
        case Scenario::RateJog:
            return {.wheel = turn, .speed = 40, .modeSelector = 5};
        case Scenario::Adjust:
            // Up and down in turn, so the value never settles at a bound and every cycle writes it.
            return {.wheel = i % 2 ? 0 : 3, .speed = 40, .axisSelector = 6, .modeSelector = 0};
        case Scenario::StepStraight:
        case Scenario::StepRotated:
            return {.wheel = turn, .speed = 40, .modeSelector = 1};
        case Scenario::StepCatchUp:
            // A turn while the host is busy, then a cycle at rest in which the held counts go out.
            return {.wheel = static_cast<int>((i / 2 + 1) * 3), .speed = i % 2 ? 0 : 40, .modeSelector = 1};
        case Scenario::AxisAction:
            // Moving and resting in turn: every start of a movement is an edge that sends a button.
            return {.wheel = turn, .speed = i % 2 ? 0 : 40, .modeSelector = 6};
    }
    return {};
}

void PollCycle(benchmark::State& state, Scenario scenario)
{
    PendantRig rig;
    if (!rig.connected) {
        state.SkipWithError("the pendant was not found on the simulated bus");
        return;
    }
    if (scenario == Scenario::StepRotated) rig.quiet.host.Set(f::HostRotationAngle, 30.0);
    device::ShuttleWin& shuttle = *rig.shuttle;

    std::uint64_t i = 0;
    auto cycle = [&] {
        if (scenario == Scenario::StepCatchUp) quietDros[22] = i % 2 ? 0.0 : 25.0;  // busy, then free
        rig.Send(InputFor(scenario, i));
        shuttle.OnPollTimer(device::kPollTimerId);
        if (i % 4 == 3) rig.wide.ticks.OnUpdate();  // the host's Update, slower than the poll
        ++i;
    };
    // Into steady state first: the mode change, the first jog of a burst and the saved DROs.
    for (int warm = 0; warm < 64; ++warm) cycle();

    const HostTally before = tally;
    const std::size_t allocationsBefore = allocations;
    for (auto _ : state) cycle();
    const std::size_t allocated = allocations - allocationsBefore;

    const auto cycles = static_cast<double>(state.iterations());
    state.counters["allocs"] = benchmark::Counter(static_cast<double>(allocated) / cycles);
    state.counters["jogs"] = benchmark::Counter(static_cast<double>(tally.jogs - before.jogs) / cycles);
    state.counters["moves"] = benchmark::Counter(static_cast<double>(tally.moves - before.moves) / cycles);
    state.counters["buttons"] = benchmark::Counter(static_cast<double>(tally.buttons - before.buttons) / cycles);
    state.counters["dro_writes"] = benchmark::Counter(static_cast<double>(tally.droWrites - before.droWrites) / cycles);
    if (rig.bus.faults.Total() != 0) state.SkipWithError("the simulated bus counted a misuse");
}

BENCHMARK_CAPTURE(PollCycle, mode1_no_function, Scenario::NoFunction);
BENCHMARK_CAPTURE(PollCycle, mode2_speed_jog, Scenario::SpeedJog);
BENCHMARK_CAPTURE(PollCycle, mode3_rate_jog, Scenario::RateJog);
BENCHMARK_CAPTURE(PollCycle, mode4_adjust, Scenario::Adjust);
BENCHMARK_CAPTURE(PollCycle, mode9_straight, Scenario::StepStraight);
BENCHMARK_CAPTURE(PollCycle, mode9_catch_up, Scenario::StepCatchUp);
BENCHMARK_CAPTURE(PollCycle, mode9_rotated, Scenario::StepRotated);
BENCHMARK_CAPTURE(PollCycle, mode12_axis_action, Scenario::AxisAction);

}  // namespace
}  // namespace k7v::bench

BENCHMARK_MAIN();
