// The login-item helper inside the built bundle. A restart request quits the application and
// the helper starts it again (a new process, and one instance only); the helper started while
// the application runs starts nothing and ends; a helper copied outside any bundle starts
// nothing and stays. Every process the test causes stays in its process group and is reaped.

#include <gtest/gtest.h>

#include <filesystem>

#include "BuildConfig.h"
#include "support/ShellTestFixture.h"

namespace {

namespace fs = std::filesystem;

class HelperTest : public ShellTestFixture {};

TEST_F(HelperTest, RestartRequestStartsOneNewInstanceThroughTheHelper) {
    BundleProcess* application = startApplication();
    ASSERT_TRUE(application);
    const pid_t firstPid = application->pid();

    ASSERT_TRUE(m_client.activateAction("restart"));
    EXPECT_EQ(application->waitForExit(std::chrono::seconds(30)), 0) << "the restart request did not end the program";

    std::optional<pid_t> newPid;
    const bool restarted = waitUntil(
        [&] {
            newPid = m_client.ownerPid(BuildConfig::kAppId);
            return newPid && *newPid != firstPid && !m_client.currentScreen().value_or("").empty();
        },
        kStartLimit);
    ASSERT_TRUE(restarted) << "the helper did not start the application again";
    const auto instances = application->runningInGroup(BundleProcess::applicationExecutable());
    EXPECT_EQ(instances, std::vector<pid_t>{*newPid});
}

TEST_F(HelperTest, QuittingWithoutARestartRequestStartsNothing) {
    BundleProcess* application = startApplication();
    ASSERT_TRUE(application);

    ASSERT_TRUE(m_client.activateAction("quit"));
    EXPECT_EQ(application->waitForExit(std::chrono::seconds(30)), 0);
    EXPECT_FALSE(waitUntil([&] { return m_client.nameHasOwner(BuildConfig::kAppId); }, std::chrono::seconds(2)));
    EXPECT_TRUE(application->runningInGroup(BundleProcess::helperExecutable()).empty());
}

TEST_F(HelperTest, HelperStartedWhileTheApplicationRunsStartsNothingAndEnds) {
    BundleProcess* application = startApplication();
    ASSERT_TRUE(application);

    BundleProcess& helper = start(BundleProcess::helperExecutable());
    EXPECT_EQ(helper.waitForExit(std::chrono::seconds(20)), 0) << "the helper did not end";
    EXPECT_EQ(m_client.ownerPid(BuildConfig::kAppId), application->pid());
    EXPECT_EQ(application->runningInGroup(BundleProcess::applicationExecutable()), std::vector<pid_t>{application->pid()});
    EXPECT_TRUE(helper.runningInGroup(BundleProcess::applicationExecutable()).empty());
}

TEST_F(HelperTest, HelperStartedWhileNoInstanceRunsStartsTheApplicationAndEnds) {
    BundleProcess& helper = start(BundleProcess::helperExecutable());
    EXPECT_EQ(helper.waitForExit(std::chrono::seconds(20)), 0) << "the helper did not end";
    EXPECT_TRUE(waitUntil([&] { return !m_client.currentScreen().value_or("").empty(); }, kStartLimit))
        << "the helper did not start the application";
    EXPECT_EQ(helper.runningInGroup(BundleProcess::applicationExecutable()).size(), 1u);
}

TEST_F(HelperTest, HelperOutsideABundleStartsNothingAndStays) {
    const fs::path copy = fs::path(m_home.path()) / "Loose" / "Contents" / "MacOS" / BuildConfig::kHelperName;
    fs::create_directories(copy.parent_path());
    fs::copy_file(BundleProcess::helperExecutable(), copy);

    BundleProcess& helper = start(copy.string());
    EXPECT_FALSE(helper.waitForExit(std::chrono::seconds(2)).has_value()) << "the helper ended";
    EXPECT_FALSE(m_client.nameHasOwner(BuildConfig::kAppId));
    EXPECT_TRUE(helper.runningInGroup(BundleProcess::applicationExecutable()).empty());
}

}  // namespace
