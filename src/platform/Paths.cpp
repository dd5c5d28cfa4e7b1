#include "platform/Paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <vector>

#include <glib.h>

namespace Paths {
namespace {

std::optional<std::string> environmentValue(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) return std::nullopt;
    return std::string(value);
}

std::string passwordDatabaseHome() {
    long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return "/";
}

}  // namespace

std::string homeDirectory() {
    if (auto home = environmentValue("HOME")) return *home;
    return passwordDatabaseHome();
}

namespace {

// The XDG variable when it holds an absolute path (relative ones are to be ignored),
// else the home folder followed by fallback.
std::string xdgBaseDirectory(const char* variable, const char* fallback) {
    auto configured = environmentValue(variable);
    if (configured && configured->front() == '/') return *configured;
    return homeDirectory() + fallback;
}

}  // namespace

std::string documentsDirectory() { return homeDirectory() + "/Documents"; }

std::string downloadsDirectory() {
    if (const char* folder = g_get_user_special_dir(G_USER_DIRECTORY_DOWNLOAD)) return folder;
    return homeDirectory() + "/Downloads";
}

std::string userConfigBaseDirectory() { return xdgBaseDirectory("XDG_CONFIG_HOME", "/.config"); }

std::string userConfigDirectory() { return userConfigBaseDirectory() + "/velloq-parlor"; }

std::string userDataDirectory() { return xdgBaseDirectory("XDG_DATA_HOME", "/.local/share") + "/velloq-parlor"; }

std::string userCacheDirectory() { return xdgBaseDirectory("XDG_CACHE_HOME", "/.cache") + "/velloq-parlor"; }

}  // namespace Paths
