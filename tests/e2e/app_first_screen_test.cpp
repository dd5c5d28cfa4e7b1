// The first screen the built application shows, chosen from the two stored files, and what it
// writes on the way. Each test starts the real bundle with a fresh home on a bus of its own,
// reads the shown screen from the application's "current-screen" action over the bus and the
// settings file from the home folder.

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/PropertyList.h"
#include "support/ShellTestFixture.h"

namespace {

constexpr const char* kSettingsFile = "Q7ZAppSettingConfig.plist";
constexpr const char* kRemoteConfigFile = "Q7ZRemoteConfig.plist";
constexpr const char* kTwoServers =
    R"([{"Sequence":1,"ServerName":"North","Url":"http://127.0.0.1:9/North/","IsCnUrl":0},)"
    R"({"Sequence":2,"ServerName":"South","Url":"http://127.0.0.1:9/South/","IsCnUrl":1}])";
constexpr const char* kOneServer = R"([{"Sequence":5,"ServerName":"Only","Url":"http://127.0.0.1:9/Only/","IsCnUrl":0}])";

class FirstScreenTest : public ShellTestFixture {
protected:
    void storeServerList(const std::string& listText) {
        PropertyList remote;
        remote.setString("remoteTitle", "");
        remote.setString("remoteTitleIcon", "");
        remote.setString("serverListJsonString", listText);
        remote.setString("version", "");
        ASSERT_TRUE(remote.writeAtomically(documentsFile(kRemoteConfigFile)));
    }

    void storeServerSequence(std::int64_t sequence) {
        PropertyList settings;
        settings.setString("language", "en-US");
        settings.setInteger("serverSequence", sequence);
        ASSERT_TRUE(settings.writeAtomically(documentsFile(kSettingsFile)));
    }

    std::optional<std::int64_t> savedServerSequence() const {
        auto settings = PropertyList::readDictionary(documentsFile(kSettingsFile));
        if (!settings) return std::nullopt;
        return settings->integerValue("serverSequence");
    }

    std::string shownScreen() {
        return startApplication() ? m_client.currentScreen().value_or("") : "";
    }
};

TEST_F(FirstScreenTest, FirstStartWritesAllSettingsAndOpensTheDefaultServer) {
    EXPECT_EQ(shownScreen(), "Q7ZWebViewController");

    auto settings = PropertyList::readDictionary(documentsFile(kSettingsFile));
    ASSERT_TRUE(settings) << "no settings file written at the first start";
    for (const char* key : {"isNotificationSound", "isCustomNotificationSound", "customNotificationSoundPath",
                            "isDesktopNotifications", "isAutoStart", "language", "downloadFileSavePath",
                            "serverSequence"})
        EXPECT_TRUE(settings->contains(key)) << key;
    EXPECT_EQ(settings->keys().size(), 8u);
    EXPECT_EQ(settings->integerValue("serverSequence"), 0);
}

TEST_F(FirstScreenTest, EmptyStoredListAsksForAnEnterpriseCodeAndSavesNothing) {
    storeServerList("");

    EXPECT_EQ(shownScreen(), "Q7ZEnterEnterpriseCodeViewController");
    EXPECT_FALSE(std::filesystem::exists(documentsFile(kSettingsFile)));
}

TEST_F(FirstScreenTest, SeveralServersWithNoneChosenOpenTheServerSelection) {
    storeServerList(kTwoServers);
    storeServerSequence(-999);

    EXPECT_EQ(shownScreen(), "Q7ZMultipleServerSelectViewController");
    EXPECT_EQ(savedServerSequence(), -999);
}

TEST_F(FirstScreenTest, ChosenSequenceOpensTheWebHostEvenWhenNotInTheList) {
    storeServerList(kTwoServers);
    storeServerSequence(7);

    EXPECT_EQ(shownScreen(), "Q7ZWebViewController");
    EXPECT_EQ(savedServerSequence(), 7);
}

TEST_F(FirstScreenTest, TheOnlyServerReplacesAnotherStoredSequenceAndIsSaved) {
    storeServerList(kOneServer);
    storeServerSequence(3);

    EXPECT_EQ(shownScreen(), "Q7ZWebViewController");
    EXPECT_EQ(savedServerSequence(), 5);
}

}  // namespace
