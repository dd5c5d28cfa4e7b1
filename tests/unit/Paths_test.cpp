// The user's folders follow the environment at every call (GLib would cache them).

#include <cstdlib>

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
