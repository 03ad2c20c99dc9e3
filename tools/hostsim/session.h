// A pendant session: what the simulated host does, line by line, read from a plain text file.
//
// The whole file is read and checked before anything is played, so a mistake on line 40 is
// reported before the first call reaches the plug-in.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace k7v::hostsim {

enum class Op {
    Pendant,        // the pendant is on the bus at start-up: text = path
    Device,         // another HID device: text = path, a = vendor, b = product
    Profile,        // the profile file to use: text = path
    Start,          // host start-up
    Led,            // a = code, b = 0/1
    Dro,            // a = code, value
    Rotation,       // value = degrees
    Busy,           // a = HostBusyFlag
    MachineCounts,  // a, b
    MotionCounts,   // a, b
    NoG90,          // a
    StopFlag,       // a
    AxisVelocity,   // a = axis, b = value
    AxisAux,        // a = axis, b = value
    Report,         // bytes = the report
    Tick,           // a = count
    Update,         // a = count
    Unplug,
    Replug,         // text = path (empty: the pendant's own)
    ConfigOk,       // fields: text edits as "Key=Value"
    ConfigEscape,
    Feedback,       // a = 0/1: show the feedback reports
    Stop,           // StopPlug
};

struct Step {
    int line = 0;
    Op op = Op::Tick;
    std::int64_t a = 0;
    std::int64_t b = 0;
    double value = 0.0;
    std::string text;
    std::vector<std::string> fields;
    std::uint8_t bytes[8] = {};
};

struct Session {
    std::string file;
    std::vector<Step> steps;
};

// "<file>:<line>: <what>" — one line, for the user.
class SessionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads and checks a session. Throws SessionError naming the file and line of the first mistake.
Session ParseSession(const std::string& text, const std::string& fileName);
Session LoadSession(const std::string& path);

}  // namespace k7v::hostsim
