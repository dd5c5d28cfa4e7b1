// Exec quoting for Desktop Entry files, and the XDG autostart entry written from it: each
// command line is read back the way a desktop reads it (GKeyFile string unescaping, "%%" to
// "%", then shell-style argument splitting) and must give the original arguments.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <glib.h>
#include <gtest/gtest.h>

#include "platform/DesktopEntry.h"
#include "platform/LoginItem.h"
#include "support/TempHome.h"

namespace {

// What a desktop does with an Exec value before starting it.
std::vector<std::string> parseExec(std::string exec) {
    for (std::size_t at = exec.find("%%"); at != std::string::npos; at = exec.find("%%", at + 1)) {
        exec.replace(at, 2, "%");
    }
    gchar** argv = nullptr;
    if (!g_shell_parse_argv(exec.c_str(), nullptr, &argv, nullptr)) return {"<unparsable>"};
    std::vector<std::string> result(argv, argv + g_strv_length(argv));
    g_strfreev(argv);
    return result;
}

std::string execKeyOf(const std::string& desktopFile) {
    std::unique_ptr<GKeyFile, decltype(&g_key_file_free)> file(g_key_file_new(), g_key_file_free);
    if (!g_key_file_load_from_file(file.get(), desktopFile.c_str(), G_KEY_FILE_NONE, nullptr)) return "<unreadable>";
    std::unique_ptr<gchar, decltype(&g_free)> exec(
        g_key_file_get_string(file.get(), G_KEY_FILE_DESKTOP_GROUP, G_KEY_FILE_DESKTOP_KEY_EXEC, nullptr), g_free);
    return exec ? exec.get() : "<missing>";
}

}  // namespace

TEST(DesktopEntryExec, PlainArgumentStaysBare) {
    EXPECT_EQ(DesktopEntry::quoteExecArgument("/opt/velloq/helper"), "/opt/velloq/helper");
}

TEST(DesktopEntryExec, ReservedCharactersAreQuotedAndEscaped) {
    EXPECT_EQ(DesktopEntry::quoteExecArgument("/a b/c"), "\"/a b/c\"");
    EXPECT_EQ(DesktopEntry::quoteExecArgument("say \"hi\""), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(DesktopEntry::quoteExecArgument("$HOME`x`\\"), "\"\\$HOME\\`x\\`\\\\\"");
    EXPECT_EQ(DesktopEntry::quoteExecArgument("it's"), "\"it's\"");
    EXPECT_EQ(DesktopEntry::quoteExecArgument(""), "\"\"");
}

TEST(DesktopEntryExec, PercentIsDoubledQuotedOrNot) {
    EXPECT_EQ(DesktopEntry::quoteExecArgument("100%"), "100%%");
    EXPECT_EQ(DesktopEntry::quoteExecArgument("100 %u"), "\"100 %%u\"");
}

TEST(DesktopEntryExec, EveryArgumentReadsBackUnchanged) {
    const std::vector<std::string> arguments{"/Apps/Velloq Parlor.app/Contents/MacOS/Velloq Parlor helper",
                                             "a\"b", "c$d", "e`f", "g\\h", "50%", "tab\there", "~user", ""};
    EXPECT_EQ(parseExec(DesktopEntry::execLine(arguments)), arguments);
}

class LoginItemTest : public ::testing::Test {
protected:
    TempHome home;
    LoginItem item{"app.velloq.ParlorHelper", "Velloq Parlor helper"};
};

TEST_F(LoginItemTest, IsOffWithoutAnEntry) { EXPECT_FALSE(item.isEnabled()); }

TEST_F(LoginItemTest, EntryGoesToTheAutostartFolderOfXdgConfigHome) {
    EXPECT_EQ(item.desktopFilePath(), home.path() + "/.config/autostart/app.velloq.ParlorHelper.desktop");
    setenv("XDG_CONFIG_HOME", (home.path() + "/elsewhere").c_str(), 1);
    EXPECT_EQ(item.desktopFilePath(), home.path() + "/elsewhere/autostart/app.velloq.ParlorHelper.desktop");
}

TEST_F(LoginItemTest, EnableWritesAnEntryWhoseExecStartsThePathWithSpaces) {
    const std::string helper =
        home.path() + "/My Apps/Velloq Parlor.app/Contents/Library/LoginItems/Velloq Parlor helper.app/"
                      "Contents/MacOS/Velloq Parlor helper";

    ASSERT_TRUE(item.enable(helper));

    EXPECT_TRUE(item.isEnabled());
    EXPECT_EQ(parseExec(execKeyOf(item.desktopFilePath())), std::vector<std::string>{helper});
    const std::string text = readFileText(item.desktopFilePath());
    EXPECT_NE(text.find("Type=Application"), std::string::npos);
    EXPECT_NE(text.find("Name=Velloq Parlor helper"), std::string::npos);
}

TEST_F(LoginItemTest, ShellAndFieldCodeCharactersInThePathSurviveTheFile) {
    const std::string helper = home.path() + "/we$ird `dir` \\ \"q\" 100%u/helper";
    ASSERT_TRUE(item.enable(helper));
    EXPECT_EQ(parseExec(execKeyOf(item.desktopFilePath())), std::vector<std::string>{helper});
}

TEST_F(LoginItemTest, DisableRemovesTheEntryAndIsIdempotent) {
    ASSERT_TRUE(item.enable("/opt/helper"));
    ASSERT_TRUE(std::filesystem::exists(item.desktopFilePath()));

    EXPECT_TRUE(item.disable());
    EXPECT_FALSE(std::filesystem::exists(item.desktopFilePath()));
    EXPECT_FALSE(item.isEnabled());
    EXPECT_TRUE(item.disable());
}

TEST_F(LoginItemTest, SetEnabledSwitchesBothWays) {
    EXPECT_TRUE(item.setEnabled(true, "/opt/helper"));
    EXPECT_TRUE(item.isEnabled());
    EXPECT_TRUE(item.setEnabled(false, "/opt/helper"));
    EXPECT_FALSE(item.isEnabled());
}

TEST_F(LoginItemTest, EmptyOrRelativePathWritesNothing) {
    EXPECT_FALSE(item.enable(""));
    EXPECT_FALSE(item.enable("relative/helper"));
    EXPECT_FALSE(std::filesystem::exists(item.desktopFilePath()));
}

TEST_F(LoginItemTest, EntryHiddenOrDisabledByTheUserCountsAsOff) {
    writeFileText(item.desktopFilePath(), "[Desktop Entry]\nType=Application\nExec=/opt/helper\nHidden=true\n");
    EXPECT_FALSE(item.isEnabled());
    writeFileText(item.desktopFilePath(),
                  "[Desktop Entry]\nType=Application\nExec=/opt/helper\nX-GNOME-Autostart-enabled=false\n");
    EXPECT_FALSE(item.isEnabled());
}

TEST_F(LoginItemTest, UnreadableEntryCountsAsOffAndEnableReplacesIt) {
    writeFileText(item.desktopFilePath(), "not a key file \x01");
    EXPECT_FALSE(item.isEnabled());
    ASSERT_TRUE(item.enable("/opt/helper"));
    EXPECT_TRUE(item.isEnabled());
}
