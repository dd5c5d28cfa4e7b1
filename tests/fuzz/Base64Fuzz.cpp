#include "FuzzTargets.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "common/Base64.h"

namespace {

std::size_t decodedSizeBound(std::size_t inputSize) {
    return (inputSize / 4 + (inputSize % 4 != 0 ? 1 : 0)) * 3;
}

bool isAscii(std::string_view text) {
    return std::none_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

void checkDecoding(std::string_view text) {
    const Bytes decoded = Base64::dataFromBase64String(text);
    FUZZ_CHECK(decoded.size() <= decodedSizeBound(text.size()));
    if (!isAscii(text)) {
        FUZZ_CHECK(decoded.empty());
        return;
    }
    FUZZ_CHECK(decoded == Base64::base64DecodeBytes(text.data(), text.size()));
    // Whatever was decoded comes back unchanged through either encoder.
    const auto oneLine = Base64::base64StringFromData(decoded);
    FUZZ_CHECK(oneLine.has_value());
    FUZZ_CHECK(Base64::dataFromBase64String(*oneLine) == decoded);
    FUZZ_CHECK(Base64::dataFromBase64String(Base64::base64EncodedString(decoded)) == decoded);
}

void checkUrlConversion(std::string_view text) {
    const std::string converted = Base64::base64StringFromBase64UrlEncodedString(text);
    const std::size_t padding = text.size() % 4 == 2 ? 2 : text.size() % 4 == 3 ? 1 : 0;
    FUZZ_CHECK(converted.size() == text.size() + padding);
    FUZZ_CHECK(converted.find_first_of("-_") == std::string::npos);
    FUZZ_CHECK(std::count(converted.begin() + static_cast<std::ptrdiff_t>(text.size()), converted.end(), '=') ==
               static_cast<std::ptrdiff_t>(padding));
    const Bytes decoded = Base64::dataFromBase64String(converted);
    FUZZ_CHECK(decoded.size() <= decodedSizeBound(converted.size()));
}

void checkEncoding(const std::uint8_t* data, std::size_t size) {
    const Bytes input(data, data + size);
    const auto oneLine = Base64::base64StringFromData(input);
    FUZZ_CHECK(oneLine.has_value());
    FUZZ_CHECK(oneLine->size() % 4 == 0);
    FUZZ_CHECK(Base64::dataFromBase64String(*oneLine) == input);
    const std::string lined = Base64::base64EncodedString(input);
    FUZZ_CHECK(lined.size() < 2 || lined.compare(lined.size() - 2, 2, "\r\n") != 0);
    FUZZ_CHECK(Base64::dataFromBase64String(lined) == input);
}

}  // namespace

void fuzzBase64(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    checkDecoding(text);
    checkUrlConversion(text);
    checkEncoding(data, size);
}
