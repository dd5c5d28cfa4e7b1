// Q7ZPageDownload against the demo server on a loopback port, judged by what lands in a fresh
// folder: the outcome of each kind of answer (nothing written for no answer; a 404 writing
// nothing is proven through the web host), the name a "ShowName" header gives (decoded twice,
// kept inside the folder, which any name's staying there is the download name fuzzer's
// invariant), collision naming from the first name, and two downloads of one name finishing
// together keeping both files.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "downloads/Q7ZPageDownload.h"
#include "platform/GObjectPtr.h"
#include "support/DemoServer.h"

namespace {

namespace fs = std::filesystem;
using Outcome = Q7ZPageDownload::Result::Outcome;

class PageDownloadTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = std::make_unique<DemoServer>(); }
    static void TearDownTestSuite() { server.reset(); }
    void SetUp() override { fs::create_directory(folder); }
    void TearDown() override { fs::remove_all(folder); }

    Q7ZPageDownload::Result fetch(const std::string& path) {
        return Q7ZPageDownload::fetch({.url = server->url(path)}, folder);
    }
    Q7ZPageDownload::Result fetchNamed(const std::string& name) {
        const GCharPtr query(g_uri_escape_string(name.c_str(), nullptr, FALSE));
        return fetch("downloads/named?name=" + std::string(query.get()));
    }
    std::set<std::string> files() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
        return names;
    }

    static inline std::unique_ptr<DemoServer> server;
    const fs::path folder = fs::temp_directory_path() / ("page-download-" + std::to_string(getpid()));
};

TEST_F(PageDownloadTest, SavesOnlyA200WholeWithItsAnnouncedSize) {
    const struct { std::string url; Outcome outcome; long status; std::set<std::string> files; } rows[] = {
        {"http://127.0.0.1:1/downloads/report.pdf", Outcome::NoResponse, 0, {}},
        {server->url("downloads/large?mib=3"), Outcome::Saved, 200, {"large.bin"}},
        {server->url("downloads/disposition"), Outcome::Saved, 200, {"notes.txt"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.url);
        const auto result = Q7ZPageDownload::fetch({.url = row.url}, folder);
        EXPECT_EQ(result.outcome, row.outcome);
        EXPECT_EQ(result.statusCode, row.status);
        EXPECT_EQ(files(), row.files);
        if (row.outcome != Outcome::Saved) continue;
        EXPECT_EQ(static_cast<std::int64_t>(fs::file_size(result.savedPath)), result.expectedSize);
        fs::remove(result.savedPath);
    }
}

TEST_F(PageDownloadTest, NamesTheFileByShowNameDecodedTwiceAndKeptInsideTheFolder) {
    const std::pair<std::string, std::string> rows[] = {
        {"Meeting%2520files%2520%25E6%259C%2583%25E8%25AD%25B0.zip", "Meeting files 會議.zip"},
        {"100%", "100%"}, {"a%00b", "a%00b"}, {"bell%07.txt", "bell.txt"},
        {"../../.bashrc", ".bashrc"}, {"..%255C..%255Cwin.ini", "win.ini"}, {"..", "download"}, {"", "download"},
    };
    for (const auto& [showName, fileName] : rows) {
        SCOPED_TRACE(showName);
        const auto result = fetchNamed(showName);
        EXPECT_EQ(result.savedPath, (folder / fileName).string());
        EXPECT_EQ(files(), std::set<std::string>{fileName});
        fs::remove(result.savedPath);
    }
}

TEST_F(PageDownloadTest, NumbersATakenNameFromTheFirstName) {
    fs::create_symlink("nowhere", folder / "link.txt");  // a dangling link takes its name too
    for (int round = 0; round < 3; ++round) fetch("downloads/report.pdf");
    for (const char* name : {"README", "README", ".profile", ".profile", "link.txt"}) fetchNamed(name);
    EXPECT_EQ(files(), (std::set<std::string>{"report.pdf", "report-1.pdf", "report-2.pdf", "README", "README-1",
                                              ".profile", ".profile-1", "link.txt", "link-1.txt"}));
}

TEST_F(PageDownloadTest, DownloadsOfOneNameFinishingTogetherKeepEveryFile) {
    std::vector<std::thread> threads;
    for (int index = 0; index < 4; ++index) threads.emplace_back([this] { fetch("downloads/large?mib=4"); });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(files(), (std::set<std::string>{"large.bin", "large-1.bin", "large-2.bin", "large-3.bin"}));
    for (const auto& name : files()) EXPECT_EQ(fs::file_size(folder / name), 4u << 20) << name;
}

}  // namespace
