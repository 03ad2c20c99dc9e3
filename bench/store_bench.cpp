// What the profile store costs on a real file, by the wall clock: start-up (open, the seven reads,
// close) and Config (open, seven reads, seven writes, close) on host profiles of 10 KB, 100 KB and
// 1 MB. The same program builds natively (pugixml) and for Windows (the COM XML DOM, run under Wine
// or on Windows). A store saves the whole document when it closes, so both include a full save.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "make_profile.h"
#include "settings/persistence.h"
#include "settings/xml_profile.h"

#ifdef _WIN32
#include "platform/win32/win32_xml.h"
#else
#include "platform/posix/pugi_xml.h"
#endif

namespace k7v::bench {
namespace {

#ifdef _WIN32
constexpr const char* kBackEnd = "COM XML DOM";
std::unique_ptr<settings::XmlDocument> NewDocument()
{
    return platform::CreateWin32XmlDocument();
}
#else
constexpr const char* kBackEnd = "pugixml";
std::unique_ptr<settings::XmlDocument> NewDocument()
{
    return posix::CreatePugiXmlDocument();
}
#endif

// Each measurement repeats until it has run this long, at least kMinRuns times.
constexpr double kBudgetSeconds = 0.5;
constexpr std::size_t kMinRuns = 5;
constexpr std::size_t kMaxRuns = 2000;

struct Timing {
    double medianMs = 0, minMs = 0;
    int runs = 0;
};

// One run first, untimed, so the DOM service's start and the file cache count in no figure.
template <typename Work>
Timing Measure(Work work)
{
    using Clock = std::chrono::steady_clock;
    work();
    std::vector<double> times;
    double total = 0;
    while (times.size() < kMaxRuns && (times.size() < kMinRuns || total < kBudgetSeconds * 1000.0)) {
        const auto start = Clock::now();
        work();
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        total += ms;
        times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    Timing t;
    t.runs = static_cast<int>(times.size());
    t.minMs = times.front();
    t.medianMs = times[times.size() / 2];
    return t;
}

}  // namespace
}  // namespace k7v::bench

int main()
{
    using namespace k7v;
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path folder;
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        folder = fs::temp_directory_path(error) / ("k7v-store-bench-" + std::to_string(random()));
        if (!error && fs::create_directory(folder, error)) break;
    }
    if (error || !fs::is_directory(folder)) {
        std::fprintf(stderr, "store_bench: no temporary folder\n");
        return 1;
    }
    const std::string location = (folder / "profile.xml").string();

    int status = 0;
    std::printf("| back-end | profile KB | start-up median / min ms | Config median / min ms | runs |\n");
    std::printf("|---|---:|---:|---:|---:|\n");
    for (std::size_t size : {std::size_t{10} << 10, std::size_t{100} << 10, std::size_t{1} << 20}) {
        const settings::PendantSettings saved{150, 30, 7, 1, 0, 1, 1};
        const std::string profile = bench::MakeProfile(size, saved);
        {
            std::ofstream out(location, std::ios::binary | std::ios::trunc);
            out << profile;
        }
        settings::PendantSettings loaded;
        const bench::Timing startUp = bench::Measure([&] {
            settings::XmlProfile store(bench::NewDocument(), location);
            settings::LoadSettings(store, loaded);
        });
        settings::PendantSettings edited;
        const bench::Timing config = bench::Measure([&] {
            settings::XmlProfile store(bench::NewDocument(), location);
            settings::LoadSettings(store, edited);
            edited.DelaySteps = edited.DelaySteps == 25 ? 30 : 25;  // the dialog's answer
            settings::SaveSettings(store, edited);
        });
        // A store that lost the file, or missed the pendant's section, would make the figures
        // meaningless.
        if (loaded != saved || fs::file_size(location, error) < size / 2) {
            std::fprintf(stderr, "store_bench: the %zu KB profile did not load back\n", size >> 10);
            status = 1;
        }
        std::printf("| %s | %zu | %.3f / %.3f | %.3f / %.3f | %d, %d |\n", bench::kBackEnd, size >> 10,
                    startUp.medianMs, startUp.minMs, config.medianMs, config.minMs, startUp.runs, config.runs);
        std::fflush(stdout);
    }
    fs::remove_all(folder, error);
    return status;
}
