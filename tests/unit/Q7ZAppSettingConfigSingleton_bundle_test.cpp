// The settings store against a real bundle (its "UserDeviceLanguage" texts): defaults, older
// and wrong-typed keys, the "~/Downloads" rule, the eight keys and their types as written, a
// writer killed at random moments that never leaves a damaged or half-old file, and stores that
// outlive the process's exit. Save-then-load round trips of any loaded file are the fuzzer's
// invariant; that starting writes nothing is the program start test's, and a reset saving no
// server the onboarding test's link back.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <map>
#include <random>
#include <regex>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "config/Q7ZAppSettingConfigSingleton.h"
#include "config/Q7ZRemoteConfigSingleton.h"
#include "platform/Bundle.h"
#include "support/PropertyListText.h"
#include "support/TempHome.h"
#include "utility/Q7ZACUtility.h"

namespace {

using Values = std::map<std::string, std::string>;
Q7ZAppSettingConfigSingleton& store() { return Q7ZAppSettingConfigSingleton::getInstance(); }

// Lookups pinned to the Simplified Chinese tables, so the default language is "zh-CN".
class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override {
        Q7ZACUtility::setLanguage(std::string("zh-Hans"));
        store().loadUserInfo();
    }
    void TearDown() override { Q7ZACUtility::setLanguage(std::nullopt); }

    std::string settingsPath() const { return m_home.documents() + "/Q7ZAppSettingConfig.plist"; }
    // What a save writes: each key's value as its element and text ("boolean true", "integer 7").
    Values saved() const {
        EXPECT_TRUE(store().saveConfig());
        const std::string text = readFileText(settingsPath());
        static const std::regex member(R"(<key>([^<]*)</key>\s*<(\w+)(?:/>|>([^<]*)</\w+>))");
        Values values;
        for (std::sregex_iterator it(text.begin(), text.end(), member), end; it != end; ++it) {
            const bool flag = (*it)[2] == "true" || (*it)[2] == "false";
            values[(*it)[1]] = flag ? "boolean " + (*it)[2].str() : (*it)[2].str() + " " + (*it)[3].str();
        }
        return values;
    }
    TempHome m_home;
};

}  // namespace

// What a file loads as, seen in what a save of it writes: each key's own default where it is
// missing or of another type (each key alone) or the file is damaged; the older server key and
// the "~/Downloads" text read. A save writes exactly the eight keys, each in its own type, and
// never the older one.
TEST_F(SettingsStore, EachKeyLoadsOrTakesOnlyItsOwnDefaultAndIsSavedInItsType) {
    // key -> {a good value (numbers serve booleans), the value it reads as, a wrong-typed value, its default}
    const std::map<std::string, std::array<std::string, 4>> keys = {
        {"isNotificationSound", {"<false/>", "false", "<string>NO</string>", "boolean true"}},
        {"isCustomNotificationSound", {"<true/>", "true", "<string>YES</string>", "boolean false"}},
        {"customNotificationSoundPath", {"<string>/s.wav</string>", "/s.wav", "<integer>1</integer>", "string "}},
        {"isDesktopNotifications", {"<integer>0</integer>", "false", "<array/>", "boolean true"}},
        {"isAutoStart", {"<real>0.25</real>", "true", "<string>1</string>", "boolean false"}},
        {"serverSequence", {"<integer>7</integer>", "7", "<dict/>", "integer -999"}},
        {"language", {"<string>zh-TW</string>", "zh-TW", "<true/>", "string zh-CN"}},
        {"downloadFileSavePath",
         {"<string>/dl</string>", "/dl", "<integer>0</integer>", "string " + m_home.path() + "/Downloads"}}};
    // {the file's members, the values that differ from the defaults}
    std::vector<std::pair<std::string, Values>> files = {
        {"<key>isAutoStart</key><tr", {}},
        {"<key>downloadFileSavePath</key><string>~/Downloads</string>", {}},
        {"<key>downloadFileSavePath</key><string>~/Downloads/</string>", {{"downloadFileSavePath", "~/Downloads/"}}},
        {"<key>serverSequence</key><string>3</string><key>webSiteUrlType</key><integer>2</integer>",
         {{"serverSequence", "2"}}},
        {"<key>serverSequence</key><integer>-4</integer><key>webSiteUrlType</key><integer>2</integer>",
         {{"serverSequence", "-4"}}},
        {"<key>webSiteUrlType</key><integer>1</integer>", {{"serverSequence", "1"}}}};
    Values defaults;
    for (const auto& [wrongKey, values] : keys) {
        defaults[wrongKey] = values[3];
        auto& [members, changed] = files.emplace_back();
        for (const auto& [key, value] : keys) {
            members += "<key>" + key + "</key>" + value[key == wrongKey ? 2 : 0];
            if (key != wrongKey) changed[key] = value[1];
        }
    }
    for (const auto& [members, changed] : files) {
        writeFileText(settingsPath(), dictionaryPropertyList(members));
        store().loadUserInfo();
        Values expected = defaults;
        for (const auto& [key, value] : changed)  // the default's element with the value read
            expected[key].replace(expected[key].find(' ') + 1, std::string::npos, value);
        EXPECT_EQ(saved(), expected) << members;
    }
}

