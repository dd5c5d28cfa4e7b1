// Base64 codecs: the decoder's tolerance (skipped bytes, pads inside the text, a lone trailing
// character, non-ASCII text), both encoders' layout at the remainder and line boundaries, the
// Base64url alphabet. Round trips, size bounds and url padding at every length are the
// fuzzer's invariants.

#include "common/Base64.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

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
    // Only the string operation refuses non-ASCII; the byte routine passes such bytes over.
    EXPECT_EQ(textOf(Base64::base64DecodeBytes("QU\xc3\xa9JD", 6)), "ABC");
    EXPECT_EQ(textOf(Base64::base64DecodeBytes("QUJD\0QUJD", Base64::kMeasureLength)), "ABC");
    EXPECT_EQ(textOf(Base64::base64DecodeBytes("QUJD\0QUJD", 9)), "ABCABC");
    // Base64url: "-" and "_" stand for "+" and "/".
    EXPECT_EQ(Base64::base64StringFromBase64UrlEncodedString("a-b_+/-_"), "a+b/+/+/");
}

TEST(Base64, EncodingRemaindersInBothEncoders) {
    const std::pair<Bytes, std::string> cases[] = {
        {{}, ""}, {{'a', 'b', 'c'}, "YWJj"}, {{'a', 'b'}, "YWI="}, {{'a'}, "YQ=="},
        {{0xFF}, "/w=="}, {{0xFB, 0xFF}, "+/8="},
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(Base64::base64EncodedString(input), expected);
        EXPECT_EQ(Base64::base64StringFromData(input), expected);
    }
}

// The lined form breaks after 64 characters; the one-line forms never break.
TEST(Base64, LineLayout) {
    const std::tuple<std::size_t, std::size_t, std::size_t> cases[] = {{48, 64, std::string::npos}, {49, 70, 64},
                                                                       {96, 130, 64}};
    for (const auto& [bytes, chars, breakAt] : cases) {
        const std::string text = Base64::base64EncodedString(Bytes(bytes, 0xA5));
        EXPECT_EQ(text.size(), chars) << bytes;
        EXPECT_EQ(text.find("\r\n"), breakAt) << bytes;
        EXPECT_EQ(text.rfind("\r\n"), breakAt) << bytes;
    }
    const Bytes hundred(100, 0xA5);
    for (const auto& text : {Base64::base64StringFromData(hundred),
                             Base64::base64EncodeBytes(hundred.data(), hundred.size(), false)}) {
        EXPECT_EQ(text.value_or("\n").find_first_of("\r\n"), std::string::npos);
    }
}

}  // namespace
