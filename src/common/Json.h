#pragma once
// JSON text <-> values. Parsing accepts only an object or an array at the top level and
// answers nullopt for anything else; writing answers nullopt for what cannot be written.

#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "common/Base64.h"

namespace Q7Z_JSON {

inline constexpr int kWritingPrettyPrinted = 1;

std::optional<nlohmann::json> JSONValue(std::string_view text);
std::optional<nlohmann::json> JSONValue(const Bytes& utf8);

std::optional<std::string> JSONStringWithOption(const nlohmann::json& value, int options);
std::optional<std::string> prettyJSONString(const nlohmann::json& value);
// Compact text, no line breaks.
std::optional<std::string> JSONRepresentation(const nlohmann::json& value);

}  // namespace Q7Z_JSON
