// The text tools the other layers build on. Base64 decoding as the token checks use it: the
// decoder's tolerance (skipped bytes, pads inside the text, a lone trailing character, non-ASCII
// text) and the Base64url alphabet; round trips, size bounds and url padding at every length
// are the setting-code fuzzer's invariants. JSON: only objects and arrays at the top level, malformed,
// invalid or overly deep text gives no value, a lone surrogate reads as a replacement character,
// and the writer refuses values JSON cannot carry (its compact one-line text is proven by the
// stores' tests, which compare the saved lists). Q7ZACUtility: form-value encoding of exactly
// the RFC 3986 reserved set, percent-decoding that refuses malformed escapes and non-text bytes,
// colours from hexadecimal text (red for any text but the accepted spellings), and the size
// texts of the downloads list.

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "common/Base64.h"
#include "common/Json.h"
#include "utility/Q7ZACUtility.h"

namespace {

using namespace std::string_literals;
using nlohmann::json;

TEST(Base64, Decoding) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"QUJD", "ABC"},
        {"QUI=", "AB"},
        {"QQ==", "A"},
        {"QUI", "AB"},
        {"QUJD\r\n", "ABC"},
        {"Q U\tJ\r\nD", "ABC"},
        {"-Q_UJ*D!", "ABC"},
        {"QU\0JD"s, "ABC"},
        {"====\r\n--__", ""},
        {"QQ==QUJD", "\x41\x04\x14\x24"},
        {"QUJDR", "ABC"},
        {"R", ""},
        {"=R=", ""},
        {"QUJD\xc3\xa9", ""},
        {"\xc3\xa9QUJD", ""},
        {"QU\xc3\xa9JD", ""},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(Base64::dataFromBase64String(input), Bytes(expected.begin(), expected.end())) << input;
    // Base64url: "-" and "_" stand for "+" and "/".
    EXPECT_EQ(Base64::base64StringFromBase64UrlEncodedString("a-b_+/-_"), "a+b/+/+/");
}

std::string nested(std::size_t depth) { return std::string(depth, '[') + std::string(depth, ']'); }

TEST(Json, ParsingAcceptsOnlyValidContainers) {
    EXPECT_TRUE(Q7Z_JSON::JSONValue(std::string_view(nested(512))).has_value());
    // Brackets inside a string are no nesting.
    EXPECT_TRUE(Q7Z_JSON::JSONValue("[\"" + std::string(1000, '[') + "\"]").has_value());
    // Half a surrogate pair (a text cut inside an emoji) is U+FFFD; escapes around it stay.
    EXPECT_EQ(Q7Z_JSON::JSONValue(R"(["\ud83d|\udc00|\ud83d\ude00|\\ud83d|\ud83d\u0041|\ud83d"])"),
              json::array({"\xEF\xBF\xBD|\xEF\xBF\xBD|\xF0\x9F\x98\x80|\\ud83d|\xEF\xBF\xBD"
                           "A|\xEF\xBF\xBD"}));

    // Scalars, malformed text, invalid UTF-8, text after a NUL (the parser alone would stop at
    // it and accept what came before), nesting past 512; through either entry.
    for (const std::string& text : {"42"s, "\"text\""s, "null"s, ""s, "[1,2"s, "[\"\xff\"]"s, "[1]\0"s,
                                    "{}\0{\"a\":1}"s, "[\"a\0b\"]"s, nested(513), nested(100000)}) {
        SCOPED_TRACE(testing::PrintToString(text.substr(0, 20)));
        EXPECT_FALSE(Q7Z_JSON::JSONValue(std::string_view(text)).has_value());
        EXPECT_FALSE(Q7Z_JSON::JSONValue(Bytes(text.begin(), text.end())).has_value());
    }
}

