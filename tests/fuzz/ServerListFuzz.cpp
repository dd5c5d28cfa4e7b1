#include "FuzzTargets.h"

#include <string>

#include "FuzzCheck.h"
#include "support/TempHome.h"
#include "ServerListChecks.h"
#include "config/Q7ZRemoteConfigSingleton.h"

void fuzzServerList(const std::uint8_t* data, std::size_t size) {
    processHome();
    auto& config = Q7ZRemoteConfigSingleton::getInstance();
    const std::string text(reinterpret_cast<const char*>(data), size);
    config.setServerListJsonString(text);
    FUZZ_CHECK(config.serverListJsonString() == text);
    checkServerList(config);
}
