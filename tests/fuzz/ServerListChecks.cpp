#include "ServerListChecks.h"

#include <string_view>

#include "FuzzCheck.h"
#include "common/Json.h"
#include "config/Q7ZRemoteConfigSingleton.h"

namespace {

bool sameEntry(const Q7ZServerUrlData& a, const Q7ZServerUrlData& b) {
    return a.sequence == b.sequence && a.serverName == b.serverName && a.url == b.url && a.isCnUrl == b.isCnUrl;
}

// Entries come only from the elements of a parsed object or array, at most one each.
void checkEntryCount(const std::string& listText, std::size_t entryCount) {
    const auto parsed = Q7Z_JSON::JSONValue(std::string_view(listText));
    FUZZ_CHECK(entryCount <= (parsed ? parsed->size() : 0));
}

// A list written out with the entries' dictionaries reads back as the same entries.
void checkWrittenListReadsBack(const std::vector<Q7ZServerUrlData>& entries) {
    nlohmann::json dictionaries = nlohmann::json::array();
    for (const auto& entry : entries) dictionaries.push_back(entry.getServerUrlDataDictionary());
    const auto text = Q7Z_JSON::JSONRepresentation(dictionaries);
    FUZZ_CHECK(text.has_value());
    const auto reread = Q7Z_JSON::JSONValue(std::string_view(*text));
    FUZZ_CHECK(reread.has_value() && reread->size() == entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        FUZZ_CHECK(sameEntry(Q7ZServerUrlData::getServerUrlDataWithDataDictionary((*reread)[i]), entries[i]));
    }
}

void checkLookupBySequence(const Q7ZRemoteConfigSingleton& config, const std::vector<Q7ZServerUrlData>& entries) {
    for (std::size_t i = 0; i < entries.size() && i < 4; ++i) {
        const Q7ZServerUrlData found = config.getServerUrlDataWithSequence(entries[i].sequence);
        FUZZ_CHECK(found.sequence == entries[i].sequence);
        // The first entry of that sequence wins.
        std::size_t first = 0;
        while (entries[first].sequence != entries[i].sequence) ++first;
        FUZZ_CHECK(sameEntry(found, entries[first]));
    }
}

}  // namespace

void checkServerList(const Q7ZRemoteConfigSingleton& config) {
    const std::vector<Q7ZServerUrlData> entries = config.getServerUrlDataList();
    checkEntryCount(config.serverListJsonString(), entries.size());
    for (const auto& entry : entries) FUZZ_CHECK(entry.isCnUrl == 0 || entry.isCnUrl == 1);
    checkWrittenListReadsBack(entries);
    checkLookupBySequence(config, entries);
}
