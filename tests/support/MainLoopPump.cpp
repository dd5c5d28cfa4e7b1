#include "support/MainLoopPump.h"

#include <thread>

#include <glib.h>

namespace {

void iterateOnce() {
    if (!g_main_context_iteration(nullptr, FALSE)) std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

}  // namespace

bool pumpUntil(const std::function<bool()>& predicate, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!predicate()) {
        if (std::chrono::steady_clock::now() >= deadline) return predicate();
        iterateOnce();
    }
    return true;
}

void pumpFor(std::chrono::milliseconds duration) {
    const auto deadline = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < deadline) iterateOnce();
}

void drainPending() {
    for (int iteration = 0; iteration < 1000 && g_main_context_pending(nullptr); ++iteration)
        g_main_context_iteration(nullptr, FALSE);
}
