#pragma once
// Runs the default GLib main context on the test thread, the way the program's main loop
// would, until a condition holds or a time limit passes.

#include <chrono>
#include <functional>

namespace MainLoopPump {

// Runs a GMainLoop, checking condition every few milliseconds; true when it held in time.
bool runUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(20));
// Dispatches whatever is already queued (bounded), without waiting for more.
void drainPending();

}  // namespace MainLoopPump
