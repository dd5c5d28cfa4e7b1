#pragma once
// Standard Base64 (RFC 4648 alphabet, "=" padding) in both directions, and the conversion of
// Base64url text into standard Base64. Decoding never fails: bytes outside the alphabet are
// skipped, pad characters do not end a group, and a lone trailing character yields no byte.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

namespace Base64 {

// Input length meaning "NUL-terminated; measure it".
inline constexpr std::size_t kMeasureLength = static_cast<std::size_t>(-1);

// Byte-level routines behind the buffer operations.
Bytes base64DecodeBytes(const void* input, std::size_t length);
// Lines of 64 characters joined by CR LF when separateLines is set; nullopt when memory runs out.
std::optional<std::string> base64EncodeBytes(const void* input, std::size_t length, bool separateLines);

// Decodes ASCII Base64 text; any character outside ASCII gives an empty buffer.
Bytes dataFromBase64String(std::string_view text);
// Base64 in lines of 64 characters joined by CR LF.
std::string base64EncodedString(const Bytes& data);
// Base64 on one line; nullopt for an input too large to encode.
std::optional<std::string> base64StringFromData(const Bytes& data);
// "-" -> "+", "_" -> "/", then "==" or "=" appended for lengths of 2 or 3 modulo 4.
std::string base64StringFromBase64UrlEncodedString(std::string_view text);

}  // namespace Base64
