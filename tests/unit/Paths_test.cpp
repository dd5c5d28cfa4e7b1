// The user's folders follow the environment at every call (GLib would cache them), and the
// downloads folder honours the user's user-dirs.dirs when it names one.

#include <cstdlib>

#include <gtest/gtest.h>

#include "platform/Paths.h"
#include "support/TempHome.h"

TEST(Paths, FollowHomeAtEveryCall) {
    TempHome first;
    EXPECT_EQ(Paths::homeDirectory(), first.path());
    EXPECT_EQ(Paths::documentsDirectory(), first.documents());
    {
        TempHome second;
        EXPECT_EQ(Paths::documentsDirectory(), second.path() + "/Documents");
        EXPECT_EQ(Paths::userConfigDirectory(), second.path() + "/.config/velloq-parlor");
    }
}

TEST(Paths, ConfigFolderIgnoresARelativeXdgValue) {
    TempHome home;
    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    EXPECT_EQ(Paths::userConfigBaseDirectory(), home.path() + "/.config");
}

TEST(Paths, DownloadsFolderComesFromUserDirsWhenSet) {
    TempHome home;
    EXPECT_EQ(Paths::downloadsDirectory(), home.path() + "/Downloads");

    writeFileText(home.path() + "/.config/user-dirs.dirs",
                  "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                  "XDG_DOWNLOAD_DIR=\"$HOME/Téléchargements\"\n");
    EXPECT_EQ(Paths::downloadsDirectory(), home.path() + "/Téléchargements");

    writeFileText(home.path() + "/.config/user-dirs.dirs", "XDG_DOWNLOAD_DIR=\"/srv/shared downloads/\"\n");
    EXPECT_EQ(Paths::downloadsDirectory(), "/srv/shared downloads");
}

TEST(Paths, DownloadsFolderIgnoresValuesXdgUserDirsWouldIgnore) {
    TempHome home;
    const std::string fallback = home.path() + "/Downloads";
    for (const char* line : {"XDG_DOWNLOAD_DIR=\"$HOME/\"\n", "XDG_DOWNLOAD_DIR=\"relative\"\n",
                             "XDG_DOWNLOAD_DIR=$HOME/unquoted\n", "XDG_DOWNLOAD_DIR=\"$HOMEWORK\"\n",
                             "XDG_DOWNLOAD_DIR=\"$HOME/unterminated\n"}) {
        writeFileText(home.path() + "/.config/user-dirs.dirs", line);
        EXPECT_EQ(Paths::downloadsDirectory(), fallback) << line;
    }
}
