// The user's folders follow the environment at every call (GLib would cache them), and the
// downloads folder is the one the desktop's user-dirs.dirs names.

#include <cstdlib>
#include <utility>
#include <vector>

#include <glib.h>
#include <gtest/gtest.h>

#include "platform/Paths.h"
#include "support/TempHome.h"

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

// GLib reads user-dirs.dirs from the configuration folder it saw first in this process (each
// test runs in a process of its own, so that is this test's home).
TEST(Paths, DownloadsFolderIsTheDesktopsOwnSetting) {
    TempHome home;
    const std::string userDirs = std::string(g_get_user_config_dir()) + "/user-dirs.dirs";
    ASSERT_EQ(userDirs, home.path() + "/.config/user-dirs.dirs");
    writeFileText(userDirs, "XDG_DOWNLOAD_DIR=\"$HOME/Téléchargements\"\n");
    g_reload_user_special_dirs_cache();
    EXPECT_EQ(Paths::downloadsDirectory(), home.path() + "/Téléchargements");
}
