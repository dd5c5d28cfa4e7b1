#pragma once
// JSON text <-> values. Parsing accepts only an object or an array at the top level and
// answers nullopt for anything else, including text nested more than 512 levels deep.
// Writing answers nullopt for what cannot be written faithfully: a top level that is not an
// object or array, a string that is not UTF-8, a NaN or infinite number, binary values.

#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "common/Base64.h"

namespace Q7Z_JSON {

std::optional<nlohmann::json> JSONValue(std::string_view text);
std::optional<nlohmann::json> JSONValue(const Bytes& utf8);

// Compact text, no line breaks.
std::optional<std::string> JSONRepresentation(const nlohmann::json& value);

}  // namespace Q7Z_JSON
