#pragma once
// The application's user defaults: a small property list
// $XDG_CONFIG_HOME/velloq-parlor/UserDefaults.plist. Values are kept in memory and written
// by synchronize(). The file is re-read whenever its path changes (HOME or XDG_CONFIG_HOME
// moved), so the object always speaks for the current user.

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/PropertyList.h"

class UserDefaults {
public:
    static constexpr const char* kAppleLanguages = "AppleLanguages";
    // Seconds the main page may take to answer before the program says so (default 30); for
    // an administrator whose server is slow, or far away.
    static constexpr const char* kPageLoadTimeout = "PageLoadTimeout";
    // The pages' zoom in percent, as View ▸ Zoom In and Zoom Out last left it.
    static constexpr const char* kPageZoom = "PageZoom";
    // Whether the pages' text fields are spell-checked (Edit ▸ Check Spelling); on by default.
    static constexpr const char* kCheckSpelling = "CheckSpelling";

    static UserDefaults& standardUserDefaults();
    static std::string filePath();

    // The preferred localisation folders; nullopt when none are stored (or the stored value
    // is not a list of strings).
    std::optional<std::vector<std::string>> appleLanguages();
    void setAppleLanguages(const std::vector<std::string>& folders);
    void removeAppleLanguages();
    // nullopt when the key holds no number.
    std::optional<std::int64_t> integer(const std::string& key);
    void setInteger(const std::string& key, std::int64_t value);
    std::optional<bool> boolean(const std::string& key);
    void setBoolean(const std::string& key, bool value);
    // Writes the values atomically; false when the file could not be written.
    bool synchronize();

private:
    UserDefaults() = default;
    // Caller holds m_mutex.
    void reloadIfMoved();

    std::mutex m_mutex;
    std::string m_loadedPath;
    PropertyList m_values;
};
