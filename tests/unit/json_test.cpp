// JSON helpers: only objects and arrays are accepted at the top level, malformed or overly
// deep text gives no value, and the writer refuses (rather than alters or throws on) values
// that JSON cannot carry. Text from either parser entry and the writer round-trip.

#include "common/Json.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

using nlohmann::json;

namespace {

Bytes bytesOf(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

std::string nested(std::size_t depth) {
    return std::string(depth, '[') + std::string(depth, ']');
}

}  // namespace

TEST(JsonParsing, ContainersAtTheTopLevelAreAccepted) {
    const auto array = Q7Z_JSON::JSONValue(std::string_view("[1,2]"));
    ASSERT_TRUE(array.has_value());
    EXPECT_EQ(*array, json::array({1, 2}));

    const auto object = Q7Z_JSON::JSONValue(std::string_view(R"({"Sequence": 3, "IsCnUrl": true})"));
    ASSERT_TRUE(object.has_value());
    EXPECT_TRUE((*object)["Sequence"].is_number_integer());
    EXPECT_TRUE((*object)["IsCnUrl"].is_boolean());

    EXPECT_EQ(Q7Z_JSON::JSONValue(std::string_view(" \r\n{} ")), json::object());
}

TEST(JsonParsing, ScalarsAtTheTopLevelAreRefused) {
    for (const char* text : {"42", "\"text\"", "true", "null", "-1.5"}) {
        EXPECT_FALSE(Q7Z_JSON::JSONValue(std::string_view(text)).has_value()) << text;
        EXPECT_FALSE(Q7Z_JSON::JSONValue(bytesOf(text)).has_value()) << text;
    }
}

TEST(JsonParsing, MalformedTextGivesNoValue) {
    for (const char* text : {"", "   ", "[1,2", "{\"a\":}", "[1,]", "{'a':1}", "[1] [2]", "[\"\\x\"]", "nul"}) {
        EXPECT_FALSE(Q7Z_JSON::JSONValue(std::string_view(text)).has_value()) << text;
        EXPECT_FALSE(Q7Z_JSON::JSONValue(bytesOf(text)).has_value()) << text;
    }
}

TEST(JsonParsing, InvalidUtf8AndEmbeddedNulAreRefused) {
    EXPECT_FALSE(Q7Z_JSON::JSONValue(std::string_view("[\"\xff\"]")).has_value());
    EXPECT_FALSE(Q7Z_JSON::JSONValue(bytesOf("[\"\xc3\"]")).has_value());
    // The parser alone would stop at the NUL and accept "[1]", dropping the rest unseen.
    EXPECT_FALSE(Q7Z_JSON::JSONValue(std::string_view("[1]\0", 4)).has_value());
    EXPECT_FALSE(Q7Z_JSON::JSONValue(bytesOf(std::string_view("{}\0{\"a\":1}", 10))).has_value());
    EXPECT_FALSE(Q7Z_JSON::JSONValue(std::string_view("[\"a\0b\"]", 7)).has_value());
}

TEST(JsonParsing, ByteBufferEntryReadsUtf8) {
    const auto value = Q7Z_JSON::JSONValue(bytesOf("{\"ServerName\":\"\xe5\x8f\xb0\xe5\x8c\x97\"}"));
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ((*value)["ServerName"], "\xe5\x8f\xb0\xe5\x8c\x97");
    EXPECT_FALSE(Q7Z_JSON::JSONValue(Bytes{}).has_value());
}

TEST(JsonParsing, NestingIsBounded) {
    EXPECT_TRUE(Q7Z_JSON::JSONValue(std::string_view(nested(512))).has_value());
    EXPECT_FALSE(Q7Z_JSON::JSONValue(std::string_view(nested(513))).has_value());
    EXPECT_FALSE(Q7Z_JSON::JSONValue(bytesOf(nested(100000))).has_value());
}

TEST(JsonParsing, BracketsInsideStringsDoNotCountAsNesting) {
    const std::string text = "[\"" + std::string(1000, '[') + "\\\"{\"]";
    const auto value = Q7Z_JSON::JSONValue(std::string_view(text));
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ((*value)[0].get<std::string>().size(), 1002u);
}

TEST(JsonWriting, CompactTextHasNoLineBreaks) {
    const json list = json::array({{{"Sequence", 1}, {"ServerName", "Main"}, {"Url", "http://a/"}, {"IsCnUrl", 0}}});
    const auto text = Q7Z_JSON::JSONRepresentation(list);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(text->find('\n'), std::string::npos);
    EXPECT_EQ(text->find(' '), std::string::npos);
    EXPECT_EQ(Q7Z_JSON::JSONValue(std::string_view(*text)), list);
}

TEST(JsonWriting, PrettyTextSpansLinesAndReadsBack) {
    const json object = {{"a", json::array({1, 2})}, {"b", "text"}};
    const auto text = Q7Z_JSON::prettyJSONString(object);
    ASSERT_TRUE(text.has_value());
    EXPECT_NE(text->find('\n'), std::string::npos);
    EXPECT_EQ(Q7Z_JSON::JSONValue(std::string_view(*text)), object);
    EXPECT_EQ(Q7Z_JSON::JSONStringWithOption(object, Q7Z_JSON::kWritingPrettyPrinted), text);
    EXPECT_EQ(Q7Z_JSON::JSONStringWithOption(object, 0), Q7Z_JSON::JSONRepresentation(object));
}

TEST(JsonWriting, EscapesSurviveARoundTrip) {
    const json object = {{"quote", "a\"b\\c\n\t/\x01"}, {"unicode", "\xe2\x82\xac"}};
    const auto text = Q7Z_JSON::JSONRepresentation(object);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(Q7Z_JSON::JSONValue(bytesOf(*text)), object);
}

TEST(JsonWriting, ValuesJsonCannotCarryAreRefused) {
    EXPECT_FALSE(Q7Z_JSON::JSONRepresentation(json::array({"\xff"})).has_value());
    EXPECT_FALSE(Q7Z_JSON::JSONRepresentation(json{{"k", std::nan("")}}).has_value());
    EXPECT_FALSE(Q7Z_JSON::JSONRepresentation(
                     json::array({json::array({std::numeric_limits<double>::infinity()})}))
                     .has_value());
    EXPECT_FALSE(Q7Z_JSON::JSONRepresentation(json::array({json::binary({1, 2})})).has_value());
    json invalidKey = json::object();
    invalidKey["\xc3"] = 1;
    EXPECT_FALSE(Q7Z_JSON::prettyJSONString(invalidKey).has_value());
}

TEST(JsonWriting, ScalarsAndNullAtTheTopLevelAreRefused) {
    EXPECT_FALSE(Q7Z_JSON::JSONRepresentation(json()).has_value());
    EXPECT_FALSE(Q7Z_JSON::JSONRepresentation(json(42)).has_value());
    EXPECT_FALSE(Q7Z_JSON::JSONRepresentation(json("text")).has_value());
    EXPECT_EQ(Q7Z_JSON::JSONRepresentation(json::array()), "[]");
    EXPECT_EQ(Q7Z_JSON::JSONRepresentation(json::object()), "{}");
}

TEST(JsonWriting, FiniteNumbersAndNullMembersAreWritten) {
    const json list = json::array({1.5, -3, nullptr, true, 9007199254740993LL});
    const auto text = Q7Z_JSON::JSONRepresentation(list);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, "[1.5,-3,null,true,9007199254740993]");
}
