#include "FuzzTargets.h"

#include <algorithm>
#include <string>
#include <string_view>

#include <glib.h>

#include "FuzzCheck.h"
#include "common/Base64.h"

namespace {

// Three bytes at most for every four characters begun.
std::size_t decodedSizeBound(std::size_t inputSize) { return (inputSize + 3) / 4 * 3; }

// What GLib's encoder writes, on one line or broken into lines, decodes to the input.
void checkRoundTrips(const Bytes& input) {
    for (const gboolean breakLines : {gboolean{FALSE}, gboolean{TRUE}}) {
        const std::size_t quads = (input.size() / 3 + 1) * 4 + 4;  // GLib's documented bound
        std::string encoded(quads + quads / 76 + 8, '\0');
        gint state = 0, save = 0;
        gsize length = g_base64_encode_step(input.data(), input.size(), breakLines, encoded.data(), &state, &save);
        length += g_base64_encode_close(breakLines, encoded.data() + length, &state, &save);
        encoded.resize(length);
        FUZZ_CHECK(Base64::dataFromBase64String(encoded) == input);
    }
}

void checkDecoding(std::string_view text) {
    const Bytes decoded = Base64::dataFromBase64String(text);
    FUZZ_CHECK(decoded.size() <= decodedSizeBound(text.size()));
    if (std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
        FUZZ_CHECK(decoded.empty());  // non-ASCII text is refused whole
        return;
    }
    checkRoundTrips(decoded);
}

// "-" and "_" become "+" and "/", and "=" pads the text to whole quads.
void checkUrlConversion(std::string_view text) {
    const std::string converted = Base64::base64StringFromBase64UrlEncodedString(text);
    const std::size_t padding = text.size() % 4 == 2 ? 2 : text.size() % 4 == 3 ? 1 : 0;
    FUZZ_CHECK(converted.size() == text.size() + padding);
    FUZZ_CHECK(converted.find_first_of("-_") == std::string::npos);
    FUZZ_CHECK(converted.compare(text.size(), padding, std::string(padding, '=')) == 0);
    FUZZ_CHECK(Base64::dataFromBase64String(converted).size() <= decodedSizeBound(converted.size()));
}

}  // namespace

void fuzzBase64(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    checkDecoding(text);
    checkUrlConversion(text);
    checkRoundTrips(Bytes(data, data + size));
}
