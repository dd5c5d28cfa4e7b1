// Property-list reading and writing: XML and binary files are read as dictionaries and
// nothing else is; numbers count for booleans and integers, strings never; the atomic write
// makes its folder and clears only the temporaries a killed writer left behind; a save never
// loses what the file held.

#include <algorithm>
#include <cstdlib>
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

TEST(PropertyListRead, BinaryAndXmlDictionariesAndNothingElse) {
    TempHome home;
    const std::string xmlPath = home.path() + "/in.plist", binaryPath = home.path() + "/in.bplist";
    writeFileText(xmlPath, dictXml("<key>name</key><string>Zoë</string><key>count</key><integer>-999</integer>"));
    ASSERT_EQ(std::system(("plistutil -i '" + xmlPath + "' -o '" + binaryPath + "' -f bin").c_str()), 0);
    ASSERT_EQ(readFileText(binaryPath).rfind("bplist", 0), 0u);
    auto list = PropertyList::readDictionary(binaryPath);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->stringValue("name"), "Zoë");
    EXPECT_EQ(list->integerValue("count"), -999);
    EXPECT_FALSE(PropertyList::readDictionary(home.path() + "/missing.plist"));
    for (const std::string& data : {std::string(), std::string("not a property list"), dictXml("<key>a</key><string>x"),
                                    std::string("<?xml version=\"1.0\"?><plist version=\"1.0\"><array/></plist>")})
        EXPECT_FALSE(PropertyList::fromData(data)) << data;
}

TEST(PropertyListRead, NumbersServeBooleansAndIntegersButTextNever) {
    const auto list = *PropertyList::fromData(dictXml(
        "<key>half</key><real>0.5</real><key>negativeReal</key><real>-3.75</real><key>huge</key><real>1e300</real>"
        "<key>yes</key><true/><key>text</key><string>1</string>"
        "<key>good</key><array><string>zh-Hans</string><string>en</string></array>"
        "<key>mixed</key><array><string>en</string><integer>1</integer></array>"));
    EXPECT_EQ(list.booleanValue("half"), true);
    EXPECT_EQ(list.integerValue("yes"), 1);
    EXPECT_EQ(list.integerValue("negativeReal"), -3);
    EXPECT_EQ(list.integerValue("huge"), std::numeric_limits<std::int64_t>::max());
    EXPECT_FALSE(list.booleanValue("text"));
    EXPECT_FALSE(list.integerValue("text"));
    EXPECT_FALSE(list.stringValue("yes"));
    EXPECT_EQ(list.stringArrayValue("good"), (std::vector<std::string>{"zh-Hans", "en"}));
    EXPECT_FALSE(list.stringArrayValue("mixed"));
    EXPECT_FALSE(list.stringArrayValue("text"));
}

TEST(PropertyListWrite, RoundTripsCreatesTheFolderAndClearsOnlyItsOwnTemporaries) {
    TempHome home;
    const std::string folder = home.path() + "/not/yet/there", path = folder + "/values.plist";
    std::filesystem::create_directories(folder);
    for (const char* name : {"/values.plist.saving-Ab3dE9", "/values.plist.backup", "/other.plist.saving-Ab3dE9"})
        writeFileText(folder + name, "left behind");
    PropertyList list;
    list.setString("text", "a <b> & \"c\"");
    list.setBoolean("flag", false);
    list.setInteger("large", std::numeric_limits<std::int64_t>::max());
    ASSERT_TRUE(list.writeAtomically(path));
    auto back = PropertyList::readDictionary(path);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->stringValue("text"), "a <b> & \"c\"");
    EXPECT_EQ(back->booleanValue("flag"), false);
    EXPECT_EQ(back->integerValue("large"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(back->keys().size(), 3u);

    EXPECT_FALSE(std::filesystem::exists(path + ".saving-Ab3dE9"));
    EXPECT_TRUE(std::filesystem::exists(path + ".backup")) << "a user's file, not a temporary";
    EXPECT_TRUE(std::filesystem::exists(folder + "/other.plist.saving-Ab3dE9")) << "another file's temporary";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 3)
        << "the save left no temporary of its own";

    writeFileText(home.path() + "/blocker", "a file where a folder should be");
    EXPECT_FALSE(PropertyList().writeAtomically(home.path() + "/blocker/values.plist"));
}

// The user's data is never lost to a save: a value the format cannot hold fails the save and
// leaves the file as it was; an unreadable file is kept aside (the newest three copies) before
// a new one takes its place; an empty file holds nothing worth keeping.
TEST(PropertyListWrite, NeverLosesWhatTheFileHeld) {
    TempHome home;
    const std::string path = home.path() + "/values.plist";
    PropertyList good;
    good.setString("name", "kept");
    ASSERT_TRUE(PropertyListFile::save(good, path));
    PropertyList withNul;
    withNul.setString("name", std::string("cut\0short", 9));
    EXPECT_FALSE(withNul.contains("name"));
    EXPECT_FALSE(PropertyListFile::save(withNul, path));
    PropertyList arrayWithNul;
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
    for (const char* damaged : {"damaged 1", "damaged 2", "damaged 3", "damaged 4"}) {
        writeFileText(path, damaged);
        EXPECT_FALSE(PropertyListFile::load(path));
        ASSERT_TRUE(PropertyListFile::save(good, path));
        EXPECT_EQ(PropertyListFile::load(path)->stringValue("name"), "kept");
    }
    EXPECT_EQ(keptCopies(), (std::vector<std::string>{"damaged 2", "damaged 3", "damaged 4"}));

    writeFileText(path, "");
    ASSERT_TRUE(PropertyListFile::save(good, path));
    EXPECT_EQ(keptCopies().size(), 3u);
}
