// The XDG autostart entry of the helper: its Exec line is read back the way a desktop reads it
// (GKeyFile string unescaping, "%%" to "%", then shell-style argument splitting) and must give
// the helper's path, however odd its characters. An entry the user left hidden is replaced;
// only an absolute helper path is written. The settings window's test turns it on and off.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <glib.h>
#include <gtest/gtest.h>

#include "platform/DesktopEntry.h"
#include "platform/GObjectPtr.h"
#include "platform/LoginItem.h"
#include "support/TempHome.h"

namespace {

// What a desktop does with an Exec value before starting it.
std::vector<std::string> parseExec(std::string exec) {
    for (std::size_t at = exec.find("%%"); at != std::string::npos; at = exec.find("%%", at + 1)) exec.replace(at, 2, "%");
    gchar** argv = nullptr;
    if (!g_shell_parse_argv(exec.c_str(), nullptr, &argv, nullptr)) return {"<unparsable>"};
    std::vector<std::string> result(argv, argv + g_strv_length(argv));
    g_strfreev(argv);
    return result;
}

std::vector<std::string> execOf(const std::string& desktopFile) {
    std::unique_ptr<GKeyFile, decltype(&g_key_file_free)> file(g_key_file_new(), g_key_file_free);
    if (!g_key_file_load_from_file(file.get(), desktopFile.c_str(), G_KEY_FILE_NONE, nullptr)) return {"<unreadable>"};
    const GCharPtr exec(g_key_file_get_string(file.get(), G_KEY_FILE_DESKTOP_GROUP, G_KEY_FILE_DESKTOP_KEY_EXEC, nullptr));
    return exec ? parseExec(exec.get()) : std::vector<std::string>{"<missing>"};
}

}  // namespace

class LoginItemTest : public ::testing::Test {
protected:
    TempHome home;
    LoginItem item{"app.velloq.ParlorHelper", "Velloq Parlor helper"};
};

TEST_F(LoginItemTest, EntryRunsTheHelperAtItsAbsolutePathAndOnlyThere) {
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
