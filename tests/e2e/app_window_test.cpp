// The main window is never closed: a window manager's close (a real WM_DELETE_WINDOW message)
// hides it and the application keeps running; a second launch, or the status item's Activate,
// shows it again. The window is found, read and closed through the X server by
// tests/support/x11_windows.py (python3-xlib on $DISPLAY).

#include <gtest/gtest.h>

#include "support/ShellTestFixture.h"
#include "support/StatusNotifierWatcherFake.h"

namespace {

class MainWindowTest : public ShellTestFixture {
protected:
    // What the script prints for the application's main windows ("state" or "close"); "" when it failed.
    static std::string mainWindows(const char* command, pid_t pid) {
        std::string script = VELLOQ_SOURCE_DIR "/tests/support/x11_windows.py", pidText = std::to_string(pid);
        char timeout[] = "timeout", limit[] = "20", python[] = "/usr/bin/python3", title[] = "Velloq Parlor";
        char* argv[] = {timeout, limit, python, script.data(), const_cast<char*>(command), pidText.data(), title, nullptr};
        gchar* output = nullptr;
        gint status = 0;
        const bool ran = g_spawn_sync(nullptr, argv, nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, &output, nullptr,
                                      &status, nullptr) && g_spawn_check_wait_status(status, nullptr);
        std::string text = ran && output ? output : "";
        g_free(output);
        return text;
    }

    // The process has exactly one main window, in that map state.
    static bool windowBecomes(pid_t pid, const std::string& state) {
        return waitUntil([&] { return mainWindows("state", pid) == state + "\n"; }, 15s);
    }

    // Starts the application and closes its main window as a window manager would.
    BundleProcess* startAndCloseMainWindow() {
        BundleProcess* application = startApplication();
        if (!application) return nullptr;
        EXPECT_TRUE(windowBecomes(application->pid(), "viewable")) << "the main window was never shown";
        mainWindows("close", application->pid());
        EXPECT_TRUE(windowBecomes(application->pid(), "unmapped")) << "closing did not hide the main window";
        return application;
    }
};

TEST_F(MainWindowTest, ClosingHidesTheWindowAndASecondLaunchShowsItAgain) {
    BundleProcess* application = startAndCloseMainWindow();
    ASSERT_TRUE(application);
    EXPECT_FALSE(application->waitForExit(2s).has_value()) << "closing the window ended the program";
    EXPECT_EQ(applicationOwner(), application->pid());
    EXPECT_EQ(mainWindows("state", application->pid()), "unmapped\n") << "the window was destroyed";

    BundleProcess& secondLaunch = start(BundleProcess::applicationExecutable());
    EXPECT_EQ(secondLaunch.waitForExit(30s), 0) << "the second launch did not hand over and end";
    EXPECT_TRUE(windowBecomes(application->pid(), "viewable")) << "the second launch did not bring the window back";
    EXPECT_FALSE(application->hasExited());
    EXPECT_EQ(applicationOwner(), application->pid());
}

TEST_F(MainWindowTest, StatusItemActivateShowsTheHiddenWindow) {
    StatusNotifierWatcherFake watcher(m_connection.get());
    ASSERT_TRUE(waitUntil([&] { return watcher.ownsName(); }, 5s));
    BundleProcess* application = startAndCloseMainWindow();
    ASSERT_TRUE(application);
    ASSERT_TRUE(waitUntil([&] { return !watcher.registrations().empty(); }, 15s))
        << "the status item never registered with the watcher";

    const auto [busName, objectPath] = watcher.lastItemAddress();
    EXPECT_TRUE(call(busName, objectPath, "org.kde.StatusNotifierItem", "Activate", g_variant_new("(ii)", 0, 0), nullptr))
        << "Activate was not answered";
    EXPECT_TRUE(windowBecomes(application->pid(), "viewable")) << "Activate did not bring the window back";
    EXPECT_FALSE(application->hasExited());
}

}  // namespace
