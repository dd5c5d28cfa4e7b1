// The login-item helper: no window, only a main loop for the delayed start of the application.

#include <memory>

#include <glib.h>

#include "launcher/Q7ZLauncherDelegate.h"

int main() {
    std::unique_ptr<GMainLoop, decltype(&g_main_loop_unref)> loop(g_main_loop_new(nullptr, FALSE), &g_main_loop_unref);
    Q7ZLauncherDelegate delegate(loop.get());
    delegate.applicationDidFinishLaunching();
    g_main_loop_run(loop.get());
    delegate.applicationWillTerminate();
    return 0;
}
