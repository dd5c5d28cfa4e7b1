// Storing what an enterprise code check learnt: the private cloud answer's configuration, the
// signed setting code's server information, the "SL" numbering, the server choice rule and the
// order of the two saves. Members of unexpected types must be skipped, never stored.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "common/Json.h"
#include "config/Q7ZAppSettingConfigSingleton.h"
#include "config/Q7ZRemoteConfigSingleton.h"
#include "onboarding/Q7ZServerSettingApplier.h"
#include "support/FileRenameWatch.h"
#include "support/TempHome.h"

namespace {

using nlohmann::json;

constexpr const char* kStoredList =
    R"([{"Sequence":4,"ServerName":"Kept","Url":"http://127.0.0.1:9/kept/","IsCnUrl":0}])";

class ServerSettingCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        settings().loadUserInfo();
        remote().loadUserInfo();
        remote().setRemoteTitle("Old title");
        remote().setRemoteTitleIcon("http://127.0.0.1:9/old.png");
        remote().setVersion("1");
        remote().setServerListJsonString(kStoredList);
    }

    static Q7ZAppSettingConfigSingleton& settings() { return Q7ZAppSettingConfigSingleton::getInstance(); }
    static Q7ZRemoteConfigSingleton& remote() { return Q7ZRemoteConfigSingleton::getInstance(); }
    static json storedList() { return json::parse(remote().serverListJsonString()); }
    static json payloadWithServerInfo(const json& serverInfo) { return {{"serverInfo", serverInfo.dump()}}; }

    TempHome m_home;
};

// --- "SL" entries of a signed setting code ----------------------------------------------------

TEST_F(ServerSettingCheckTest, SettingCodeEntriesAreNumberedByFirstEqualPosition) {
    const json entries = json::parse(R"([["A","http://a/",0],["B","http://b/",true],["A","http://a/",0],
                                         ["C","http://c/",1,"extra"]])");
    const json list = Q7ZServerSettingApplier::serverListFromSettingCodeEntries(entries);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0], json({{"Sequence", 0}, {"ServerName", "A"}, {"Url", "http://a/"}, {"IsCnUrl", 0}}));
    EXPECT_EQ(list[1], json({{"Sequence", 1}, {"ServerName", "B"}, {"Url", "http://b/"}, {"IsCnUrl", true}}));
    EXPECT_EQ(list[2]["Sequence"], 0);
    EXPECT_EQ(list[3]["Sequence"], 3);
    EXPECT_EQ(list[3]["IsCnUrl"], 1);
}

TEST_F(ServerSettingCheckTest, UnusableSettingCodeEntriesAreSkipped) {
    const json entries = json::parse(R"([["short","http://x/"], 5, "text", {"a":1}, [1,"http://n/",0],
                                         ["NoUrl",null,0], ["B","http://b/",0], ["C","http://c/","yes"],
                                         ["B","http://b/",0]])");
    const json list = Q7ZServerSettingApplier::serverListFromSettingCodeEntries(entries);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0]["ServerName"], "B");
    EXPECT_EQ(list[0]["Sequence"], 0);
    EXPECT_EQ(list[1]["ServerName"], "C");
    EXPECT_EQ(list[1]["Sequence"], 1);
    EXPECT_EQ(list[1]["IsCnUrl"], 0) << "a flag of another type is stored as it is read: 0";
    EXPECT_EQ(list[2]["Sequence"], 0);
    EXPECT_EQ(Q7ZServerSettingApplier::serverListFromSettingCodeEntries(json::object()), json::array());
}

// --- the signed setting code payload -------------------------------------------------------

