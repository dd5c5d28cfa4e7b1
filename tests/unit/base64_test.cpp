// Base64 decoding as the token checks use it: the decoder's tolerance (skipped bytes, pads
// inside the text, a lone trailing character, non-ASCII text) and the Base64url alphabet. Round
// trips, size bounds and url padding at every length are the fuzzer's invariants.

#include "common/Base64.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

namespace {

std::string textOf(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(Base64, Decoding) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""}, {"QUJD", "ABC"}, {"QUI=", "AB"}, {"QQ==", "A"}, {"QUI", "AB"}, {"QUJD\r\n", "ABC"},
        {"Q U\tJ\r\nD", "ABC"}, {"-Q_UJ*D!", "ABC"}, {"QU\0JD"s, "ABC"}, {"====\r\n--__", ""},
        {"QQ==QUJD", "\x41\x04\x14\x24"}, {"QUJDR", "ABC"}, {"R", ""}, {"=R=", ""},
        {"QUJD\xc3\xa9", ""}, {"\xc3\xa9QUJD", ""}, {"QU\xc3\xa9JD", ""},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(textOf(Base64::dataFromBase64String(input)), expected) << testing::PrintToString(input);
    // Base64url: "-" and "_" stand for "+" and "/".
    EXPECT_EQ(Base64::base64StringFromBase64UrlEncodedString("a-b_+/-_"), "a+b/+/+/");
}

}  // namespace
