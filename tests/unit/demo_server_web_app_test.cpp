// The demo server serves the sample web app where the program looks for an organisation's login
// page: the page for a GET and for the login-page check's empty form post, 500 for a broken
// organisation, and each sample answer with the content type that makes the program show it or
// download it.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

#include "config/SynchronousTask.h"
#include "support/DemoServer.h"

namespace {

// The value of the header named lowerCaseName, compared without regard to case.
std::optional<std::string> headerOf(const UrlResponse& response, const std::string& lowerCaseName) {
    for (const auto& [name, value] : response.headers) {
        std::string lower = name;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
        if (lower == lowerCaseName) return value;
    }
    return std::nullopt;
}

TEST(DemoServerWebApp, AnswersEachRouteWithItsStatusAndContentType) {
    const DemoServer server;
    const struct {
        const char* method;
        const char* path;
        long status;
        const char* contentType;
        const char* bodyPart;
    } rows[] = {
        {"GET", "orgs/acme/VUD/Parlor/ParlorLogin.aspx?lang=en-US", 200, "text/html; charset=utf-8", "<title>Acme"},
        {"POST", "Community/VUD/Parlor/ParlorLogin.aspx?lang=zh-TW", 200, "text/html; charset=utf-8", "lang=\"zh-TW\""},
        {"GET", "orgs/down/VUD/Parlor/ParlorLogin.aspx?lang=en-US", 500, "text/html; charset=utf-8", ""},
        {"GET", "webapp/app.js", 200, "text/javascript; charset=utf-8", "window.parlorMain"},
        {"GET", "samples/sample.html", 200, "text/html; charset=utf-8", ""},
        {"GET", "samples/sample.xml", 200, "application/xml; charset=utf-8", ""},
        {"GET", "samples/sample.json", 200, "application/json; charset=utf-8", ""},
        {"GET", "samples/sample.png", 200, "image/png", "PNG"},
        {"GET", "samples/sample.pdf", 200, "application/pdf", "%PDF-1.4"},
        {"GET", "samples/sample.zip", 200, "application/zip", "PK"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.method) + " " + row.path);
        UrlRequest request;
        request.url = server.url(row.path);
        request.method = row.method;
        // The login-page check posts an empty form.
        if (request.method == "POST") request.headers = {{"Content-Type", "application/x-www-form-urlencoded"}};
        UrlResponse response;
        const auto body = SynchronousTask::sendSynchronousDataTaskWithRequest(request, &response, nullptr);
        ASSERT_TRUE(body);
        EXPECT_EQ(response.statusCode, row.status);
        EXPECT_EQ(headerOf(response, "content-type"), row.contentType);
        EXPECT_NE(std::string(body->begin(), body->end()).find(row.bodyPart), std::string::npos);
    }
}

// A name reaches ShowName as sent, decoded once; the streamed answers are exactly as long as announced.
TEST(DemoServerWebApp, AnswersEachDownloadWithItsNameAndLength) {
    const DemoServer server;
    // "-": no such header; length 0: as long as Content-Length says.
    const struct { const char *path, *showName, *disposition; long status; std::size_t length; } rows[] = {
        {"report.pdf", "-", "-", 200, 0},
        {"named?name=..%2F..%2F.bashrc", "../../.bashrc", "-", 200, 25},
        {"named?name=a%2520b+c.txt", "a%20b+c.txt", "-", 200, 23},
        {"plain", "Quarterly report.pdf", "-", 200, 0},
        {"encoded-once", "Meeting%20files%20%E6%9C%83%E8%AD%B0.zip", "-", 200, 0},
        {"encoded-twice", "Meeting%2520files%2520%25E6%259C%2583%25E8%25AD%25B0.zip", "-", 200, 0},
        {"disposition", "-", "attachment; filename=\"notes.txt\"", 200, 0},
        {"missing", "-", "-", 404, 0},
        {"large?mib=1", "large.bin", "-", 200, 1024 * 1024},
        {"slow?kib=20&ms=10", "slow.bin", "-", 200, 20 * 1024},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        UrlResponse response;
        const auto body =
            SynchronousTask::sendSynchronousDataTaskWithURL(server.url("downloads/") + row.path, &response, nullptr);
        ASSERT_TRUE(body);
        EXPECT_EQ(response.statusCode, row.status);
        EXPECT_EQ(headerOf(response, "showname").value_or("-"), row.showName);
        EXPECT_EQ(headerOf(response, "content-disposition").value_or("-"), row.disposition);
        EXPECT_EQ(headerOf(response, "content-length"), std::to_string(body->size()));
        if (row.length) {
            EXPECT_EQ(body->size(), row.length);
        }
    }
}

}  // namespace