TEST_F(ServerSettingCheckTest, ServerInformationIsAppliedMemberByMember) {
    Q7ZServerSettingApplier::applySettingCodePayload(payloadWithServerInfo(
        {{"T", "Acme"}, {"IU", "http://a/icon.png"}, {"V", "7"}, {"SL", json::parse(R"([["A","http://a/",0]])")}}));
    EXPECT_EQ(remote().remoteTitle(), "Acme");
    EXPECT_EQ(remote().remoteTitleIcon(), "http://a/icon.png");
    EXPECT_EQ(remote().version(), "7");
    EXPECT_EQ(storedList(), json::parse(R"([{"Sequence":0,"ServerName":"A","Url":"http://a/","IsCnUrl":0}])"));
}

TEST_F(ServerSettingCheckTest, MembersOfAnotherTypeAreSkipped) {
    Q7ZServerSettingApplier::applySettingCodePayload(payloadWithServerInfo(
        {{"T", 5}, {"IU", json::array()}, {"V", nullptr}, {"SL", json::parse(R"([["A","http://a/",0]])")}}));
    EXPECT_EQ(remote().remoteTitle(), "Old title");
    EXPECT_EQ(remote().remoteTitleIcon(), "http://127.0.0.1:9/old.png");
    EXPECT_EQ(remote().version(), "1");
    EXPECT_EQ(storedList().size(), 1u);
    EXPECT_EQ(storedList()[0]["ServerName"], "A");

    Q7ZServerSettingApplier::applySettingCodePayload(payloadWithServerInfo({{"T", "New"}, {"SL", "not a list"}}));
    EXPECT_EQ(remote().remoteTitle(), "New");
    EXPECT_EQ(storedList()[0]["ServerName"], "A") << "an SL that is not an array keeps the stored list";
}

TEST_F(ServerSettingCheckTest, PayloadWithoutUsableServerInformationAppliesNothing) {
    const json payloads[] = {json::object(),
                             json{{"serverInfo", "not json"}},
                             json{{"serverInfo", "[1,2]"}},
                             json{{"serverInfo", json{{"T", "object, not text"}}}},
                             json{{"serverInfo", 12}},
                             json::array({1})};
    for (const auto& payload : payloads) {
        Q7ZServerSettingApplier::applySettingCodePayload(payload);
        EXPECT_EQ(remote().remoteTitle(), "Old title") << payload.dump();
        EXPECT_EQ(remote().serverListJsonString(), kStoredList) << payload.dump();
    }
}

// --- the private cloud answer ----------------------------------------------------------------

TEST_F(ServerSettingCheckTest, PrivateCloudDataIsStoredWithServerObjectsOnly) {
    Q7ZServerSettingApplier::applyPrivateCloudData(json::parse(R"({"Title":"Acme","TitleIconUrl":"http://a/i.png",
        "ServerList":[{"Sequence":3,"ServerName":"A","Url":"http://a/","IsCnUrl":0}, 7, "x", [1],
                      {"Sequence":5,"ServerName":"B","Url":"http://b/","IsCnUrl":1}]})"));
    EXPECT_EQ(remote().remoteTitle(), "Acme");
    EXPECT_EQ(remote().remoteTitleIcon(), "http://a/i.png");
    EXPECT_EQ(remote().version(), "1") << "the online answer carries no version";
    const json list = storedList();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0]["Sequence"], 3);
    EXPECT_EQ(list[1]["Sequence"], 5);
    EXPECT_EQ(remote().serverListJsonString().find('\n'), std::string::npos) << "stored as compact text";
}

TEST_F(ServerSettingCheckTest, PrivateCloudMembersOfAnotherTypeAreSkipped) {
    Q7ZServerSettingApplier::applyPrivateCloudData(
        json::parse(R"({"Title":12,"TitleIconUrl":null,"ServerList":{"Sequence":0}})"));
    EXPECT_EQ(remote().remoteTitle(), "Old title");
    EXPECT_EQ(remote().remoteTitleIcon(), "http://127.0.0.1:9/old.png");
    EXPECT_EQ(remote().serverListJsonString(), kStoredList);

    Q7ZServerSettingApplier::applyPrivateCloudData(json("not an object"));
    EXPECT_EQ(remote().serverListJsonString(), kStoredList);
}

// --- choosing a server and saving ------------------------------------------------------------

TEST_F(ServerSettingCheckTest, OneEntryIsChosenOtherwiseNone) {
    EXPECT_EQ(Q7ZServerSettingApplier::chooseServerAndSave(), 4);
    EXPECT_EQ(settings().serverSequence(), 4);

    remote().setServerListJsonString(
        R"([{"Sequence":0,"Url":"http://a/"},{"Sequence":1,"Url":"http://b/"}])");
    EXPECT_EQ(Q7ZServerSettingApplier::chooseServerAndSave(), Q7ZAppSettingConfigSingleton::kNoServerSequence);
    remote().setServerListJsonString("[]");
    EXPECT_EQ(Q7ZServerSettingApplier::chooseServerAndSave(), Q7ZAppSettingConfigSingleton::kNoServerSequence);
    EXPECT_EQ(settings().serverSequence(), Q7ZAppSettingConfigSingleton::kNoServerSequence);
}

TEST_F(ServerSettingCheckTest, SettingsAreSavedBeforeTheRemoteConfiguration) {
    std::filesystem::create_directories(m_home.documents());
    FileRenameWatch watch(m_home.documents());
    Q7ZServerSettingApplier::chooseServerAndSave();

    const auto names = watch.completedNames();
    const auto settingsWrite = std::find(names.begin(), names.end(), "Q7ZAppSettingConfig.plist");
    const auto remoteWrite = std::find(names.begin(), names.end(), "Q7ZRemoteConfig.plist");
    ASSERT_NE(settingsWrite, names.end());
    ASSERT_NE(remoteWrite, names.end());
    EXPECT_LT(settingsWrite, remoteWrite);

    settings().setServerSequence(0);
    remote().setServerListJsonString("[]");
    settings().loadUserInfo();
    remote().loadUserInfo();
    EXPECT_EQ(settings().serverSequence(), 4);
    EXPECT_EQ(remote().serverListJsonString(), kStoredList);
}

}  // namespace
