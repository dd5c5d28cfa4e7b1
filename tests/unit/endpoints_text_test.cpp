// The text tools of Q7ZACUtility: form-value encoding of exactly the RFC 3986 reserved set,
// percent-decoding that refuses malformed escapes and non-text bytes. A fresh UUID in each
// server-setting request is proven by the code-flow test.

#include <gtest/gtest.h>

#include <optional>

#include "utility/Q7ZACUtility.h"

namespace {

using Q7ZACUtility::getUrlDecodeString;
using Q7ZACUtility::urlEncodeValue;

TEST(UrlEncodeValue, EncodesExactlyTheReservedCharactersInUpperCaseHex) {
    const std::pair<std::string, std::string> cases[] = {
        {":/?#[]@!$&'()*+,;=", "%3A%2F%3F%23%5B%5D%40%21%24%26%27%28%29%2A%2B%2C%3B%3D"},
        {"AZaz09-._~ %\"<>\\^`{|}\t\xE4\xB8\xAD", "AZaz09-._~ %\"<>\\^`{|}\t\xE4\xB8\xAD"},
    };
    for (const auto& [value, encoded] : cases) EXPECT_EQ(urlEncodeValue(value), encoded) << value;
}

TEST(GetUrlDecodeString, DecodesUtf8TextAndRefusesMalformedEscapesOrNonText) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"%E4%B8%AD", "\xE4\xB8\xAD"}, {"a%20b%2fc%2F", "a b/c/"}, {"a+b", "a+b"}, {"", ""},
        {"%ZZ", std::nullopt},  {"%", std::nullopt},      {"abc%2", std::nullopt}, {"%G0", std::nullopt},
        {"%0G", std::nullopt},  {"100%", std::nullopt},   {"%FF", std::nullopt},   {"%E4%B8", std::nullopt},
        {"%C3%28", std::nullopt}, {"a%00b", std::nullopt},
    };
    for (const auto& [text, decoded] : cases) EXPECT_EQ(getUrlDecodeString(text), decoded) << text;
}

}  // namespace
