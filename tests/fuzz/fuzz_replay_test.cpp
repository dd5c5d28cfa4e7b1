// Replays every kept fuzz input through the same targets the fuzzer runs: the seeds in
// corpus/<target>/ (every target has some) and any crash input saved under
// regressions/<target>/, so a crash found once stays a failing test until it is mended. Every
// folder there must name a target.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "FuzzTargets.h"
#include "support/TempHome.h"

namespace fs = std::filesystem;

namespace {

TEST(FuzzReplay, EveryKeptInputKeepsTheTargetsInvariants) {
    std::set<fs::path> inputs;  // in order, so that a run can be repeated
    for (const char* kind : {"corpus", "regressions"})
        for (const auto& entry : fs::recursive_directory_iterator(fs::path(VELLOQ_FUZZ_INPUT_DIR) / kind))
            if (entry.is_regular_file() && entry.path().filename().string().front() != '.') inputs.insert(entry.path());
    std::set<std::string> seeded;
    for (const auto& file : inputs) {
        const std::string target = file.parent_path().filename();
        const auto found = fuzzTargets().find(target);
        ASSERT_NE(found, fuzzTargets().end()) << "no fuzz target for " << file;
        if (file.parent_path().parent_path().filename() == "corpus") seeded.insert(target);
        // A broken invariant or a sanitizer report aborts the program and names the file here.
        std::fprintf(stderr, "replaying %s\n", file.c_str());
        found->second(readFileText(file));
    }
    for (const auto& [target, function] : fuzzTargets()) EXPECT_TRUE(seeded.count(target)) << "no seeds for " << target;
}

}  // namespace
