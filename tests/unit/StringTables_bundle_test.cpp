// The string tables copied into the bundle: every localisation has every key the program
// looks up, the texts differ where they must, and format placeholders agree across languages.

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>

#include <gtest/gtest.h>
#include <plist/plist.h>

#include "support/TempHome.h"

namespace fs = std::filesystem;

namespace {

const std::set<std::string> kRequiredKeys = {
    "m3", "m9", "m10", "m11", "m12", "m46", "m82", "m83", "m112", "m283", "m346", "m744",
    "m746", "m747", "m748", "m749", "m750", "m751", "m752", "m753", "m754", "m755", "m757",
    "m1000", "m1083", "m2159", "m3059", "m3060", "m3061", "m3206", "m3227", "m3228", "m3476",
    "m3479", "m3480", "m3481", "m3837", "m3838", "m3840", "Reload", "UserDeviceLanguage",
    "ServerTW", "ServerCN", "Other..."};

const std::map<std::string, std::string> kDeviceLanguage = {
    {"en", "en-US"}, {"zh-Hans", "zh-CN"}, {"zh-Hant", "zh-TW"}};

fs::path resourcesFolder() {
    return fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "Resources";
}

using PlistPtr = std::unique_ptr<void, decltype(&plist_free)>;

std::map<std::string, std::string> readTable(const fs::path& path) {
    const std::string text = readFileText(path.string());
    plist_t root = nullptr;
    plist_from_memory(text.data(), static_cast<uint32_t>(text.size()), &root);
    PlistPtr owner(root, &plist_free);
    std::map<std::string, std::string> table;
    if (!root || plist_get_node_type(root) != PLIST_DICT) return table;
    plist_dict_iter iter = nullptr;
    plist_dict_new_iter(root, &iter);
    for (;;) {
        char* key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(root, iter, &key, &value);
        if (!key) break;
        char* text = nullptr;
        if (plist_get_node_type(value) == PLIST_STRING) plist_get_string_val(value, &text);
        table[key] = text ? text : "";
        free(text);
        free(key);
    }
    free(iter);
    return table;
}

std::size_t countPlaceholders(const std::string& text) {
    std::size_t count = 0;
    for (auto at = text.find("%@"); at != std::string::npos; at = text.find("%@", at + 2)) ++count;
    return count;
}

std::map<std::string, std::map<std::string, std::string>> allTables() {
    std::map<std::string, std::map<std::string, std::string>> tables;
    for (const auto& [folder, code] : kDeviceLanguage)
        tables[folder] = readTable(resourcesFolder() / (folder + ".lproj") / "Localizable.strings");
    return tables;
}

}  // namespace

TEST(StringTables, EveryLocalisationHasEveryKeyWithText) {
    for (const auto& [folder, table] : allTables()) {
        for (const auto& key : kRequiredKeys) {
            auto found = table.find(key);
            ASSERT_NE(found, table.end()) << key << " missing from " << folder;
            EXPECT_FALSE(found->second.empty()) << key << " empty in " << folder;
        }
    }
}

TEST(StringTables, PlaceholderCountsAgreeAcrossLocalisations) {
    const auto tables = allTables();
    const auto& reference = tables.at("en");
    for (const auto& [folder, table] : tables) {
        for (const auto& [key, text] : reference) {
            ASSERT_TRUE(table.count(key)) << key << " missing from " << folder;
            EXPECT_EQ(countPlaceholders(table.at(key)), countPlaceholders(text)) << key << " in " << folder;
        }
    }
    EXPECT_EQ(countPlaceholders(reference.at("m3840")), 1u);
}

TEST(StringTables, DeviceLanguageNamesTheLocalisation) {
    const auto tables = allTables();
    for (const auto& [folder, code] : kDeviceLanguage) EXPECT_EQ(tables.at(folder).at("UserDeviceLanguage"), code);
    for (const auto& [folder, table] : tables) {
        EXPECT_EQ(table.at("m753"), "Velloq Parlor") << folder;
        EXPECT_EQ(table.at("m751"), "繁體中文") << folder;
        EXPECT_EQ(table.at("m750"), "简体中文") << folder;
        EXPECT_EQ(table.at("m752"), "English") << folder;
    }
    EXPECT_NE(tables.at("zh-Hans").at("m9"), tables.at("en").at("m9"));
    EXPECT_NE(tables.at("zh-Hant").at("m754"), tables.at("zh-Hans").at("m754"));
}

TEST(StringTables, BundleHasItsInfoPlist) {
    const fs::path info = resourcesFolder().parent_path() / "Info.plist";
    const std::string text = readFileText(info.string());
    EXPECT_NE(text.find("<key>CFBundleIdentifier</key>"), std::string::npos);
    EXPECT_EQ(text.find('@'), std::string::npos) << "unrendered template variable";
}
