// doHttpPostWithUrl against the demo server on loopback: what arrives (method, form content
// type, Content-Length in UTF-8 bytes, members kept apart by urlEncodeValue, a fresh T per
// request) and what comes back (any status's body; "" for a body that is not UTF-8, a closed
// port, a relative URL or an oversized body). Also the demo private cloud service's answers.

#include <gtest/gtest.h>

#include <chrono>

#include <nlohmann/json.hpp>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "config/Q7ZACUtilityEndpoints.h"
#include "support/DemoServer.h"

namespace {

using Clock = std::chrono::steady_clock;
using Q7ZACUtility::doHttpPostWithUrl;
using Q7ZACUtility::getUUIDString;
using Q7ZACUtility::urlEncodeValue;

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

// The body the server-setting request sends.
std::string serverSettingBody(const std::string& code) {
    return "CloudKey=" + urlEncodeValue(code) + "&T=" + urlEncodeValue(getUUIDString());
}

class FormPostTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = new DemoServer(); }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }

    static nlohmann::json echoOfPost(const std::string& body) {
        const std::string answer = doHttpPostWithUrl(server->url("test/echo"), body);
        EXPECT_FALSE(answer.empty());
        return nlohmann::json::parse(answer, nullptr, false);
    }

    static inline DemoServer* server = nullptr;
};

TEST_F(FormPostTest, PostsAFormWithTheBodysUtf8ByteLength) {
    const auto echo = echoOfPost("name=\xE4\xB8\xAD");  // U+4E2D: one character, three bytes
    EXPECT_EQ(echo["method"], "POST");
    EXPECT_EQ(echo["headers"]["content-type"], "application/x-www-form-urlencoded");
    EXPECT_EQ(echo["headers"]["content-length"], "8");
    EXPECT_EQ(echo["bodyLength"], 8);
    EXPECT_EQ(echo["headers"]["cache-control"], "no-cache");
}

TEST_F(FormPostTest, ReservedCharactersInAValueKeepTheFormToItsTwoMembers) {
    const std::string code = "a&T=evil=1/2?#";
    const auto form = echoOfPost(serverSettingBody(code))["form"];
    ASSERT_EQ(form.size(), 2u);
    EXPECT_EQ(form[0]["name"], "CloudKey");
    EXPECT_EQ(form[0]["value"], code);
    EXPECT_EQ(form[1]["name"], "T");
    EXPECT_EQ(form[1]["value"].get<std::string>().size(), 36u);
}

TEST_F(FormPostTest, EachRequestCarriesAFreshT) {
    const auto first = echoOfPost(serverSettingBody("velloq-one"))["form"];
    const auto second = echoOfPost(serverSettingBody("velloq-one"))["form"];
    ASSERT_EQ(first.size(), 2u);
    ASSERT_EQ(second.size(), 2u);
    EXPECT_NE(first[1]["value"], second[1]["value"]);
}

TEST_F(FormPostTest, AnswersTheBodyOfAnErrorStatus) {
    const std::string answer = doHttpPostWithUrl(server->url("test/html-404"), "a=1");
    EXPECT_NE(answer.find("<h1>404 Not Found</h1>"), std::string::npos) << answer;
    EXPECT_EQ(doHttpPostWithUrl(server->url("test/status/500?body=broken"), ""), "broken");
}

TEST_F(FormPostTest, AnswersEmptyForABodyThatIsNotUtf8) {
    EXPECT_EQ(doHttpPostWithUrl(server->url("test/not-utf8"), "a=1"), "");
}

TEST_F(FormPostTest, AnswersEmptyForAnOversizedBody) {
    EXPECT_EQ(doHttpPostWithUrl(server->url("test/oversized-stream?mib=9"), ""), "");
}

TEST_F(FormPostTest, AnswersEmptyAtOnceForAClosedPortOrARelativeUrl) {
    const auto start = Clock::now();
    EXPECT_EQ(doHttpPostWithUrl("http://127.0.0.1:" + std::to_string(closedLoopbackPort()) + "/x", "a=1"), "");
    // An empty private cloud base leaves the bare path.
    EXPECT_EQ(doHttpPostWithUrl("PrivateCloudService.ashx?ASK=getServerSetting", serverSettingBody("velloq-one")), "");
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
}

// --- the demo private cloud service, as the server-setting request meets it -------------------

class PrivateCloudServiceTest : public FormPostTest {
protected:
    static nlohmann::json answerFor(const std::string& code) {
        const std::string answer =
            doHttpPostWithUrl(server->url("PrivateCloudService.ashx?ASK=getServerSetting"), serverSettingBody(code));
        return nlohmann::json::parse(answer, nullptr, false);
    }
};

TEST_F(PrivateCloudServiceTest, AnswersTheDemoCodesWithServersOnThisServer) {
    const auto one = answerFor("velloq-one");
    ASSERT_EQ(one["IsSuccess"], true);
    ASSERT_EQ(one["PrivateCloudData"]["ServerList"].size(), 1u);
    EXPECT_EQ(one["PrivateCloudData"]["ServerList"][0]["Url"], server->url("orgs/acme/"));
    EXPECT_EQ(one["PrivateCloudData"]["Title"], "Acme");

    const auto three = answerFor("velloq-three");
    ASSERT_EQ(three["IsSuccess"], true);
    const auto& list = three["PrivateCloudData"]["ServerList"];
    ASSERT_EQ(list.size(), 3u);
    for (std::size_t i = 0; i < list.size(); ++i) EXPECT_EQ(list[i]["Sequence"], i);

    const auto down = answerFor("velloq-down");
    ASSERT_EQ(down["IsSuccess"], true);
    EXPECT_EQ(down["PrivateCloudData"]["ServerList"][0]["Url"], server->url("orgs/down/"));
}

TEST_F(PrivateCloudServiceTest, RejectsOtherCodes) {
    for (const std::string code : {"unknown", "VELLOQ-ONE", ""}) EXPECT_EQ(answerFor(code)["IsSuccess"], false) << code;
}

}  // namespace
