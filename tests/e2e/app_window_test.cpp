// The main window is never closed: a window manager's close (a real WM_DELETE_WINDOW message)
// hides it and the application keeps running; the status item's Activate, or a second launch,
// shows it again. The window is found, read and closed through the X server by
// tests/support/x11_windows.py (python3-xlib on $DISPLAY).

#include <gtest/gtest.h>

#include "support/ShellTestFixture.h"
#include "support/StatusNotifierWatcherFake.h"

namespace {

class MainWindowTest : public ShellTestFixture {
protected:
    // What the script prints for the application's main windows ("state" or "close"); "" when it failed.
    static std::string mainWindows(const std::string& command, pid_t pid) {
        GCharPtr script(g_shell_quote(VELLOQ_SOURCE_DIR "/tests/support/x11_windows.py"));
        const std::string line = "timeout 20 /usr/bin/python3 " + std::string(script.get()) + " " + command + " " +
                                 std::to_string(pid) + " 'Velloq Parlor'";
        gchar* output = nullptr;
        gint status = 0;
        const bool ran = g_spawn_command_line_sync(line.c_str(), &output, nullptr, &status, nullptr) &&
                         g_spawn_check_wait_status(status, nullptr);
        GCharPtr owned(output);
        return ran && output ? output : "";
    }

    // The process has exactly one main window, in that map state.
    static bool windowBecomes(pid_t pid, const std::string& state) {
        return waitUntil([&] { return mainWindows("state", pid) == state + "\n"; }, 15s);
    }

    static void closeMainWindow(pid_t pid) {
        EXPECT_TRUE(windowBecomes(pid, "viewable")) << "the main window is not shown";
        mainWindows("close", pid);
        EXPECT_TRUE(windowBecomes(pid, "unmapped")) << "closing did not hide the main window";
    }
};

TEST_F(MainWindowTest, ClosingHidesTheWindowAndActivateOrASecondLaunchShowsItAgain) {
    StatusNotifierWatcherFake watcher(m_connection.get());
    ASSERT_TRUE(waitUntil([&] { return watcher.ownsName(); }, 5s));
    BundleProcess* application = startApplication();
    ASSERT_TRUE(application);
    const pid_t pid = application->pid();
    closeMainWindow(pid);
    EXPECT_FALSE(application->waitForExit(2s).has_value()) << "closing the window ended the program";
    EXPECT_EQ(mainWindows("state", pid), "unmapped\n") << "the window was destroyed";

    ASSERT_TRUE(waitUntil([&] { return !watcher.registrations().empty(); }, 15s))
        << "the status item never registered with the watcher";
    EXPECT_TRUE(call(watcher.registrations().back(), "/StatusNotifierItem", "org.kde.StatusNotifierItem", "Activate",
                     g_variant_new("(ii)", 0, 0), nullptr))
        << "Activate was not answered";
    closeMainWindow(pid);  // shown again by Activate first

    BundleProcess& secondLaunch = start(BundleProcess::applicationExecutable());
    EXPECT_EQ(secondLaunch.waitForExit(30s), 0) << "the second launch did not hand over and end";
    EXPECT_TRUE(windowBecomes(pid, "viewable")) << "the second launch did not bring the window back";
    EXPECT_FALSE(application->hasExited());
    EXPECT_EQ(applicationOwner(), pid);
}

}  // namespace
