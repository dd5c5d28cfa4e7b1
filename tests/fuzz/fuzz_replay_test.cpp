// Replays every kept fuzz input through the same target functions the fuzzers run: the seed
// corpus (which must not be empty) and any crash input saved under regressions/, so a crash
// found once stays a failing test until it is mended.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "FuzzTargets.h"

namespace fs = std::filesystem;

namespace {

using FuzzFunction = void (*)(const std::uint8_t*, std::size_t);

std::vector<fs::path> inputFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.is_regular_file() && entry.path().filename().string().front() != '.') files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::uint8_t> readBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Returns how many seed inputs were replayed.
std::size_t replay(const std::string& target, FuzzFunction function) {
    const fs::path root = VELLOQ_FUZZ_INPUT_DIR;
    const auto seeds = inputFiles(root / "corpus" / target);
    auto inputs = seeds;
    const auto regressions = inputFiles(root / "regressions" / target);
    inputs.insert(inputs.end(), regressions.begin(), regressions.end());
    for (const auto& file : inputs) {
        const auto bytes = readBytes(file);
        // A broken invariant or a sanitizer report aborts the program and names the file above.
        std::fprintf(stderr, "replaying %s\n", file.c_str());
        function(bytes.data(), bytes.size());
    }
    return seeds.size();
}

}  // namespace

TEST(FuzzReplay, Base64) {
    EXPECT_GT(replay("base64", fuzzBase64), 0u);
}

TEST(FuzzReplay, ServerList) {
    EXPECT_GT(replay("server_list", fuzzServerList), 0u);
}

TEST(FuzzReplay, AppSettingConfig) {
    EXPECT_GT(replay("app_setting_config", fuzzAppSettingConfig), 0u);
}

TEST(FuzzReplay, RemoteConfig) {
    EXPECT_GT(replay("remote_config", fuzzRemoteConfig), 0u);
}
