// How far behind the pendant the plug-in runs: a simulated pendant sends reports at a fixed rate
// while the window polls every 25 ms and takes one report per cycle. The system's input buffer
// holds 32 reports; a reader that falls behind finds them ever older, and loses the oldest once the
// buffer is full. Every figure comes from the simulated clock: nothing sleeps, nothing is timed.
//
// For each rate the wheel turns for kTurnMs, then rests (the pendant goes on sending), once with
// the function selector on continuous jogging (mode 2, "DOJOG" lines) and once on step jogging
// (mode 9, move lines). The table shows how old the decoded report is, how many reports were lost,
// and how long the host goes on receiving motion commands after the wheel stopped.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "pendant_rig.h"

namespace k7v::bench {
namespace {

constexpr std::int64_t kTurnMs = 3000;         // the wheel turns from 0 to here ...
constexpr std::int64_t kEndMs = 6000;          // ... and rests until here
constexpr std::int64_t kPhaseMs = 7;           // the pendant's first report, off the poll's beat
constexpr int kCountsPerSecond = 120;          // wheel counts while turning
constexpr int kTurningSpeed = 40;              // the pendant's wheel-speed byte while turning
constexpr int kPollsPerUpdate = 4;             // the host's Update every 100 ms
constexpr std::int64_t kScheduleAheadMs = 40;  // reports handed to the bus ahead of the clock

struct Run {
    std::uint64_t sent = 0, decoded = 0, lost = 0;
    double ageNewMean = 0, ageNewMax = 0;      // age of a report when first decoded
    double ageCycleMean = 0, ageCycleMax = 0;  // age of what each cycle decodes, repeats included
    std::int64_t motionAfterStopMs = 0;        // last motion command after the wheel stopped
    std::uint64_t faults = 0;
};

Run Simulate(int rateHz, int modeSelector)
{
    PendantRig rig;
    Run run;
    if (!rig.connected) {
        run.faults = 1;
        return run;
    }
    const std::int64_t periodMs = 1000 / rateHz;
    std::vector<std::int64_t> sentAt(1, -1);  // by sequence number; 0 is "no report yet"

    auto inputAt = [&](std::int64_t t, std::uint32_t sequence) {
        const bool turning = t < kTurnMs;
        const std::int64_t counts = std::min(t, kTurnMs) * kCountsPerSecond / 1000;
        return PendantInput{.wheel = static_cast<int>(counts),
                            .speed = turning ? kTurningSpeed : 0,
                            .axisSelector = 1,
                            .modeSelector = modeSelector,
                            .sequence = sequence};
    };

    std::int64_t nextSendMs = kPhaseMs;
    std::uint32_t lastDecoded = 0;
    double ageNewSum = 0, ageCycleSum = 0;
    std::uint64_t cyclesWithReport = 0;
    for (int poll = 1; rig.bus.Now() < kEndMs; ++poll) {
        // The pendant's reports for the next stretch, each arriving at its own time.
        while (nextSendMs <= rig.bus.Now() + kScheduleAheadMs) {
            const auto sequence = static_cast<std::uint32_t>(sentAt.size());
            sentAt.push_back(nextSendMs);
            rig.SendAt(inputAt(nextSendMs, sequence), nextSendMs);
            nextSendMs += periodMs;
        }
        rig.bus.Advance(device::kPollPeriodMs);
        tally.now = rig.bus.Now();
        rig.window->Tick();
        if (poll % kPollsPerUpdate == 0) rig.wide.ticks.OnUpdate();

        const std::uint32_t decoded = PendantInput::SequenceOf(rig.shuttle->ReadBuffer());
        if (decoded == 0) continue;
        // A report taken within the 5 ms wait is decoded as it arrives, so its age is 0.
        const double age = static_cast<double>(std::max<std::int64_t>(0, tally.now - sentAt[decoded]));
        ++cyclesWithReport;
        ageCycleSum += age;
        run.ageCycleMax = std::max(run.ageCycleMax, age);
        if (decoded != lastDecoded) {
            ++run.decoded;
            ageNewSum += age;
            run.ageNewMax = std::max(run.ageNewMax, age);
            lastDecoded = decoded;
        }
    }
    for (std::size_t s = 1; s < sentAt.size(); ++s)
        if (sentAt[s] <= rig.bus.Now()) ++run.sent;
    run.lost = rig.pendant->reportsDropped;
    run.ageNewMean = run.decoded ? ageNewSum / static_cast<double>(run.decoded) : 0;
    run.ageCycleMean = cyclesWithReport ? ageCycleSum / static_cast<double>(cyclesWithReport) : 0;
    const std::int64_t lastMotion = modeSelector == 4 ? tally.lastJogAt : tally.lastMoveAt;
    run.motionAfterStopMs = std::max<std::int64_t>(0, lastMotion - kTurnMs);
    if (lastMotion < 0) run.faults += 1;  // the run never moved the host: the figures would mean nothing
    run.faults += static_cast<std::uint64_t>(rig.bus.faults.Total());
    return run;
}

}  // namespace
}  // namespace k7v::bench

int main()
{
    using namespace k7v::bench;
    std::printf(
        "Report lag: the pendant sends at a fixed rate, the plug-in polls every %u ms and takes one report\n"
        "per cycle from a %zu-report input buffer. Wheel turns %lld ms, then rests; simulated time.\n\n",
        k7v::device::kPollPeriodMs, k7v::platform::kSimInputBufferReports, static_cast<long long>(kTurnMs));
    std::printf(
        "| rate Hz | sent | decoded | lost | age new mean/max ms | age per cycle mean/max ms |"
        " DOJOG after stop ms | moves after stop ms |\n");
    std::printf("|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    int status = 0;
    for (int rate : {10, 40, 100, 250}) {
        const Run jog = Simulate(rate, 4);   // mode 2
        const Run step = Simulate(rate, 1);  // mode 9
        std::printf("| %d | %llu | %llu | %llu | %.1f / %.0f | %.1f / %.0f | %lld | %lld |\n", rate,
                    static_cast<unsigned long long>(jog.sent), static_cast<unsigned long long>(jog.decoded),
                    static_cast<unsigned long long>(jog.lost), jog.ageNewMean, jog.ageNewMax, jog.ageCycleMean,
                    jog.ageCycleMax, static_cast<long long>(jog.motionAfterStopMs),
                    static_cast<long long>(step.motionAfterStopMs));
        if (jog.faults || step.faults) {
            std::fprintf(stderr, "report_lag: the %d Hz run went wrong (no pendant, no motion or a bus misuse)\n",
                         rate);
            status = 1;
        }
    }
    return status;
}
