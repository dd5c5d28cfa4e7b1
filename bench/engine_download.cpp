// What an engine download costs the main loop: the demo server's /downloads/large route fetched
// over loopback by the program's web host (its downloads window open with 500 earlier rows, the
// launcher entry following the progress), beside a bare engine context downloading the same file
// with nothing listening. A 1 ms timer measures the main loop: its longest gap between two runs
// is the longest stall. The launcher entry's Update signals are counted on the session bus.
// Goal: no stall above 50 ms in the program, which sends at most ten updates a second.
//
//   engine_download [--mib N] [--rows N] [--server PATH]    (under dbus-run-session and Xvfb)
//
// Exit status 0 when both downloads finished (met or not), 1 when one failed, 2 for bad
// arguments, no bus or a server that does not start.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include <glib/gstdio.h>
#include <gtkmm.h>
#include <webkit2/webkit2.h>

#include "DemoServerProcess.h"
#include "config/Q7ZAppSettingConfigSingleton.h"
#include "downloads/Q7ZDownloadDataSingleton.h"
#include "platform/GObjectPtr.h"
#include "platform/MainThread.h"
#include "platform/desktop/GtkDialogs.h"
#include "platform/desktop/LauncherEntry.h"
#include "web/Q7ZWebContext.h"
#include "web/Q7ZWebDownloads.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kGoalStallMilliseconds = 50;

struct Options {
    long mib = 256;
    int rows = 500;
    std::string server = VELLOQ_BENCH_DEMO_SERVER;
};

std::optional<Options> parseOptions(int argc, char** argv) {
    Options options;
    for (int index = 1; index + 1 < argc; index += 2) {
        const std::string name = argv[index], value = argv[index + 1];
        if (name == "--mib") options.mib = std::atol(value.c_str());
        else if (name == "--rows") options.rows = std::atoi(value.c_str());
        else if (name == "--server") options.server = value;
        else return std::nullopt;
    }
    if (argc % 2 == 0 || options.mib < 1 || options.rows < 0) return std::nullopt;
    return options;
}

struct Measure {
    double longestStallMs = 0;
    double seconds = 0;
    int busUpdates = 0;
    bool finished = false;
};

// Runs the main loop until the download has ended, timing the gaps between the timer's runs.
Measure follow(WebKitDownload* download, const int& busUpdates) {
    struct State {
        Measure measure;
        Clock::time_point last = Clock::now();
        bool ended = false;
    } state;
    const int updatesBefore = busUpdates;
    const auto start = Clock::now();
    const guint timer = g_timeout_add(
        1,
        [](gpointer data) -> gboolean {
            auto& state = *static_cast<State*>(data);
            const auto now = Clock::now();
            const std::chrono::duration<double, std::milli> gap = now - state.last;
            state.measure.longestStallMs = std::max(state.measure.longestStallMs, gap.count());
            state.last = now;
            return G_SOURCE_CONTINUE;
        },
        &state);
    const auto ended = +[](WebKitDownload*, gpointer data) { static_cast<State*>(data)->ended = true; };
    g_signal_connect(download, "finished", G_CALLBACK(ended), &state);
    g_signal_connect(download, "failed", G_CALLBACK(+[](WebKitDownload*, GError*, gpointer data) {
                         static_cast<State*>(data)->measure.finished = false;
                     }),
                     &state);
    state.measure.finished = true;
    while (!state.ended) g_main_context_iteration(nullptr, TRUE);
    g_source_remove(timer);
    g_signal_handlers_disconnect_by_data(download, &state);
    state.measure.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    state.measure.busUpdates = busUpdates - updatesBefore;
    return state.measure;
}

// The bare side saves into folder under a name of its own.
gboolean bareDestination(WebKitDownload* download, gchar*, gpointer folder) {
    const std::string path = std::string(static_cast<const char*>(folder)) + "/bare.bin";
    const GCharPtr uri(g_filename_to_uri(path.c_str(), nullptr, nullptr));
    webkit_download_set_allow_overwrite(download, TRUE);
    webkit_download_set_destination(download, uri.get());
    return TRUE;
}

