#pragma once
// The one hand-off from worker threads to the main thread: the thread that runs the default
// GLib main context (the GTK main loop in the program, a plain GMainLoop in tests).
//
// runAsync queues the work and returns at once. runSync queues it and waits until it has run;
// called on the main thread itself it runs the work inline, so it never deadlocks there.
// Once the main loop has ended nothing more runs: runSync answers false at once, and callers
// still waiting are woken with false, so a late worker never blocks the exit.

#include <functional>

namespace MainThread {

// Records the calling thread as the main thread and its loop as running. The program and the
// test main loops call it once before any worker starts.
void adoptCurrentThread();
// The main loop has ended: queued work is dropped and no further work is taken.
void endLoop();
bool isMainThread();

// An exception thrown by the work is logged; nobody is waiting for it.
void runAsync(std::function<void()> work);
// True when the work ran. An exception thrown by the work is rethrown here, in the caller.
bool runSync(std::function<void()> work);

}  // namespace MainThread
