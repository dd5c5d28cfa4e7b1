// Storing what an enterprise code check learnt, member by member: values of unexpected types are
// skipped and keep what was stored, a payload without a usable "serverInfo" object changes
// nothing, and "SL" items are stored as they are read. The flows around it (numbering, choice,
// order of saves, what the screen is told) are proven in enterprise_code_flow_bundle_test.

#include <gtest/gtest.h>

#include "common/Json.h"
#include "config/Q7ZRemoteConfigSingleton.h"
#include "onboarding/Q7ZServerSettingApplier.h"
#include "support/TempHome.h"

namespace {

using nlohmann::json;
constexpr const char* kStoredList = R"([{"Sequence":4,"ServerName":"Kept","Url":"http://k/","IsCnUrl":0}])";

class ServerSettingCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        remote().setRemoteTitle("Old title");
        remote().setRemoteTitleIcon("http://127.0.0.1:9/old.png");
        remote().setVersion("1");
        remote().setServerListJsonString(kStoredList);
    }
    static Q7ZRemoteConfigSingleton& remote() { return Q7ZRemoteConfigSingleton::getInstance(); }
    void expectUnchanged(const std::string& list = kStoredList) const {
        EXPECT_EQ(std::vector({remote().remoteTitle(), remote().remoteTitleIcon(), remote().version(), remote().serverListJsonString()}),
                  (std::vector<std::string>{"Old title", "http://127.0.0.1:9/old.png", "1", list}));
    }

    TempHome m_home;
};

TEST_F(ServerSettingCheckTest, SettingCodeEntriesKeepItemsAsReadAndSkipShortOnes) {
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

TEST_F(ServerSettingCheckTest, MembersOfAnotherTypeKeepTheStoredValues) {
    for (const char* payload : {R"({"other":1})", R"({"serverInfo":"not json"})", R"({"serverInfo":"[1]"})",
                                R"({"serverInfo":{"T":"x"}})", R"(["serverInfo"])",
                                R"({"serverInfo":"{\"T\":5,\"IU\":[],\"V\":null,\"SL\":\"not entries\"}"})"}) {
        SCOPED_TRACE(payload);
        Q7ZServerSettingApplier::applySettingCodePayload(json::parse(payload));
        expectUnchanged();
    }
    for (const char* data : {R"({"Title":12,"TitleIconUrl":null,"ServerList":{}})", R"("not an object")"}) {
        SCOPED_TRACE(data);
        Q7ZServerSettingApplier::applyPrivateCloudData(json::parse(data));
        expectUnchanged();
    }
    // A usable list is still taken beside members of the wrong type.
    Q7ZServerSettingApplier::applySettingCodePayload(
        {{"serverInfo", json{{"T", 5}, {"IU", json::array()}, {"V", nullptr}, {"SL", {{"A", "http://a/", 0}}}}.dump()}});
    expectUnchanged(R"([{"IsCnUrl":0,"Sequence":0,"ServerName":"A","Url":"http://a/"}])");
}

}  // namespace
