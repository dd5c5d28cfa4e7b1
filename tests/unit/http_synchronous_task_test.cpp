// SynchronousTask against the demo organisation server on a loopback port: what a completed
// request answers (body, status, headers, final URL), what is sent (cache headers, body,
// Content-Length, method), and every way a request fails (refused URL, closed port, time
// limit, oversized body, redirect loop) without hanging and without a response.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include <nlohmann/json.hpp>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "config/SynchronousTask.h"
#include "support/DemoServer.h"
#include "support/TempHome.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string textOf(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }
Bytes bytesOf(std::string_view text) { return Bytes(text.begin(), text.end()); }

std::string headerValue(const UrlResponse& response, const std::string& name) {
    for (const auto& [headerName, value] : response.headers)
        if (strcasecmp(headerName.c_str(), name.c_str()) == 0) return value;
    return {};
}

// A loopback port that nothing listens on: bound, then released.
int closedLoopbackPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

class SynchronousTaskTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = new DemoServer(); }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }

    static UrlRequest requestFor(const std::string& path, const std::string& method = "GET") {
        UrlRequest request;
        request.url = server->url(path);
        request.method = method;
        return request;
    }

    static nlohmann::json echoOf(const UrlRequest& request) {
        UrlResponse response;
        UrlError error;
        const auto body = SynchronousTask::sendSynchronousDataTaskWithRequest(request, &response, &error);
        if (!body) {
            ADD_FAILURE() << "echo failed: " << error.message;
            return nlohmann::json::object();
        }
        return nlohmann::json::parse(textOf(*body));
    }

    static inline DemoServer* server = nullptr;
};

// --- completed requests -------------------------------------------------------------------

TEST_F(SynchronousTaskTest, AnswersTheBodyAndStatusOfEveryStatus) {
    for (const int status : {200, 404, 500}) {
        UrlResponse response;
        UrlError error;
        const auto body = SynchronousTask::sendSynchronousDataTaskWithURL(
            server->url("test/status/" + std::to_string(status) + "?body=hello"), &response, &error);
        ASSERT_TRUE(body.has_value()) << status << ": " << error.message;
        EXPECT_EQ(textOf(*body), "hello");
        EXPECT_EQ(response.statusCode, status);
    }
}

TEST_F(SynchronousTaskTest, CapturesTheResponseHeaders) {
    UrlResponse response;
    ASSERT_TRUE(SynchronousTask::sendSynchronousDataTaskWithRequest(requestFor("test/echo"), &response, nullptr));
    EXPECT_EQ(headerValue(response, "X-Velloq-Echo"), "1");
    EXPECT_EQ(headerValue(response, "Content-Type"), "application/json; charset=utf-8");
}

TEST_F(SynchronousTaskTest, FollowsRedirectsAndKeepsOnlyTheLastResponsesHeaders) {
    UrlResponse response;
    const auto body = SynchronousTask::sendSynchronousDataTaskWithURL(
        server->url("test/redirect?to=/test/status/201"), &response, nullptr);
    ASSERT_TRUE(body.has_value());
    EXPECT_EQ(response.statusCode, 201);
    EXPECT_EQ(response.url, server->url("test/status/201"));
    EXPECT_TRUE(headerValue(response, "Location").empty());
}

TEST_F(SynchronousTaskTest, SendsNoCacheHeadersOnlyWhenAskedToIgnoreTheCache) {
    UrlRequest request = requestFor("test/echo");
    const auto ignoring = echoOf(request);
    EXPECT_EQ(ignoring["headers"].value("cache-control", ""), "no-cache");
    EXPECT_EQ(ignoring["headers"].value("pragma", ""), "no-cache");

    request.ignoreLocalCacheData = false;
    const auto caching = echoOf(request);
    EXPECT_FALSE(caching["headers"].contains("cache-control"));
    EXPECT_FALSE(caching["headers"].contains("pragma"));
}

TEST_F(SynchronousTaskTest, SendsTheBodyWithItsOwnLengthWhateverLengthTheCallerClaims) {
    UrlRequest request = requestFor("test/echo", "POST");
    request.body = bytesOf("a=1&b=2");
    request.headers = {{"Content-Length", "999"}, {"Content-Type", "application/x-www-form-urlencoded"}};
    const auto echo = echoOf(request);
    EXPECT_EQ(echo["method"], "POST");
    EXPECT_EQ(echo["body"], "a=1&b=2");
    EXPECT_EQ(echo["headers"]["content-length"], "7");
    EXPECT_EQ(echo["headers"]["content-type"], "application/x-www-form-urlencoded");
}

TEST_F(SynchronousTaskTest, SendsOtherMethodsAndAnEmptyPostWithLengthZero) {
    const auto put = echoOf([] {
        UrlRequest request = requestFor("test/echo", "PUT");
        request.body = bytesOf("x");
        return request;
    }());
    EXPECT_EQ(put["method"], "PUT");
    EXPECT_EQ(put["body"], "x");

    const auto emptyPost = echoOf(requestFor("test/echo", "POST"));
    EXPECT_EQ(emptyPost["method"], "POST");
    EXPECT_EQ(emptyPost["headers"]["content-length"], "0");
}