TEST(Json, ValuesJsonCannotCarryAreRefused) {
    json invalidKey = json::object();
    invalidKey["\xc3"] = 1;
    for (const json& value :
         {json(), json(42), json("text"), json::array({"\xff"}), invalidKey, json{{"k", std::nan("")}},
          json::array({json::binary({1, 2})}), json::array({json::array({std::numeric_limits<double>::infinity()})})})
        EXPECT_FALSE(Q7Z_JSON::JSONRepresentation(value).has_value()) << value.type_name();
}

TEST(UrlEncodeValue, EncodesExactlyTheReservedCharactersInUpperCaseHex) {
    EXPECT_EQ(Q7ZACUtility::urlEncodeValue(":/?#[]@!$&'()*+,;="),
              "%3A%2F%3F%23%5B%5D%40%21%24%26%27%28%29%2A%2B%2C%3B%3D");
    const std::string unreserved = "AZaz09-._~ %\"<>\\^`{|}\t\xE4\xB8\xAD";
    EXPECT_EQ(Q7ZACUtility::urlEncodeValue(unreserved), unreserved);
}

TEST(GetUrlDecodeString, DecodesUtf8TextAndRefusesMalformedEscapesOrNonText) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"%E4%B8%AD", "\xE4\xB8\xAD"}, {"a%20b%2fc%2F", "a b/c/"}, {"a+b", "a+b"},          {"", ""},
        {"%ZZ", std::nullopt},         {"%", std::nullopt},        {"abc%2", std::nullopt}, {"%G0", std::nullopt},
        {"%0G", std::nullopt},         {"100%", std::nullopt},     {"%FF", std::nullopt},   {"%E4%B8", std::nullopt},
        {"%C3%28", std::nullopt},      {"a%00b", std::nullopt},
    };
    for (const auto& [text, decoded] : cases) EXPECT_EQ(Q7ZACUtility::getUrlDecodeString(text), decoded) << text;
}

TEST(HexColor, SpellingsAndFallbacks) {
    using Q7ZACUtility::RGBAColor;
    const RGBAColor blue{52 / 255.0, 104 / 255.0, 214 / 255.0, 1.0}, red{1.0, 0.0, 0.0, 1.0};
    const auto components = [](const RGBAColor& c) { return std::array{c.red, c.green, c.blue, c.alpha}; };
    const std::pair<const char*, RGBAColor> cases[] = {
        {"3468D6", blue},         {"#3468D6", blue},        {"0x3468d6", blue},
        {"0X3468D6", blue},       {"  3468d6\n", blue},     {"\t#3468D6 \r\n", blue},
        {"000000", {0, 0, 0, 1}}, {"FFFFFF", {1, 1, 1, 1}}, {"", red},
        {"3468D", red},           {"#3468D", red},          {"3468D6FF", red},
        {"34 68D6", red},         {"##3468D6", red},        {"0x#3468D6", red},
        {"GG0000", red},          {"0000-1", red},          {"+12345", red},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(testing::PrintToString(text));
        EXPECT_EQ(components(Q7ZACUtility::colorWithRGBHexString(text)), components(expected));
    }
}

// Steps of 1024, one decimal, whole bytes up to 1024, and the count rounded to single precision
// before it is scaled.
TEST(FileSizeText, ChoosesUnitAndRoundsThroughSinglePrecision) {
    const std::pair<std::int64_t, std::string> cases[] = {
        {0, "0 Byte"},
        {1024, "1024 Byte"},
        {1025, "1.0 KB"},
        {1536, "1.5 KB"},
        {-1, "-1 Byte"},
        {std::numeric_limits<std::int64_t>::min(), "-9223372036854775808 Byte"},
        // The larger units; in double precision these would read 17.1 MB and 1.1 GB.
        {17878221, "17.0 MB"},
        {1127428916, "1.0 GB"},
        {std::numeric_limits<std::int64_t>::max(), "8589934592.0 GB"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(Q7ZACUtility::getFileSizeDescriptionFromOriginSize(bytes), text) << bytes;
}

}  // namespace
