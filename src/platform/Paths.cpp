#include "platform/Paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string_view>
#include <vector>

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

// One line of user-dirs.dirs: XDG_DOWNLOAD_DIR="$HOME/Some Folder". Only "$HOME/..." and
// absolute paths are valid there; anything else is ignored as xdg-user-dirs itself does.
std::optional<std::string> parseUserDirsValue(std::string_view value, const std::string& home) {
    if (value.size() < 2 || value.front() != '"') return std::nullopt;
    const auto closing = value.find('"', 1);
    if (closing == std::string_view::npos) return std::nullopt;
    std::string_view path = value.substr(1, closing - 1);
    std::string result;
    if (path.substr(0, 5) == "$HOME") {
        const std::string_view rest = path.substr(5);
        if (!rest.empty() && rest.front() != '/') return std::nullopt;
        result = home + std::string(rest);
    } else if (!path.empty() && path.front() == '/') {
        result = std::string(path);
    } else {
        return std::nullopt;
    }
    std::string unescaped;
    for (std::size_t i = 0; i < result.size(); ++i) {
        if (result[i] == '\\' && i + 1 < result.size()) ++i;
        unescaped += result[i];
    }
    while (unescaped.size() > 1 && unescaped.back() == '/') unescaped.pop_back();
    // "$HOME/" alone means the home folder, which xdg-user-dirs treats as "not set".
    if (unescaped == home) return std::nullopt;
    return unescaped;
}

std::optional<std::string> userDirsDownloadFolder() {
    std::ifstream file(userConfigBaseDirectory() + "/user-dirs.dirs");
    const std::string home = homeDirectory();
    std::optional<std::string> folder;
    std::string line;
    constexpr std::string_view kKey = "XDG_DOWNLOAD_DIR=";
    while (std::getline(file, line)) {
        std::string_view view(line);
        while (!view.empty() && (view.front() == ' ' || view.front() == '\t')) view.remove_prefix(1);
        if (view.substr(0, kKey.size()) != kKey) continue;
        if (auto parsed = parseUserDirsValue(view.substr(kKey.size()), home)) folder = parsed;
    }
    return folder;
}

}  // namespace

std::string homeDirectory() {
    if (auto home = environmentValue("HOME")) return *home;
    return passwordDatabaseHome();
}

std::string documentsDirectory() { return homeDirectory() + "/Documents"; }

std::string downloadsDirectory() {
    if (auto folder = userDirsDownloadFolder()) return *folder;
    return homeDirectory() + "/Downloads";
}

std::string userConfigBaseDirectory() {
    auto configured = environmentValue("XDG_CONFIG_HOME");
    if (configured && configured->front() == '/') return *configured;
    return homeDirectory() + "/.config";
}

std::string userConfigDirectory() { return userConfigBaseDirectory() + "/velloq-parlor"; }

}  // namespace Paths
