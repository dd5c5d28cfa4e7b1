// The login-item helper inside the built bundle: it starts the application only when none runs,
// and ends; a helper copied outside any bundle starts nothing and stays (its part in a restart
// is proved through the settings window by program_start_test.py). Every process the test
// causes stays in its process group and is reaped.

#include <gtest/gtest.h>

#include "support/ShellTestFixture.h"

namespace {

namespace fs = std::filesystem;

using HelperTest = ShellTestFixture;

TEST_F(HelperTest, HelperStartsTheApplicationOnlyWhenNoneRunsAndEnds) {
    BundleProcess& first = start(BundleProcess::helperExecutable());
    EXPECT_EQ(first.waitForExit(20s), 0) << "the helper did not end";
    ASSERT_TRUE(waitUntil([&] { return applicationOwner().has_value(); }, kStartLimit))
        << "the helper did not start the application";
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
