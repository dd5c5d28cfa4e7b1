// The text tools of Q7ZACUtility: form-value encoding of exactly the RFC 3986 reserved set,
// percent-decoding that refuses malformed escapes and non-text bytes, and UUID strings.

#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "config/Q7ZACUtilityEndpoints.h"

namespace {

using Q7ZACUtility::getUrlDecodeString;
using Q7ZACUtility::urlEncodeValue;

TEST(UrlEncodeValue, EncodesEachReservedCharacterInUpperCaseHex) {
    EXPECT_EQ(urlEncodeValue(":/?#[]@!$&'()*+,;="),
              "%3A%2F%3F%23%5B%5D%40%21%24%26%27%28%29%2A%2B%2C%3B%3D");
    EXPECT_EQ(urlEncodeValue("a b&c"), "a b%26c");
    EXPECT_EQ(urlEncodeValue("x=1/2"), "x%3D1%2F2");
    EXPECT_EQ(urlEncodeValue("'"), "%27");
}

TEST(UrlEncodeValue, LeavesEverythingElseUnchanged) {
    const std::string untouched = "AZaz09-._~ %\"<>\\^`{|}\t\xE4\xB8\xAD";
    EXPECT_EQ(urlEncodeValue(untouched), untouched);
    EXPECT_EQ(urlEncodeValue(""), "");
}

TEST(GetUrlDecodeString, DecodesEscapesIntoUtf8Text) {
    EXPECT_EQ(getUrlDecodeString("%E4%B8%AD"), "\xE4\xB8\xAD");
    EXPECT_EQ(getUrlDecodeString("a%20b%2fc%2F"), "a b/c/");
    EXPECT_EQ(getUrlDecodeString("a+b"), "a+b");  // "+" is not a space here
    EXPECT_EQ(getUrlDecodeString(""), "");
}

TEST(GetUrlDecodeString, UndoesUrlEncodeValue) {
    const std::string value = "k=v&w=x:/?#[]@!$'()*+,; \xE4\xB8\xAD";
    EXPECT_EQ(getUrlDecodeString(urlEncodeValue(value)), value);
}

TEST(GetUrlDecodeString, RefusesMalformedEscapes) {
    for (const char* text : {"%ZZ", "%", "%4", "abc%", "abc%2", "%G0", "%0G", "100%"})
        EXPECT_EQ(getUrlDecodeString(text), std::nullopt) << text;
}

TEST(GetUrlDecodeString, RefusesBytesThatAreNotText) {
    for (const char* text : {"%FF", "%E4%B8", "%C3%28", "a%00b"})
        EXPECT_EQ(getUrlDecodeString(text), std::nullopt) << text;
}

TEST(GetUUIDString, IsUpperCase8_4_4_4_12AndNeverRepeats) {
    const std::regex form("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}");
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        const std::string uuid = Q7ZACUtility::getUUIDString();
        EXPECT_EQ(uuid.size(), 36u);
        EXPECT_TRUE(std::regex_match(uuid, form)) << uuid;
        EXPECT_TRUE(seen.insert(uuid).second) << uuid;
    }
}

}  // namespace
