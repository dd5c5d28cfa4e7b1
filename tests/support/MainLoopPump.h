#pragma once
// Bounded iteration of the default GLib main context on the test thread, the way the program's
// main loop would run it: for waiting on hand-backs, bus replies, signals and GTK events.
// Nothing here waits without a time limit.

#include <chrono>
#include <functional>
#include <thread>

#include <glib.h>

// One iteration, or a short sleep when nothing was ready.
inline void iterateMainContextOnce() {
    if (!g_main_context_iteration(nullptr, FALSE)) std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

// Iterates until predicate() is true or timeout passes; answers the predicate's last value.
inline bool pumpUntil(const std::function<bool()>& predicate,
                      std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!predicate()) {
        if (std::chrono::steady_clock::now() >= deadline) return predicate();
        iterateMainContextOnce();
    }
    return true;
}

// Iterates for the whole duration (to see that something does NOT happen).
inline void pumpFor(std::chrono::milliseconds duration) {
    const auto deadline = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < deadline) iterateMainContextOnce();
}

// Dispatches whatever is already queued (bounded), without waiting for more.
inline void drainPending() {
    for (int iteration = 0; iteration < 1000 && g_main_context_pending(nullptr); ++iteration)
        g_main_context_iteration(nullptr, FALSE);
}
