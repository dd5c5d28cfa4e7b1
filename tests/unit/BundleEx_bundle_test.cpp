// The language switch on the real test bundle: a chosen folder answers whatever the locale
// says, none or an unknown folder returns to the ordinary choice (user defaults first, then
// the locale variables), and the bundle's own facts (Info.plist, resources) are read.

#include <cstdlib>
#include <optional>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "config/BundleEx.h"
#include "config/LanguageCodes.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"
#include "support/TempHome.h"

namespace {

// A fresh home and no locale variables for each test.
class LanguageBundle : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) unsetenv(name);
    }
    void TearDown() override { Q7ZACUtility::setLanguage(std::nullopt); }
    static std::string okText() { return Bundle::mainBundle().localizedStringForKey("m9"); }

    TempHome m_home;
};

}  // namespace

TEST_F(LanguageBundle, ChosenFolderAnswersWhateverTheLocaleSays) {
    setenv("LANGUAGE", "zh_TW:en", 1);
    setenv("LANG", "en_US.UTF-8", 1);
    Q7ZACUtility::setLanguage(std::string("zh-Hans"));
    EXPECT_EQ(okText(), "确定");
    EXPECT_EQ(localizedString("UserDeviceLanguage"), "zh-CN");
    EXPECT_EQ(Bundle::mainBundle().localizedStringForKey("no such key", "fallback"), "fallback");
    EXPECT_EQ(localizedString("no such key"), "no such key");
    EXPECT_EQ(Bundle::mainBundle().localizedStringForKey("m9", "", "NoSuchTable"), "m9")
        << "no fallback to another table or localisation";
}

TEST_F(LanguageBundle, NoneOrAnUnknownFolderReturnsToTheOrdinaryChoice) {
    setenv("LANGUAGE", "zh_TW", 1);
    Q7ZACUtility::setLanguage(std::string("en"));
    EXPECT_EQ(okText(), "OK");
    for (const std::optional<std::string>& folder : {std::optional<std::string>(), std::optional<std::string>("fr"),
                                                     std::optional<std::string>("../Resources")}) {
        SCOPED_TRACE(folder.value_or("none"));
        Q7ZACUtility::setLanguage(std::string("en"));
        Q7ZACUtility::setLanguage(folder);
        EXPECT_EQ(okText(), "確定");
    }
    EXPECT_TRUE(BundleEx::mainBundleEx().overridesLookups());
}

TEST_F(LanguageBundle, OrdinaryChoicePrefersStoredLanguagesOverTheLocale) {
    setenv("LANG", "zh_CN.UTF-8", 1);
    EXPECT_EQ(okText(), "确定");
    auto& defaults = UserDefaults::standardUserDefaults();
    EXPECT_EQ(defaults.appleLanguages(), std::nullopt);
    defaults.setAppleLanguages({"zh-Hant"});
    ASSERT_TRUE(defaults.synchronize());
    EXPECT_EQ(okText(), "確定");
    EXPECT_EQ(PropertyList::readDictionary(UserDefaults::filePath())->stringArrayValue("AppleLanguages"),
              std::vector<std::string>{"zh-Hant"});
    defaults.removeAppleLanguages();
    setenv("LANGUAGE", "de:fr", 1);
    EXPECT_EQ(okText(), "OK") << "no offered language: the development localisation";
    defaults.setAppleLanguages({"en"});
    ASSERT_TRUE(defaults.synchronize());
    TempHome other;
    EXPECT_EQ(defaults.appleLanguages(), std::nullopt) << "another user's defaults";
}

TEST(LanguageMapping, LocaleNamesAndCodesMapToTheThreeLocalisations) {
    const std::vector<std::string> offered = {"en", "zh-Hans", "zh-Hant"};
    for (const auto& [locale, folder] : std::vector<std::pair<const char*, const char*>>{
             {"zh_TW.UTF-8", "zh-Hant"}, {"zh_HK", "zh-Hant"}, {"zh-Hant-TW", "zh-Hant"}, {"zh_CN.GB2312", "zh-Hans"},
             {"zh_SG", "zh-Hans"}, {"zh", "zh-Hans"}, {"en_GB.UTF-8@euro", "en"}, {"C", ""}, {"de_DE", ""}})
        EXPECT_EQ(Bundle::localizationForLanguage(locale, offered).value_or(""), folder) << locale;
    EXPECT_EQ(Bundle::localizationForLanguage("zh_TW", {"en"}), std::nullopt);
    for (const auto& [code, folder] : std::vector<std::pair<const char*, const char*>>{
             {"zh-TW", "zh-Hant"}, {"zh-CN", "zh-Hans"}, {"en-US", "en"}, {"en", ""}})
        EXPECT_EQ(LanguageCodes::folderForLanguageCode(code).value_or(""), folder) << code;
    EXPECT_EQ(LanguageCodes::languageCodeForFolder("zh-Hans"), "zh-CN");
    EXPECT_EQ(LanguageCodes::languageCodeForFolder("fr"), std::nullopt);
}

TEST(MainBundle, InfoAndResourcesComeFromTheBundleFolder) {
    const Bundle& bundle = Bundle::mainBundle();
    EXPECT_EQ(bundle.infoValue("CFBundleExecutable"), "Velloq Test Host");
    EXPECT_TRUE(bundle.infoValue("CFBundleVersion"));
    EXPECT_FALSE(bundle.infoValue("NoSuchKey"));
    EXPECT_EQ(bundle.localizations(), (std::vector<std::string>{"en", "zh-Hans", "zh-Hant"}));
    EXPECT_EQ(bundle.pathForResource("zh-Hans", "lproj"), bundle.resourcePath() + "/zh-Hans.lproj");
    EXPECT_FALSE(bundle.pathForResource("nothing", "png"));
    EXPECT_FALSE(bundle.pathForResource("../Info", "plist"));
}

TEST(MainBundle, ConcurrentSwitchesAndLookupsAreSafe) {
    std::vector<std::thread> threads;
    for (int worker = 0; worker < 4; ++worker) {
        threads.emplace_back([worker] {
            for (int i = 0; i < 200; ++i) {
                if (worker == 0) Q7ZACUtility::setLanguage(i % 2 ? std::optional<std::string>("en") : std::nullopt);
                EXPECT_FALSE(localizedString("m10").empty());
            }
        });
    }
    for (auto& thread : threads) thread.join();
    Q7ZACUtility::setLanguage(std::nullopt);
}
