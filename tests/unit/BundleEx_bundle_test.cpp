// The language switch on the real test bundle: a chosen folder answers whatever the locale
// says, none or an unknown folder returns to the ordinary choice (user defaults first, then
// the locale variables), and the bundle's resources are found inside it.

#include <cstdlib>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "platform/BundleEx.h"
#include "config/LanguageCodes.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"
#include "support/TempHome.h"

namespace {

// A fresh home, no locale variables and the ordinary choice for each test.
class LanguageBundle : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) unsetenv(name);
        Q7ZACUtility::setLanguage(std::nullopt);
    }
    // The ordinary choice is made once; a changed preference counts from the next switch.
    static void preferencesChanged() { Q7ZACUtility::setLanguage(std::nullopt); }
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
    for (const auto& folder : std::vector<std::optional<std::string>>{std::nullopt, "fr", "../Resources"}) {
        Q7ZACUtility::setLanguage(std::string("en"));
        Q7ZACUtility::setLanguage(folder);
        EXPECT_EQ(okText(), "確定") << folder.value_or("none");
    }
    EXPECT_TRUE(BundleEx::mainBundleEx().overridesLookups());
}

TEST_F(LanguageBundle, OrdinaryChoicePrefersStoredLanguagesOverTheLocale) {
    setenv("LANG", "zh_CN.UTF-8", 1);
    preferencesChanged();
    EXPECT_EQ(okText(), "确定");
    auto& defaults = UserDefaults::standardUserDefaults();
    defaults.setAppleLanguages({"zh-Hant"});
    ASSERT_TRUE(defaults.synchronize());
    preferencesChanged();
    EXPECT_EQ(okText(), "確定");
    EXPECT_EQ(PropertyList::readDictionary(UserDefaults::filePath())->stringArrayValue("AppleLanguages"),
              std::vector<std::string>{"zh-Hant"});
    defaults.removeAppleLanguages();
    setenv("LANGUAGE", "de:fr", 1);
    preferencesChanged();
    EXPECT_EQ(okText(), "OK") << "no offered language: the development localisation";
}

TEST(MainBundle, ResourcesComeFromTheBundleFolderAndNeverFromOutsideIt) {
    const Bundle& bundle = Bundle::mainBundle();
    EXPECT_EQ(bundle.localizations(), (std::vector<std::string>{"en", "zh-Hans", "zh-Hant"}));
    EXPECT_EQ(bundle.pathForResource("zh-Hans", "lproj"), bundle.resourcePath() + "/zh-Hans.lproj");
    EXPECT_FALSE(bundle.pathForResource("../Info", "plist"));
}
