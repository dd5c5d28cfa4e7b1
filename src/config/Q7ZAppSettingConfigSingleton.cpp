#include "config/Q7ZAppSettingConfigSingleton.h"

#include <array>
#include <optional>
#include <type_traits>
#include <utility>
#include <variant>

#include "platform/Bundle.h"
#include "platform/Paths.h"
#include "platform/PropertyListFile.h"

namespace {

using Settings = Q7ZAppSettings;
using Member = std::variant<bool Settings::*, std::int64_t Settings::*, std::string Settings::*>;

// The file's keys, each with its type: the one place a setting is named.
const std::array<std::pair<const char*, Member>, 8> kKeys{{
    {"isNotificationSound", &Settings::isNotificationSound},
    {"isCustomNotificationSound", &Settings::isCustomNotificationSound},
    {"customNotificationSoundPath", &Settings::customNotificationSoundPath},
    {"isDesktopNotifications", &Settings::isDesktopNotifications},
    {"isAutoStart", &Settings::isAutoStart},
    {"serverSequence", &Settings::serverSequence},
    {"language", &Settings::language},
    {"downloadFileSavePath", &Settings::downloadFileSavePath},
}};
// Older settings files kept the chosen server here; read, never written.
constexpr const char* kOlderServerSequence = "webSiteUrlType";
// The one stored download folder that stands for "the user's downloads folder".
constexpr const char* kUnexpandedDownloads = "~/Downloads";

std::string deviceLanguage() { return Bundle::mainBundle().localizedStringForKey("UserDeviceLanguage", "", ""); }

// A key missing, or of another type, keeps the value's default.
void read(const PropertyList& stored, const char* key, Member member, Settings& settings) {
    std::visit(
        [&](auto pointer) {
            using Value = std::remove_reference_t<decltype(settings.*pointer)>;
            std::optional<Value> value;
            if constexpr (std::is_same_v<Value, bool>) value = stored.booleanValue(key);
            else if constexpr (std::is_same_v<Value, std::int64_t>) value = stored.integerValue(key);
            else value = stored.stringValue(key);
            if (value) settings.*pointer = std::move(*value);
        },
        member);
}

void write(PropertyList& file, const char* key, Member member, const Settings& settings) {
    std::visit(
        [&](auto pointer) {
            const auto& value = settings.*pointer;
            using Value = std::remove_cvref_t<decltype(value)>;
            if constexpr (std::is_same_v<Value, bool>) file.setBoolean(key, value);
            else if constexpr (std::is_same_v<Value, std::int64_t>) file.setInteger(key, value);
            else file.setString(key, value);
        },
        member);
}

// The file's values over the defaults. Reads files (the language lookup): never under the lock.
Settings loaded(const std::optional<PropertyList>& stored) {
    Settings settings;
    settings.language = deviceLanguage();
    settings.downloadFileSavePath = Paths::downloadsDirectory();
    if (!stored) return settings;
    if (const auto older = stored->integerValue(kOlderServerSequence)) settings.serverSequence = *older;
    for (const auto& [key, member] : kKeys) read(*stored, key, member, settings);
    if (settings.downloadFileSavePath == kUnexpandedDownloads)
        settings.downloadFileSavePath = Paths::downloadsDirectory();
    return settings;
}

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

void Q7ZAppSettingConfigSingleton::loadUserInfo() { apply(loaded(PropertyListFile::load(getFileName()))); }

bool Q7ZAppSettingConfigSingleton::saveConfig() {
    std::lock_guard saveLock(m_saveMutex);
    PropertyList file;
    const Settings settings = snapshot();
    for (const auto& [key, member] : kKeys) write(file, key, member, settings);
    return PropertyListFile::save(file, getFileName());
}

Q7ZAppSettings Q7ZAppSettingConfigSingleton::snapshot() const {
    std::lock_guard lock(m_propertiesMutex);
    return m_values;
}

void Q7ZAppSettingConfigSingleton::apply(const Q7ZAppSettings& settings) {
    std::lock_guard lock(m_propertiesMutex);
    m_values = settings;
}

void Q7ZAppSettingConfigSingleton::resetConfig() {
    setServerSequence(kNoServerSequence);
    saveConfig();
}

void Q7ZAppSettingConfigSingleton::resetDownloadFileSavePath() { setDownloadFileSavePath(Paths::downloadsDirectory()); }
