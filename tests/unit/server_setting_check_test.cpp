// Storing what an enterprise code check learnt, member by member: values of unexpected types are
// skipped and keep what was stored, and "SL" items are stored as they are read. The flows around
// it (numbering, choice, order of saves, odd shapes) are proven in enterprise_code_flow_bundle_test.

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
        remote().loadUserInfo();
        remote().setRemoteTitle("Old title");
        remote().setRemoteTitleIcon("http://127.0.0.1:9/old.png");
        remote().setVersion("1");
        remote().setServerListJsonString(kStoredList);
    }
    static Q7ZRemoteConfigSingleton& remote() { return Q7ZRemoteConfigSingleton::getInstance(); }
    void expectUnchanged(const std::string& list = kStoredList) const {
        EXPECT_EQ(remote().remoteTitle(), "Old title");
        EXPECT_EQ(remote().remoteTitleIcon(), "http://127.0.0.1:9/old.png");
        EXPECT_EQ(remote().version(), "1");
        EXPECT_EQ(remote().serverListJsonString(), list);
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
    const std::string oneServer = R"([{"IsCnUrl":0,"Sequence":0,"ServerName":"A","Url":"http://a/"}])";
    Q7ZServerSettingApplier::applySettingCodePayload(
        {{"serverInfo", json{{"T", 5}, {"IU", json::array()}, {"V", nullptr}, {"SL", {{"A", "http://a/", 0}}}}.dump()}});
    expectUnchanged(oneServer);

    remote().setServerListJsonString(kStoredList);
    Q7ZServerSettingApplier::applyPrivateCloudData(json::parse(R"({"Title":12,"TitleIconUrl":null,"ServerList":{}})"));
    Q7ZServerSettingApplier::applyPrivateCloudData(json("not an object"));
    expectUnchanged();
}

}  // namespace
