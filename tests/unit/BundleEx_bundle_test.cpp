// The language switch on the real test bundle: a chosen folder answers whatever the locale
// says; none or an unknown folder returns to the ordinary choice (stored languages first, then
// the locale variables, then the development localisation); the bundle's resources are found
// inside it and never outside, and its string tables have every English key in every
// localisation, with the same placeholders. Lookups of missing keys are the string table
// fuzzer's invariant.

#include <cstdlib>
#include <map>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "platform/BundleEx.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"
#include "support/TempHome.h"
#include "utility/Q7ZACUtility.h"

namespace {

std::string okText() { return Bundle::mainBundle().localizedStringForKey("m9"); }

TEST(LanguageBundle, ChosenFolderOrTheOrdinaryChoiceAnswers) {
    TempHome home;
    for (const char* name : {"LC_ALL", "LC_MESSAGES"}) unsetenv(name);
    auto& defaults = UserDefaults::standardUserDefaults();
    // Each row switches from "en" to its folder, so a return to the ordinary choice is seen.
    const struct {
        const char *language, *lang;
        std::vector<std::string> stored;
        std::optional<std::string> folder;
        const char* ok;
    } rows[] = {
        {"zh_TW:en", "en_US.UTF-8", {}, "zh-Hans", "确定"},
        {"zh_TW", "", {}, std::nullopt, "確定"},
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

TEST(MainBundle, ResourcesComeFromTheBundleFolderAndNeverFromOutsideIt) {
    const Bundle& bundle = Bundle::mainBundle();
    EXPECT_EQ(bundle.pathForResource("zh-Hans", "lproj"), bundle.resourcePath() + "/zh-Hans.lproj");
    EXPECT_FALSE(bundle.pathForResource("../Info", "plist"));
}

TEST(MainBundle, EveryLocalisationHasEveryEnglishKeyWithTextAndTheSamePlaceholders) {
    const auto table = [](const std::string& folder) {
        const auto list = PropertyList::readDictionary(Bundle::mainBundle().resourcePath() + "/" + folder +
                                                       ".lproj/Localizable.strings");
        EXPECT_TRUE(list) << folder;
        return list ? list->stringMembers() : std::map<std::string, std::string>{};
    };
    const auto placeholders = [](const std::string& text) {
        std::size_t count = 0;
        for (auto at = text.find("%@"); at != std::string::npos; at = text.find("%@", at + 2)) ++count;
        return count;
    };
    const auto english = table("en");
    for (const char* folder : {"en", "zh-Hans", "zh-Hant"}) {
        const auto texts = table(folder);
        for (const auto& [key, text] : english) {
            ASSERT_TRUE(texts.count(key)) << key << " missing from " << folder;
            EXPECT_NE(texts.at(key), "") << key << " in " << folder;
            EXPECT_EQ(placeholders(texts.at(key)), placeholders(text)) << key << " in " << folder;
        }
    }
}

}  // namespace
