// Replays every kept fuzz input through the same targets the fuzzer runs: the seeds in
// corpus/<target>/ (every target has some, and every folder there names a target) and any crash
// input saved under regressions/<target>/, so a crash found once stays a failing test until it
// is mended.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <vector>

#include "FuzzTargets.h"

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> inputFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (entry.is_regular_file() && entry.path().filename().string().front() != '.') files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

TEST(FuzzReplay, EveryKeptInputKeepsTheTargetsInvariants) {
    const fs::path root = VELLOQ_FUZZ_INPUT_DIR;
    std::set<std::string> unclaimed;
    for (const auto& folder : fs::directory_iterator(root / "corpus")) unclaimed.insert(folder.path().filename());
    for (const auto& [target, function] : fuzzTargets()) {
        unclaimed.erase(target);
        auto inputs = inputFiles(root / "corpus" / target);
        EXPECT_FALSE(inputs.empty()) << "no seeds for " << target;
        const auto regressions = inputFiles(root / "regressions" / target);
        inputs.insert(inputs.end(), regressions.begin(), regressions.end());
        for (const auto& file : inputs) {
            std::ifstream in(file, std::ios::binary);
            const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            // A broken invariant or a sanitizer report aborts the program and names the file here.
            std::fprintf(stderr, "replaying %s\n", file.c_str());
            function(bytes);
        }
    }
    EXPECT_TRUE(unclaimed.empty()) << "seeds for no target in corpus/" << *unclaimed.begin();
}

}  // namespace
