#include "platform/PropertyListFile.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include <glib.h>
#include <glib/gstdio.h>

#include "platform/GObjectPtr.h"

namespace fs = std::filesystem;

namespace PropertyListFile {
namespace {

constexpr const char* kUnreadableMark = ".unreadable-";
constexpr std::size_t kUnreadableCopiesKept = 3;

// A file with content that is not a dictionary we can read. An empty file holds nothing to keep.
bool isUnreadable(const std::string& path) {
    std::error_code error;
    if (!fs::is_regular_file(path, error) || fs::file_size(path, error) == 0 || error) return false;
    return !PropertyList::readDictionary(path);
}

std::string utcTimestamp() {
    GDateTimePtr now(g_date_time_new_now_utc());
    GCharPtr text(g_date_time_format(now.get(), "%Y%m%dT%H%M%S.%fZ"));
    return text.get();
}

// Copies kept earlier for this file, oldest first (the timestamps sort as text).
std::vector<fs::path> keptCopies(const fs::path& target) {
    const std::string prefix = target.filename().string() + kUnreadableMark;
    std::vector<fs::path> copies;
    std::error_code error;
    for (fs::directory_iterator it(target.parent_path(), error), end; !error && it != end; it.increment(error))
        if (it->path().filename().string().rfind(prefix, 0) == 0) copies.push_back(it->path());
    std::sort(copies.begin(), copies.end());
    return copies;
}

void removeOldestCopies(const fs::path& target) {
    auto copies = keptCopies(target);
    while (copies.size() > kUnreadableCopiesKept) {
        std::error_code ignored;
        fs::remove(copies.front(), ignored);
        copies.erase(copies.begin());
    }
}

bool keepAside(const std::string& path) {
    const std::string copy = path + kUnreadableMark + utcTimestamp();
    if (g_rename(path.c_str(), copy.c_str()) != 0) {
        g_warning("%s cannot be read and could not be kept aside as %s (%s); it is not replaced", path.c_str(),
                  copy.c_str(), g_strerror(errno));
        return false;
    }
    g_warning("%s could not be read; it was kept as %s and a new file is written in its place", path.c_str(),
              copy.c_str());
    removeOldestCopies(path);
    return true;
}

}  // namespace

std::optional<PropertyList> load(const std::string& path) {
    auto values = PropertyList::readDictionary(path);
    if (!values && isUnreadable(path))
        g_warning("%s cannot be read; defaults are used, and the file is kept aside when they are next saved",
                  path.c_str());
    else if (!values) g_debug("%s does not exist yet; defaults are used", path.c_str());
    return values;
}

bool save(const PropertyList& values, const std::string& path) {
    if (isUnreadable(path) && !keepAside(path)) return false;
    if (values.writeAtomically(path)) return true;
    g_warning("could not save %s", path.c_str());
    return false;
}

}  // namespace PropertyListFile
