#pragma once
// Destroys an object once the main loop is idle again. For a window that asks its owner to
// close it from inside one of its own handlers: the owner drops it at once and the window
// lives until that handler, and whatever called it, has returned.

#include <memory>

#include <glibmm/main.h>

template <class T>
void releaseWhenIdle(std::unique_ptr<T> object) {
    if (!object) return;
    std::shared_ptr<T> held(std::move(object));
    Glib::signal_idle().connect_once([held] {});
}
