// A page download's throughput against curl's own: the demo server's /downloads/large route
// fetched over loopback through Q7ZPageDownload::fetch into a temporary folder, and with
// `curl -s -o FILE` of the same address, in the same run, interleaved (ours, curl, ours, ...).
// Each file is deleted after its run. Prints every run, the median of each side in MB/s
// (10^6 bytes a second) and the ratio of the medians.
// Goal: a page download reaches at least 0.9 of curl's rate.
//
//   page_download [--mib N] [--rounds N] [--server PATH] [--folder DIR]
//     --mib N       size of the file, default 1024 (1 GiB)
//     --rounds N    runs of each side, default 3
//     --server PATH the demo server, default the one of this build
//     --folder DIR  where the files are written, default a new folder in $TMPDIR or /tmp
//
// Exit status 0 when every run saved the whole file (met or not), 1 when a run failed, 2 for
// bad arguments or a server that does not start.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <glib.h>
#include <glib/gstdio.h>

#include "DemoServerProcess.h"
#include "downloads/Q7ZPageDownload.h"
#include "platform/GObjectPtr.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
constexpr double kGoalRatio = 0.9;

struct Options {
    long mib = 1024;
    int rounds = 3;
    std::string server = VELLOQ_BENCH_DEMO_SERVER;
    std::string folder;
};

std::optional<Options> parseOptions(int argc, char** argv) {
    Options options;
    for (int index = 1; index + 1 < argc; index += 2) {
        const std::string name = argv[index], value = argv[index + 1];
        if (name == "--mib") options.mib = std::atol(value.c_str());
        else if (name == "--rounds") options.rounds = std::atoi(value.c_str());
        else if (name == "--server") options.server = value;
        else if (name == "--folder") options.folder = value;
        else return std::nullopt;
    }
    if (argc % 2 == 0 || options.mib < 1 || options.rounds < 1) return std::nullopt;
    return options;
}

// Seconds the whole file took, or nullopt when it did not arrive whole.
std::optional<double> timeOurs(const std::string& url, const std::string& folder, std::uintmax_t bytes) {
    const auto start = Clock::now();
    const auto result = Q7ZPageDownload::fetch({.url = url}, folder);
    const std::chrono::duration<double> took = Clock::now() - start;
    if (result.outcome != Q7ZPageDownload::Result::Outcome::Saved) return std::nullopt;
    std::error_code error;
    const bool whole = fs::file_size(result.savedPath, error) == bytes;
    fs::remove(result.savedPath, error);
    if (!whole) return std::nullopt;
    return took.count();
}

std::optional<double> timeCurl(const std::string& url, const std::string& folder, std::uintmax_t bytes) {
    const std::string file = folder + "/curl.bin";
    const char* argv[] = {"curl", "-s", "-o", file.c_str(), url.c_str(), nullptr};
    int status = -1;
    const auto start = Clock::now();
    const bool ran = g_spawn_sync(nullptr, const_cast<char**>(argv), nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr,
                                  nullptr, nullptr, &status, nullptr);
    const std::chrono::duration<double> took = Clock::now() - start;
    std::error_code error;
    const bool whole = ran && g_spawn_check_wait_status(status, nullptr) && fs::file_size(file, error) == bytes;
    fs::remove(file, error);
    if (!whole) return std::nullopt;
    return took.count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Runs both sides interleaved; false when a run failed.
bool runRounds(const Options& options, const std::string& url, const std::string& folder) {
    const std::uintmax_t bytes = static_cast<std::uintmax_t>(options.mib) << 20;
    std::vector<double> ours, curls;
    for (int round = 1; round <= options.rounds; ++round) {
        const auto our = timeOurs(url, folder, bytes);
        const auto curl = timeCurl(url, folder, bytes);
        if (!our || !curl) {
            const char* side = our ? "curl" : "the page download";
            std::fprintf(stderr, "round %d: %s did not save the whole file\n", round, side);
            return false;
        }
        ours.push_back(bytes / *our / 1e6);
        curls.push_back(bytes / *curl / 1e6);
        std::printf("round %d: page download %8.1f MB/s   curl -o %8.1f MB/s\n", round, ours.back(), curls.back());
    }
    const double ratio = median(ours) / median(curls);
    std::printf("median:  page download %8.1f MB/s   curl -o %8.1f MB/s\n", median(ours), median(curls));
    std::printf("ratio %.3f (goal at least %.1f): %s\n", ratio, kGoalRatio, ratio >= kGoalRatio ? "met" : "NOT met");
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const auto options = parseOptions(argc, argv);
    if (!options) {
        std::fprintf(stderr, "usage: page_download [--mib N] [--rounds N] [--server PATH] [--folder DIR]\n");
        return 2;
    }
    const DemoServerProcess server(options->server);
    if (server.baseUrl().empty()) {
        std::fprintf(stderr, "the demo server %s did not start\n", options->server.c_str());
        return 2;
    }
    const GCharPtr madeFolder(options->folder.empty() ? g_dir_make_tmp("page-download-XXXXXX", nullptr) : nullptr);
    const std::string folder = madeFolder ? madeFolder.get() : options->folder;
    if (folder.empty()) {
        std::fprintf(stderr, "cannot make a temporary folder\n");
        return 2;
    }
    const std::string url = server.baseUrl() + "downloads/large?mib=" + std::to_string(options->mib);
    std::printf("%s, %ld MiB into %s, %d rounds each\n", url.c_str(), options->mib, folder.c_str(), options->rounds);
    const bool completed = runRounds(*options, url, folder);
    if (madeFolder) g_rmdir(folder.c_str());
    return completed ? 0 : 1;
}
