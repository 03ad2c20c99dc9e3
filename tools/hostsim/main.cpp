// The simulated host: plays a pendant session against the plug-in and prints every call the host
// receives. Usage: hostsim [--json] [--feedback] [--profile FILE] SESSION
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>

#include "player.h"
#include "session.h"
#include "trace.h"

namespace {

const char* kUsage =
    "usage: hostsim [--json] [--feedback] [--profile FILE] SESSION\n"
    "  Plays SESSION (a pendant session file) against the plug-in in simulated time and prints\n"
    "  every call the host receives, one line each.\n"
    "  --json      the same trace as one JSON object a line\n"
    "  --feedback  also show the feedback reports written to the pendant\n"
    "  --profile   the host's profile file (default: a new file in a temporary folder)\n";

// A profile in a fresh temporary folder, removed when the run ends.
class TemporaryProfile {
public:
    TemporaryProfile()
    {
        std::error_code ec;
        const auto base = std::filesystem::temp_directory_path(ec);
        for (int i = 0; i < 100 && folder_.empty(); ++i) {
            auto candidate = base / ("k7v-hostsim-" + std::to_string(std::rand()));
            if (std::filesystem::create_directory(candidate, ec)) folder_ = candidate;
        }
    }
    ~TemporaryProfile()
    {
        std::error_code ec;
        if (!folder_.empty()) std::filesystem::remove_all(folder_, ec);
    }
    std::string Path() const { return folder_.empty() ? std::string() : (folder_ / "profile.xml").string(); }

private:
    std::filesystem::path folder_;
};

}  // namespace

int main(int argc, char** argv)
{
    k7v::hostsim::PlayOptions options;
    bool json = false;
    std::string sessionPath;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--json") {
            json = true;
        } else if (arg == "--feedback") {
            options.showFeedback = true;
        } else if (arg == "--profile" && i + 1 < argc) {
            options.profilePath = argv[++i];
        } else if (arg == "-h" || arg == "--help") {
            std::cout << kUsage;
            return 0;
        } else if (!arg.empty() && arg[0] == '-') {
            std::cerr << "hostsim: unknown option " << arg << "\n" << kUsage;
            return 2;
        } else if (sessionPath.empty()) {
            sessionPath = arg;
        } else {
            std::cerr << "hostsim: one session at a time\n" << kUsage;
            return 2;
        }
    }
    if (sessionPath.empty()) {
        std::cerr << kUsage;
        return 2;
    }

    k7v::hostsim::Session session;
    try {
        session = k7v::hostsim::LoadSession(sessionPath);
    } catch (const k7v::hostsim::SessionError& e) {
        std::cerr << "hostsim: " << e.what() << "\n";
        return 2;
    }

    TemporaryProfile temporary;
    if (options.profilePath.empty()) options.profilePath = temporary.Path();

    k7v::hostsim::Trace trace(std::cout, json);
    try {
        k7v::hostsim::Play(session, options, trace);
    } catch (const std::exception& e) {
        trace.End(false, e.what());
        std::cerr << "hostsim: " << e.what() << "\n";
        return 1;
    }
    trace.End(true, "");
    return 0;
}
