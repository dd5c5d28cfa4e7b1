// The remote configuration against a real bundle (its "ServerTW"/"ServerCN" names): the
// upgrade of older two-address files unless a list (even empty) is stored, list texts of odd
// shapes and a sequence without an entry. Entry counts, round trips and first-match lookups of
// any list are the fuzzers' invariants; the default list with no file, its reset and what a
// check saves are proven by the program start, onboarding and code-flow tests.

#include <gtest/gtest.h>

#include "utility/Q7ZACUtility.h"
#include "config/Q7ZRemoteConfigSingleton.h"
#include "support/TempHome.h"

namespace {

using Config = Q7ZRemoteConfigSingleton;
Config& config() { return Config::getInstance(); }

class RemoteConfig : public ::testing::Test {
protected:
    void SetUp() override {
        Q7ZACUtility::setLanguage(std::string("en"));
        config().loadUserInfo();
    }
    void TearDown() override { Q7ZACUtility::setLanguage(std::nullopt); }

    std::string configPath() const { return m_home.documents() + "/Q7ZRemoteConfig.plist"; }
    void writeConfig(const std::string& members) {
        writeFileText(configPath(), "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>" + members + "</dict></plist>");
        config().loadUserInfo();
    }

    TempHome m_home;
};

// "sequence|name|url|cn;" for each entry.
std::string describe(const std::vector<Q7ZServerUrlData>& list) {
    std::string text;
    for (const auto& entry : list)
        text += std::to_string(entry.sequence) + "|" + entry.serverName + "|" + entry.url + "|" +
                std::to_string(entry.isCnUrl) + ";";
    return text;
}
std::string list() { return describe(config().getServerUrlDataList()); }
std::string listOf(const std::string& json) { return config().setServerListJsonString(json), list(); }

}  // namespace

TEST_F(RemoteConfig, OlderFilesWithTwoAddressesBecomeANumberedListUnlessAListIsStored) {
    const std::string tw = "<key>serverUrl_tw</key><string>https://tw.example/</string>",
                      cn = "<key>serverUrl_cn</key><string>https://cn.example/</string>";
    const std::string defaultList = list();  // no file yet
    const std::pair<std::string, std::string> files[] = {
        {"<key>serverUrl_tw</key><integer>1</integer><key>serverUrl_cn</key><string></string>", defaultList},
        {"<key>serverListJsonString</key><string></string>" + tw, ""},  // a stored list wins, even an empty one
        {cn, "0|Mainland China server|https://cn.example/|1;"},
        {tw, "0|Taiwan server|https://tw.example/|0;"},
        {tw + cn, "0|Taiwan server|https://tw.example/|0;1|Mainland China server|https://cn.example/|1;"}};
    for (const auto& [members, expected] : files) {
        writeConfig(members);
        EXPECT_EQ(list(), expected) << members;
    }
    EXPECT_NE(config().serverListJsonString().find("\"IsCnUrl\":1"), std::string::npos) << "integer, not boolean";
}

TEST_F(RemoteConfig, OddListTextsGiveOnlyTheObjectElements) {
    for (const char* text : {"not json", R"({"Sequence":1,"Url":"https://a/"})", "[]", R"("text")"})
        EXPECT_EQ(listOf(text), "") << text;
    EXPECT_EQ(listOf(R"([1, "two", null, [], {"Sequence":"5","ServerName":7,"Url":"https://a/","IsCnUrl":true},
                       {"Sequence":2.9,"IsCnUrl":"1","Extra":{}}, {"Sequence":-3,"IsCnUrl":0}])"),
              "0||https://a/|1;2|||0;-3|||0;")
        << "a sequence given as text counts as missing";
    EXPECT_EQ(describe({config().getServerUrlDataWithSequence(-999)}), "0|||0;") << "no entry: an empty one";
}
