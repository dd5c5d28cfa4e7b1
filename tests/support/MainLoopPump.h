#pragma once
// Bounded iteration of the default GLib main context on the test thread, the way the program's
// main loop would run it: for waiting on hand-backs, bus replies, signals and GTK events.
// Nothing here waits without a time limit.

#include <chrono>
#include <functional>

// Iterates until predicate() is true or timeout passes; answers the predicate's last value.
bool pumpUntil(const std::function<bool()>& predicate, std::chrono::milliseconds timeout = std::chrono::seconds(5));

// Iterates for the whole duration (to see that something does NOT happen).
void pumpFor(std::chrono::milliseconds duration);

// Dispatches whatever is already queued (bounded), without waiting for more.
void drainPending();
