// The first screen the built application shows, chosen from the two stored files, and what it
// writes on the way. Each case starts the real bundle with a fresh home on a bus of its own,
// reads the shown screen from the application's "current-screen" action over the bus and the
// settings file from the home folder.

#include <gtest/gtest.h>

#include "platform/PropertyList.h"
#include "support/ShellTestFixture.h"

namespace {

constexpr const char* kTwoServers =
    R"([{"Sequence":1,"ServerName":"North","Url":"http://127.0.0.1:9/North/","IsCnUrl":0},)"
    R"({"Sequence":2,"ServerName":"South","Url":"http://127.0.0.1:9/South/","IsCnUrl":1}])";
constexpr const char* kOneServer = R"([{"Sequence":5,"ServerName":"Only","Url":"http://127.0.0.1:9/Only/","IsCnUrl":0}])";

struct FirstStart {
    const char* name;
    std::optional<std::string> storedList;        // serverListJsonString of Q7ZRemoteConfig.plist
    std::optional<std::int64_t> storedSequence;   // serverSequence of Q7ZAppSettingConfig.plist
    std::string screen;
    std::optional<std::int64_t> savedSequence;    // nullopt: no settings file afterwards
};

void PrintTo(const FirstStart& start, std::ostream* out) { *out << start.name; }

class FirstScreenTest : public ShellTestFixture, public ::testing::WithParamInterface<FirstStart> {};

TEST_P(FirstScreenTest, ShowsTheScreenAndSavesTheSequence) {
    const FirstStart& start = GetParam();
    const std::string settingsFile = m_home.documents() + "/Q7ZAppSettingConfig.plist";
    if (start.storedList) {
        PropertyList remote;
        for (const char* key : {"remoteTitle", "remoteTitleIcon", "version"}) remote.setString(key, "");
        remote.setString("serverListJsonString", *start.storedList);
        ASSERT_TRUE(remote.writeAtomically(m_home.documents() + "/Q7ZRemoteConfig.plist"));
    }
    if (start.storedSequence) {
        PropertyList settings;
        settings.setString("language", "en-US");
        settings.setInteger("serverSequence", *start.storedSequence);
        ASSERT_TRUE(settings.writeAtomically(settingsFile));
    }

    ASSERT_TRUE(startApplication());
    EXPECT_EQ(currentScreen(), start.screen);

    const auto settings = PropertyList::readDictionary(settingsFile);
    ASSERT_EQ(settings.has_value(), start.savedSequence.has_value()) << "settings file written or not";
    EXPECT_EQ(settings ? settings->integerValue("serverSequence") : std::nullopt, start.savedSequence);
}

INSTANTIATE_TEST_SUITE_P(
    StoredFiles, FirstScreenTest,
    ::testing::Values(FirstStart{"NoFiles", std::nullopt, std::nullopt, "Q7ZWebViewController", 0},
                      FirstStart{"EmptyList", "", std::nullopt, "Q7ZEnterEnterpriseCodeViewController", std::nullopt},
                      FirstStart{"TwoServersNoneChosen", kTwoServers, -999, "Q7ZMultipleServerSelectViewController", -999},
                      FirstStart{"ChosenSequenceNotInTheList", kTwoServers, 7, "Q7ZWebViewController", 7},
                      FirstStart{"OnlyServerReplacesAnother", kOneServer, 3, "Q7ZWebViewController", 5}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
