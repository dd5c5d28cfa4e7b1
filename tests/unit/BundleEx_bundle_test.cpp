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
#include "platform/UserDefaults.h"
#include "support/TempHome.h"

namespace {

// Pins the locale variables for one test and puts them back afterwards.
class LocaleEnvironment {
public:
    LocaleEnvironment() {
        for (const char* name : kNames) {
            const char* value = std::getenv(name);
            m_saved.emplace_back(value ? std::optional<std::string>(value) : std::nullopt);
            unsetenv(name);
        }
    }
    ~LocaleEnvironment() {
        for (std::size_t i = 0; i < kNames.size(); ++i) {
            if (m_saved[i]) setenv(kNames[i], m_saved[i]->c_str(), 1);
            else unsetenv(kNames[i]);
        }
    }

private:
    static constexpr std::array<const char*, 4> kNames = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
    std::vector<std::optional<std::string>> m_saved;
};

class LanguageBundle : public ::testing::Test {
protected:
    void TearDown() override { Q7ZACUtility::setLanguage(std::nullopt); }
    static std::string okText() { return Bundle::mainBundle().localizedStringForKey("m9"); }

    TempHome m_home;
    LocaleEnvironment m_locale;
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
    Q7ZACUtility::setLanguage(std::nullopt);
    EXPECT_EQ(okText(), "確定");
    Q7ZACUtility::setLanguage(std::string("en"));
    Q7ZACUtility::setLanguage(std::string("fr"));
    EXPECT_EQ(okText(), "確定");
    Q7ZACUtility::setLanguage(std::string("../Resources"));
    EXPECT_EQ(okText(), "確定");
    EXPECT_TRUE(BundleEx::mainBundleEx().overridesLookups());
}

TEST_F(LanguageBundle, OrdinaryChoicePrefersStoredLanguagesOverTheLocale) {
    setenv("LANG", "zh_CN.UTF-8", 1);
    EXPECT_EQ(okText(), "确定");
    UserDefaults::standardUserDefaults().setAppleLanguages({"zh-Hant"});
    ASSERT_TRUE(UserDefaults::standardUserDefaults().synchronize());
    EXPECT_EQ(okText(), "確定");
    UserDefaults::standardUserDefaults().removeAppleLanguages();
    setenv("LANGUAGE", "de:fr", 1);
    EXPECT_EQ(okText(), "OK") << "no offered language: the development localisation";
}

TEST(LanguageMapping, LocaleNamesMapToTheThreeLocalisations) {
    const std::vector<std::string> offered = {"en", "zh-Hans", "zh-Hant"};
    EXPECT_EQ(Bundle::localizationForLanguage("zh_TW.UTF-8", offered), "zh-Hant");
    EXPECT_EQ(Bundle::localizationForLanguage("zh_HK", offered), "zh-Hant");
    EXPECT_EQ(Bundle::localizationForLanguage("zh-Hant-TW", offered), "zh-Hant");
    EXPECT_EQ(Bundle::localizationForLanguage("zh_CN.GB2312", offered), "zh-Hans");
    EXPECT_EQ(Bundle::localizationForLanguage("zh_SG", offered), "zh-Hans");
    EXPECT_EQ(Bundle::localizationForLanguage("zh", offered), "zh-Hans");
    EXPECT_EQ(Bundle::localizationForLanguage("en_GB.UTF-8@euro", offered), "en");
    EXPECT_EQ(Bundle::localizationForLanguage("C", offered), std::nullopt);
    EXPECT_EQ(Bundle::localizationForLanguage("de_DE", offered), std::nullopt);
    EXPECT_EQ(Bundle::localizationForLanguage("zh_TW", {"en"}), std::nullopt);
}

TEST(LanguageMapping, CodesAndFoldersRunInParallel) {
    EXPECT_EQ(LanguageCodes::folderForLanguageCode("zh-TW"), "zh-Hant");
    EXPECT_EQ(LanguageCodes::folderForLanguageCode("zh-CN"), "zh-Hans");
    EXPECT_EQ(LanguageCodes::folderForLanguageCode("en-US"), "en");
    EXPECT_EQ(LanguageCodes::folderForLanguageCode("en"), std::nullopt);
    EXPECT_EQ(LanguageCodes::languageCodeForFolder("zh-Hans"), "zh-CN");
    EXPECT_EQ(LanguageCodes::languageCodeForFolder("fr"), std::nullopt);
}

TEST(UserDefaultsStore, AppleLanguagesSurviveAReadBack) {
    TempHome home;
    auto& defaults = UserDefaults::standardUserDefaults();
    EXPECT_EQ(defaults.appleLanguages(), std::nullopt);
    defaults.setAppleLanguages({"zh-Hant"});
    ASSERT_TRUE(defaults.synchronize());
    auto stored = PropertyList::readDictionary(UserDefaults::filePath());
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->stringArrayValue("AppleLanguages"), std::vector<std::string>{"zh-Hant"});
    {
        TempHome other;
        EXPECT_EQ(defaults.appleLanguages(), std::nullopt) << "another user's defaults";
    }
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
                const std::string text = localizedString("m10");
                EXPECT_FALSE(text.empty());
            }
        });
    }
    for (auto& thread : threads) thread.join();
    Q7ZACUtility::setLanguage(std::nullopt);
}
