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

TEST(LanguageBundle, ChosenFolderOrTheOrdinaryChoiceAnswers) {
    TempHome home;
    for (const char* name : {"LC_ALL", "LC_MESSAGES"}) unsetenv(name);
    auto& defaults = UserDefaults::standardUserDefaults();
    // Each row switches from "en" to its folder, so a return to the ordinary choice is seen.
    const struct {
        const char *language, *lang, *ok;
        std::optional<std::string> folder = std::nullopt;
        std::vector<std::string> stored = {};
    } rows[] = {
        {"zh_TW:en", "en_US.UTF-8", "确定", "zh-Hans"},
        {"zh_TW", "", "確定"},
        {"zh_TW", "", "確定", "../Resources"},
        {"", "zh_CN.UTF-8", "确定"},
        {"", "zh_CN.UTF-8", "確定", std::nullopt, {"zh-Hant"}},
        {"de:fr", "zh_CN.UTF-8", "OK"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.language) + " " + row.lang + " " + row.folder.value_or("none"));
        setenv("LANGUAGE", row.language, 1);
        setenv("LANG", row.lang, 1);
        row.stored.empty() ? defaults.removeAppleLanguages() : defaults.setAppleLanguages(row.stored);
        ASSERT_TRUE(defaults.synchronize());
        const auto saved = PropertyList::readDictionary(UserDefaults::filePath()).value_or(PropertyList());
        EXPECT_EQ(saved.stringArrayValue("AppleLanguages").value_or(std::vector<std::string>()), row.stored);
        Q7ZACUtility::setLanguage(std::string("en"));
        EXPECT_EQ(Bundle::mainBundle().localizedStringForKey("m9"), "OK");  // m9: the OK button
        Q7ZACUtility::setLanguage(row.folder);
        EXPECT_EQ(Bundle::mainBundle().localizedStringForKey("m9"), row.ok);
    }
    EXPECT_TRUE(BundleEx::mainBundleEx().overridesLookups());
}

// The localisations are found inside the bundle (never outside it), and each has every English
// key, with text and the same placeholders.
TEST(MainBundle, EveryLocalisationInTheBundleHasEveryEnglishKeyWithTheSamePlaceholders) {
    const Bundle& bundle = Bundle::mainBundle();
    EXPECT_FALSE(bundle.pathForResource("../Info", "plist"));
    const auto table = [&](const std::string& folder) {
        EXPECT_EQ(bundle.pathForResource(folder, "lproj"), bundle.resourcePath() + "/" + folder + ".lproj");
        const auto list =
            PropertyList::readDictionary(bundle.resourcePath() + "/" + folder + ".lproj/Localizable.strings");
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
