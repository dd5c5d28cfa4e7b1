// The files the program keeps in the user's home. The user's folders follow the environment at
// every call (GLib would cache them). Property lists: only dictionaries are read; numbers serve
// integers (huge ones clamped), a boolean is no text and a mixed array no string array (numbers
// serving booleans and text never doing so are proven by the settings store's test); the atomic
// write clears only the temporaries a killed writer left behind (that it makes a missing folder,
// the settings store's first save shows); a save never loses what the file held (texts holding
// NUL refused, unreadable files kept aside). The XDG autostart entry of the helper: its Exec
// line is read back the way a desktop reads it (GKeyFile string unescaping, "%%" to "%", then
// shell-style argument splitting) and must give the helper's path, however odd its characters;
// an entry the user left hidden is replaced; only an absolute helper path is written (the
// settings window's test turns it on and off).

#include <cstdlib>
#include <filesystem>
#include <limits>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <glib.h>
#include <gtest/gtest.h>

#include "platform/DesktopEntry.h"
#include "platform/GObjectPtr.h"
#include "platform/LoginItem.h"
#include "platform/Paths.h"
#include "platform/PropertyList.h"
#include "platform/PropertyListFile.h"
#include "support/PropertyListText.h"
#include "support/TempHome.h"

namespace {

TEST(Paths, FollowHomeAtEveryCall) {
    TempHome first;
    EXPECT_EQ(Paths::documentsDirectory(), first.documents());
    {
        TempHome second;
        EXPECT_EQ(Paths::homeDirectory(), second.path());
        EXPECT_EQ(Paths::documentsDirectory(), second.path() + "/Documents");
        EXPECT_EQ(Paths::userConfigDirectory(), second.path() + "/.config/velloq-parlor");
    }
    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    EXPECT_EQ(Paths::userConfigBaseDirectory(), first.path() + "/.config") << "a relative value is ignored";
}

TEST(PropertyListRead, NumbersServeIntegersAndOnlyDictionariesAreRead) {
    for (const std::string& data : {std::string(), dictionaryPropertyList("<key>a</key><string>x"),
                                    std::string("<?xml version=\"1.0\"?><plist version=\"1.0\"><array/></plist>")})
        EXPECT_FALSE(PropertyList::fromData(data)) << data;
    const auto list = *PropertyList::fromData(dictionaryPropertyList(
        "<key>negativeReal</key><real>-3.75</real><key>huge</key><real>1e300</real><key>yes</key><true/>"
        "<key>mixed</key><array><string>en</string><integer>1</integer></array>"));
    EXPECT_EQ(list.integerValue("yes"), 1);
    EXPECT_EQ(list.integerValue("negativeReal"), -3);
    EXPECT_EQ(list.integerValue("huge"), std::numeric_limits<std::int64_t>::max());
    EXPECT_FALSE(list.stringValue("yes") || list.stringArrayValue("mixed"));
}

// The user's data is never lost to a save: the atomic write clears only the temporaries its
// own killed writers left; a value the format cannot hold fails the save and leaves the file as
// it was; an unreadable file is kept aside (the newest three copies) before a new one takes its
// place; an empty file holds nothing worth keeping.
TEST(PropertyListWrite, NeverLosesWhatTheFileHeld) {
    TempHome home;
    const std::string folder = home.path() + "/data", written = folder + "/values.plist";
    for (const char* name : {"/values.plist.saving-Ab3dE9", "/values.plist.backup", "/other.plist.saving-Ab3dE9"})
        writeFileText(folder + name, "left behind");
    ASSERT_TRUE(PropertyList().writeAtomically(written));
    EXPECT_FALSE(std::filesystem::exists(written + ".saving-Ab3dE9"));
    EXPECT_TRUE(std::filesystem::exists(written + ".backup")) << "a user's file, not a temporary";
    EXPECT_TRUE(std::filesystem::exists(folder + "/other.plist.saving-Ab3dE9")) << "another file's temporary";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 3)
        << "the save left no temporary of its own";

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
    for (const char* damaged : {"damaged 1", "damaged 2", "damaged 3", "damaged 4", ""}) {
        writeFileText(path, damaged);
        EXPECT_FALSE(PropertyListFile::load(path));
        ASSERT_TRUE(PropertyListFile::save(good, path));
    }
    EXPECT_EQ(PropertyListFile::load(path)->stringValue("name"), "kept");
    std::set<std::string> keptCopies;
    for (const auto& entry : std::filesystem::directory_iterator(home.path()))
        if (entry.path().filename().string().starts_with("values.plist.unreadable-"))
            keptCopies.insert(readFileText(entry.path()));
    EXPECT_EQ(keptCopies, (std::set<std::string>{"damaged 2", "damaged 3", "damaged 4"}));
}

// The arguments a desktop starts from the entry's Exec value.
std::vector<std::string> execOf(const std::string& desktopFile) {
    std::unique_ptr<GKeyFile, decltype(&g_key_file_free)> file(g_key_file_new(), g_key_file_free);
    if (!g_key_file_load_from_file(file.get(), desktopFile.c_str(), G_KEY_FILE_NONE, nullptr)) return {"<unreadable>"};
    const GCharPtr value(
        g_key_file_get_string(file.get(), G_KEY_FILE_DESKTOP_GROUP, G_KEY_FILE_DESKTOP_KEY_EXEC, nullptr));
    std::string exec = value ? value.get() : "";
    for (std::size_t at = exec.find("%%"); at != std::string::npos; at = exec.find("%%", at + 1))
        exec.replace(at, 2, "%");
    gchar** argv = nullptr;
    if (!g_shell_parse_argv(exec.c_str(), nullptr, &argv, nullptr)) return {"<no arguments>"};
    std::vector<std::string> arguments(argv, argv + g_strv_length(argv));
    g_strfreev(argv);
    return arguments;
}

TEST(LoginItem, EntryRunsTheHelperAtItsAbsolutePathAndOnlyThere) {
    TempHome home;
    LoginItem item{"app.velloq.ParlorHelper", "Velloq Parlor helper"};
    // The read-back cannot see a missing "%%" (a desktop leaves a lone "%" alone here).
    EXPECT_EQ(DesktopEntry::quoteExecArgument("100%"), "100%%");
    const std::string helper = home.path() + "/My Apps/we$ird `dir` \\ \"q\" it's\t100%u/Velloq Parlor helper";
    writeFileText(item.desktopFilePath(), "[Desktop Entry]\nType=Application\nExec=/opt/old\nHidden=true\n");
    ASSERT_TRUE(item.setEnabled(true, helper));
    EXPECT_EQ(execOf(item.desktopFilePath()), std::vector<std::string>{helper});
    const std::string text = readFileText(item.desktopFilePath());
    EXPECT_NE(text.find("Type=Application"), std::string::npos);
    EXPECT_EQ(text.find("Hidden"), std::string::npos) << "the user's hidden entry is replaced";
    EXPECT_TRUE(item.setEnabled(false, helper));
    EXPECT_TRUE(item.setEnabled(false, helper)) << "already off";
    EXPECT_FALSE(item.setEnabled(true, ""));
    EXPECT_FALSE(item.setEnabled(true, "relative/helper"));
    EXPECT_FALSE(std::filesystem::exists(item.desktopFilePath()));
}

}  // namespace
