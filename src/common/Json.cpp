#include "common/Json.h"

#include <cmath>
#include <exception>

#include <glib.h>

namespace Q7Z_JSON {
namespace {

// Copying, comparing and writing a value recurse once per level, so text nested deeper than
// this is refused up front rather than left to exhaust the stack later.
constexpr std::size_t kMaxNestingDepth = 512;

// Deepest bracket nesting outside string literals. Malformed text only needs an answer that
// is safe: the parser refuses it anyway.
bool nestsTooDeep(std::string_view text) {
    std::size_t depth = 0;
    bool inString = false;
    bool escaped = false;
    for (const char character : text) {
        if (inString) {
            if (escaped) escaped = false;
            else if (character == '\\') escaped = true;
            else if (character == '"') inString = false;
        } else if (character == '"') {
            inString = true;
        } else if (character == '[' || character == '{') {
            if (++depth > kMaxNestingDepth) return true;
        } else if ((character == ']' || character == '}') && depth > 0) {
            --depth;
        }
    }
    return false;
}

// The UTF-16 unit of the four hexadecimal digits at text[at], if there are four.
std::optional<unsigned> utf16Unit(std::string_view text, std::size_t at) {
    if (at + 4 > text.size()) return std::nullopt;
    unsigned unit = 0;
    for (const char digit : text.substr(at, 4)) {
        const int value = g_ascii_xdigit_value(digit);
        if (value < 0) return std::nullopt;
        unit = unit * 16 + static_cast<unsigned>(value);
    }
    return unit;
}

bool isSurrogate(unsigned unit, unsigned first) { return unit >= first && unit < first + 0x400; }

// Script engines write a lone surrogate (a text cut inside an emoji) as a \u escape of half a
// pair, which the parser refuses with the whole text; it reads as U+FFFD instead.
std::string withLoneSurrogatesReplaced(std::string_view text) {
    constexpr unsigned kHigh = 0xD800, kLow = 0xDC00;
    std::string mended;
    mended.reserve(text.size());
    std::size_t index = 0;
    while (index < text.size()) {
        if (text[index] != '\\' || index + 1 == text.size()) {
            mended += text[index++];
            continue;
        }
        const std::optional<unsigned> unit = text[index + 1] == 'u' ? utf16Unit(text, index + 2) : std::nullopt;
        if (!unit || !(isSurrogate(*unit, kHigh) || isSurrogate(*unit, kLow))) {
            mended.append(text.substr(index, 2));  // an escape of one character, or malformed
            index += 2;
            continue;
        }
        const std::optional<unsigned> next =
            text.substr(index + 6, 2) == "\\u" ? utf16Unit(text, index + 8) : std::nullopt;
        const bool paired = isSurrogate(*unit, kHigh) && next && isSurrogate(*next, kLow);
        mended.append(paired ? text.substr(index, 12) : std::string_view("\\uFFFD"));
        index += paired ? 12 : 6;
    }
    return mended;
}

std::optional<nlohmann::json> parseContainer(std::string_view text) {
    // The parser takes a NUL byte for the end of input and would ignore whatever follows it;
    // valid JSON never holds a raw NUL, so such text is malformed.
    if (text.find('\0') != std::string_view::npos || nestsTooDeep(text)) return std::nullopt;
    try {
        const std::string mended =
            text.find("\\u") == std::string_view::npos ? std::string() : withLoneSurrogatesReplaced(text);
        nlohmann::json value = nlohmann::json::parse(mended.empty() ? text : std::string_view(mended), nullptr, false);
        if (!value.is_object() && !value.is_array()) return std::nullopt;
        return value;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// JSON has no text for NaN, infinities or raw binary; the serializer would write "null" or a
// private form, so such values are refused instead of being changed on the way out.
bool isWritable(const nlohmann::json& value, std::size_t depth) {
    if (depth > kMaxNestingDepth) return false;
    switch (value.type()) {
    case nlohmann::json::value_t::number_float: return std::isfinite(value.get<double>());
    case nlohmann::json::value_t::binary:
    case nlohmann::json::value_t::discarded: return false;
    case nlohmann::json::value_t::array:
    case nlohmann::json::value_t::object:
        for (const auto& element : value) {
            if (!isWritable(element, depth + 1)) return false;
        }
        return true;
    default: return true;
    }
}

}  // namespace

std::optional<nlohmann::json> JSONValue(std::string_view text) { return parseContainer(text); }

std::optional<nlohmann::json> JSONValue(const Bytes& utf8) {
    return parseContainer(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
}

std::optional<std::string> JSONRepresentation(const nlohmann::json& value) {
    // Like the reader, the writer only deals in objects and arrays at the top level.
    if (!value.is_object() && !value.is_array()) return std::nullopt;
    try {
        if (!isWritable(value, 1)) return std::nullopt;
        // Strict: a string that is not UTF-8 is an error, not silently mended.
        return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::strict);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace Q7Z_JSON
