#include "platform/OsRelease.h"

#include <glib.h>

#include "platform/GObjectPtr.h"

namespace OsRelease {
namespace {

// A value in double quotes may escape ", \, $ and ` with a backslash; single quotes take
// their content as it stands.
std::string unquote(std::string_view value) {
    if (value.size() >= 2 && value.front() == '\'' && value.back() == '\'')
        return std::string(value.substr(1, value.size() - 2));
    if (value.size() < 2 || value.front() != '"' || value.back() != '"') return std::string(value);
    std::string text;
    const std::string_view inner = value.substr(1, value.size() - 2);
    for (std::size_t i = 0; i < inner.size(); ++i) {
        if (inner[i] == '\\' && i + 1 < inner.size() &&
            std::string_view("\"\\$`").find(inner[i + 1]) != std::string_view::npos)
            ++i;
        text += inner[i];
    }
    return text;
}

std::string readFirstFile(std::initializer_list<const char*> paths) {
    for (const char* path : paths) {
        gchar* contents = nullptr;
        gsize length = 0;
        if (g_file_get_contents(path, &contents, &length, nullptr)) {
            const GCharPtr owned(contents);
            return std::string(contents, length);
        }
    }
    g_warning("neither /etc/os-release nor /usr/lib/os-release could be read");
    return {};
}

}  // namespace

std::string valueIn(std::string_view fileText, std::string_view key) {
    while (!fileText.empty()) {
        const std::size_t end = fileText.find('\n');
        std::string_view line = fileText.substr(0, end);
        fileText = end == std::string_view::npos ? std::string_view() : fileText.substr(end + 1);
        if (line.size() > key.size() && line.substr(0, key.size()) == key && line[key.size()] == '=')
            return unquote(line.substr(key.size() + 1));
    }
    return {};
}

std::string nameAndVersion() {
    const std::string text = readFirstFile({"/etc/os-release", "/usr/lib/os-release"});
    const std::string name = valueIn(text, "NAME");
    const std::string version = valueIn(text, "VERSION_ID");
    if (name.empty() || version.empty()) return name + version;
    return name + " " + version;
}

}  // namespace OsRelease
