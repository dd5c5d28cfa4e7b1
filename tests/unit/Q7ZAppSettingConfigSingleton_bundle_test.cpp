// The settings store against a real bundle (its "UserDeviceLanguage" texts): defaults with no
// file and nothing written until a save, the older "webSiteUrlType" key, one wrong-typed key
// at a time, numbers for booleans, the "~/Downloads" rule, the exact eight keys and their
// types as plistutil reads them, concurrent use while saving, and a writer killed at random
// moments that never leaves a damaged or half-old file.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <regex>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "config/BundleEx.h"
#include "config/Q7ZAppSettingConfigSingleton.h"
#include "platform/PropertyList.h"
#include "support/TempHome.h"

namespace fs = std::filesystem;

namespace {

using Store = Q7ZAppSettingConfigSingleton;

const std::map<std::string, std::string> kWrittenTypes = {
    {"isNotificationSound", "boolean"},  {"isCustomNotificationSound", "boolean"},
    {"customNotificationSoundPath", "string"}, {"isDesktopNotifications", "boolean"},
    {"isAutoStart", "boolean"},          {"serverSequence", "integer"},
    {"language", "string"},              {"downloadFileSavePath", "string"}};

// A fresh home with the lookups pinned to the Simplified Chinese tables, so the default
// language is known ("zh-CN") whatever the machine's locale.
class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override {
        Q7ZACUtility::setLanguage(std::string("zh-Hans"));
        store().loadUserInfo();
    }
    void TearDown() override { Q7ZACUtility::setLanguage(std::nullopt); }

    static Store& store() { return Store::getInstance(); }
    std::string settingsPath() const { return m_home.documents() + "/Q7ZAppSettingConfig.plist"; }
    void writeSettings(const std::string& members) {
        writeFileText(settingsPath(),
                      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>" + members +
                          "</dict></plist>\n");
        store().loadUserInfo();
    }

    TempHome m_home;
};

void expectDefaults(const std::string& home) {
    auto& store = Store::getInstance();
    EXPECT_TRUE(store.isNotificationSound());
    EXPECT_FALSE(store.isCustomNotificationSound());
    EXPECT_EQ(store.customNotificationSoundPath(), "");
    EXPECT_TRUE(store.isDesktopNotifications());
    EXPECT_FALSE(store.isAutoStart());
    EXPECT_EQ(store.serverSequence(), -999);
    EXPECT_EQ(store.language(), "zh-CN");
    EXPECT_EQ(store.downloadFileSavePath(), home + "/Downloads");
}

// Key -> element name of its value, as plistutil prints the file in XML.
std::map<std::string, std::string> keyTypesByPlistutil(const std::string& path) {
    const std::string command = "plistutil -i '" + path + "' -o - -f xml";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), &pclose);
    std::string text;
    char buffer[4096];
    while (pipe && fgets(buffer, sizeof buffer, pipe.get())) text += buffer;
    std::map<std::string, std::string> types;
    static const std::regex member(R"(<key>([^<]*)</key>\s*<(\w+))");
    for (std::sregex_iterator it(text.begin(), text.end(), member), end; it != end; ++it) {
        std::string type = (*it)[2];
        if (type == "true" || type == "false") type = "boolean";
        types[(*it)[1]] = type;
    }
    return types;
}

}  // namespace

TEST_F(SettingsStore, NoFileGivesDefaultsAndWritesNothing) {
    expectDefaults(m_home.path());
    EXPECT_EQ(store().getFileName(), settingsPath());
    EXPECT_FALSE(fs::exists(m_home.documents())) << "a load must not write";
}

TEST_F(SettingsStore, SaveCreatesDocumentsAndWritesExactlyEightTypedKeys) {
    store().setIsAutoStart(true);
    ASSERT_TRUE(store().saveConfig());
    EXPECT_EQ(keyTypesByPlistutil(settingsPath()), kWrittenTypes);

    store().setServerSequence(0);
    store().setLanguage("en-US");
    ASSERT_TRUE(store().saveConfig());
    store().setLanguage("changed in memory only");
    store().loadUserInfo();
    EXPECT_TRUE(store().isAutoStart());
    EXPECT_EQ(store().serverSequence(), 0);
    EXPECT_EQ(store().language(), "en-US");
}

TEST_F(SettingsStore, OlderServerKeyIsReadButNeverWritten) {
    writeSettings("<key>webSiteUrlType</key><integer>1</integer>");
    EXPECT_EQ(store().serverSequence(), 1);
    ASSERT_TRUE(store().saveConfig());
    const auto types = keyTypesByPlistutil(settingsPath());
    EXPECT_EQ(types, kWrittenTypes);
    EXPECT_EQ(PropertyList::readDictionary(settingsPath())->integerValue("serverSequence"), 1);
}

