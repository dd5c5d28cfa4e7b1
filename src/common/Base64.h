#pragma once
// Standard Base64 (RFC 4648 alphabet, "=" padding) decoding, and the conversion of Base64url
// text into standard Base64, as signed tokens need them. Decoding never fails: bytes outside
// the alphabet are skipped, pad characters do not end a group, and a lone trailing character
// yields no byte.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

namespace Base64 {

// Decodes ASCII Base64 text; any character outside ASCII gives an empty buffer.
Bytes dataFromBase64String(std::string_view text);
// "-" -> "+", "_" -> "/", then "==" or "=" appended for lengths of 2 or 3 modulo 4.
std::string base64StringFromBase64UrlEncodedString(std::string_view text);

}  // namespace Base64
