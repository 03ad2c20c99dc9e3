// A quiet host: callbacks that are plain C functions over fixed arrays of LED and DRO values, which
// count what they receive and never allocate. A run through it shows only the plug-in's own heap
// use, and a timed run does not pay for the host's bookkeeping.
//
// The arrays and the tally are process-wide, because the host's callbacks are plain functions: only
// one quiet host may be in use at a time. Nothing is preset; each user lights the LEDs and sets the
// DROs it needs after the arrays are reset.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "host/host.h"
#include "host/host_fields.h"
#include "host/host_string.h"

namespace k7v::test {

inline constexpr int kQuietCodes = 1100;  // host codes the quiet host keeps; others read 0 or dark
inline bool quietLeds[kQuietCodes];
inline double quietDros[kQuietCodes];

// What the host was asked to do: plain counters, and the time of the last jog and move in the
// simulated clock's milliseconds.
struct HostTally {
    std::int64_t now = 0;             // set by the program before each cycle when it wants the times
    std::uint64_t jogs = 0;           // "DOJOG"
    std::uint64_t moves = 0;          // every "G91G1" move line
    std::uint64_t straightMoves = 0;  // move lines with a feed, "G91G1 F..."
    std::uint64_t rotatedMoves = 0;   // the rotated X and Y pair, "G91G1 X0.0030 Y..."
    std::uint64_t buttons = 0, droWrites = 0;
    std::int64_t lastJogAt = -1, lastMoveAt = -1;
};
inline HostTally tally;

inline bool IsQuietCode(int code)
{
    return code >= 0 && code < kQuietCodes;
}

extern "C" inline void QuietHostDoButton(int)
{
    ++tally.buttons;
}
extern "C" inline void QuietHostSetDro(int code, double value)
{
    ++tally.droWrites;
    if (IsQuietCode(code)) quietDros[code] = value;
}
extern "C" inline double QuietHostGetDro(int code)
{
    return IsQuietCode(code) ? quietDros[code] : 0.0;
}
extern "C" inline bool QuietHostGetLed(int code)
{
    return IsQuietCode(code) && quietLeds[code];
}
extern "C" inline void QuietHostSetLed(int, bool) {}
extern "C" inline void QuietHostCode(const char* line)
{
    // Only the first letters are looked at: "DOJOG" starts a jog step, "G91G1" is a move line.
    if (line[0] == 'D' && std::strcmp(line, "DOJOG") == 0) {
        ++tally.jogs;
        tally.lastJogAt = tally.now;
    } else if (std::strncmp(line, "G91G1", 5) == 0) {
        ++tally.moves;
        tally.lastMoveAt = tally.now;
        if (line[5] == ' ' && line[6] == 'F') ++tally.straightMoves;
        // A straight move on X without a feed reads "G91G1 X 0.0030": the space tells it apart.
        if (line[5] == ' ' && line[6] == 'X' && line[7] != ' ') ++tally.rotatedMoves;
    }
}

inline host::Callbacks QuietCallbacks()
{
    return {QuietHostDoButton, QuietHostSetDro, QuietHostGetDro, QuietHostGetLed, QuietHostSetLed, QuietHostCode};
}

// Every LED dark, every DRO 0.0, every counter 0 and no jog or move seen.
inline void ResetQuietHost()
{
    std::memset(quietLeds, 0, sizeof quietLeds);
    std::memset(quietDros, 0, sizeof quietDros);
    tally = {};
}

// The host's records at their real sizes, a status text with room, and `host` wired to them and to
// the quiet callbacks. Construction resets the arrays and the tally.
class QuietHost {
public:
    QuietHost()
        : motion_(host::kMotionRecordSize), options_(host::kOptionsRecordSize), machine_(host::kMachineRecordSize)
    {
        ResetQuietHost();
        host.callbacks = QuietCallbacks();
        host.records = {motion_.data(), options_.data(), machine_.data(), nullptr};
        status_ = host::HostStringCreate("", 128);
        std::memcpy(machine_.data() + host::fields::HostStatusTextOffset, &status_.data, sizeof status_.data);
    }
    ~QuietHost()
    {
        // The plug-in may have replaced the string object; release the one the record holds now.
        std::memcpy(&status_.data, machine_.data() + host::fields::HostStatusTextOffset, sizeof status_.data);
        host::HostStringRelease(status_);
    }
    QuietHost(const QuietHost&) = delete;
    QuietHost& operator=(const QuietHost&) = delete;

    host::Host host;

private:
    std::vector<std::uint8_t> motion_, options_, machine_;
    host::HostString status_{nullptr};
};

}  // namespace k7v::test
