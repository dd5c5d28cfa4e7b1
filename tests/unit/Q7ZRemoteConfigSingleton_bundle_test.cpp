// The remote configuration against a real bundle (its "ServerTW"/"ServerCN" names): the
// default list, the upgrade of older two-address files unless a list (even empty) is stored,
// the four keys saved and reset, list texts of odd shapes and a sequence without an entry.
// Entry counts, round trips and first-match lookups of any list are the fuzzers' invariants.

#include <filesystem>

#include <gtest/gtest.h>

#include "BuildConfig.h"
#include "platform/BundleEx.h"
#include "config/Q7ZRemoteConfigSingleton.h"
#include "platform/PropertyList.h"
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

const std::string kDefaultList =
    std::string(R"([{"Sequence":0,"ServerName":"","Url":")") + BuildConfig::kDefaultServiceUrl + R"(","IsCnUrl":false}])";

}  // namespace

TEST_F(RemoteConfig, NoFileOffersTheDefaultServiceAndWritesNothing) {
    EXPECT_EQ(config().serverListJsonString(), kDefaultList);
    EXPECT_EQ(list(), "0||" + std::string(BuildConfig::kDefaultServiceUrl) + "|0;");
    EXPECT_FALSE(std::filesystem::exists(m_home.documents()));
}

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

TEST_F(RemoteConfig, SaveWritesExactlyFourStringKeysAndResetWritesDefaults) {
    config().setRemoteTitle("Org");
    config().setRemoteTitleIcon("https://org.example/icon.png");
    config().setVersion("7");
    config().setServerListJsonString("[]");
    for (bool reset : {false, true}) {
        if (reset) config().resetConfig();
        else ASSERT_TRUE(config().saveConfig());
        const auto saved = PropertyList::readDictionary(configPath());
        ASSERT_TRUE(saved);
        EXPECT_EQ(saved->keys().size(), 4u);
        EXPECT_EQ(saved->stringValue("remoteTitle").value_or("?") + saved->stringValue("remoteTitleIcon").value_or("?") +
                      saved->stringValue("version").value_or("?"),
                  reset ? "" : "Orghttps://org.example/icon.png7");
        EXPECT_EQ(saved->stringValue("serverListJsonString"), reset ? kDefaultList : "[]");
    }
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
