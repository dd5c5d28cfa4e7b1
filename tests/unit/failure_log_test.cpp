// Failures an administrator would want to know of reach GLib's log as warnings of the
// program's one domain: a save that failed, an unreadable file, a refused request.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <glib.h>

#include "config/SynchronousTask.h"
#include "platform/PropertyListFile.h"
#include "support/TempHome.h"

namespace {

std::vector<std::string> g_warnings;

GLogWriterOutput recordWarnings(GLogLevelFlags level, const GLogField* fields, gsize count, gpointer) {
    std::map<std::string, std::string> texts;  // the fields that are text, by key
    for (gsize i = 0; i < count; ++i)
        if (fields[i].length < 0) texts[fields[i].key] = static_cast<const char*>(fields[i].value);
    if ((level & G_LOG_LEVEL_WARNING) && texts["GLIB_DOMAIN"] == "velloq-parlor")
        g_warnings.push_back(texts["MESSAGE"]);
    return G_LOG_WRITER_HANDLED;
}

TEST(FailureLog, EachFailureIsOneWarningNamingWhatFailed) {
    g_log_set_writer_func(recordWarnings, nullptr, nullptr);
    TempHome home;
    writeFileText(home.path() + "/blocker", "a file where a folder should be");
    writeFileText(home.path() + "/damaged.plist", "not a property list");
    // What fails, and the name its warning must give.
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] { PropertyListFile::save(PropertyList(), home.path() + "/blocker/values.plist"); },
         "blocker/values.plist"},
        {[&] { PropertyListFile::load(home.path() + "/damaged.plist"); }, "damaged.plist"},
        {[] { SynchronousTask::sendSynchronousDataTaskWithURL("no-scheme/page", nullptr, nullptr); }, "no-scheme/page"},
    };
    for (const auto& [fail, named] : cases) {
        g_warnings.clear();
        fail();
        ASSERT_EQ(g_warnings.size(), 1u) << named;
        EXPECT_NE(g_warnings[0].find(named), std::string::npos) << g_warnings[0];
    }
}

}  // namespace
