// How much the page scripting bridge adds to the engine's synchronous prompt() round trip:
//  - bridge: a page calls navigateObj.getEnterpriseInfo(callback) again and again, each call a
//    marked prompt answered by Q7ZPageBridge, its callback run before the call returns;
//  - bare: a page calls prompt() again and again, answered by a script-dialog handler that
//    does nothing else.
// Both run in the same process, each in its own web view, after a short warm-up, in alternating
// slices of 1,000 calls. A round trip is the time from one call arriving on the main thread to
// the next.
// Goal: the bridge reaches at least 0.9 of the bare rate.
//
//   bridge [--calls N]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtk/gtk.h>

#include "web/Q7ZPageBridge.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kSlice = 1000;

// Stamps each call's arrival; answers what a real host would.
class StampingHandler : public Q7ZPageBridgeHandler {
public:
    explicit StampingHandler(std::vector<Clock::time_point>& arrivals) : m_arrivals(arrivals) {}
    EnterpriseInfo getEnterpriseInfo() override {
        m_arrivals.push_back(Clock::now());
        return {"Velloq Demo Organisation", "https://parlor.example/icons/title.png"};
    }
    void noticeEvent() override {}
    void showNotice(const std::string&) override {}
    void showIMNotice(const std::string&) override {}
    void showInviteNotice(const std::string&) override {}
    void openSettingWindow() override {}
    void navigateToLogoutPage() override {}
    void exitApplication() override {}
    void changeBadge(std::optional<double>) override {}
    std::string getOSVersion() override { return {}; }
    bool checkIsZoomInstalled() override { return false; }

private:
    std::vector<Clock::time_point>& m_arrivals;
};

gboolean on_bare_view_script_dialog(WebKitWebView*, WebKitScriptDialog* dialog, gpointer arrivals) {
    static_cast<std::vector<Clock::time_point>*>(arrivals)->push_back(Clock::now());
    webkit_script_dialog_prompt_set_text(dialog, "[]");
    return TRUE;
}

// The page's loop: the callback's value is checked on the next line, as a page would use it.
constexpr const char* kPage = R"(<script>
function callBridge(calls) {
  let title = '';
  for (let index = 0; index < calls; ++index) {
    navigateObj.getEnterpriseInfo((remoteTitle) => { title = remoteTitle; });
    if (!title) throw new Error('no answer');
  }
  return calls;
}
function callPrompt(calls) {
  for (let index = 0; index < calls; ++index) {
    if (prompt('x') !== '[]') throw new Error('no answer');
  }
  return calls;
}
</script>)";

void iterateUntil(const bool& done) {
    while (!done) g_main_context_iteration(nullptr, TRUE);
}

void on_view_load_changed(WebKitWebView*, WebKitLoadEvent event, gpointer finished) {
    if (event == WEBKIT_LOAD_FINISHED) *static_cast<bool*>(finished) = true;
}

void load(WebKitWebView* view) {
    bool finished = false;
    const gulong handlerId = g_signal_connect(view, "load-changed", G_CALLBACK(on_view_load_changed), &finished);
    webkit_web_view_load_html(view, kPage, "http://127.0.0.1/bench/");
    iterateUntil(finished);
    g_signal_handler_disconnect(view, handlerId);
}

struct Outcome {
    bool done = false;
    std::string error;
};

void on_script_finished(GObject* view, GAsyncResult* result, gpointer outcome) {
    auto* state = static_cast<Outcome*>(outcome);
    GError* error = nullptr;
    if (JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(view), result, &error)) {
        g_object_unref(value);
    } else {
        state->error = error->message;
        g_error_free(error);
    }
    state->done = true;
}

// Seconds and round trips of every call measured so far.
struct Run {
    double seconds = 0;
    std::vector<double> roundTrips;  // microseconds
};

// Runs function(calls) in the view's page; arrivals are stamped by the view's answerer.
void measure(WebKitWebView* view, const char* function, int calls, std::vector<Clock::time_point>& arrivals, Run& run) {
    arrivals.clear();
    arrivals.reserve(calls);
    const std::string script = std::string(function) + "(" + std::to_string(calls) + ")";
    Outcome outcome;
    const auto start = Clock::now();
    webkit_web_view_evaluate_javascript(view, script.c_str(), -1, nullptr, nullptr, nullptr, &on_script_finished,
                                        &outcome);
    iterateUntil(outcome.done);
    run.seconds += std::chrono::duration<double>(Clock::now() - start).count();
    if (!outcome.error.empty() || arrivals.size() != static_cast<std::size_t>(calls)) {
        std::fprintf(stderr, "%s: %s (%zu calls arrived)\n", function, outcome.error.c_str(), arrivals.size());
        std::exit(1);
    }
    for (std::size_t index = 1; index < arrivals.size(); ++index) {
        run.roundTrips.push_back(
            std::chrono::duration<double, std::micro>(arrivals[index] - arrivals[index - 1]).count());
    }
}

void report(const char* what, int calls, Run& run) {
    auto& trips = run.roundTrips;
    std::nth_element(trips.begin(), trips.begin() + trips.size() / 2, trips.end());
    std::printf("%-36s %8.0f calls/s   median round trip %7.1f us   (%d calls, %.3f s)\n", what, calls / run.seconds,
                trips[trips.size() / 2], calls, run.seconds);
}

int parseCalls(int argc, char** argv) {
    for (int index = 1; index + 1 < argc; ++index) {
        if (std::strcmp(argv[index], "--calls") == 0) return std::max(kSlice, std::atoi(argv[index + 1]));
    }
    return 10000;
}

}  // namespace

int main(int argc, char** argv) {
    const int calls = parseCalls(argc, argv);
    if (!gtk_init_check(nullptr, nullptr)) {
        std::fprintf(stderr, "No display\n");
        return 1;
    }
    std::vector<Clock::time_point> arrivals;
    StampingHandler handler(arrivals);
    // The page is loaded as the organisation's own, from its host.
    Q7ZPageBridge bridge(
        handler, [](const Q7ZBridgeProtocol::DialogRequest&) { return std::string(); },
        Q7ZOrganisationPages("http://127.0.0.1/"));

    GObjectPtr<WebKitWebView> bridgedView(WEBKIT_WEB_VIEW(g_object_ref_sink(webkit_web_view_new())));
    GObjectPtr<WebKitWebView> bareView(WEBKIT_WEB_VIEW(g_object_ref_sink(webkit_web_view_new())));
    WebKitWebView* bridged = bridgedView.get();
    WebKitWebView* bare = bareView.get();
    bridge.attach(bridged);
    g_signal_connect(bare, "script-dialog", G_CALLBACK(on_bare_view_script_dialog), &arrivals);
    load(bridged);
    load(bare);

    // Warm-up, then both in alternating slices, so that a change in the machine's load
    // falls on both alike.
    Run warmUp, bareRun, bridgeRun;
    measure(bare, "callPrompt", 500, arrivals, warmUp);
    measure(bridged, "callBridge", 500, arrivals, warmUp);
    for (int done = 0; done < calls; done += kSlice) {
        const int slice = std::min(kSlice, calls - done);
        measure(bare, "callPrompt", slice, arrivals, bareRun);
        measure(bridged, "callBridge", slice, arrivals, bridgeRun);
    }

    report("bare prompt() round trip", calls, bareRun);
    report("bridge getEnterpriseInfo(callback)", calls, bridgeRun);
    std::printf("bridge rate / bare rate: %.2f (goal: at least 0.90)\n", bareRun.seconds / bridgeRun.seconds);
    return 0;
}
