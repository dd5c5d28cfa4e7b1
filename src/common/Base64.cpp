#include "common/Base64.h"

#include <array>
#include <new>

namespace Base64 {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::uint8_t kSkip = 65;

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

}  // namespace

Bytes dataFromBase64String(std::string_view text) {
    for (const char character : text) {
        if (static_cast<unsigned char>(character) >= 0x80) return {};
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const std::size_t length = text.size();
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
