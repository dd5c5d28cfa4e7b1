// The demo server's download routes hand over names exactly as the program's download tests
// need them: a name as sent, decoded once (so that the program's own decoding and cleaning are
// what those tests prove), and a file name only in Content-Disposition. The other routes are
// proved by the tests of the program that use them.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "config/SynchronousTask.h"
#include "support/DemoServer.h"

namespace {

// The value of the header named lowerCaseName, compared without regard to case; "-" for none.
std::string headerOf(const UrlResponse& response, const std::string& lowerCaseName) {
    for (const auto& [name, value] : response.headers) {
        std::string lower = name;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
        if (lower == lowerCaseName) return value;
    }
    return "-";
}

TEST(DemoServerWebApp, DownloadNamesReachTheProgramAsSentDecodedOnce) {
    const DemoServer server;
    const struct { const char *path, *showName, *disposition; } rows[] = {
        {"named?name=..%2F..%2F.bashrc", "../../.bashrc", "-"},
        {"named?name=a%2520b+c.txt", "a%20b+c.txt", "-"},
        {"encoded-twice", "Meeting%2520files%2520%25E6%259C%2583%25E8%25AD%25B0.zip", "-"},
        {"disposition", "-", "attachment; filename=\"notes.txt\""},
    };
    for (const auto& row : rows) {
        UrlResponse response;
        ASSERT_TRUE(SynchronousTask::sendSynchronousDataTaskWithURL(server.url("downloads/") + row.path, &response, nullptr));
        EXPECT_EQ(headerOf(response, "showname"), row.showName) << row.path;
        EXPECT_EQ(headerOf(response, "content-disposition"), row.disposition) << row.path;
    }
}

}  // namespace
