// The main window is never closed: a window manager's close (a real WM_DELETE_WINDOW message)
// hides it and the application keeps running; a second launch, or the status item's Activate,
// shows it again. The window is found and its map state read through the X server.

#include <gtest/gtest.h>

#include "BuildConfig.h"
#include "support/ShellTestFixture.h"
#include "support/StatusNotifierWatcherFake.h"
#include "support/X11Windows.h"

namespace {

constexpr const char* kWindowTitle = "Velloq Parlor";
constexpr auto kWindowLimit = std::chrono::seconds(15);

class MainWindowTest : public ShellTestFixture {
protected:
    // The application's main window once it is on screen; "" when it never appears.
    std::string shownMainWindow(pid_t pid) {
        std::string window;
        waitUntil(
            [&] {
                auto windows = X11Windows::windowsOf(pid, kWindowTitle);
                if (windows.size() == 1 && X11Windows::mapState(windows.front()) == "viewable") window = windows.front();
                return !window.empty();
            },
            kWindowLimit);
        return window;
    }

    bool becomes(const std::string& window, const std::string& state) {
        return waitUntil([&] { return X11Windows::mapState(window) == state; }, kWindowLimit);
    }

    // Starts the application and closes its window as a window manager would.
    std::pair<BundleProcess*, std::string> startAndCloseMainWindow() {
        BundleProcess* application = startApplication();
        if (!application) return {};
        const std::string window = shownMainWindow(application->pid());
        EXPECT_FALSE(window.empty()) << "the main window was never shown";
        if (window.empty()) return {};
        EXPECT_TRUE(X11Windows::sendDeleteWindow(window));
        EXPECT_TRUE(becomes(window, "unmapped")) << "closing did not hide the main window";
        return {application, window};
    }
};

TEST_F(MainWindowTest, ClosingHidesTheWindowAndTheApplicationKeepsRunning) {
    auto [application, window] = startAndCloseMainWindow();
    ASSERT_TRUE(application);

    EXPECT_FALSE(application->waitForExit(std::chrono::seconds(2)).has_value()) << "closing the window ended the program";
    EXPECT_TRUE(m_client.nameHasOwner(BuildConfig::kAppId));
    EXPECT_EQ(X11Windows::windowsOf(application->pid(), kWindowTitle).size(), 1u) << "the window was destroyed";
}

TEST_F(MainWindowTest, SecondLaunchShowsTheHiddenWindowAndEnds) {
    auto [application, window] = startAndCloseMainWindow();
    ASSERT_TRUE(application);

    BundleProcess& secondLaunch = start(BundleProcess::applicationExecutable());
    EXPECT_EQ(secondLaunch.waitForExit(std::chrono::seconds(30)), 0) << "the second launch did not hand over and end";
    EXPECT_TRUE(becomes(window, "viewable")) << "the second launch did not bring the window back";
    EXPECT_FALSE(application->hasExited());
    EXPECT_EQ(m_client.ownerPid(BuildConfig::kAppId), application->pid());
}

TEST_F(MainWindowTest, StatusItemActivateShowsTheHiddenWindow) {
    StatusNotifierWatcherFake watcher(m_client.connection());
    ASSERT_TRUE(waitUntil([&] { return watcher.ownsName(); }, std::chrono::seconds(5)));
    auto [application, window] = startAndCloseMainWindow();
    ASSERT_TRUE(application);
    ASSERT_TRUE(waitUntil([&] { return !watcher.registrations().empty(); }, kWindowLimit))
        << "the status item never registered with the watcher";

    const auto [busName, objectPath] = watcher.lastItemAddress();
    auto reply = m_client.call(busName, objectPath, "org.kde.StatusNotifierItem", "Activate", g_variant_new("(ii)", 0, 0),
                               nullptr);
    EXPECT_TRUE(reply) << "Activate was not answered";
    EXPECT_TRUE(becomes(window, "viewable")) << "Activate did not bring the window back";
    EXPECT_FALSE(application->hasExited());
}

}  // namespace
