#include "config/Q7ZAppSettingConfigSingleton.h"

#include "platform/Bundle.h"
#include "platform/Paths.h"
#include "platform/PropertyListFile.h"

namespace {

constexpr const char* kIsNotificationSound = "isNotificationSound";
constexpr const char* kIsCustomNotificationSound = "isCustomNotificationSound";
constexpr const char* kCustomNotificationSoundPath = "customNotificationSoundPath";
constexpr const char* kIsDesktopNotifications = "isDesktopNotifications";
constexpr const char* kIsAutoStart = "isAutoStart";
constexpr const char* kServerSequence = "serverSequence";
constexpr const char* kLanguage = "language";
constexpr const char* kDownloadFileSavePath = "downloadFileSavePath";
// Older settings files kept the chosen server here; read, never written.
constexpr const char* kOlderServerSequence = "webSiteUrlType";
// The one stored download folder that stands for "the user's downloads folder".
constexpr const char* kUnexpandedDownloads = "~/Downloads";

std::string deviceLanguage() { return Bundle::mainBundle().localizedStringForKey("UserDeviceLanguage", "", ""); }

}  // namespace

Q7ZAppSettingConfigSingleton& Q7ZAppSettingConfigSingleton::getInstance() {
    // Created once under the runtime's lock and never destroyed: detached workers may still
    // use it while the process exits.
    static auto* const store = new Q7ZAppSettingConfigSingleton();
    return *store;
}

Q7ZAppSettingConfigSingleton::Q7ZAppSettingConfigSingleton() { loadUserInfo(); }

std::string Q7ZAppSettingConfigSingleton::getFileName() const {
    return Paths::documentsDirectory() + "/Q7ZAppSettingConfig.plist";
}

void Q7ZAppSettingConfigSingleton::loadUserInfo() {
    const auto stored = PropertyListFile::load(getFileName());
    // The language lookup and the downloads folder are worked out before taking the lock:
    // the lookup reads files and must not run under the properties' lock.
    std::optional<std::string> storedLanguage = stored ? stored->stringValue(kLanguage) : std::nullopt;
    const std::string language = storedLanguage ? *storedLanguage : deviceLanguage();
    std::optional<std::string> savePath = stored ? stored->stringValue(kDownloadFileSavePath) : std::nullopt;
    if (!savePath || *savePath == kUnexpandedDownloads) savePath = Paths::downloadsDirectory();

    std::lock_guard lock(m_propertiesMutex);
    m_isNotificationSound = stored ? stored->booleanValue(kIsNotificationSound).value_or(true) : true;
    m_isCustomNotificationSound = stored ? stored->booleanValue(kIsCustomNotificationSound).value_or(false) : false;
    m_customNotificationSoundPath = stored ? stored->stringValue(kCustomNotificationSoundPath).value_or("") : "";
    m_isDesktopNotifications = stored ? stored->booleanValue(kIsDesktopNotifications).value_or(true) : true;
    m_isAutoStart = stored ? stored->booleanValue(kIsAutoStart).value_or(false) : false;
    m_serverSequence = kNoServerSequence;
    if (stored) {
        auto sequence = stored->integerValue(kServerSequence);
        if (!sequence) sequence = stored->integerValue(kOlderServerSequence);
        m_serverSequence = sequence.value_or(kNoServerSequence);
    }
    m_language = language;
    m_downloadFileSavePath = *savePath;
}

bool Q7ZAppSettingConfigSingleton::saveConfig() {
    std::lock_guard saveLock(m_saveMutex);
    PropertyList settings;
    {
        std::lock_guard lock(m_propertiesMutex);
        settings.setBoolean(kIsNotificationSound, m_isNotificationSound);
        settings.setBoolean(kIsCustomNotificationSound, m_isCustomNotificationSound);
        settings.setString(kCustomNotificationSoundPath, m_customNotificationSoundPath);
        settings.setBoolean(kIsDesktopNotifications, m_isDesktopNotifications);
        settings.setBoolean(kIsAutoStart, m_isAutoStart);
        settings.setInteger(kServerSequence, m_serverSequence);
        settings.setString(kLanguage, m_language);
        settings.setString(kDownloadFileSavePath, m_downloadFileSavePath);
    }
    return PropertyListFile::save(settings, getFileName());
}

void Q7ZAppSettingConfigSingleton::resetConfig() {
    setServerSequence(kNoServerSequence);
    saveConfig();
}

void Q7ZAppSettingConfigSingleton::resetDownloadFileSavePath() { setDownloadFileSavePath(Paths::downloadsDirectory()); }

bool Q7ZAppSettingConfigSingleton::isNotificationSound() const {
    std::lock_guard lock(m_propertiesMutex);
    return m_isNotificationSound;
}
void Q7ZAppSettingConfigSingleton::setIsNotificationSound(bool value) {
    std::lock_guard lock(m_propertiesMutex);
    m_isNotificationSound = value;
}
bool Q7ZAppSettingConfigSingleton::isCustomNotificationSound() const {
    std::lock_guard lock(m_propertiesMutex);
    return m_isCustomNotificationSound;
}
void Q7ZAppSettingConfigSingleton::setIsCustomNotificationSound(bool value) {
    std::lock_guard lock(m_propertiesMutex);
    m_isCustomNotificationSound = value;
}
std::string Q7ZAppSettingConfigSingleton::customNotificationSoundPath() const {
    std::lock_guard lock(m_propertiesMutex);
    return m_customNotificationSoundPath;
}
void Q7ZAppSettingConfigSingleton::setCustomNotificationSoundPath(std::string value) {
    std::lock_guard lock(m_propertiesMutex);
    m_customNotificationSoundPath = std::move(value);
}
bool Q7ZAppSettingConfigSingleton::isDesktopNotifications() const {
    std::lock_guard lock(m_propertiesMutex);
    return m_isDesktopNotifications;
}
void Q7ZAppSettingConfigSingleton::setIsDesktopNotifications(bool value) {
    std::lock_guard lock(m_propertiesMutex);
    m_isDesktopNotifications = value;
}
bool Q7ZAppSettingConfigSingleton::isAutoStart() const {
    std::lock_guard lock(m_propertiesMutex);
    return m_isAutoStart;
}
void Q7ZAppSettingConfigSingleton::setIsAutoStart(bool value) {
    std::lock_guard lock(m_propertiesMutex);
    m_isAutoStart = value;
}
std::string Q7ZAppSettingConfigSingleton::language() const {
    std::lock_guard lock(m_propertiesMutex);
    return m_language;
}
void Q7ZAppSettingConfigSingleton::setLanguage(std::string value) {
    std::lock_guard lock(m_propertiesMutex);
    m_language = std::move(value);
}
std::string Q7ZAppSettingConfigSingleton::downloadFileSavePath() const {
    std::lock_guard lock(m_propertiesMutex);
    return m_downloadFileSavePath;
}
void Q7ZAppSettingConfigSingleton::setDownloadFileSavePath(std::string value) {
    std::lock_guard lock(m_propertiesMutex);
    m_downloadFileSavePath = std::move(value);
}
std::int64_t Q7ZAppSettingConfigSingleton::serverSequence() const {
    std::lock_guard lock(m_propertiesMutex);
    return m_serverSequence;
}
void Q7ZAppSettingConfigSingleton::setServerSequence(std::int64_t value) {
    std::lock_guard lock(m_propertiesMutex);
    m_serverSequence = value;
}
