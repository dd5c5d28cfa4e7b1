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

std::vector<fs::path> inputFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (entry.is_regular_file() && entry.path().filename().string().front() != '.') files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

TEST(FuzzReplay, EveryKeptInputKeepsTheTargetsInvariants) {
    const std::pair<const char*, void (*)(const std::uint8_t*, std::size_t)> targets[] = {
        {"base64", fuzzBase64}, {"server_list", fuzzServerList},
        {"app_setting_config", fuzzAppSettingConfig}, {"remote_config", fuzzRemoteConfig},
        {"setting_code", fuzzSettingCode}, {"public_key", fuzzPublicKey},
        {"private_cloud_answer", fuzzPrivateCloudAnswer}, {"page_notice", fuzzPageNotice},
        {"download_name", fuzzDownloadName}, {"string_table", fuzzStringTable}, {"bridge_call", fuzzBridgeCall}};
    const fs::path root = VELLOQ_FUZZ_INPUT_DIR;
    for (const auto& [target, function] : targets) {
        auto inputs = inputFiles(root / "corpus" / target);
        EXPECT_FALSE(inputs.empty()) << "no seeds for " << target;
        const auto regressions = inputFiles(root / "regressions" / target);
        inputs.insert(inputs.end(), regressions.begin(), regressions.end());
        for (const auto& file : inputs) {
            std::ifstream in(file, std::ios::binary);
            const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            // A broken invariant or a sanitizer report aborts the program and names the file here.
            std::fprintf(stderr, "replaying %s\n", file.c_str());
            function(bytes.data(), bytes.size());
        }
    }
}

}  // namespace
