#include "config/Q7ZRemoteConfigSingleton.h"

#include "BuildConfig.h"
#include "common/Json.h"
#include "platform/Bundle.h"
#include "platform/Paths.h"
#include "platform/PropertyListFile.h"

namespace {

constexpr const char* kRemoteTitle = "remoteTitle";
constexpr const char* kRemoteTitleIcon = "remoteTitleIcon";
constexpr const char* kServerListJsonString = "serverListJsonString";
constexpr const char* kVersion = "version";
// Older configurations kept two server addresses instead of a list; read, never written.
constexpr const char* kOlderTWUrl = "serverUrl_tw";
constexpr const char* kOlderCNUrl = "serverUrl_cn";

bool isPresentAndNotEmpty(const std::optional<std::string>& text) { return text && !text->empty(); }

}  // namespace

Q7ZRemoteConfigSingleton& Q7ZRemoteConfigSingleton::getInstance() {
    // Created once under the runtime's lock and never destroyed: detached workers may still
    // use it while the process exits.
    static auto* const configuration = new Q7ZRemoteConfigSingleton();
    return *configuration;
}

Q7ZRemoteConfigSingleton::Q7ZRemoteConfigSingleton() { loadUserInfo(); }

std::string Q7ZRemoteConfigSingleton::getFileName() const {
    return Paths::documentsDirectory() + "/Q7ZRemoteConfig.plist";
}

std::string Q7ZRemoteConfigSingleton::defaultServerListJsonString() {
    // ordered_json keeps the members in the order they are written here.
    nlohmann::ordered_json entry;
    entry["Sequence"] = 0;
    entry["ServerName"] = "";
    entry["Url"] = BuildConfig::kDefaultServiceUrl;
    entry["IsCnUrl"] = false;
    return nlohmann::ordered_json::array({entry}).dump();
}

std::string Q7ZRemoteConfigSingleton::getServerUrlDataListJsonStringByUpgradeVersionWithTWUrl(
    const std::optional<std::string>& twUrl, const std::optional<std::string>& cnUrl) {
    Q7ZServerUrlData twEntry;
    twEntry.serverName = Bundle::mainBundle().localizedStringForKey("ServerTW", "", "");
    twEntry.url = twUrl.value_or("");
    twEntry.isCnUrl = 0;
    Q7ZServerUrlData cnEntry;
    cnEntry.serverName = Bundle::mainBundle().localizedStringForKey("ServerCN", "", "");
    cnEntry.url = cnUrl.value_or("");
    cnEntry.isCnUrl = 1;

    nlohmann::json list = nlohmann::json::array();
    for (Q7ZServerUrlData* entry : {&twEntry, &cnEntry}) {
        if (entry->url.empty()) continue;
        entry->sequence = static_cast<std::int64_t>(list.size());
        list.push_back(entry->getServerUrlDataDictionary());
    }
    return Q7Z_JSON::JSONRepresentation(list).value_or("[]");
}

void Q7ZRemoteConfigSingleton::loadUserInfo() {
    const auto stored = PropertyListFile::load(getFileName());
    std::string title, titleIcon, version;
    std::string listText = defaultServerListJsonString();
    bool listStored = false;
    if (stored) {
        title = stored->stringValue(kRemoteTitle).value_or("");
        titleIcon = stored->stringValue(kRemoteTitleIcon).value_or("");
        version = stored->stringValue(kVersion).value_or("");
        if (auto text = stored->stringValue(kServerListJsonString)) {
            listText = *text;
            listStored = true;
        } else {
            const auto twUrl = stored->stringValue(kOlderTWUrl);
            const auto cnUrl = stored->stringValue(kOlderCNUrl);
            listStored = isPresentAndNotEmpty(twUrl) || isPresentAndNotEmpty(cnUrl);
            if (listStored) listText = getServerUrlDataListJsonStringByUpgradeVersionWithTWUrl(twUrl, cnUrl);
        }
    }
    std::lock_guard lock(m_propertiesMutex);
    m_remoteTitle = std::move(title);
    m_remoteTitleIcon = std::move(titleIcon);
    m_serverListJsonString = std::move(listText);
    m_version = std::move(version);
    m_serverListStored = listStored;
}

