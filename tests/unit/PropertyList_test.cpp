// Property-list reading and writing: XML and binary files are read as dictionaries and
// nothing else is; numbers of every kind count for booleans and integers, strings never;
// the atomic write makes its folder, leaves valid XML and clears temporaries a killed
// writer left behind.

#include <cstdlib>
#include <filesystem>
#include <limits>

#include <gtest/gtest.h>

#include "platform/PropertyList.h"
#include "support/TempHome.h"

namespace fs = std::filesystem;

namespace {

std::string plistXml(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" + body + "\n</plist>\n";
}

std::string dictXml(const std::string& members) { return plistXml("<dict>" + members + "</dict>"); }

PropertyList parsed(const std::string& members) {
    auto list = PropertyList::fromData(dictXml(members));
    EXPECT_TRUE(list.has_value());
    return list ? std::move(*list) : PropertyList();
}

}  // namespace

TEST(PropertyListRead, OnlyDictionariesAreAccepted) {
    TempHome home;
    EXPECT_FALSE(PropertyList::readDictionary(home.path() + "/missing.plist"));
    EXPECT_FALSE(PropertyList::fromData(""));
    EXPECT_FALSE(PropertyList::fromData("not a property list"));
    EXPECT_FALSE(PropertyList::fromData(plistXml("<array><string>a</string></array>")));
    EXPECT_FALSE(PropertyList::fromData(plistXml("<string>a</string>")));
    EXPECT_FALSE(PropertyList::fromData(dictXml("<key>a</key><string>unterminated")));
    EXPECT_TRUE(PropertyList::fromData(dictXml("")));
}

TEST(PropertyListRead, BinaryFilesReadLikeXml) {
    TempHome home;
    const std::string xmlPath = home.path() + "/in.plist";
    const std::string binaryPath = home.path() + "/in.bplist";
    writeFileText(xmlPath, dictXml("<key>name</key><string>Zoë</string><key>count</key><integer>-999</integer>"));
    const std::string command = "plistutil -i '" + xmlPath + "' -o '" + binaryPath + "' -f bin";
    ASSERT_EQ(std::system(command.c_str()), 0);
    ASSERT_EQ(readFileText(binaryPath).rfind("bplist", 0), 0u);

    auto list = PropertyList::readDictionary(binaryPath);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->stringValue("name"), "Zoë");
    EXPECT_EQ(list->integerValue("count"), -999);
}

TEST(PropertyListRead, NumbersOfAnyKindServeBooleansAndIntegers) {
    auto list = parsed(
        "<key>two</key><integer>2</integer><key>zero</key><integer>0</integer>"
        "<key>yes</key><true/><key>no</key><false/><key>half</key><real>0.5</real>"
        "<key>negativeReal</key><real>-3.75</real><key>text</key><string>1</string>"
        "<key>huge</key><real>1e300</real><key>list</key><array/>");
    EXPECT_EQ(list.booleanValue("two"), true);
    EXPECT_EQ(list.booleanValue("zero"), false);
    EXPECT_EQ(list.booleanValue("yes"), true);
    EXPECT_EQ(list.booleanValue("no"), false);
    EXPECT_EQ(list.booleanValue("half"), true);
    EXPECT_EQ(list.integerValue("yes"), 1);
    EXPECT_EQ(list.integerValue("negativeReal"), -3);
    EXPECT_EQ(list.integerValue("huge"), std::numeric_limits<std::int64_t>::max());
    EXPECT_FALSE(list.booleanValue("text"));
    EXPECT_FALSE(list.integerValue("text"));
    EXPECT_FALSE(list.integerValue("list"));
    EXPECT_FALSE(list.integerValue("absent"));
    EXPECT_FALSE(list.stringValue("two"));
}

TEST(PropertyListRead, StringArraysMustHoldOnlyStrings) {
    auto list = parsed(
        "<key>good</key><array><string>zh-Hans</string><string>en</string></array>"
        "<key>mixed</key><array><string>en</string><integer>1</integer></array>"
        "<key>single</key><string>en</string>");
    EXPECT_EQ(list.stringArrayValue("good"), (std::vector<std::string>{"zh-Hans", "en"}));
    EXPECT_FALSE(list.stringArrayValue("mixed"));
    EXPECT_FALSE(list.stringArrayValue("single"));
}

TEST(PropertyListWrite, RoundTripsAndCreatesTheFolder) {
    TempHome home;
    const std::string path = home.path() + "/not/yet/there/values.plist";
    PropertyList list;
    list.setString("text", "a <b> & \"c\"");
    list.setBoolean("flag", false);
    list.setInteger("negative", -999);
    list.setInteger("large", std::numeric_limits<std::int64_t>::max());
    list.setStringArray("languages", {"zh-Hant"});
    ASSERT_TRUE(list.writeAtomically(path));

    EXPECT_EQ(readFileText(path).rfind("<?xml", 0), 0u);
    auto back = PropertyList::readDictionary(path);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->stringValue("text"), "a <b> & \"c\"");
    EXPECT_EQ(back->booleanValue("flag"), false);
    EXPECT_EQ(back->integerValue("negative"), -999);
    EXPECT_EQ(back->integerValue("large"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(back->stringArrayValue("languages"), std::vector<std::string>{"zh-Hant"});
    EXPECT_EQ(back->keys().size(), 5u);
}

TEST(PropertyListWrite, ClearsTemporariesLeftByAKilledWriterOnly) {
    TempHome home;
    const std::string path = home.path() + "/values.plist";
    writeFileText(path + ".Ab3dE9", "partial");
    writeFileText(path + ".bak", "kept: not a temporary name");
    writeFileText(home.path() + "/other.plist.Ab3dE9", "another file's temporary");
    ASSERT_TRUE(PropertyList().writeAtomically(path));
    EXPECT_FALSE(fs::exists(path + ".Ab3dE9"));
    EXPECT_TRUE(fs::exists(path + ".bak"));
    EXPECT_TRUE(fs::exists(home.path() + "/other.plist.Ab3dE9"));
}

TEST(PropertyListWrite, FailsWhenTheFolderCannotBeMade) {
    TempHome home;
    writeFileText(home.path() + "/blocker", "a file where a folder should be");
    EXPECT_FALSE(PropertyList().writeAtomically(home.path() + "/blocker/values.plist"));
}
