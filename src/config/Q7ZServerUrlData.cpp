#include "config/Q7ZServerUrlData.h"

#include <cmath>
#include <limits>
#include <optional>

namespace {

// The integer value of a JSON number of any kind; a real converts by truncation, clamped so
// that a huge or non-finite value cannot make the conversion undefined.
std::optional<std::int64_t> integerOfNumber(const nlohmann::json& value) {
    if (value.is_number_integer()) {
        if (value.is_number_unsigned()) return static_cast<std::int64_t>(value.get<std::uint64_t>());
        return value.get<std::int64_t>();
    }
    if (value.is_number_float()) {
        const double real = value.get<double>();
        if (std::isnan(real)) return 0;
        constexpr double kLimit = 9223372036854775807.0;
        if (real >= kLimit) return std::numeric_limits<std::int64_t>::max();
        if (real <= -kLimit) return std::numeric_limits<std::int64_t>::min();
        return static_cast<std::int64_t>(real);
    }
    return std::nullopt;
}

const nlohmann::json* memberOf(const nlohmann::json& dictionary, const char* name) {
    auto found = dictionary.find(name);
    return found == dictionary.end() ? nullptr : &*found;
}

}  // namespace

Q7ZServerUrlData Q7ZServerUrlData::getServerUrlDataWithDataDictionary(const nlohmann::json& dictionary) {
    Q7ZServerUrlData entry;
    if (!dictionary.is_object()) return entry;
    if (const auto* sequence = memberOf(dictionary, "Sequence"))
        entry.sequence = integerOfNumber(*sequence).value_or(0);
    if (const auto* name = memberOf(dictionary, "ServerName"); name && name->is_string())
        entry.serverName = name->get<std::string>();
    if (const auto* url = memberOf(dictionary, "Url"); url && url->is_string()) entry.url = url->get<std::string>();
    if (const auto* isCn = memberOf(dictionary, "IsCnUrl")) {
        if (isCn->is_boolean()) entry.isCnUrl = isCn->get<bool>() ? 1 : 0;
        else if (isCn->is_number_float()) entry.isCnUrl = isCn->get<double>() != 0.0 ? 1 : 0;
        else if (auto number = integerOfNumber(*isCn)) entry.isCnUrl = *number != 0 ? 1 : 0;
    }
    return entry;
}

nlohmann::json Q7ZServerUrlData::getServerUrlDataDictionary() const {
    return nlohmann::json{
        {"Sequence", sequence}, {"ServerName", serverName}, {"Url", url}, {"IsCnUrl", isCnUrl != 0 ? 1 : 0}};
}
