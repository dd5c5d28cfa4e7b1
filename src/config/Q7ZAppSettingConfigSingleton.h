#pragma once
// The user's own settings, kept in ~/Documents/Q7ZAppSettingConfig.plist. One process-wide
// store, loaded on first use; nothing is saved until a caller asks with saveConfig().
//
// The values may be read and set from any thread (a lock per store guards them), one at a time
// or all at once (snapshot, apply); saveConfig() is serialised by its own lock and writes the
// whole file atomically.

#include <cstdint>
#include <mutex>
#include <string>

#include "config/Q7ZAppSettings.h"

class Q7ZAppSettingConfigSingleton {
public:
    static constexpr std::int64_t kNoServerSequence = Q7ZAppSettings::kNoServerSequence;

    static Q7ZAppSettingConfigSingleton& getInstance();

    void loadUserInfo();
    // Writes all eight settings; false when the file could not be written.
    bool saveConfig();
    // serverSequence -> -999, then saves.
    void resetConfig();
    // downloadFileSavePath -> the user's downloads folder; does not save.
    void resetDownloadFileSavePath();
    std::string getFileName() const;

    Q7ZAppSettings snapshot() const;
    void apply(const Q7ZAppSettings& settings);

    bool isNotificationSound() const { return get(&Q7ZAppSettings::isNotificationSound); }
    void setIsNotificationSound(bool value) { set(&Q7ZAppSettings::isNotificationSound, value); }
    bool isCustomNotificationSound() const { return get(&Q7ZAppSettings::isCustomNotificationSound); }
    void setIsCustomNotificationSound(bool value) { set(&Q7ZAppSettings::isCustomNotificationSound, value); }
    std::string customNotificationSoundPath() const { return get(&Q7ZAppSettings::customNotificationSoundPath); }
    void setCustomNotificationSoundPath(std::string value) { set(&Q7ZAppSettings::customNotificationSoundPath, value); }
    bool isDesktopNotifications() const { return get(&Q7ZAppSettings::isDesktopNotifications); }
    void setIsDesktopNotifications(bool value) { set(&Q7ZAppSettings::isDesktopNotifications, value); }
    bool isAutoStart() const { return get(&Q7ZAppSettings::isAutoStart); }
    void setIsAutoStart(bool value) { set(&Q7ZAppSettings::isAutoStart, value); }
    std::string language() const { return get(&Q7ZAppSettings::language); }
    void setLanguage(std::string value) { set(&Q7ZAppSettings::language, value); }
    std::string downloadFileSavePath() const { return get(&Q7ZAppSettings::downloadFileSavePath); }
    void setDownloadFileSavePath(std::string value) { set(&Q7ZAppSettings::downloadFileSavePath, value); }
    std::int64_t serverSequence() const { return get(&Q7ZAppSettings::serverSequence); }
    void setServerSequence(std::int64_t value) { set(&Q7ZAppSettings::serverSequence, value); }

    Q7ZAppSettingConfigSingleton(const Q7ZAppSettingConfigSingleton&) = delete;
    Q7ZAppSettingConfigSingleton& operator=(const Q7ZAppSettingConfigSingleton&) = delete;

private:
    Q7ZAppSettingConfigSingleton();

    template <class T>
    T get(T Q7ZAppSettings::* member) const {
        std::lock_guard lock(m_propertiesMutex);
        return m_values.*member;
    }
    template <class T>
    void set(T Q7ZAppSettings::* member, T value) {
        std::lock_guard lock(m_propertiesMutex);
        m_values.*member = std::move(value);
    }

    mutable std::mutex m_propertiesMutex;
    std::mutex m_saveMutex;
    Q7ZAppSettings m_values;
};
