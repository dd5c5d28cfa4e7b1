#include "common/Base64.h"

#include <array>
#include <cstring>
#include <limits>
#include <new>

namespace Base64 {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::uint8_t kSkip = 65;
constexpr std::size_t kBytesPerLine = 48;  // 64 characters of output

constexpr std::array<std::uint8_t, 256> makeDecodeTable() {
    std::array<std::uint8_t, 256> table{};
    for (auto& entry : table) entry = kSkip;
    for (std::uint8_t value = 0; value < 64; ++value) {
        table[static_cast<unsigned char>(kAlphabet[value])] = value;
    }
    return table;
}

constexpr std::array<std::uint8_t, 256> kDecodeTable = makeDecodeTable();

// Up to four 6-bit values gathered from the input, skipped bytes passed over.
struct Unit {
    std::array<std::uint8_t, 4> values{};
    std::size_t count = 0;
};

Unit collectUnit(const std::uint8_t* input, std::size_t length, std::size_t& position) {
    Unit unit;
    while (position < length && unit.count < 4) {
        const std::uint8_t value = kDecodeTable[input[position++]];
        if (value != kSkip) unit.values[unit.count++] = value;
    }
    return unit;
}

void appendDecodedUnit(const Unit& unit, Bytes& output) {
    const auto& s = unit.values;
    if (unit.count >= 2) output.push_back(static_cast<std::uint8_t>((s[0] << 2) | (s[1] >> 4)));
    if (unit.count >= 3) output.push_back(static_cast<std::uint8_t>((s[1] << 4) | (s[2] >> 2)));
    if (unit.count == 4) output.push_back(static_cast<std::uint8_t>((s[2] << 6) | s[3]));
}

void appendTriplet(const std::uint8_t* bytes, std::string& output) {
    output.push_back(kAlphabet[bytes[0] >> 2]);
    output.push_back(kAlphabet[((bytes[0] & 0x03) << 4) | (bytes[1] >> 4)]);
    output.push_back(kAlphabet[((bytes[1] & 0x0F) << 2) | (bytes[2] >> 6)]);
    output.push_back(kAlphabet[bytes[2] & 0x3F]);
}

// The last group for a remainder of one or two bytes; a missing second byte counts as zero.
void appendTail(const std::uint8_t* bytes, std::size_t remainder, std::string& output) {
    if (remainder == 0) return;
    const std::uint8_t second = remainder == 2 ? bytes[1] : 0;
    output.push_back(kAlphabet[bytes[0] >> 2]);
    output.push_back(kAlphabet[((bytes[0] & 0x03) << 4) | (second >> 4)]);
    output.push_back(remainder == 2 ? kAlphabet[(second & 0x0F) << 2] : '=');
    output.push_back('=');
}

// 4 * ceil(n / 3) characters; nullopt when that does not fit the size type.
std::optional<std::size_t> encodedLength(std::size_t length) {
    const std::size_t groups = length / 3 + (length % 3 != 0 ? 1 : 0);
    if (groups > std::numeric_limits<std::size_t>::max() / 4) return std::nullopt;
    return groups * 4;
}

std::optional<std::size_t> encodeCapacity(std::size_t length, bool separateLines) {
    const auto characters = encodedLength(length);
    if (!characters) return std::nullopt;
    const std::size_t lineBreaks = separateLines ? 2 * (*characters / 64) : 0;
    if (*characters > std::numeric_limits<std::size_t>::max() - lineBreaks - 1) return std::nullopt;
    return *characters + lineBreaks + 1;
}

}  // namespace

Bytes base64DecodeBytes(const void* input, std::size_t length) {
    if (input == nullptr) return {};
    const auto* bytes = static_cast<const std::uint8_t*>(input);
    if (length == kMeasureLength) length = std::strlen(static_cast<const char*>(input));
    Bytes output;
    try {
        // Skipped bytes only shrink the output, so this bound is never exceeded.
        output.reserve((length / 4 + (length % 4 != 0 ? 1 : 0)) * 3);
        std::size_t position = 0;
        while (position < length) appendDecodedUnit(collectUnit(bytes, length, position), output);
    } catch (const std::bad_alloc&) {
        return {};
    }
    return output;
}

std::optional<std::string> base64EncodeBytes(const void* input, std::size_t length, bool separateLines) {
    if (input == nullptr) length = 0;
    const auto capacity = encodeCapacity(length, separateLines);
    if (!capacity) return std::nullopt;
    const auto* bytes = static_cast<const std::uint8_t*>(input);
    std::string output;
    try {
        output.reserve(*capacity);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    const std::size_t lineLength = separateLines ? kBytesPerLine : length;
    std::size_t position = 0;
    for (std::size_t runningLineEnd = lineLength;; runningLineEnd += lineLength) {
        const std::size_t lineEnd = runningLineEnd < length ? runningLineEnd : length;
        for (; position + 3 <= lineEnd; position += 3) appendTriplet(bytes + position, output);
        if (runningLineEnd >= length) break;
        output += "\r\n";
    }
    appendTail(bytes + position, length - position, output);
    return output;
}

Bytes dataFromBase64String(std::string_view text) {
    for (const char character : text) {
        if (static_cast<unsigned char>(character) >= 0x80) return {};
    }
    return base64DecodeBytes(text.data(), text.size());
}

std::string base64EncodedString(const Bytes& data) {
    return base64EncodeBytes(data.data(), data.size(), true).value_or(std::string());
}

std::optional<std::string> base64StringFromData(const Bytes& data) {
    if (data.size() > 0xBFFFFFFFFFFFFFF9ULL) return std::nullopt;
    const auto length = encodedLength(data.size());
    if (!length) return std::nullopt;
    std::string output;
    try {
        output.reserve(*length);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    const std::size_t complete = data.size() - data.size() % 3;
    for (std::size_t position = 0; position < complete; position += 3) appendTriplet(data.data() + position, output);
    appendTail(data.data() + complete, data.size() - complete, output);
    return output;
}

std::string base64StringFromBase64UrlEncodedString(std::string_view text) {
    std::string result;
    try {
        result.reserve(text.size() + 2);
    } catch (const std::exception&) {
        return {};
    }
    for (const char character : text) {
        result.push_back(character == '-' ? '+' : character == '_' ? '/' : character);
    }
    switch (result.size() % 4) {
    case 2: result += "=="; break;
    case 3: result += "="; break;
    default: break;
    }
    return result;
}

}  // namespace Base64
