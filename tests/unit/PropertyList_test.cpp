// Property-list reading and writing: XML and binary files are read as dictionaries and
// nothing else is; numbers count for booleans and integers, strings never; the atomic write
// makes its folder and clears only the temporaries a killed writer left behind.

#include <cstdlib>
#include <filesystem>
#include <limits>

#include <gtest/gtest.h>

#include "platform/PropertyList.h"
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
    const std::string path = home.path() + "/not/yet/there/values.plist";
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

    for (const char* name : {"/not/yet/there/values.plist.saving-Ab3dE9", "/not/yet/there/values.plist.backup",
                             "/not/yet/there/other.plist.saving-Ab3dE9"})
        writeFileText(home.path() + name, "left behind");
    ASSERT_TRUE(PropertyList().writeAtomically(path));
    EXPECT_FALSE(std::filesystem::exists(path + ".saving-Ab3dE9"));
    EXPECT_TRUE(std::filesystem::exists(path + ".backup")) << "a user's file, not a temporary";
    EXPECT_TRUE(std::filesystem::exists(home.path() + "/not/yet/there/other.plist.saving-Ab3dE9"))
        << "another file's temporary";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home.path() + "/not/yet/there"),
                            std::filesystem::directory_iterator()), 3)
        << "the save left no temporary of its own";

    writeFileText(home.path() + "/blocker", "a file where a folder should be");
    EXPECT_FALSE(PropertyList().writeAtomically(home.path() + "/blocker/values.plist"));
}