TEST_F(SettingsStore, WriterKilledAtRandomMomentsLeavesAWholeOldOrNewFile) {
    // Two whole sets of the eight values; the second is long, so its saves take a while.
    const std::string longText = std::string(3000, 'x') + "-second";
    const Q7ZAppSettings sets[] = {
        {true, false, "/sounds/first", true, false, 11, "zh-TW", "/downloads/first"},
        {false, true, "/sounds/" + longText, false, true, 22, "en-US", "/downloads/" + longText}};
    const Q7ZAppSettings &first = sets[0], &second = sets[1];
    store().apply(first);
    ASSERT_TRUE(store().saveConfig());
    std::mt19937 random(20240611u);
    std::uniform_int_distribution<int> delayMicroseconds(200, 20000);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(40);
    int kills = 0, secondSeen = 0;
    for (; kills < 200 && std::chrono::steady_clock::now() < deadline; ++kills) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        // The child saves the second set first, so even a slow machine sees both sets in the file.
        for (unsigned round = 1; child == 0; ++round) {
            store().apply(sets[round % 2]);
            store().saveConfig();
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds(random)));
        int status = 0;
        ASSERT_TRUE(kill(child, SIGKILL) == 0 && waitpid(child, &status, 0) == child && WIFSIGNALED(status));
        store().loadUserInfo();
        const Q7ZAppSettings held = store().snapshot();
        ASSERT_TRUE(held == first || held == second) << "mixed or lost values after kill " << kills;
        secondSeen += held == second ? 1 : 0;
    }
    EXPECT_EQ(kills, 200) << "too slow to reach 200 kills within the time limit";
    // Both sets must have reached the file, or the kills never landed while saves were running.
    EXPECT_GT(secondSeen, 0);
    EXPECT_LT(secondSeen, kills);
}

// Detached workers may still use the stores and the main bundle while the process exits, so
// none of them may be destroyed then. The handler is registered before the objects exist and
// so runs after any destructor they would have; with the sanitizers a destroyed object fails.
TEST(ProcessWideObjects, OutliveTheExitOfTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("HOME", "/nonexistent/velloq-exit-test", 1);
            unsetenv("XDG_CONFIG_HOME");
            std::atexit([] {
                const std::string text(100, 'w');
                store().setCustomNotificationSoundPath(text);
                Q7ZRemoteConfigSingleton::getInstance().setRemoteTitle(text);
                const bool intact = store().customNotificationSoundPath() == text &&
                                    Q7ZRemoteConfigSingleton::getInstance().remoteTitle() == text &&
                                    localizedString("UserDeviceLanguage").size() == 5;
                std::_Exit(intact ? 0 : 3);
            });
            store().setCustomNotificationSoundPath(std::string(100, 'a'));
            Q7ZRemoteConfigSingleton::getInstance().setRemoteTitle(std::string(100, 'a'));
            Q7ZACUtility::setLanguage(std::string("en"));
            localizedString("UserDeviceLanguage");
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}
