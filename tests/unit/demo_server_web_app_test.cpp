// The demo server serves the sample web app where the program looks for an organisation's login
// page: the page for a GET and for the login-page check's empty form post, 500 for a broken
// organisation, and each sample answer with the content type that makes the program show it or
// download it.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "config/SynchronousTask.h"
#include "support/DemoServer.h"

namespace {

std::string contentTypeOf(const UrlResponse& response) {
    for (const auto& [name, value] : response.headers) {
        std::string lower = name;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
        if (lower == "content-type") return value;
    }
    return {};
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
        EXPECT_EQ(contentTypeOf(response), row.contentType);
        EXPECT_NE(std::string(body->begin(), body->end()).find(row.bodyPart), std::string::npos);
    }
}

}  // namespace
