#pragma once
// Bounded iteration of the default main context, for tests that wait for bus replies, signals
// and GTK events. Nothing here waits without a time limit.

#include <chrono>
#include <functional>

// Iterates the default main context until predicate() is true or timeout passes; answers the
// predicate's last value.
bool pumpUntil(const std::function<bool()>& predicate,
               std::chrono::milliseconds timeout = std::chrono::seconds(5));

// Iterates the default main context for the whole duration (to see that something does NOT
// happen).
void pumpFor(std::chrono::milliseconds duration);
