// SynchronousTask and doHttpPostWithUrl against the demo organisation server on a loopback port:
// what a completed request answers (body, status, final URL), what is sent (cache
// headers, body, Content-Length in UTF-8 bytes, method, form members kept apart, a fresh T per
// request), and every way a request fails (refused URL, split header, closed port, time limit,
// oversized body, redirect loop, a body that is not UTF-8) without hanging and without a
// response.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>

#include <nlohmann/json.hpp>

#include "config/Q7ZACUtilityEndpoints.h"
#include "config/SynchronousTask.h"
#include "support/DemoServer.h"
#include "support/TempHome.h"

namespace {

using Clock = std::chrono::steady_clock;
using Q7ZACUtility::doHttpPostWithUrl;
using Q7ZACUtility::urlEncodeValue;

std::string textOf(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// The body the server-setting request sends.
std::string serverSettingBody(const std::string& code) {
    return "CloudKey=" + urlEncodeValue(code) + "&T=" + urlEncodeValue(Q7ZACUtility::getUUIDString());
}

class HttpTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = std::make_unique<DemoServer>(); }
    static void TearDownTestSuite() { server.reset(); }

    static UrlRequest requestFor(const std::string& path, const std::string& method = "GET",
                                 const std::string& body = "") {
        UrlRequest request;
        request.url = server->url(path);
        request.method = method;
        request.body = Bytes(body.begin(), body.end());
        return request;
    }
    // The echo's JSON; a failed request or a body that is not JSON gives a discarded value.
    static nlohmann::json jsonOf(const std::optional<Bytes>& body) {
        return nlohmann::json::parse(body ? textOf(*body) : "", nullptr, false);
    }
    static nlohmann::json echoOf(const UrlRequest& request) {
        return jsonOf(SynchronousTask::sendSynchronousDataTaskWithRequest(request, nullptr, nullptr));
    }
    static nlohmann::json echoOfPost(const std::string& body) {
        return nlohmann::json::parse(doHttpPostWithUrl(server->url("test/echo"), body), nullptr, false);
    }

    static inline std::unique_ptr<DemoServer> server;
};

// --- completed requests -------------------------------------------------------------------

TEST_F(HttpTest, AnswersTheBodyOfEveryStatus) {
    for (const int status : {200, 404, 500}) {
        UrlResponse response;
        UrlError error{7, "left from an earlier request"};
        const auto body = SynchronousTask::sendSynchronousDataTaskWithURL(
            server->url("test/status/" + std::to_string(status) + "?body=hello"), &response, &error);
        EXPECT_EQ(body, Bytes({'h', 'e', 'l', 'l', 'o'})) << status;
        EXPECT_EQ(response.statusCode, status);
        EXPECT_EQ(error.code, 0) << "a completed request reports no error";
    }
    const std::string html = doHttpPostWithUrl(server->url("test/html-404"), "a=1");
    EXPECT_NE(html.find("<h1>404 Not Found</h1>"), std::string::npos) << html;
    EXPECT_EQ(doHttpPostWithUrl(server->url("test/status/500?body=broken"), ""), "broken");
    EXPECT_EQ(doHttpPostWithUrl(server->url("test/not-utf8"), "a=1"), "");
}

TEST_F(HttpTest, FollowsRedirectsToTheLastResponse) {
    UrlResponse response;
    ASSERT_TRUE(SynchronousTask::sendSynchronousDataTaskWithURL(server->url("test/redirect?to=/test/status/201"),
                                                                &response, nullptr));
    EXPECT_EQ(response.statusCode, 201);
    EXPECT_EQ(response.url, server->url("test/status/201"));
}

TEST_F(HttpTest, SendsTheMethodAndBodyWithItsOwnLengthWhateverLengthTheCallerClaims) {
    for (const auto& [method, body] : {std::pair{"POST", "a=1&b=2"}, {"PUT", "x"}, {"POST", ""}}) {
        SCOPED_TRACE(std::string(method) + " " + body);
        UrlRequest request = requestFor("test/echo", method, body);
        request.headers = {{"Content-Length", "999"}, {"Content-Type", "application/x-www-form-urlencoded"}};
        const auto echo = echoOf(request);
        EXPECT_EQ(echo["method"], method);
        EXPECT_EQ(echo["body"], body);
        EXPECT_EQ(echo["headers"]["content-length"], std::to_string(std::string_view(body).size()));
        EXPECT_EQ(echo["headers"]["content-type"], "application/x-www-form-urlencoded");
        EXPECT_EQ(echo["headers"].value("cache-control", "") + echo["headers"].value("pragma", ""), "no-cacheno-cache");
    }
}

