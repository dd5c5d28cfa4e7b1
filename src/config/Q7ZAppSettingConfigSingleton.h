#pragma once
// The user's own settings, kept in ~/Documents/Q7ZAppSettingConfig.plist. One process-wide
// store, loaded on first use; nothing is saved until a caller asks with saveConfig().
//
// Properties may be read and set from any thread (a lock per store guards them); saveConfig()
// is serialised by its own lock and writes the whole file atomically.

#include <cstdint>
#include <mutex>
#include <string>

class Q7ZAppSettingConfigSingleton {
public:
    static constexpr std::int64_t kNoServerSequence = -999;

    static Q7ZAppSettingConfigSingleton& getInstance();

    void loadUserInfo();
    // Writes all eight settings; false when the file could not be written.
    bool saveConfig();
    // serverSequence -> -999, then saves.
    void resetConfig();
    // downloadFileSavePath -> the user's downloads folder; does not save.
    void resetDownloadFileSavePath();
    std::string getFileName() const;

    bool isNotificationSound() const;
    void setIsNotificationSound(bool value);
    bool isCustomNotificationSound() const;
    void setIsCustomNotificationSound(bool value);
    std::string customNotificationSoundPath() const;
    void setCustomNotificationSoundPath(std::string value);
    bool isDesktopNotifications() const;
    void setIsDesktopNotifications(bool value);
    bool isAutoStart() const;
    void setIsAutoStart(bool value);
    std::string language() const;
    void setLanguage(std::string value);
    std::string downloadFileSavePath() const;
    void setDownloadFileSavePath(std::string value);
    std::int64_t serverSequence() const;
    void setServerSequence(std::int64_t value);

    Q7ZAppSettingConfigSingleton(const Q7ZAppSettingConfigSingleton&) = delete;
    Q7ZAppSettingConfigSingleton& operator=(const Q7ZAppSettingConfigSingleton&) = delete;

private:
    Q7ZAppSettingConfigSingleton();

    mutable std::mutex m_propertiesMutex;
    std::mutex m_saveMutex;
    bool m_isNotificationSound = true;
    bool m_isCustomNotificationSound = false;
    std::string m_customNotificationSoundPath;
    bool m_isDesktopNotifications = true;
    bool m_isAutoStart = false;
    std::string m_language;
    std::string m_downloadFileSavePath;
    std::int64_t m_serverSequence = kNoServerSequence;
};
