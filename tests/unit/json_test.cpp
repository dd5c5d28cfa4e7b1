// JSON helpers: only objects and arrays are accepted at the top level, malformed, invalid or
// overly deep text gives no value, a lone surrogate reads as a replacement character, and the
// writer refuses (rather than alters or throws on) values that JSON cannot carry. The writer's
// one-line text reads back through either entry.

#include "common/Json.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

using nlohmann::json;
using namespace std::string_literals;

namespace {

Bytes bytesOf(std::string_view text) { return Bytes(text.begin(), text.end()); }

std::string nested(std::size_t depth) { return std::string(depth, '[') + std::string(depth, ']'); }

// Valid containers are read by both entries in the round trips below.
TEST(Json, ParsingAcceptsOnlyValidContainers) {
    EXPECT_TRUE(Q7Z_JSON::JSONValue(std::string_view(nested(512))).has_value());
    // Brackets inside a string are no nesting.
    EXPECT_TRUE(Q7Z_JSON::JSONValue("[\"" + std::string(1000, '[') + "\"]").has_value());
    // Half a surrogate pair (a text cut inside an emoji) is U+FFFD; escapes around it stay.
    EXPECT_EQ(Q7Z_JSON::JSONValue(R"(["\ud83d|\udc00|\ud83d\ude00|\\ud83d|\ud83d\u0041|\ud83d"])"),
              json::array({"\xEF\xBF\xBD|\xEF\xBF\xBD|\xF0\x9F\x98\x80|\\ud83d|\xEF\xBF\xBD" "A|\xEF\xBF\xBD"}));

    // Scalars, malformed text, invalid UTF-8, text after a NUL (the parser alone would stop at
    // it and accept what came before), nesting past 512.
    for (const std::string& text : {"42"s, "\"text\""s, "null"s, ""s, "[1,2"s, "[\"\xff\"]"s, "[1]\0"s,
                                   "{}\0{\"a\":1}"s, "[\"a\0b\"]"s, nested(513), nested(100000)}) {
        SCOPED_TRACE(testing::PrintToString(text.substr(0, 20)));
        EXPECT_FALSE(Q7Z_JSON::JSONValue(std::string_view(text)).has_value());
        EXPECT_FALSE(Q7Z_JSON::JSONValue(bytesOf(text)).has_value());
    }
}

TEST(Json, WritingIsOneLineAndReadsBack) {
    const json list = json::array({{{"Sequence", 1}, {"ServerName", "a\"b\\c\n\t/\x01\xe2\x82\xac"}},
                                   1.5, -3, nullptr, true, 9007199254740993LL});
    const auto text = Q7Z_JSON::JSONRepresentation(list);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(text->find('\n'), std::string::npos);
    EXPECT_EQ(Q7Z_JSON::JSONValue(bytesOf(*text)), list);
    EXPECT_EQ(Q7Z_JSON::JSONValue(std::string_view(*text)), list);
}

TEST(Json, ValuesJsonCannotCarryAreRefused) {
    json invalidKey = json::object();
    invalidKey["\xc3"] = 1;
    for (const json& value : {json(), json(42), json("text"), json::array({"\xff"}), invalidKey,
                              json{{"k", std::nan("")}}, json::array({json::binary({1, 2})}),
                              json::array({json::array({std::numeric_limits<double>::infinity()})})})
        EXPECT_FALSE(Q7Z_JSON::JSONRepresentation(value).has_value()) << value.type_name();
}

}  // namespace
