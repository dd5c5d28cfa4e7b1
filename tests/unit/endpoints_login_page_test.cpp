// getServerUrl and getLoginPageUrl, driven through the settings store (chosen sequence,
// language) and the remote configuration (server list). Whether the check of that page holds
// for an answer of 200 and fails for 500 is proven by the code-flow and onboarding tests.

#include <gtest/gtest.h>

#include "utility/Q7ZACUtility.h"
#include "config/Q7ZAppSettingConfigSingleton.h"
#include "config/Q7ZRemoteConfigSingleton.h"
#include "support/TempHome.h"

// Sequence 2 and the "none" sequence have no entry, which leaves the bare path.
TEST(LoginPage, IsOnTheChosenServerInTheChosenLanguage) {
    TempHome home;
    auto& settings = Q7ZAppSettingConfigSingleton::getInstance();
    Q7ZRemoteConfigSingleton::getInstance().setServerListJsonString(
        R"([{"Sequence":0,"Url":"http://a.example/orgs/acme/"},{"Sequence":4,"Url":"http://b.example/"}])");
    settings.setLanguage("zh-TW");
    const std::pair<std::int64_t, std::string> rows[] = {
        {0, "http://a.example/orgs/acme/"}, {4, "http://b.example/"}, {2, ""},
        {Q7ZAppSettingConfigSingleton::kNoServerSequence, ""}};
    for (const auto& [sequence, base] : rows) {
        settings.setServerSequence(sequence);
        EXPECT_EQ(Q7ZACUtility::getServerUrl(), base) << sequence;
        EXPECT_EQ(Q7ZACUtility::getLoginPageUrl(), base + "VUD/Parlor/ParlorLogin.aspx?lang=zh-TW") << sequence;
    }
}