TEST_F(SettingsStore, SequenceStoredAsTextFallsBackInOrder) {
    writeSettings("<key>serverSequence</key><string>3</string><key>webSiteUrlType</key><integer>2</integer>");
    EXPECT_EQ(store().serverSequence(), 2);
    writeSettings("<key>serverSequence</key><string>3</string><key>webSiteUrlType</key><string>2</string>");
    EXPECT_EQ(store().serverSequence(), -999);
    writeSettings("<key>serverSequence</key><integer>-4</integer><key>webSiteUrlType</key><integer>2</integer>");
    EXPECT_EQ(store().serverSequence(), -4);
}

TEST_F(SettingsStore, EachWrongTypedKeyTakesOnlyItsOwnDefault) {
    const std::string good =
        "<key>isNotificationSound</key><false/><key>isCustomNotificationSound</key><true/>"
        "<key>customNotificationSoundPath</key><string>/s.wav</string><key>isDesktopNotifications</key><false/>"
        "<key>isAutoStart</key><true/><key>serverSequence</key><integer>7</integer>"
        "<key>language</key><string>zh-TW</string><key>downloadFileSavePath</key><string>/dl</string>";
    const std::map<std::string, std::string> wrong = {
        {"isNotificationSound", "<string>NO</string>"}, {"isCustomNotificationSound", "<string>YES</string>"},
        {"customNotificationSoundPath", "<integer>1</integer>"}, {"isDesktopNotifications", "<array/>"},
        {"isAutoStart", "<string>1</string>"},         {"serverSequence", "<dict/>"},
        {"language", "<true/>"},                        {"downloadFileSavePath", "<integer>0</integer>"}};
    for (const auto& [key, value] : wrong) {
        std::string members = good;
        const std::string tag = "<key>" + key + "</key>";
        const auto at = members.find(tag) + tag.size();
        members.replace(at, members.find("<key>", at) == std::string::npos ? members.size() - at
                                                                           : members.find("<key>", at) - at,
                        value);
        writeSettings(members);
        SCOPED_TRACE(key);
        EXPECT_EQ(store().isNotificationSound(), key == "isNotificationSound");
        EXPECT_EQ(store().isCustomNotificationSound(), key != "isCustomNotificationSound");
        EXPECT_EQ(store().customNotificationSoundPath(), key == "customNotificationSoundPath" ? "" : "/s.wav");
        EXPECT_EQ(store().isDesktopNotifications(), key == "isDesktopNotifications");
        EXPECT_EQ(store().isAutoStart(), key != "isAutoStart");
        EXPECT_EQ(store().serverSequence(), key == "serverSequence" ? -999 : 7);
        EXPECT_EQ(store().language(), key == "language" ? "zh-CN" : "zh-TW");
        EXPECT_EQ(store().downloadFileSavePath(),
                  key == "downloadFileSavePath" ? m_home.path() + "/Downloads" : "/dl");
    }
}

TEST_F(SettingsStore, AnyNumberServesABooleanOrTheSequence) {
    writeSettings(
        "<key>isNotificationSound</key><integer>0</integer><key>isAutoStart</key><integer>2</integer>"
        "<key>isCustomNotificationSound</key><real>0.25</real><key>isDesktopNotifications</key><real>0</real>"
        "<key>serverSequence</key><true/>");
    EXPECT_FALSE(store().isNotificationSound());
    EXPECT_TRUE(store().isAutoStart());
    EXPECT_TRUE(store().isCustomNotificationSound());
    EXPECT_FALSE(store().isDesktopNotifications());
    EXPECT_EQ(store().serverSequence(), 1);
}

TEST_F(SettingsStore, MissingKeysOfAnExistingFileTakeTheirDefaults) {
    writeSettings("<key>language</key><string>en-US</string>");
    EXPECT_TRUE(store().isNotificationSound());
    EXPECT_FALSE(store().isAutoStart());
    EXPECT_EQ(store().language(), "en-US");
    EXPECT_EQ(store().serverSequence(), -999);
}

TEST_F(SettingsStore, OnlyTheExactTildeDownloadsTextIsReplaced) {
    writeSettings("<key>downloadFileSavePath</key><string>~/Downloads</string>");
    EXPECT_EQ(store().downloadFileSavePath(), m_home.path() + "/Downloads");
    writeSettings("<key>downloadFileSavePath</key><string>~/Other</string>");
    EXPECT_EQ(store().downloadFileSavePath(), "~/Other");
    writeSettings("<key>downloadFileSavePath</key><string>~/Downloads/</string>");
    EXPECT_EQ(store().downloadFileSavePath(), "~/Downloads/");
}

TEST_F(SettingsStore, DamagedFileGivesDefaults) {
    writeFileText(settingsPath(), "<?xml version=\"1.0\"?><plist><dict><key>isAutoStart</key><tr");
    store().loadUserInfo();
    expectDefaults(m_home.path());
    writeFileText(settingsPath(), "<?xml version=\"1.0\"?><plist><array/></plist>");
    store().loadUserInfo();
    expectDefaults(m_home.path());
}

