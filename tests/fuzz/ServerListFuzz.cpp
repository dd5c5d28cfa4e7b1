#include "FuzzTargets.h"

#include <string>

#include "FuzzCheck.h"
#include "FuzzHome.h"
#include "ServerListChecks.h"
#include "config/Q7ZRemoteConfigSingleton.h"

void fuzzServerList(const std::uint8_t* data, std::size_t size) {
    FuzzHome::instance();
    auto& config = Q7ZRemoteConfigSingleton::getInstance();
    const std::string text(reinterpret_cast<const char*>(data), size);
    config.setServerListJsonString(text);
    FUZZ_CHECK(config.serverListJsonString() == text);
    checkServerList(config);
}
