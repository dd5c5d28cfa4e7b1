// SynchronousTask and doHttpPostWithUrl against the demo organisation server on a loopback port:
// what a completed request answers (body of any status, final URL, no stale error), what is
// sent (body with its own Content-Length in UTF-8 bytes, cache headers), and every way
// a request fails (refused URL or scheme, split header, closed port, redirect loop, time limit,
// body over the limit, a body that is not UTF-8) quickly and without a response. The form of
// the server-setting request is proven in enterprise_code_flow_bundle_test.

#include <gtest/gtest.h>

#include <chrono>
#include <optional>

#include <nlohmann/json.hpp>

#include "config/SynchronousTask.h"
#include "support/DemoServer.h"
#include "utility/Q7ZACUtility.h"

namespace {

// An address on the demo server, which starts on first use and is killed when the program exits.
std::string url(const std::string& path) {
    static const DemoServer server;
    return server.url(path);
}

// The program's form posts claim their length themselves; the request must send the body's
// own. The login page check's empty post is proven by the code-flow test.
TEST(Http, SendsTheBodyWithItsOwnLengthInBytesWhateverLengthTheCallerClaims) {
    const std::string body = "name=\xE4\xB8\xAD";  // U+4E2D is one character, three bytes
    const auto reply = SynchronousTask::sendSynchronousDataTaskWithRequest({.url = url("test/echo"),
                                                                            .method = "POST",
                                                                            .headers = {{"Content-Length", "999"}},
                                                                            .body = Bytes(body.begin(), body.end())},
                                                                           nullptr, nullptr);
    const auto echo = nlohmann::json::parse(reply.value_or(Bytes()), nullptr, false);
    ASSERT_TRUE(echo.is_object());
    EXPECT_EQ(echo["method"], "POST");
    EXPECT_EQ(echo["body"], body);
    EXPECT_EQ(echo["headers"]["content-length"], "8");
    EXPECT_EQ(echo["headers"].value("cache-control", "") + echo["headers"].value("pragma", ""), "no-cacheno-cache");
}

// A completed request answers the body of any status and the last redirect's address, with no
// stale error. Each failure ends within its time limit and a little more, with its own code and
// no response; a refused URL, method or header never reaches a connection.
TEST(Http, EachRequestCompletesOrFailsQuicklyWithoutAResponse) {
    const std::string closedPort = DemoServer().url("x");  // its port is closed once it stops
    const std::string echo = url("test/echo"), notFound = url("test/status/404?body=hello");
    const struct {
        const char* name;
        std::string url;
        int code;
        long status = 0;
        std::string finalUrl = "";
        long timeoutSeconds = 1;
        std::string method = "GET";
        std::vector<std::pair<std::string, std::string>> headers = {};
    } rows[] = {
        {"404 with a body", notFound, 0, 404, notFound},
        {"redirected", url("test/redirect?to=/test/status/201%3Fbody%3Dhello"), 0, 201,
         url("test/status/201?body=hello")},
        {"relative URL", "PrivateCloudService.ashx?ASK=getServerSetting", -1},
        {"host without scheme", "127.0.0.1:1/x", -1},
        {"file URL", "file:///etc/passwd", -1},
        {"split header", echo, -2, 0, "", 1, "GET", {{"X-Test", "a\r\nInjected: yes"}}},
        {"split method", echo, -2, 0, "", 1, "GET /x HTTP/1.1\r\n"},
        {"closed port", closedPort, 7},                                             // CURLE_COULDNT_CONNECT
        {"redirect loop", url("test/redirect-loop"), 47, 0, "", 3},                 // CURLE_TOO_MANY_REDIRECTS
        {"slower than the time limit", url("test/slow?ms=5000"), 28},               // CURLE_OPERATION_TIMEDOUT
        {"announced body over 8 MiB", url("test/oversized?mib=9"), 63, 0, "", 10},  // CURLE_FILESIZE_EXCEEDED
        {"streamed body over 8 MiB", url("test/oversized-stream?mib=9"), 63, 0, "", 10},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const UrlRequest request{.url = row.url,
                                 .method = row.method,
                                 .headers = row.headers,
                                 .body = {},
                                 .timeoutSeconds = row.timeoutSeconds};
        UrlResponse response;
        response.statusCode = 7;
        UrlError error{7, "left from an earlier request"};
        const auto start = std::chrono::steady_clock::now();
        const auto body = SynchronousTask::sendSynchronousDataTaskWithRequest(request, &response, &error);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(row.timeoutSeconds + 2));
        EXPECT_EQ(body, row.code ? std::nullopt : std::optional(Bytes{'h', 'e', 'l', 'l', 'o'}));
        EXPECT_EQ(error.code, row.code);
        EXPECT_EQ(error.message.empty(), row.code == 0);
        EXPECT_EQ(response.statusCode, row.status);
        EXPECT_EQ(response.url, row.finalUrl);
    }
    EXPECT_EQ(Q7ZACUtility::doHttpPostWithUrl(url("test/not-utf8"), "a=1"), "");
    const auto underLimit =
        SynchronousTask::sendSynchronousDataTaskWithURL(url("test/oversized-stream?mib=7"), nullptr, nullptr);
    EXPECT_GE(underLimit.value_or(Bytes()).size(), 7u * 1024 * 1024);
}

}  // namespace