bool Q7ZRemoteConfigSingleton::saveConfig() {
    std::lock_guard saveLock(m_saveMutex);
    PropertyList configuration;
    {
        std::lock_guard lock(m_propertiesMutex);
        configuration.setString(kRemoteTitle, m_remoteTitle);
        configuration.setString(kRemoteTitleIcon, m_remoteTitleIcon);
        configuration.setString(kServerListJsonString, m_serverListJsonString);
        configuration.setString(kVersion, m_version);
    }
    if (!PropertyListFile::save(configuration, getFileName())) return false;
    std::lock_guard lock(m_propertiesMutex);
    m_serverListStored = true;
    return true;
}

void Q7ZRemoteConfigSingleton::resetConfig() {
    {
        std::lock_guard lock(m_propertiesMutex);
        m_remoteTitle.clear();
        m_remoteTitleIcon.clear();
        m_serverListJsonString = defaultServerListJsonString();
        m_version.clear();
    }
    saveConfig();
}

bool Q7ZRemoteConfigSingleton::hasStoredServers() const {
    {
        std::lock_guard lock(m_propertiesMutex);
        if (!m_serverListStored) return false;
    }
    return !getServerUrlDataList().empty();
}

std::vector<Q7ZServerUrlData> Q7ZRemoteConfigSingleton::getServerUrlDataList() const {
    std::vector<Q7ZServerUrlData> list;
    const std::string text = serverListJsonString();
    if (text.empty()) return list;
    const auto parsed = Q7Z_JSON::JSONValue(text);
    // The list is an array of objects; an object at the top level, or an element that is
    // not an object, is not a server entry and is left out.
    if (!parsed || !parsed->is_array()) return list;
    for (const auto& element : *parsed) {
        if (element.is_object()) list.push_back(Q7ZServerUrlData::getServerUrlDataWithDataDictionary(element));
    }
    return list;
}

Q7ZServerUrlData Q7ZRemoteConfigSingleton::getServerUrlDataWithSequence(std::int64_t sequence) const {
    for (auto& entry : getServerUrlDataList()) {
        if (entry.sequence == sequence) return entry;
    }
    return Q7ZServerUrlData{};
}

std::string Q7ZRemoteConfigSingleton::remoteTitle() const {
    std::lock_guard lock(m_propertiesMutex);
    return m_remoteTitle;
}
void Q7ZRemoteConfigSingleton::setRemoteTitle(std::string value) {
    std::lock_guard lock(m_propertiesMutex);
    m_remoteTitle = std::move(value);
}
std::string Q7ZRemoteConfigSingleton::remoteTitleIcon() const {
    std::lock_guard lock(m_propertiesMutex);
    return m_remoteTitleIcon;
}
void Q7ZRemoteConfigSingleton::setRemoteTitleIcon(std::string value) {
    std::lock_guard lock(m_propertiesMutex);
    m_remoteTitleIcon = std::move(value);
}
std::string Q7ZRemoteConfigSingleton::serverListJsonString() const {
    std::lock_guard lock(m_propertiesMutex);
    return m_serverListJsonString;
}
void Q7ZRemoteConfigSingleton::setServerListJsonString(std::string value) {
    std::lock_guard lock(m_propertiesMutex);
    if (m_serverListJsonString != value) m_serverListJsonString = std::move(value);
}
std::string Q7ZRemoteConfigSingleton::version() const {
    std::lock_guard lock(m_propertiesMutex);
    return m_version;
}
void Q7ZRemoteConfigSingleton::setVersion(std::string value) {
    std::lock_guard lock(m_propertiesMutex);
    m_version = std::move(value);
}
