#include "platform/UserDefaults.h"

#include "platform/Paths.h"
#include "platform/PropertyListFile.h"

UserDefaults& UserDefaults::standardUserDefaults() {
    // Never destroyed: the main bundle's lookups read it, also while the process exits.
    static auto* const defaults = new UserDefaults();
    return *defaults;
}

std::string UserDefaults::filePath() { return Paths::userConfigDirectory() + "/UserDefaults.plist"; }

void UserDefaults::reloadIfMoved() {
    const std::string path = filePath();
    if (path == m_loadedPath) return;
    m_loadedPath = path;
    auto stored = PropertyListFile::load(path);
    m_values = stored ? std::move(*stored) : PropertyList();
}

std::optional<std::vector<std::string>> UserDefaults::appleLanguages() {
    std::lock_guard lock(m_mutex);
    reloadIfMoved();
    return m_values.stringArrayValue(kAppleLanguages);
}

void UserDefaults::setAppleLanguages(const std::vector<std::string>& folders) {
    std::lock_guard lock(m_mutex);
    reloadIfMoved();
    m_values.setStringArray(kAppleLanguages, folders);
}

void UserDefaults::removeAppleLanguages() {
    std::lock_guard lock(m_mutex);
    reloadIfMoved();
    m_values.remove(kAppleLanguages);
}

std::optional<std::int64_t> UserDefaults::integer(const std::string& key) {
    std::lock_guard lock(m_mutex);
    reloadIfMoved();
    return m_values.integerValue(key);
}

void UserDefaults::setInteger(const std::string& key, std::int64_t value) {
    std::lock_guard lock(m_mutex);
    reloadIfMoved();
    m_values.setInteger(key, value);
}

std::optional<bool> UserDefaults::boolean(const std::string& key) {
    std::lock_guard lock(m_mutex);
    reloadIfMoved();
    return m_values.booleanValue(key);
}

void UserDefaults::setBoolean(const std::string& key, bool value) {
    std::lock_guard lock(m_mutex);
    reloadIfMoved();
    m_values.setBoolean(key, value);
}

bool UserDefaults::synchronize() {
    std::lock_guard lock(m_mutex);
    reloadIfMoved();
    return PropertyListFile::save(m_values, m_loadedPath);
}
