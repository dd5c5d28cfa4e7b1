#include "FuzzTargets.h"

#include <string>

#include "FuzzCheck.h"
#include "support/TempHome.h"
#include "ServerListChecks.h"
#include "config/Q7ZRemoteConfigSingleton.h"

namespace {

struct RemoteValues {
    std::string remoteTitle;
    std::string remoteTitleIcon;
    std::string serverListJsonString;
    std::string version;

    bool operator==(const RemoteValues&) const = default;
};

RemoteValues readAll(const Q7ZRemoteConfigSingleton& config) {
    return {config.remoteTitle(), config.remoteTitleIcon(), config.serverListJsonString(), config.version()};
}

}  // namespace

void fuzzRemoteConfig(const std::uint8_t* data, std::size_t size) {
    const std::string file = processHome().documents() + "/Q7ZRemoteConfig.plist";
    auto& config = Q7ZRemoteConfigSingleton::getInstance();
    FUZZ_CHECK(config.getFileName() == file);
    FUZZ_CHECK(writeFileText(file, std::string(reinterpret_cast<const char*>(data), size)));

    config.loadUserInfo();
    const RemoteValues loaded = readAll(config);
    checkServerList(config);

    // What a load accepted is kept whole by a save and the next load.
    FUZZ_CHECK(config.saveConfig());
    config.loadUserInfo();
    FUZZ_CHECK(readAll(config) == loaded);
}
