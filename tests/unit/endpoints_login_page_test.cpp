// getServerUrl, getLoginPageUrl and the login-page check, driven through the settings store
// (chosen sequence, language) and the remote configuration (server list) against the demo
// server's organisations: a working one, a broken one (500) and a sequence without an entry.

#include <gtest/gtest.h>

#include <memory>

#include "config/Q7ZACUtilityEndpoints.h"
#include "config/Q7ZAppSettingConfigSingleton.h"
#include "config/Q7ZRemoteConfigSingleton.h"
#include "support/DemoServer.h"
#include "support/TempHome.h"

namespace {

class LoginPageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        home = new TempHome();  // before the stores first load
        server = new DemoServer();
    }
    static void TearDownTestSuite() {
        delete server;
        delete home;
        server = nullptr;
        home = nullptr;
    }

    void SetUp() override {
        const std::string list = R"([{"Sequence":0,"ServerName":"Acme","Url":")" + server->url("orgs/acme/") +
                                 R"(","IsCnUrl":0},{"Sequence":4,"ServerName":"Down","Url":")" +
                                 server->url("orgs/down/") + R"(","IsCnUrl":0}])";
        Q7ZRemoteConfigSingleton::getInstance().setServerListJsonString(list);
        Q7ZAppSettingConfigSingleton::getInstance().setLanguage("zh-TW");
    }

    static void chooseSequence(std::int64_t sequence) {
        Q7ZAppSettingConfigSingleton::getInstance().setServerSequence(sequence);
    }

    static inline TempHome* home = nullptr;
    static inline DemoServer* server = nullptr;
};

TEST_F(LoginPageTest, BuildsTheLoginPageOfTheChosenServer) {
    chooseSequence(4);
    EXPECT_EQ(Q7ZACUtility::getServerUrl(), server->url("orgs/down/"));
    EXPECT_EQ(Q7ZACUtility::getLoginPageUrl(), server->url("orgs/down/VUD/Parlor/ParlorLogin.aspx?lang=zh-TW"));
}

TEST_F(LoginPageTest, PassesWhenTheLoginPageAnswers200) {
    chooseSequence(0);
    Q7ZAppSettingConfigSingleton::getInstance().setLanguage("en-US");
    EXPECT_TRUE(Q7ZACUtility::detectLoginPageValidThread());
}

TEST_F(LoginPageTest, FailsWhenTheLoginPageAnswers500) {
    chooseSequence(4);
    EXPECT_FALSE(Q7ZACUtility::detectLoginPageValidThread());
}

TEST_F(LoginPageTest, FailsWithTheBarePathWhenNoEntryHasTheChosenSequence) {
    for (const std::int64_t sequence : {std::int64_t{2}, Q7ZAppSettingConfigSingleton::kNoServerSequence}) {
        chooseSequence(sequence);
        EXPECT_EQ(Q7ZACUtility::getServerUrl(), "");
        EXPECT_EQ(Q7ZACUtility::getLoginPageUrl(), "VUD/Parlor/ParlorLogin.aspx?lang=zh-TW");
        EXPECT_FALSE(Q7ZACUtility::detectLoginPageValidThread());
    }
}

TEST_F(LoginPageTest, FailsWhenTheServerHasNoSuchOrganisation) {
    Q7ZRemoteConfigSingleton::getInstance().setServerListJsonString(
        R"([{"Sequence":0,"ServerName":"Gone","Url":")" + server->url("orgs/gone/") + R"(","IsCnUrl":0}])");
    chooseSequence(0);
    EXPECT_FALSE(Q7ZACUtility::detectLoginPageValidThread());
}

}  // namespace
