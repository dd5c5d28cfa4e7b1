#pragma once
// What the organisation's server told the program about itself, kept in
// ~/Documents/Q7ZRemoteConfig.plist: title, title icon URL, configuration version and the
// server list as JSON text. One process-wide configuration, loaded on first use.
//
// Properties may be read and set from any thread (a lock per configuration guards them);
// saveConfig() is serialised by its own lock and writes the whole file atomically.

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "config/Q7ZServerUrlData.h"

class Q7ZRemoteConfigSingleton {
public:
    static Q7ZRemoteConfigSingleton& getInstance();

    // The compact one-entry list of the default public service.
    static std::string defaultServerListJsonString();
    // The list made from an older configuration's two server addresses.
    static std::string getServerUrlDataListJsonStringByUpgradeVersionWithTWUrl(const std::optional<std::string>& twUrl,
                                                                               const std::optional<std::string>& cnUrl);

    void loadUserInfo();
    bool saveConfig();
    // Title, icon and version "", the default list; then saves.
    void resetConfig();
    std::string getFileName() const;

    // Whether the file (as loaded or last saved) lists a server; the default list stands in
    // for a missing one and is not stored.
    bool hasStoredServers() const;
    std::vector<Q7ZServerUrlData> getServerUrlDataList() const;
    // The first entry with that sequence, or an entry with the initial values.
    Q7ZServerUrlData getServerUrlDataWithSequence(std::int64_t sequence) const;

    std::string remoteTitle() const;
    void setRemoteTitle(std::string value);
    std::string remoteTitleIcon() const;
    void setRemoteTitleIcon(std::string value);
    std::string serverListJsonString() const;
    void setServerListJsonString(std::string value);
    std::string version() const;
    void setVersion(std::string value);

    Q7ZRemoteConfigSingleton(const Q7ZRemoteConfigSingleton&) = delete;
    Q7ZRemoteConfigSingleton& operator=(const Q7ZRemoteConfigSingleton&) = delete;

private:
    Q7ZRemoteConfigSingleton();

    mutable std::mutex m_propertiesMutex;
    std::mutex m_saveMutex;
    std::string m_remoteTitle;
    std::string m_remoteTitleIcon;
    std::string m_serverListJsonString;
    std::string m_version;
    bool m_serverListStored = false;
};
