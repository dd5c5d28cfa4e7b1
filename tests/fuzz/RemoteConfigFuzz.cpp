#include "FuzzTargets.h"

#include <string>

#include "FuzzCheck.h"
#include "ServerListChecks.h"
#include "config/Q7ZRemoteConfigSingleton.h"
#include "support/TempHome.h"

void fuzzRemoteConfig(const std::uint8_t* data, std::size_t size) {
    // The home goes first: the store loads its file when it is first created.
    const std::string file = processHome().documents() + "/Q7ZRemoteConfig.plist";
    auto& config = Q7ZRemoteConfigSingleton::getInstance();
    FUZZ_CHECK(config.getFileName() == file);
    FUZZ_CHECK(writeFileText(file, std::string(reinterpret_cast<const char*>(data), size)));

    config.loadUserInfo();
    checkServerList(config);

    // What a load accepted is kept whole by a save and the next load.
    const auto loaded = remoteConfigValues(config);
    FUZZ_CHECK(config.saveConfig());
    config.loadUserInfo();
    FUZZ_CHECK(remoteConfigValues(config) == loaded);
}
