// The trace the simulated host prints: every call it receives, in order, with the simulated time.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

namespace k7v::hostsim {

class Trace {
public:
    Trace(std::ostream& out, bool json) : out_(out), json_(json) {}

    // One event: `what` is the call or change ("DoButton", "Code", "JogBlock", "Status", ...),
    // `args` its arguments as text, `result` what the host answered (empty when nothing).
    void Event(std::int64_t ms, const std::string& what, const std::string& args, const std::string& result = "");
    // A line of its own from the simulated host (start-up steps, pendant plugged or pulled).
    void Note(std::int64_t ms, const std::string& text);
    // The closing line: only a session that played to its end gets "complete".
    void End(bool complete, const std::string& error);

    std::int64_t events() const { return events_; }

private:
    std::ostream& out_;
    bool json_;
    std::int64_t events_ = 0;
};

// A double as the host would show it: the shortest text that reads back the same ("100", "36.5").
std::string FormatValue(double value);

}  // namespace k7v::hostsim
