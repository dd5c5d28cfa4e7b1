// The string tables copied into the bundle: every localisation has every key the program
// looks up, the texts differ where they must, and format placeholders agree across languages.

#include <filesystem>
#include <map>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "platform/PropertyList.h"
#include "support/TempHome.h"

namespace fs = std::filesystem;

namespace {

const std::set<std::string> kRequiredKeys = {
    "m3", "m9", "m10", "m11", "m12", "m46", "m82", "m83", "m112", "m283", "m346", "m744",
    "m746", "m747", "m748", "m749", "m750", "m751", "m752", "m753", "m754", "m755", "m757",
    "m1000", "m1083", "m2159", "m3059", "m3060", "m3061", "m3206", "m3227", "m3228", "m3476",
    "m3479", "m3480", "m3481", "m3837", "m3838", "m3840", "Reload", "UserDeviceLanguage",
    "ServerTW", "ServerCN", "Other...", "Show", "Quit"};

const fs::path kResources = fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "Resources";

// Folder -> key -> text (a value that is not text counts as missing).
std::map<std::string, std::map<std::string, std::string>> allTables() {
    std::map<std::string, std::map<std::string, std::string>> tables;
    for (const char* folder : {"en", "zh-Hans", "zh-Hant"}) {
        const auto list = PropertyList::readDictionary((kResources / folder).string() + ".lproj/Localizable.strings");
        EXPECT_TRUE(list) << folder;
        if (list) tables[folder] = list->stringMembers();
    }
    return tables;
}

std::size_t countPlaceholders(const std::string& text) {
    std::size_t count = 0;
    for (auto at = text.find("%@"); at != std::string::npos; at = text.find("%@", at + 2)) ++count;
    return count;
}

}  // namespace

TEST(StringTables, EveryLocalisationHasEveryKeyWithTextAndTheSamePlaceholders) {
    const auto tables = allTables();
    const std::map<std::string, std::string> deviceLanguage = {{"en", "en-US"}, {"zh-Hans", "zh-CN"}, {"zh-Hant", "zh-TW"}};
    for (const auto& [folder, table] : tables) {
        for (const auto& key : kRequiredKeys) EXPECT_NE(table.count(key) ? table.at(key) : "", "") << key << " in " << folder;
        for (const auto& [key, text] : tables.at("en")) {
            ASSERT_TRUE(table.count(key)) << key << " missing from " << folder;
            EXPECT_EQ(countPlaceholders(table.at(key)), countPlaceholders(text)) << key << " in " << folder;
        }
        // The language menu names each language in its own script in every localisation.
        EXPECT_EQ(table.at("UserDeviceLanguage"), deviceLanguage.at(folder));
        EXPECT_EQ(table.at("m753") + table.at("m751") + table.at("m750") + table.at("m752"),
                  "Velloq Parlor繁體中文简体中文English") << folder;
    }
    EXPECT_NE(tables.at("zh-Hant").at("m754"), tables.at("zh-Hans").at("m754"));
}
