#pragma once
// The one hand-off from worker threads to the main thread: the thread that runs the default
// GLib main context (the GTK main loop in the program, a plain GMainLoop in tests).
//
// runAsync queues the work and returns at once. runSync queues it and waits until it has run;
// called on the main thread itself it runs the work inline, so it never deadlocks there.

#include <functional>

namespace MainThread {

// Records the calling thread as the main thread. The program and test main loops call it
// once before any worker starts.
void adoptCurrentThread();
bool isMainThread();

void runAsync(std::function<void()> work);
void runSync(std::function<void()> work);

}  // namespace MainThread