void addEarlierRows(int rows, const std::string& folder) {
    for (int index = 0; index < rows; ++index) {
        auto record = std::make_shared<Q7ZDownloadData>();
        record->setRequestID("earlier-" + std::to_string(index));
        record->setSavePathString(folder + "/earlier-" + std::to_string(index) + ".pdf");
        record->setTotalDataLenght(1 << 20);
        record->setCurrentstatus(Q7ZDownloadStatus::Finished);
        Q7ZDownloadDataSingleton::getInstance().addDownloadData(record);
    }
}

void print(const char* side, const Measure& measure, long mib) {
    std::printf("%-22s longest stall %7.1f ms   %6.1f MB/s   launcher updates %d\n", side, measure.longestStallMs,
                (static_cast<double>(mib) * (1 << 20)) / measure.seconds / 1e6, measure.busUpdates);
}

}  // namespace

int main(int argc, char** argv) {
    const auto options = parseOptions(argc, argv);
    if (!options) {
        std::fprintf(stderr, "usage: engine_download [--mib N] [--rows N] [--server PATH]\n");
        return 2;
    }
    // A home of its own: the settings and the files go there, and are gone after.
    const GCharPtr home(g_dir_make_tmp("engine-download-XXXXXX", nullptr));
    g_setenv("HOME", home.get(), TRUE);
    const std::string folder = std::string(home.get()) + "/Downloads";
    g_mkdir_with_parents(folder.c_str(), 0700);
    const DemoServerProcess server(options->server);
    GObjectPtr<GDBusConnection> bus(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr));
    if (server.baseUrl().empty() || !bus || !gtk_init_check(nullptr, nullptr)) {
        std::fprintf(stderr, "no demo server (%s), no session bus or no display\n", options->server.c_str());
        return 2;
    }
    Gtk::Main::init_gtkmm_internals();
    MainThread::adoptCurrentThread();
    int busUpdates = 0;
    g_dbus_connection_signal_subscribe(
        bus.get(), nullptr, "com.canonical.Unity.LauncherEntry", "Update", nullptr, nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
        [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant*, gpointer count) {
            ++*static_cast<int*>(count);
        },
        &busUpdates, nullptr);
    const std::string url = server.baseUrl() + "downloads/large?mib=" + std::to_string(options->mib);
    std::printf("%s, %d earlier rows in the downloads window\n", url.c_str(), options->rows);

    Q7ZAppSettingConfigSingleton::getInstance().setDownloadFileSavePath(folder);
    addEarlierRows(options->rows, folder);
    GtkDialogs dialogs;
    LauncherEntry launcher("app.velloq.Parlor.EngineDownloadBench", bus.get());
    Q7ZWebDownloads downloads(dialogs, &launcher, Q7ZOrganisationPages(server.baseUrl()), nullptr);
    downloads.showDownloaderWindow();
    const GObjectPtr<WebKitDownload> ourDownload(webkit_web_context_download_uri(Q7ZWebContext::shared(), url.c_str()));
    const Measure ours = follow(ourDownload.get(), busUpdates);

    GObjectPtr<WebKitWebContext> bare(webkit_web_context_new());
    g_signal_connect(bare.get(), "download-started",
                     G_CALLBACK(+[](WebKitWebContext*, WebKitDownload* download, gpointer folder) {
                         g_signal_connect(download, "decide-destination", G_CALLBACK(bareDestination), folder);
                     }),
                     const_cast<char*>(folder.c_str()));
    const GObjectPtr<WebKitDownload> bareDownload(webkit_web_context_download_uri(bare.get(), url.c_str()));
    const Measure baseline = follow(bareDownload.get(), busUpdates);

    print("program (web host)", ours, options->mib);
    print("bare engine context", baseline, options->mib);
    std::printf("goal: no stall above %.0f ms: %s\n", kGoalStallMilliseconds,
                ours.longestStallMs <= kGoalStallMilliseconds ? "met" : "NOT met");
    std::error_code error;
    std::filesystem::remove_all(home.get(), error);
    return ours.finished && baseline.finished ? 0 : 1;
}
