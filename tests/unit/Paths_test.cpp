// The user's folders follow the environment at every call (GLib would cache them), and the
// downloads folder honours the user's user-dirs.dirs when it names one.

#include <cstdlib>
#include <utility>
#include <vector>

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

TEST(Paths, DownloadsFolderComesFromUserDirsWhenValid) {
    TempHome home;
    const std::string fallback = home.path() + "/Downloads";
    EXPECT_EQ(Paths::downloadsDirectory(), fallback);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
         "XDG_DOWNLOAD_DIR=\"$HOME/Téléchargements\"\n", home.path() + "/Téléchargements"},
        {"XDG_DOWNLOAD_DIR=\"/srv/shared downloads/\"\n", "/srv/shared downloads"},
        // Values xdg-user-dirs would ignore.
        {"XDG_DOWNLOAD_DIR=\"$HOME/\"\n", fallback},           {"XDG_DOWNLOAD_DIR=\"relative\"\n", fallback},
        {"XDG_DOWNLOAD_DIR=$HOME/unquoted\n", fallback},       {"XDG_DOWNLOAD_DIR=\"$HOMEWORK\"\n", fallback},
        {"XDG_DOWNLOAD_DIR=\"$HOME/unterminated\n", fallback}};
    for (const auto& [text, expected] : cases) {
        writeFileText(home.path() + "/.config/user-dirs.dirs", text);
        EXPECT_EQ(Paths::downloadsDirectory(), expected) << text;
    }
}
