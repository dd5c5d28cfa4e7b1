// The remote configuration against a real bundle (its "ServerTW"/"ServerCN" names): the
// default list, the upgrade of older two-address files, an empty list kept, reset, the four
// keys as plistutil reads them, list texts of odd shapes and a sequence without an entry.
// Entry counts, round trips and first-match lookups of any list are the fuzzers' invariants.

#include <cstdlib>
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
std::string listOf(const std::string& json) {
    config().setServerListJsonString(json);
    return list();
}

const std::string kDefaultList =
    std::string(R"([{"Sequence":0,"ServerName":"","Url":")") + BuildConfig::kDefaultServiceUrl + R"(","IsCnUrl":false}])";

}  // namespace

TEST_F(RemoteConfig, NoFileOffersTheDefaultServiceAndWritesNothing) {
    EXPECT_EQ(config().serverListJsonString(), kDefaultList);
    EXPECT_EQ(list(), "0||" + std::string(BuildConfig::kDefaultServiceUrl) + "|0;");
    EXPECT_FALSE(std::filesystem::exists(m_home.documents()));
}

TEST_F(RemoteConfig, OlderFilesWithTwoAddressesBecomeANumberedList) {
    const std::string tw = "<key>serverUrl_tw</key><string>https://tw.example/</string>",
                      cn = "<key>serverUrl_cn</key><string>https://cn.example/</string>";
    const std::string defaultList = list();  // no file yet
    const std::pair<std::string, std::string> files[] = {
        {"<key>serverUrl_tw</key><string></string>", defaultList},
        {"<key>serverUrl_tw</key><integer>1</integer><key>serverUrl_cn</key><string></string>", defaultList},
        {cn, "0|Mainland China server|https://cn.example/|1;"},
        {tw + cn, "0|Taiwan server|https://tw.example/|0;1|Mainland China server|https://cn.example/|1;"}};
    for (const auto& [members, expected] : files) {
        writeConfig(members);
        EXPECT_EQ(list(), expected) << members;
    }
    EXPECT_NE(config().serverListJsonString().find("\"IsCnUrl\":1"), std::string::npos) << "integer, not boolean";

    Q7ZACUtility::setLanguage(std::string("zh-Hant"));
    EXPECT_EQ(listOf(Config::getServerUrlDataListJsonStringByUpgradeVersionWithTWUrl(std::string("https://tw/"),
                                                                                    std::nullopt)),
              "0|台灣伺服器|https://tw/|0;");
}

TEST_F(RemoteConfig, StoredListWinsOverOlderKeysAndEmptyTextIsKept) {
    writeConfig("<key>serverListJsonString</key><string></string>"
                "<key>serverUrl_tw</key><string>https://tw.example/</string>"
                "<key>remoteTitle</key><string>Org</string><key>version</key><integer>3</integer>");
    EXPECT_EQ(config().serverListJsonString(), "");
    EXPECT_EQ(config().remoteTitle(), "Org");
    EXPECT_EQ(config().version(), "") << "a number is not a version text";
}

TEST_F(RemoteConfig, SaveWritesExactlyFourStringKeysAndResetWritesDefaults) {
    config().setRemoteTitle("Org");
    config().setRemoteTitleIcon("https://org.example/icon.png");
    config().setVersion("7");
    config().setServerListJsonString("[]");
    for (bool reset : {false, true}) {
        if (reset) config().resetConfig();
        else ASSERT_TRUE(config().saveConfig());
        // plistutil must read what was written: it converts the file to binary, read back here.
        const std::string binary = m_home.path() + "/binary.plist";
        ASSERT_EQ(std::system(("plistutil -i '" + configPath() + "' -o '" + binary + "' -f bin").c_str()), 0);
        const auto saved = PropertyList::readDictionary(binary);
        ASSERT_TRUE(saved);
        EXPECT_EQ(saved->keys().size(), 4u);
        EXPECT_EQ(saved->stringValue("remoteTitle"), reset ? "" : "Org");
        EXPECT_EQ(saved->stringValue("remoteTitleIcon"), reset ? "" : "https://org.example/icon.png");
        EXPECT_EQ(saved->stringValue("version"), reset ? "" : "7");
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
