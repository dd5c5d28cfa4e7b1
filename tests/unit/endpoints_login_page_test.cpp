// getServerUrl, getLoginPageUrl and the login-page check, driven through the settings store
// (chosen sequence, language) and the remote configuration (server list) against the demo
// server's organisations: a working one, a broken one (500), an unknown one (404) and a
// sequence without an entry.

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

#include "config/Q7ZACUtilityEndpoints.h"
#include "config/Q7ZAppSettingConfigSingleton.h"
#include "config/Q7ZRemoteConfigSingleton.h"
#include "support/DemoServer.h"
#include "support/TempHome.h"

namespace {

class LoginPageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        home = std::make_unique<TempHome>();  // before the stores first load
        server = std::make_unique<DemoServer>();
        const auto entry = [](int sequence, const std::string& org) {
            return R"({"Sequence":)" + std::to_string(sequence) + R"(,"ServerName":"S","Url":")" +
                   server->url("orgs/" + org + "/") + R"(","IsCnUrl":0})";
        };
        Q7ZRemoteConfigSingleton::getInstance().setServerListJsonString("[" + entry(0, "acme") + "," +
                                                                        entry(4, "down") + "," + entry(7, "gone") + "]");
        Q7ZAppSettingConfigSingleton::getInstance().setLanguage("zh-TW");
    }
    static void TearDownTestSuite() {
        server.reset();
        home.reset();
    }

    static inline std::unique_ptr<TempHome> home;
    static inline std::unique_ptr<DemoServer> server;
};

TEST_F(LoginPageTest, ChecksTheLoginPageOfTheChosenServer) {
    // acme answers 200, down answers 500, gone is no organisation of the server (404).
    for (const auto& [sequence, org, valid] : {std::tuple{0, "acme", true}, {4, "down", false}, {7, "gone", false}}) {
        SCOPED_TRACE(org);
        Q7ZAppSettingConfigSingleton::getInstance().setServerSequence(sequence);
        const std::string base = server->url("orgs/" + std::string(org) + "/");
        EXPECT_EQ(Q7ZACUtility::getServerUrl(), base);
        EXPECT_EQ(Q7ZACUtility::getLoginPageUrl(), base + "VUD/Parlor/ParlorLogin.aspx?lang=zh-TW");
        EXPECT_EQ(Q7ZACUtility::detectLoginPageValidThread(), valid);
    }
}

TEST_F(LoginPageTest, FailsWithTheBarePathWhenNoEntryHasTheChosenSequence) {
    for (const std::int64_t sequence : {std::int64_t{2}, Q7ZAppSettingConfigSingleton::kNoServerSequence}) {
        Q7ZAppSettingConfigSingleton::getInstance().setServerSequence(sequence);
        EXPECT_EQ(Q7ZACUtility::getServerUrl(), "");
        EXPECT_EQ(Q7ZACUtility::getLoginPageUrl(), "VUD/Parlor/ParlorLogin.aspx?lang=zh-TW");
        EXPECT_FALSE(Q7ZACUtility::detectLoginPageValidThread());
    }
}

}  // namespace
