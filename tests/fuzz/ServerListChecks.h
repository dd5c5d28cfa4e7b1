#pragma once
// Invariants of the server list that the remote configuration currently holds, shared by the
// targets that fill it.

#include <cstddef>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "FuzzTargets.h"
#include "common/Json.h"
#include "config/Q7ZRemoteConfigSingleton.h"

inline bool sameServerEntry(const Q7ZServerUrlData& a, const Q7ZServerUrlData& b) {
    return a.sequence == b.sequence && a.serverName == b.serverName && a.url == b.url && a.isCnUrl == b.isCnUrl;
}

inline void checkServerList(const Q7ZRemoteConfigSingleton& config) {
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
        FUZZ_CHECK(sameServerEntry(Q7ZServerUrlData::getServerUrlDataWithDataDictionary((*reread)[i]), entries[i]));
        if (i >= 4) continue;
        // A lookup by sequence finds the first entry of that sequence.
        std::size_t first = 0;
        while (entries[first].sequence != entries[i].sequence) ++first;
        FUZZ_CHECK(sameServerEntry(config.getServerUrlDataWithSequence(entries[i].sequence), entries[first]));
    }
}

// Title, title icon, server list text and version.
inline std::tuple<std::string, std::string, std::string, std::string> remoteConfigValues(
    const Q7ZRemoteConfigSingleton& config) {
    return std::tuple(config.remoteTitle(), config.remoteTitleIcon(), config.serverListJsonString(), config.version());
}
