// The remote configuration against a real bundle (its "ServerTW"/"ServerCN" names): the
// upgrade of older two-address files unless a list (even empty) is stored, list texts of odd
// shapes and a sequence without an entry. Entry counts, round trips and first-match lookups of
// any list are the fuzzers' invariants; the default list with no file, its reset and what a
// check saves are proven by the program start, onboarding and code-flow tests. Then what a
// check learnt, stored member by member: values of unexpected types are skipped and keep what
// was stored, a payload without a usable "serverInfo" object changes nothing, and "SL" items
// are stored as they are read (the flows around it are enterprise_code_flow_bundle_test's).
// Last, the login page address on the chosen server in the chosen language.

#include <gtest/gtest.h>

#include "config/Q7ZAppSettingConfigSingleton.h"
#include "config/Q7ZRemoteConfigSingleton.h"
#include "onboarding/Q7ZServerSettingApplier.h"
#include "support/PropertyListText.h"
#include "support/TempHome.h"
#include "utility/Q7ZACUtility.h"

namespace {

using nlohmann::json;
Q7ZRemoteConfigSingleton& config() { return Q7ZRemoteConfigSingleton::getInstance(); }

class RemoteConfig : public ::testing::Test {
protected:
    void SetUp() override {
        Q7ZACUtility::setLanguage(std::string("en"));
        config().loadUserInfo();
    }
    void TearDown() override { Q7ZACUtility::setLanguage(std::nullopt); }
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
        writeFileText(m_home.documents() + "/Q7ZRemoteConfig.plist", dictionaryPropertyList(members));
        config().loadUserInfo();
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

TEST_F(RemoteConfig, SettingCodeEntriesKeepItemsAsReadAndSkipShortOnes) {
    const json entries = json::parse(R"([["B","http://b/",true], ["Short","http://s/"], [1,"http://n/",0],
                                         ["NoUrl",null,0], ["C","http://c/","yes","extra"], ["B","http://b/",true]])");
    EXPECT_EQ(Q7ZServerSettingApplier::serverListFromSettingCodeEntries(entries), json::parse(R"([
        {"Sequence":0,"ServerName":"B","Url":"http://b/","IsCnUrl":true},
        {"Sequence":2,"ServerName":"","Url":"http://n/","IsCnUrl":0},
        {"Sequence":3,"ServerName":"NoUrl","Url":"","IsCnUrl":0},
        {"Sequence":4,"ServerName":"C","Url":"http://c/","IsCnUrl":0},
        {"Sequence":0,"ServerName":"B","Url":"http://b/","IsCnUrl":true}])"));
    EXPECT_EQ(Q7ZServerSettingApplier::serverListFromSettingCodeEntries(json::object()), json::array());
}

TEST_F(RemoteConfig, CheckMembersOfAnotherTypeKeepTheStoredValues) {
    const std::string storedList = R"([{"Sequence":4,"ServerName":"Kept","Url":"http://k/","IsCnUrl":0}])";
    config().setRemoteTitle("Old title");
    config().setRemoteTitleIcon("http://127.0.0.1:9/old.png");
    config().setVersion("1");
    config().setServerListJsonString(storedList);
    const auto expectStored = [](const std::string& list) {
        EXPECT_EQ(std::vector({config().remoteTitle(), config().remoteTitleIcon(), config().version(),
                               config().serverListJsonString()}),
                  (std::vector<std::string>{"Old title", "http://127.0.0.1:9/old.png", "1", list}));
    };
    for (const char* payload :
         {R"({"other":1})", R"({"serverInfo":"not json"})", R"({"serverInfo":"[1]"})", R"({"serverInfo":{"T":"x"}})",
          R"(["serverInfo"])", R"({"serverInfo":"{\"T\":5,\"IU\":[],\"V\":null,\"SL\":\"not entries\"}"})"}) {
        SCOPED_TRACE(payload);
        Q7ZServerSettingApplier::applySettingCodePayload(json::parse(payload));
        expectStored(storedList);
    }
    for (const char* data : {R"({"Title":12,"TitleIconUrl":null,"ServerList":{}})", R"("not an object")"}) {
        SCOPED_TRACE(data);
        Q7ZServerSettingApplier::applyPrivateCloudData(json::parse(data));
        expectStored(storedList);
    }
    // A usable list is still taken beside members of the wrong type, written compactly on one line.
    Q7ZServerSettingApplier::applySettingCodePayload(
        {{"serverInfo",
          json{{"T", 5}, {"IU", json::array()}, {"V", nullptr}, {"SL", {{"A", "http://a/", 0}}}}.dump()}});
    expectStored(R"([{"IsCnUrl":0,"Sequence":0,"ServerName":"A","Url":"http://a/"}])");
}

// Sequence 2 and the "none" sequence have no entry, which leaves the bare path.
TEST_F(RemoteConfig, LoginPageIsOnTheChosenServerInTheChosenLanguage) {
    auto& settings = Q7ZAppSettingConfigSingleton::getInstance();
    config().setServerListJsonString(
        R"([{"Sequence":0,"Url":"http://a.example/orgs/acme/"},{"Sequence":4,"Url":"http://b.example/"}])");
    settings.setLanguage("zh-TW");
    const std::pair<std::int64_t, std::string> rows[] = {{0, "http://a.example/orgs/acme/"},
                                                         {4, "http://b.example/"},
                                                         {2, ""},
                                                         {Q7ZAppSettingConfigSingleton::kNoServerSequence, ""}};
    for (const auto& [sequence, base] : rows) {
        settings.setServerSequence(sequence);
        EXPECT_EQ(Q7ZACUtility::getServerUrl(), base) << sequence;
        EXPECT_EQ(Q7ZACUtility::getLoginPageUrl(), base + "VUD/Parlor/ParlorLogin.aspx?lang=zh-TW") << sequence;
    }
}