TEST_F(HttpTest, PostsAFormCountedInUtf8BytesWithTwoMembersAndAFreshT) {
    const auto echo = echoOfPost("name=\xE4\xB8\xAD");  // U+4E2D: one character, three bytes
    EXPECT_EQ(echo["method"], "POST");
    EXPECT_EQ(echo["headers"]["content-type"], "application/x-www-form-urlencoded");
    EXPECT_EQ(echo["headers"]["content-length"], "8");
    EXPECT_EQ(echo["bodyLength"], 8);
    EXPECT_EQ(echo["headers"]["cache-control"], "no-cache");

    const std::string code = "a&T=evil=1/2?#";
    const auto first = echoOfPost(serverSettingBody(code))["form"];
    const auto second = echoOfPost(serverSettingBody(code))["form"];
    for (const auto& form : {first, second}) {
        ASSERT_EQ(form.size(), 2u);
        EXPECT_EQ(form[0]["name"], "CloudKey");
        EXPECT_EQ(form[0]["value"], code);
        EXPECT_EQ(form[1]["name"], "T");
        EXPECT_EQ(form[1]["value"].get<std::string>().size(), 36u);
    }
    EXPECT_NE(first[1]["value"], second[1]["value"]);
}

// --- failures -----------------------------------------------------------------------------

TEST_F(HttpTest, RefusesRelativeUrlsOtherSchemesAndSplitHeadersBeforeAnyConnection) {
    for (const std::string url : {"PrivateCloudService.ashx?ASK=getServerSetting", "127.0.0.1:1/x",
                                  "VUD/Parlor/ParlorLogin.aspx?lang=en-US", ""}) {
        UrlResponse response;
        response.statusCode = 7;
        UrlError error;
        EXPECT_FALSE(SynchronousTask::sendSynchronousDataTaskWithURL(url, &response, &error)) << url;
        EXPECT_EQ(error.code, -1) << url;
        EXPECT_EQ(response.statusCode, 0) << url;
    }
    // An empty private cloud base leaves the bare path.
    EXPECT_EQ(doHttpPostWithUrl("PrivateCloudService.ashx?ASK=getServerSetting", serverSettingBody("velloq-one")), "");

    TempHome home;
    writeFileText(home.path() + "/secret", "secret");
    UrlError error;
    EXPECT_FALSE(SynchronousTask::sendSynchronousDataTaskWithURL("file://" + home.path() + "/secret", nullptr, &error));
    EXPECT_NE(error.code, 0);

    UrlRequest header = requestFor("test/echo");
    header.headers = {{"X-Test", "a\r\nInjected: yes"}};
    for (const UrlRequest& request : {header, requestFor("test/echo", "GET /x HTTP/1.1\r\n")}) {
        EXPECT_FALSE(SynchronousTask::sendSynchronousDataTaskWithRequest(request, nullptr, &error));
        EXPECT_EQ(error.code, -2);
    }
}

TEST_F(HttpTest, FailsQuicklyOnAClosedPortAndStopsARedirectLoop) {
    std::string url;
    {
        DemoServer gone;  // its port is closed once it stops
        url = gone.url("x");
    }
    const auto start = Clock::now();
    UrlResponse response;
    UrlError error;
    EXPECT_FALSE(SynchronousTask::sendSynchronousDataTaskWithURL(url, &response, &error));
    EXPECT_NE(error.code, 0);
    EXPECT_FALSE(error.message.empty());
    EXPECT_EQ(response.statusCode, 0);
    EXPECT_EQ(doHttpPostWithUrl(url, "a=1"), "");
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));

    EXPECT_FALSE(SynchronousTask::sendSynchronousDataTaskWithURL(server->url("test/redirect-loop"), nullptr, &error));
    EXPECT_EQ(error.code, 47);  // CURLE_TOO_MANY_REDIRECTS
}

TEST_F(HttpTest, GivesUpOnAServerSlowerThanTheTimeLimit) {
    UrlRequest request = requestFor("test/slow?ms=5000");
    request.timeoutSeconds = 1;
    const auto start = Clock::now();
    UrlError error;
    EXPECT_FALSE(SynchronousTask::sendSynchronousDataTaskWithRequest(request, nullptr, &error));
    const auto elapsed = Clock::now() - start;
    EXPECT_EQ(error.code, 28);  // CURLE_OPERATION_TIMEDOUT
    EXPECT_GE(elapsed, std::chrono::milliseconds(900));
    EXPECT_LT(elapsed, std::chrono::seconds(4));
}

// A body over 8 MiB fails whether its Content-Length announces it or it arrives streamed.
TEST_F(HttpTest, TreatsABodyOverTheLimitAsAFailedRequest) {
    for (const std::string path : {"test/oversized?mib=9", "test/oversized-stream?mib=9"}) {
        SCOPED_TRACE(path);
        UrlResponse response;
        UrlError error;
        EXPECT_FALSE(SynchronousTask::sendSynchronousDataTaskWithURL(server->url(path), &response, &error));
        EXPECT_EQ(error.code, 63);  // CURLE_FILESIZE_EXCEEDED
        EXPECT_EQ(response.statusCode, 0);
        EXPECT_EQ(doHttpPostWithUrl(server->url(path), ""), "");
    }
    const auto underLimit = SynchronousTask::sendSynchronousDataTaskWithURL(
        server->url("test/oversized-stream?mib=7"), nullptr, nullptr);
    ASSERT_TRUE(underLimit.has_value());
    EXPECT_GE(underLimit->size(), 7u * 1024 * 1024);
    EXPECT_LE(underLimit->size(), SynchronousTask::kMaxBodyBytes);
}

}  // namespace
