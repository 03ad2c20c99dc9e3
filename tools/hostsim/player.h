// Plays a session against the plug-in through its exported entry points, in simulated time, on
// the simulated HID bus, and writes every call the host receives into the trace.
#pragma once

#include <string>

#include "platform/sim/sim_platform.h"
#include "session.h"
#include "sim_host.h"
#include "trace.h"

namespace k7v::hostsim {

struct PlayOptions {
    std::string profilePath;    // the host's profile file; the session's 'profile' line wins
    bool showFeedback = false;  // trace the feedback reports written to the pendant
};

// The pendant's interface path when the session names none.
inline constexpr const char* kDefaultPendantPath =
    "\\\\?\\hid#vid_04d8&pid_fce6#7&2f1a3c5b&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";

// Plays `session` to its end. Throws SessionError when a step cannot be carried out.
void Play(const Session& session, const PlayOptions& options, Trace& trace);

}  // namespace k7v::hostsim
