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
//
// Page function calls: hostile text reaches the page intact, as the one argument of one call,
// proven by running each call in node with a stand-in page function. The calls ordinary values
// give are proven by what the sample web app receives in the web host's GUI test.

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include <glib.h>
#include <gtest/gtest.h>

#include "common/Base64.h"
#include "common/Json.h"
#include "common/PageScript.h"
#include "utility/Q7ZACUtility.h"

namespace {

using namespace std::string_literals;
using nlohmann::json;

TEST(Base64, Decoding) {
    // Each decoded text with the inputs that give it.
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"ABC", {"QUJD", "QUJD\r\n", "Q U\tJ\r\nD", "-Q_UJ*D!", "QU\0JD"s, "QUJDR"}},
        {"AB", {"QUI=", "QUI"}},
        {"A", {"QQ=="}},
        {"\x41\x04\x14\x24", {"QQ==QUJD"}},
        {"", {"", "====\r\n--__", "R", "=R=", "QUJD\xc3\xa9", "\xc3\xa9QUJD", "QU\xc3\xa9JD"}},
    };
    for (const auto& [expected, inputs] : cases)
        for (const auto& input : inputs)
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
    for (const json& value :
         {json(), json(42), json("text"), json::array({"\xff"}), json{{"\xc3", 1}}, json{{"k", std::nan("")}},
          json::array({json::binary({1, 2})}), json::array({json::array({std::numeric_limits<double>::infinity()})})})
        EXPECT_FALSE(Q7Z_JSON::JSONRepresentation(value).has_value()) << value.type_name();
}

// Form values: exactly the reserved characters are encoded, in upper-case hexadecimal; decoding
// takes UTF-8 text and refuses malformed escapes or bytes that are no text.
TEST(FormValues, EncodeExactlyTheReservedCharactersAndDecodeOnlyWellFormedText) {
    EXPECT_EQ(Q7ZACUtility::urlEncodeValue(":/?#[]@!$&'()*+,;="),
              "%3A%2F%3F%23%5B%5D%40%21%24%26%27%28%29%2A%2B%2C%3B%3D");
    const std::string unreserved = "AZaz09-._~ %\"<>\\^`{|}\t\xE4\xB8\xAD";
    EXPECT_EQ(Q7ZACUtility::urlEncodeValue(unreserved), unreserved);
    for (const auto& [text, decoded] :
         {std::pair{"%E4%B8%AD", "\xE4\xB8\xAD"}, {"a%20b%2fc%2F", "a b/c/"}, {"a+b", "a+b"}, {"", ""}})
        EXPECT_EQ(Q7ZACUtility::getUrlDecodeString(text), decoded) << text;
    for (const char* text : {"%ZZ", "%", "abc%2", "%G0", "%0G", "100%", "%FF", "%E4%B8", "%C3%28", "a%00b"})
        EXPECT_EQ(Q7ZACUtility::getUrlDecodeString(text), std::nullopt) << text;
}

TEST(HexColor, SpellingsAndFallbacks) {
    using Q7ZACUtility::RGBAColor;
    const auto components = [](const RGBAColor& c) { return std::array{c.red, c.green, c.blue, c.alpha}; };
    // Each colour with the texts that give it; red for any text but the accepted spellings.
    const std::pair<RGBAColor, std::vector<const char*>> cases[] = {
        {{52 / 255.0, 104 / 255.0, 214 / 255.0, 1.0},
         {"3468D6", "#3468D6", "0x3468d6", "0X3468D6", "  3468d6\n", "\t#3468D6 \r\n"}},
        {{0, 0, 0, 1}, {"000000"}},
        {{1, 1, 1, 1}, {"FFFFFF"}},
        {{1, 0, 0, 1},
         {"", "3468D", "#3468D", "3468D6FF", "34 68D6", "##3468D6", "0x#3468D6", "GG0000", "0000-1", "+12345"}},
    };
    for (const auto& [expected, texts] : cases)
        for (const char* text : texts)
            EXPECT_EQ(components(Q7ZACUtility::colorWithRGBHexString(text)), components(expected))
                << testing::PrintToString(text);
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

TEST(PageScript, HostileTextArrivesIntactInOneCall) {
    const std::vector<std::string> hostile = {"O'Brien",
                                              "\"q\"",
                                              "back\\slash\\",
                                              "two\nlines\r",
                                              "\t\x01\x7f",
                                              "a\xE2\x80\xA8"
                                              "b\xE2\x80\xA9",
                                              "');alert(1);//",
                                              "\\');alert(1);//",
                                              "</script><script>alert(1)</script><!--"};
    std::vector<std::string> argv = {
        "node", "-e",
        "const vm = require('vm'); console.log(JSON.stringify(process.argv.slice(1).map(s => {"
        " const calls = []; vm.runInNewContext(s, {parlorMain: {take: (...a) => calls.push(a)}}); return calls; })));"};
    for (const std::string& value : hostile) {
        argv.push_back(PageScript::call("parlorMain.take", {value}));
        // Inside an HTML script element, or read line by line, the call must stay whole.
        for (const char* forbidden : {"</", "<!--", "\n", "\r", "\xE2\x80\xA8", "\xE2\x80\xA9"})
            EXPECT_EQ(argv.back().find(forbidden), std::string::npos) << argv.back();
    }
    std::vector<gchar*> args;
    for (std::string& arg : argv) args.push_back(arg.data());
    args.push_back(nullptr);
    gchar* output = nullptr;
    gint status = -1;
    ASSERT_TRUE(g_spawn_sync(nullptr, args.data(), nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, &output, nullptr,
                             &status, nullptr))
        << "node (Debian package nodejs) runs the calls";
    const std::string received = output;
    g_free(output);
    ASSERT_TRUE(g_spawn_check_wait_status(status, nullptr)) << received;
    json expected = json::array();
    for (const std::string& value : hostile) expected.push_back({{value}});
    EXPECT_EQ(json::parse(received), expected);
}

}  // namespace