TEST_F(SettingsStore, ResetClearsTheServerAndSaves) {
    store().setServerSequence(5);
    store().resetConfig();
    EXPECT_EQ(store().serverSequence(), -999);
    EXPECT_EQ(PropertyList::readDictionary(settingsPath())->integerValue("serverSequence"), -999);
}

TEST_F(SettingsStore, ConcurrentSettersReadersAndSavesStayConsistent) {
    constexpr int kRounds = 300;
    std::vector<std::thread> threads;
    for (int worker = 0; worker < 3; ++worker) {
        threads.emplace_back([worker] {
            for (int i = 0; i < kRounds; ++i) {
                const std::string text(static_cast<std::size_t>(16 + (i % 40)), static_cast<char>('a' + worker));
                store().setCustomNotificationSoundPath(text);
                store().setDownloadFileSavePath("/d/" + text);
                store().setServerSequence(i);
                const std::string read = store().customNotificationSoundPath();
                EXPECT_EQ(read.find_first_not_of("abc"), std::string::npos) << "torn text";
            }
        });
    }
    threads.emplace_back([] {
        for (int i = 0; i < kRounds / 10; ++i) EXPECT_TRUE(store().saveConfig());
    });
    for (auto& thread : threads) thread.join();
    ASSERT_TRUE(store().saveConfig());
    const std::string path = store().customNotificationSoundPath();
    store().loadUserInfo();
    EXPECT_EQ(store().customNotificationSoundPath(), path);
}

namespace {

struct SettingsSet {
    bool flag;
    std::string text;
    std::int64_t sequence;
};

void applySet(const SettingsSet& set) {
    auto& store = Store::getInstance();
    store.setIsNotificationSound(set.flag);
    store.setIsCustomNotificationSound(!set.flag);
    store.setCustomNotificationSoundPath("/sounds/" + set.text);
    store.setIsDesktopNotifications(set.flag);
    store.setIsAutoStart(!set.flag);
    store.setServerSequence(set.sequence);
    store.setLanguage(set.flag ? "zh-TW" : "en-US");
    store.setDownloadFileSavePath("/downloads/" + set.text);
}

bool storeHolds(const SettingsSet& set) {
    auto& store = Store::getInstance();
    return store.isNotificationSound() == set.flag && store.isCustomNotificationSound() == !set.flag &&
           store.customNotificationSoundPath() == "/sounds/" + set.text && store.isDesktopNotifications() == set.flag &&
           store.isAutoStart() == !set.flag && store.serverSequence() == set.sequence &&
           store.language() == (set.flag ? "zh-TW" : "en-US") && store.downloadFileSavePath() == "/downloads/" + set.text;
}

[[noreturn]] void saveAlternatelyForever(const SettingsSet& first, const SettingsSet& second) {
    for (unsigned round = 0;; ++round) {
        applySet(round % 2 ? second : first);
        Store::getInstance().saveConfig();
    }
}

std::size_t temporariesBeside(const std::string& path) {
    std::size_t count = 0;
    const std::string prefix = fs::path(path).filename().string() + ".";
    for (const auto& entry : fs::directory_iterator(fs::path(path).parent_path()))
        if (entry.path().filename().string().rfind(prefix, 0) == 0) ++count;
    return count;
}

}  // namespace

TEST_F(SettingsStore, WriterKilledAtRandomMomentsLeavesAWholeOldOrNewFile) {
    const SettingsSet first{true, "first", 11};
    const SettingsSet second{false, std::string(3000, 'x') + "-second", 22};
    applySet(first);
    ASSERT_TRUE(store().saveConfig());

    std::mt19937 random(20240611u);
    std::uniform_int_distribution<int> delayMicroseconds(200, 6000);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(40);
    int kills = 0;
    int secondSeen = 0;
    for (; kills < 200 && std::chrono::steady_clock::now() < deadline; ++kills) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) saveAlternatelyForever(first, second);
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds(random)));
        ASSERT_EQ(kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));

        ASSERT_TRUE(PropertyList::readDictionary(settingsPath())) << "after kill " << kills;
        store().loadUserInfo();
        ASSERT_TRUE(storeHolds(first) || storeHolds(second)) << "mixed or lost values after kill " << kills;
        secondSeen += storeHolds(second) ? 1 : 0;
        EXPECT_LE(temporariesBeside(settingsPath()), 1u) << "temporaries pile up";
    }
    EXPECT_EQ(kills, 200) << "too slow to reach 200 kills within the time limit";
    // Both sets must have reached the file, or the kills never landed while saves were running.
    EXPECT_GT(secondSeen, 0);
    EXPECT_LT(secondSeen, kills);
    ASSERT_TRUE(store().saveConfig());
    EXPECT_EQ(temporariesBeside(settingsPath()), 0u);
}
