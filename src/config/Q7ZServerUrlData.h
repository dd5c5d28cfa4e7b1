#pragma once
// One server entry of the server list: JSON members "Sequence", "ServerName", "Url", "IsCnUrl".

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

class Q7ZServerUrlData {
public:
    std::int64_t sequence = 0;
    std::string serverName;
    std::string url;  // base URL, ends with "/"
    std::int64_t isCnUrl = 0;

    // Takes each member that is present and of the right type; anything else keeps its initial value.
    static Q7ZServerUrlData getServerUrlDataWithDataDictionary(const nlohmann::json& dictionary);
    // All four members; "IsCnUrl" as the integer 0 or 1.
    nlohmann::json getServerUrlDataDictionary() const;
};
