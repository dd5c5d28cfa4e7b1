#include "FuzzTargets.h"
#include "ServerListChecks.h"

#include "config/Q7ZRemoteConfigSingleton.h"
#include "support/TempHome.h"

// The input as the remote configuration's server-list text.
FUZZ_TARGET(server_list) {
    processHome();
    auto& config = Q7ZRemoteConfigSingleton::getInstance();
    config.setServerListJsonString(std::string(input));
    FUZZ_CHECK(config.serverListJsonString() == input);
    checkServerList(config);
}
