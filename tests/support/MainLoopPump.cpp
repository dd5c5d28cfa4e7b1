#include "support/MainLoopPump.h"

#include <glib.h>

namespace MainLoopPump {
namespace {

constexpr guint kCheckIntervalMs = 5;
constexpr int kMaxDrainIterations = 1000;

struct Wait {
    GMainLoop* loop = nullptr;
    const std::function<bool()>* condition = nullptr;
    std::chrono::steady_clock::time_point deadline;
    bool held = false;
};

gboolean check(gpointer data) {
    auto* wait = static_cast<Wait*>(data);
    wait->held = (*wait->condition)();
    if (wait->held || std::chrono::steady_clock::now() >= wait->deadline) {
        g_main_loop_quit(wait->loop);
        return G_SOURCE_REMOVE;
    }
    return G_SOURCE_CONTINUE;
}

}  // namespace

bool runUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    if (condition()) return true;
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    Wait wait{loop, &condition, std::chrono::steady_clock::now() + limit};
    const guint source = g_timeout_add(kCheckIntervalMs, check, &wait);
    g_main_loop_run(loop);
    // The source removed itself when it quit the loop; nothing else refers to wait.
    (void)source;
    g_main_loop_unref(loop);
    return wait.held;
}

void drainPending() {
    for (int iteration = 0; iteration < kMaxDrainIterations && g_main_context_pending(nullptr); ++iteration) {
        g_main_context_iteration(nullptr, FALSE);
    }
}

}  // namespace MainLoopPump
