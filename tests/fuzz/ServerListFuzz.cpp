#include "FuzzTargets.h"
#include "ServerListChecks.h"

#include "common/Json.h"
#include "config/Q7ZRemoteConfigSingleton.h"
#include "support/TempHome.h"

namespace {

bool sameEntry(const Q7ZServerUrlData& a, const Q7ZServerUrlData& b) {
    return a.sequence == b.sequence && a.serverName == b.serverName && a.url == b.url && a.isCnUrl == b.isCnUrl;
}

}  // namespace

void checkServerList(const Q7ZRemoteConfigSingleton& config) {
    const std::vector<Q7ZServerUrlData> entries = config.getServerUrlDataList();
    // Entries come only from the elements of a parsed object or array, at most one each.
    const auto parsed = Q7Z_JSON::JSONValue(std::string_view(config.serverListJsonString()));
    FUZZ_CHECK(entries.size() <= (parsed ? parsed->size() : 0));

    // A list written out with the entries' dictionaries reads back as the same entries.
    nlohmann::json dictionaries = nlohmann::json::array();
    for (const auto& entry : entries) {
        FUZZ_CHECK(entry.isCnUrl == 0 || entry.isCnUrl == 1);
        dictionaries.push_back(entry.getServerUrlDataDictionary());
    }
    const auto text = Q7Z_JSON::JSONRepresentation(dictionaries);
    FUZZ_CHECK(text.has_value());
    const auto reread = Q7Z_JSON::JSONValue(std::string_view(*text));
    FUZZ_CHECK(reread.has_value() && reread->size() == entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        FUZZ_CHECK(sameEntry(Q7ZServerUrlData::getServerUrlDataWithDataDictionary((*reread)[i]), entries[i]));
        if (i >= 4) continue;
        // A lookup by sequence finds the first entry of that sequence.
        std::size_t first = 0;
        while (entries[first].sequence != entries[i].sequence) ++first;
        FUZZ_CHECK(sameEntry(config.getServerUrlDataWithSequence(entries[i].sequence), entries[first]));
    }
}

std::tuple<std::string, std::string, std::string, std::string> remoteConfigValues(
    const Q7ZRemoteConfigSingleton& config) {
    return std::tuple(config.remoteTitle(), config.remoteTitleIcon(), config.serverListJsonString(), config.version());
}

// The input as the remote configuration's server-list text.
FUZZ_TARGET(server_list) {
    processHome();
    auto& config = Q7ZRemoteConfigSingleton::getInstance();
    config.setServerListJsonString(std::string(input));
    FUZZ_CHECK(config.serverListJsonString() == input);
    checkServerList(config);
}