TEST_F(SynchronousTaskTest, UploadsBytesOrAFilesBytes) {
    const Bytes data = bytesOf("uploaded \xE4\xB8\xAD");
    const auto fromData = SynchronousTask::sendSynchronousUploadTaskWithRequestFromData(requestFor("test/echo"), data,
                                                                                         nullptr, nullptr);
    ASSERT_TRUE(fromData.has_value());
    const auto dataEcho = nlohmann::json::parse(textOf(*fromData));
    EXPECT_EQ(dataEcho["method"], "POST");  // a GET request cannot carry the upload
    EXPECT_EQ(dataEcho["body"], textOf(data));

    TempHome home;
    const std::string path = home.path() + "/upload.bin";
    writeFileText(path, "file contents");
    const auto fromFile = SynchronousTask::sendSynchronousUploadTaskWithRequestFromFile(
        requestFor("test/echo", "PUT"), path, nullptr, nullptr);
    ASSERT_TRUE(fromFile.has_value());
    const auto fileEcho = nlohmann::json::parse(textOf(*fromFile));
    EXPECT_EQ(fileEcho["method"], "PUT");
    EXPECT_EQ(fileEcho["body"], "file contents");

    UrlError error;
    EXPECT_FALSE(SynchronousTask::sendSynchronousUploadTaskWithRequestFromFile(
        requestFor("test/echo"), home.path() + "/missing", nullptr, &error));
    EXPECT_NE(error.code, 0);
}

TEST_F(SynchronousTaskTest, DownloadsIntoANewTemporaryFile) {
    UrlResponse response;
    const auto first = SynchronousTask::sendSynchronousDownloadTaskWithURL(server->url("test/status/200?body=abc"),
                                                                           &response, nullptr);
    const auto second = SynchronousTask::sendSynchronousDownloadTaskWithRequest(requestFor("test/status/200?body=de"),
                                                                                nullptr, nullptr);
    ASSERT_TRUE(first.has_value());
    ASSERT_TRUE(second.has_value());
    EXPECT_NE(*first, *second);
    EXPECT_EQ(readFileText(*first), "abc");
    EXPECT_EQ(readFileText(*second), "de");
    EXPECT_EQ(response.statusCode, 200);
    std::filesystem::remove(*first);
    std::filesystem::remove(*second);
}

// --- failures -----------------------------------------------------------------------------

TEST_F(SynchronousTaskTest, RefusesUrlsWithoutSchemeAndHostBeforeAnyConnection) {
    for (const std::string url : {"PrivateCloudService.ashx?ASK=getServerSetting", "127.0.0.1:1/x",
                                  "VUD/Parlor/ParlorLogin.aspx?lang=en-US", ""}) {
        UrlResponse response;
        response.statusCode = 7;
        UrlError error;
        EXPECT_FALSE(SynchronousTask::sendSynchronousDataTaskWithURL(url, &response, &error)) << url;
        EXPECT_EQ(error.code, -1) << url;
        EXPECT_EQ(response.statusCode, 0) << url;
    }
}

TEST_F(SynchronousTaskTest, RefusesSchemesOtherThanHttp) {
    TempHome home;
    writeFileText(home.path() + "/secret", "secret");
    UrlError error;
    EXPECT_FALSE(SynchronousTask::sendSynchronousDataTaskWithURL("file://" + home.path() + "/secret", nullptr, &error));
    EXPECT_NE(error.code, 0);
}

TEST_F(SynchronousTaskTest, RefusesHeaderAndMethodTextThatWouldSplitTheRequest) {
    UrlRequest header = requestFor("test/echo");
    header.headers = {{"X-Test", "a\r\nInjected: yes"}};
    UrlRequest method = requestFor("test/echo", "GET /x HTTP/1.1\r\n");
    for (const UrlRequest& request : {header, method}) {
        UrlError error;
        EXPECT_FALSE(SynchronousTask::sendSynchronousDataTaskWithRequest(request, nullptr, &error));
        EXPECT_EQ(error.code, -2);
    }
}

TEST_F(SynchronousTaskTest, FailsQuicklyOnAClosedPort) {
    const auto start = Clock::now();
    UrlResponse response;
    UrlError error;
    EXPECT_FALSE(SynchronousTask::sendSynchronousDataTaskWithURL(
        "http://127.0.0.1:" + std::to_string(closedLoopbackPort()) + "/", &response, &error));
    EXPECT_NE(error.code, 0);
    EXPECT_FALSE(error.message.empty());
    EXPECT_EQ(response.statusCode, 0);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
}

TEST_F(SynchronousTaskTest, GivesUpOnAServerSlowerThanTheTimeLimit) {
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

TEST_F(SynchronousTaskTest, TreatsABodyOverTheLimitAsAFailedRequest) {
    for (const std::string path : {"test/oversized?mib=9", "test/oversized-stream?mib=9"}) {
        UrlResponse response;
        UrlError error;
        EXPECT_FALSE(SynchronousTask::sendSynchronousDataTaskWithURL(server->url(path), &response, &error)) << path;
        EXPECT_EQ(error.code, 63) << path;  // CURLE_FILESIZE_EXCEEDED
        EXPECT_EQ(response.statusCode, 0) << path;
        EXPECT_FALSE(SynchronousTask::sendSynchronousDownloadTaskWithURL(server->url(path), nullptr, nullptr)) << path;
    }
}

TEST_F(SynchronousTaskTest, AcceptsABodyJustUnderTheLimit) {
    // 7 MiB passes; the limit is 8 MiB.
    const auto body = SynchronousTask::sendSynchronousDataTaskWithURL(server->url("test/oversized-stream?mib=7"),
                                                                      nullptr, nullptr);
    ASSERT_TRUE(body.has_value());
    EXPECT_GE(body->size(), 7u * 1024 * 1024);
    EXPECT_LE(body->size(), SynchronousTask::kMaxBodyBytes);
}

TEST_F(SynchronousTaskTest, StopsFollowingARedirectLoop) {
    UrlError error;
    EXPECT_FALSE(SynchronousTask::sendSynchronousDataTaskWithURL(server->url("test/redirect-loop"), nullptr, &error));
    EXPECT_EQ(error.code, 47);  // CURLE_TOO_MANY_REDIRECTS
}

}  // namespace
