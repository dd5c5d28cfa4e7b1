// Property-list reading and writing: only dictionaries are read; numbers serve integers (huge
// ones clamped), a boolean is no text and a mixed array no string array (numbers serving
// booleans and text never doing so are proven by the settings store's test); the atomic write
// clears only the temporaries a killed writer left behind (that it makes a missing folder, the
// settings store's first save shows); a save never loses what the file held (texts holding NUL
// refused, unreadable files kept aside).

#include <algorithm>
#include <filesystem>
#include <limits>

#include <gtest/gtest.h>

#include "platform/PropertyList.h"
#include "platform/PropertyListFile.h"
#include "support/TempHome.h"

namespace {

std::string dictXml(const std::string& members) {
    return "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>" + members + "</dict></plist>";
}

}  // namespace

TEST(PropertyListRead, NumbersServeIntegersAndOnlyDictionariesAreRead) {
    for (const std::string& data : {std::string(), dictXml("<key>a</key><string>x"),
                                    std::string("<?xml version=\"1.0\"?><plist version=\"1.0\"><array/></plist>")})
        EXPECT_FALSE(PropertyList::fromData(data)) << data;
    const auto list = *PropertyList::fromData(dictXml(
        "<key>negativeReal</key><real>-3.75</real><key>huge</key><real>1e300</real><key>yes</key><true/>"
        "<key>mixed</key><array><string>en</string><integer>1</integer></array>"));
    EXPECT_EQ(list.integerValue("yes"), 1);
    EXPECT_EQ(list.integerValue("negativeReal"), -3);
    EXPECT_EQ(list.integerValue("huge"), std::numeric_limits<std::int64_t>::max());
    EXPECT_FALSE(list.stringValue("yes") || list.stringArrayValue("mixed"));
}

TEST(PropertyListWrite, ClearsOnlyItsOwnTemporaries) {
    TempHome home;
    const std::string folder = home.path() + "/data", path = folder + "/values.plist";
    for (const char* name : {"/values.plist.saving-Ab3dE9", "/values.plist.backup", "/other.plist.saving-Ab3dE9"})
        writeFileText(folder + name, "left behind");
    ASSERT_TRUE(PropertyList().writeAtomically(path));
    EXPECT_FALSE(std::filesystem::exists(path + ".saving-Ab3dE9"));
    EXPECT_TRUE(std::filesystem::exists(path + ".backup")) << "a user's file, not a temporary";
    EXPECT_TRUE(std::filesystem::exists(folder + "/other.plist.saving-Ab3dE9")) << "another file's temporary";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 3)
        << "the save left no temporary of its own";
}

// The user's data is never lost to a save: a value the format cannot hold fails the save and
// leaves the file as it was; an unreadable file is kept aside (the newest three copies) before
// a new one takes its place; an empty file holds nothing worth keeping.
TEST(PropertyListWrite, NeverLosesWhatTheFileHeld) {
    TempHome home;
    const std::string path = home.path() + "/values.plist";
    PropertyList good, withNul, arrayWithNul;
    good.setString("name", "kept");
    ASSERT_TRUE(PropertyListFile::save(good, path));
    withNul.setString("name", std::string("cut\0short", 9));
    EXPECT_FALSE(withNul.contains("name"));
    EXPECT_FALSE(PropertyListFile::save(withNul, path));
    arrayWithNul.setStringArray("names", {"fine", std::string("\0", 1)});
    EXPECT_FALSE(PropertyListFile::save(arrayWithNul, path));
    EXPECT_EQ(PropertyListFile::load(path)->stringValue("name"), "kept");

    const auto keptCopies = [&] {
        std::vector<std::string> contents;
        for (const auto& entry : std::filesystem::directory_iterator(home.path()))
            if (entry.path().filename().string().rfind("values.plist.unreadable-", 0) == 0)
                contents.push_back(readFileText(entry.path()));
        std::sort(contents.begin(), contents.end());
        return contents;
    };
    for (const char* damaged : {"damaged 1", "damaged 2", "damaged 3", "damaged 4", ""}) {
        writeFileText(path, damaged);
        EXPECT_FALSE(PropertyListFile::load(path));
        ASSERT_TRUE(PropertyListFile::save(good, path));
    }
    EXPECT_EQ(PropertyListFile::load(path)->stringValue("name"), "kept");
    EXPECT_EQ(keptCopies(), (std::vector<std::string>{"damaged 2", "damaged 3", "damaged 4"}));
}
