// The login-item helper inside the built bundle. A restart request quits the application and
// the helper starts it again (a new process, and one instance only), while a plain quit starts
// nothing; the helper starts the application only when none runs, and ends; a helper copied
// outside any bundle starts nothing and stays. Every process the test causes stays in its
// process group and is reaped.

#include <gtest/gtest.h>

#include "support/ShellTestFixture.h"

namespace {

namespace fs = std::filesystem;

using HelperTest = ShellTestFixture;

// The restarted instance then quits for good: quitting without a restart request starts nothing.
TEST_F(HelperTest, RestartRequestStartsOneNewInstanceThroughTheHelperAndQuittingStartsNothing) {
    BundleProcess* application = startApplication();
    ASSERT_TRUE(application);
    const pid_t firstPid = application->pid();

    ASSERT_TRUE(activateAction("restart"));
    EXPECT_EQ(application->waitForExit(30s), 0) << "the restart request did not end the program";
    std::optional<pid_t> newPid;
    ASSERT_TRUE(waitUntil([&] { return (newPid = applicationOwner()) && *newPid != firstPid && !currentScreen().empty(); },
                          kStartLimit))
        << "the helper did not start the application again";
    EXPECT_EQ(application->runningInGroup(BundleProcess::applicationExecutable()), std::vector<pid_t>{*newPid});

    ASSERT_TRUE(activateAction("quit"));
    EXPECT_TRUE(waitUntil([&] { return application->runningInGroup(BundleProcess::applicationExecutable()).empty(); }));
    // The bus drops the ended instance's name a moment after it exits; then no other may come.
    EXPECT_TRUE(waitUntil([&] { return !applicationOwner(); }));
    EXPECT_FALSE(waitUntil([&] { return applicationOwner().has_value(); }, 2s));
    EXPECT_TRUE(application->runningInGroup(BundleProcess::helperExecutable()).empty());
}

TEST_F(HelperTest, HelperStartsTheApplicationOnlyWhenNoneRunsAndEnds) {
    BundleProcess& first = start(BundleProcess::helperExecutable());
    EXPECT_EQ(first.waitForExit(20s), 0) << "the helper did not end";
    ASSERT_TRUE(waitUntil([&] { return !currentScreen().empty(); }, kStartLimit)) << "the helper did not start the application";
    const auto instances = first.runningInGroup(BundleProcess::applicationExecutable());
    ASSERT_EQ(instances.size(), 1u);

    BundleProcess& second = start(BundleProcess::helperExecutable());
    EXPECT_EQ(second.waitForExit(20s), 0) << "the helper did not end while the application runs";
    EXPECT_EQ(applicationOwner(), instances.front());
    EXPECT_EQ(first.runningInGroup(BundleProcess::applicationExecutable()), instances);
    EXPECT_TRUE(second.runningInGroup(BundleProcess::applicationExecutable()).empty());
}

TEST_F(HelperTest, HelperOutsideABundleStartsNothingAndStays) {
    const fs::path copy = fs::path(m_home.path()) / "Loose" / "Contents" / "MacOS" / BuildConfig::kHelperName;
    fs::create_directories(copy.parent_path());
    fs::copy_file(BundleProcess::helperExecutable(), copy);

    BundleProcess& helper = start(copy.string());
    EXPECT_FALSE(helper.waitForExit(2s).has_value()) << "the helper ended";
    EXPECT_FALSE(applicationOwner());
    EXPECT_TRUE(helper.runningInGroup(BundleProcess::applicationExecutable()).empty());
}

}  // namespace
