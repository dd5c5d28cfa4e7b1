// The remote configuration against a real bundle (its "ServerTW"/"ServerCN" names): the
// default list, the upgrade of older two-address files, an empty list kept, reset, the four
// keys written, and list texts of every odd shape.

#include <filesystem>
#include <memory>
#include <regex>

#include <gtest/gtest.h>

#include "BuildConfig.h"
#include "config/BundleEx.h"
#include "config/Q7ZRemoteConfigSingleton.h"
#include "platform/PropertyList.h"
#include "support/TempHome.h"

namespace fs = std::filesystem;

namespace {

using Config = Q7ZRemoteConfigSingleton;

class RemoteConfig : public ::testing::Test {
protected:
    void SetUp() override {
        Q7ZACUtility::setLanguage(std::string("en"));
        config().loadUserInfo();
    }
    void TearDown() override { Q7ZACUtility::setLanguage(std::nullopt); }

    static Config& config() { return Config::getInstance(); }
    std::string configPath() const { return m_home.documents() + "/Q7ZRemoteConfig.plist"; }
    void writeConfig(const std::string& members) {
        writeFileText(configPath(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>" +
                                        members + "</dict></plist>\n");
        config().loadUserInfo();
    }
    static std::vector<Q7ZServerUrlData> listOf(const std::string& text) {
        config().setServerListJsonString(text);
        return config().getServerUrlDataList();
    }

    TempHome m_home;
};

std::string expectedDefaultList() {
    return std::string(R"([{"Sequence":0,"ServerName":"","Url":")") + BuildConfig::kDefaultServiceUrl +
           R"(","IsCnUrl":false}])";
}

}  // namespace

TEST_F(RemoteConfig, NoFileOffersTheDefaultServiceAndWritesNothing) {
    EXPECT_EQ(config().serverListJsonString(), expectedDefaultList());
    EXPECT_EQ(Config::defaultServerListJsonString(), expectedDefaultList());
    EXPECT_TRUE(std::regex_match(std::string(BuildConfig::kDefaultServiceUrl), std::regex("https://[^/]+/Community/")));
    const auto list = config().getServerUrlDataList();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].sequence, 0);
    EXPECT_EQ(list[0].serverName, "");
    EXPECT_EQ(list[0].url, BuildConfig::kDefaultServiceUrl);
    EXPECT_EQ(list[0].isCnUrl, 0);
    EXPECT_EQ(config().remoteTitle(), "");
    EXPECT_FALSE(fs::exists(m_home.documents()));
}

TEST_F(RemoteConfig, OlderFilesWithTwoAddressesBecomeANumberedList) {
    writeConfig("<key>serverUrl_tw</key><string>https://tw.example/</string>"
                "<key>serverUrl_cn</key><string>https://cn.example/</string>");
    auto list = config().getServerUrlDataList();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].sequence, 0);
    EXPECT_EQ(list[0].serverName, "Taiwan server");
    EXPECT_EQ(list[0].url, "https://tw.example/");
    EXPECT_EQ(list[0].isCnUrl, 0);
    EXPECT_EQ(list[1].sequence, 1);
    EXPECT_EQ(list[1].serverName, "Mainland China server");
    EXPECT_EQ(list[1].isCnUrl, 1);
    EXPECT_NE(config().serverListJsonString().find("\"IsCnUrl\":1"), std::string::npos) << "integer, not boolean";

    writeConfig("<key>serverUrl_cn</key><string>https://cn.example/</string>");
    list = config().getServerUrlDataList();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].sequence, 0);
    EXPECT_EQ(list[0].isCnUrl, 1);

    writeConfig("<key>serverUrl_tw</key><string></string>");
    EXPECT_EQ(config().serverListJsonString(), expectedDefaultList());
    writeConfig("<key>serverUrl_tw</key><integer>1</integer><key>serverUrl_cn</key><string></string>");
    EXPECT_EQ(config().serverListJsonString(), expectedDefaultList());
}

TEST_F(RemoteConfig, UpgradeNamesFollowTheChosenLanguage) {
    Q7ZACUtility::setLanguage(std::string("zh-Hant"));
    const auto text = Config::getServerUrlDataListJsonStringByUpgradeVersionWithTWUrl(std::string("https://tw/"),
                                                                                     std::nullopt);
    config().setServerListJsonString(text);
    const auto list = config().getServerUrlDataList();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].serverName, "台灣伺服器");
}

