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

// acme answers 200, down answers 500, gone is no organisation of the server (404); sequence 2
// and the "none" sequence have no entry, which leaves the bare path.
TEST_F(LoginPageTest, ChecksTheLoginPageOfTheChosenServer) {
    const std::tuple<std::int64_t, std::string, bool> rows[] = {
        {0, server->url("orgs/acme/"), true}, {4, server->url("orgs/down/"), false},
        {7, server->url("orgs/gone/"), false}, {2, "", false}, {Q7ZAppSettingConfigSingleton::kNoServerSequence, "", false}};
    for (const auto& [sequence, base, valid] : rows) {
        SCOPED_TRACE(sequence);
        Q7ZAppSettingConfigSingleton::getInstance().setServerSequence(sequence);
        EXPECT_EQ(Q7ZACUtility::getServerUrl(), base);
        EXPECT_EQ(Q7ZACUtility::getLoginPageUrl(), base + "VUD/Parlor/ParlorLogin.aspx?lang=zh-TW");
        EXPECT_EQ(Q7ZACUtility::detectLoginPageValidThread(), valid);
    }
}

}  // namespace
