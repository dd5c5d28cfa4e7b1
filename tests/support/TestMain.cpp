// The test programs' main: GoogleTest's, except that a suite whose set-up failed ends the
// program with a failure before its tests are reported as skipped. CTest counts a test whose
// output says "[  SKIPPED ]" as skipped, not failed, so a suite that never ran would pass.

#include <cstdio>

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

class FailedSetUpEndsTheRun : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override {
        const testing::TestSuite* suite = testing::UnitTest::GetInstance()->current_test_suite();
        if (!suite || !suite->ad_hoc_test_result().Failed()) return;
        std::fprintf(stderr, "The set-up of %s failed; its tests cannot run.\n", suite->name());
        std::fflush(nullptr);
        _exit(1);
    }
};

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new FailedSetUpEndsTheRun);
    return RUN_ALL_TESTS();
}