TEST_F(RemoteConfig, StoredListWinsOverOlderKeysAndEmptyTextIsKept) {
    writeConfig("<key>serverListJsonString</key><string></string>"
                "<key>serverUrl_tw</key><string>https://tw.example/</string>"
                "<key>remoteTitle</key><string>Org</string><key>version</key><integer>3</integer>");
    EXPECT_EQ(config().serverListJsonString(), "");
    EXPECT_TRUE(config().getServerUrlDataList().empty());
    EXPECT_EQ(config().remoteTitle(), "Org");
    EXPECT_EQ(config().version(), "") << "a number is not a version text";
}

TEST_F(RemoteConfig, SaveWritesExactlyFourStringKeysAndResetWritesDefaults) {
    config().setRemoteTitle("Org");
    config().setRemoteTitleIcon("https://org.example/icon.png");
    config().setVersion("7");
    config().setServerListJsonString("[]");
    ASSERT_TRUE(config().saveConfig());
    auto saved = PropertyList::readDictionary(configPath());
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->keys().size(), 4u);
    EXPECT_EQ(saved->stringValue("remoteTitleIcon"), "https://org.example/icon.png");
    EXPECT_EQ(saved->stringValue("serverListJsonString"), "[]");

    config().resetConfig();
    saved = PropertyList::readDictionary(configPath());
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->stringValue("remoteTitle"), "");
    EXPECT_EQ(saved->stringValue("remoteTitleIcon"), "");
    EXPECT_EQ(saved->stringValue("version"), "");
    EXPECT_EQ(saved->stringValue("serverListJsonString"), expectedDefaultList());
    EXPECT_EQ(saved->keys().size(), 4u);
}

TEST_F(RemoteConfig, OddListTextsGiveOnlyTheObjectElements) {
    EXPECT_TRUE(listOf("not json").empty());
    EXPECT_TRUE(listOf(R"({"Sequence":1,"Url":"https://a/"})").empty());
    EXPECT_TRUE(listOf("[]").empty());
    EXPECT_TRUE(listOf(R"("text")").empty());

    const auto list = listOf(R"([1, "two", null, [], {"Sequence":"5","ServerName":7,"Url":"https://a/","IsCnUrl":true},
                                {"Sequence":2.9,"IsCnUrl":"1","Extra":{}}, {"Sequence":-3,"IsCnUrl":0}])");
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].sequence, 0) << "a sequence given as text counts as missing";
    EXPECT_EQ(list[0].serverName, "");
    EXPECT_EQ(list[0].url, "https://a/");
    EXPECT_EQ(list[0].isCnUrl, 1);
    EXPECT_EQ(list[1].sequence, 2);
    EXPECT_EQ(list[1].isCnUrl, 0);
    EXPECT_EQ(list[2].sequence, -3);
}

TEST_F(RemoteConfig, SequenceLookupTakesTheFirstMatchOrAnEmptyEntry) {
    config().setServerListJsonString(
        R"([{"Sequence":4,"Url":"https://first/"},{"Sequence":4,"Url":"https://second/"},{"Sequence":5,"Url":"https://five/"}])");
    EXPECT_EQ(config().getServerUrlDataWithSequence(4).url, "https://first/");
    EXPECT_EQ(config().getServerUrlDataWithSequence(5).url, "https://five/");
    const auto missing = config().getServerUrlDataWithSequence(-999);
    EXPECT_EQ(missing.sequence, 0);
    EXPECT_EQ(missing.url, "");
    EXPECT_EQ(missing.serverName, "");
}

TEST_F(RemoteConfig, EntriesRoundTripThroughTheirDictionaries) {
    Q7ZServerUrlData entry;
    entry.sequence = 9;
    entry.serverName = "Main";
    entry.url = "https://main/";
    entry.isCnUrl = 1;
    const auto dictionary = entry.getServerUrlDataDictionary();
    EXPECT_EQ(dictionary.size(), 4u);
    EXPECT_TRUE(dictionary.at("IsCnUrl").is_number_integer());
    const auto back = Q7ZServerUrlData::getServerUrlDataWithDataDictionary(dictionary);
    EXPECT_EQ(back.sequence, 9);
    EXPECT_EQ(back.serverName, "Main");
    EXPECT_EQ(back.url, "https://main/");
    EXPECT_EQ(back.isCnUrl, 1);
}
