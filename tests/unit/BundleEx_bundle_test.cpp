// The language switch on the real test bundle: a chosen folder answers whatever the locale
// says; none or an unknown folder returns to the ordinary choice (stored languages first, then
// the locale variables, then the development localisation); missing keys and tables fall back
// to the key, and the bundle's resources are found inside it and never outside.

#include <cstdlib>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "platform/BundleEx.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"
#include "support/TempHome.h"

namespace {

std::string okText() { return Bundle::mainBundle().localizedStringForKey("m9"); }

TEST(LanguageBundle, ChosenFolderOrTheOrdinaryChoiceAnswers) {
    TempHome home;
    for (const char* name : {"LC_ALL", "LC_MESSAGES"}) unsetenv(name);
    auto& defaults = UserDefaults::standardUserDefaults();
    // Each row switches from "en" to its folder, so a return to the ordinary choice is seen.
    const struct { const char *language, *lang; std::vector<std::string> stored; std::optional<std::string> folder;
                   const char* ok; } rows[] = {
        {"zh_TW:en", "en_US.UTF-8", {}, "zh-Hans", "确定"},
        {"zh_TW", "", {}, std::nullopt, "確定"},
        {"zh_TW", "", {}, "fr", "確定"},
        {"zh_TW", "", {}, "../Resources", "確定"},
        {"", "zh_CN.UTF-8", {}, std::nullopt, "确定"},
        {"", "zh_CN.UTF-8", {"zh-Hant"}, std::nullopt, "確定"},
        {"de:fr", "zh_CN.UTF-8", {}, std::nullopt, "OK"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.language) + " " + row.lang + " " + row.folder.value_or("none"));
        setenv("LANGUAGE", row.language, 1);
        setenv("LANG", row.lang, 1);
        row.stored.empty() ? defaults.removeAppleLanguages() : defaults.setAppleLanguages(row.stored);
        ASSERT_TRUE(defaults.synchronize());
        Q7ZACUtility::setLanguage(std::string("en"));
        EXPECT_EQ(okText(), "OK");
        Q7ZACUtility::setLanguage(row.folder);
        EXPECT_EQ(okText(), row.ok);
    }
    EXPECT_TRUE(BundleEx::mainBundleEx().overridesLookups());
    defaults.setAppleLanguages({"zh-Hant"});
    ASSERT_TRUE(defaults.synchronize());
    EXPECT_EQ(PropertyList::readDictionary(UserDefaults::filePath())->stringArrayValue("AppleLanguages"),
              std::vector<std::string>{"zh-Hant"});
}

TEST(LanguageBundle, MissingKeysAndTablesFallBackToTheKey) {
    Q7ZACUtility::setLanguage(std::string("zh-Hans"));
    EXPECT_EQ(localizedString("UserDeviceLanguage"), "zh-CN");
    EXPECT_EQ(Bundle::mainBundle().localizedStringForKey("no such key", "fallback"), "fallback");
    EXPECT_EQ(localizedString("no such key"), "no such key");
    EXPECT_EQ(Bundle::mainBundle().localizedStringForKey("m9", "", "NoSuchTable"), "m9")
        << "no fallback to another table or localisation";
}

TEST(MainBundle, ResourcesComeFromTheBundleFolderAndNeverFromOutsideIt) {
    const Bundle& bundle = Bundle::mainBundle();
    EXPECT_EQ(bundle.localizations(), (std::vector<std::string>{"en", "zh-Hans", "zh-Hant"}));
    EXPECT_EQ(bundle.pathForResource("zh-Hans", "lproj"), bundle.resourcePath() + "/zh-Hans.lproj");
    EXPECT_FALSE(bundle.pathForResource("../Info", "plist"));
}

}  // namespace
