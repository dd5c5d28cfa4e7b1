// Colours from hexadecimal text: the accepted spellings of one colour give exact components;
// every other text falls back to opaque pure red.

#include "utility/Q7ZACUtility.h"

#include <string>
#include <tuple>

#include <gtest/gtest.h>

namespace {

using Q7ZACUtility::colorWithRGBHexString;
using Q7ZACUtility::RGBAColor;

TEST(HexColor, SpellingsAndFallbacks) {
    const RGBAColor blue{52 / 255.0, 104 / 255.0, 214 / 255.0, 1.0}, red{1.0, 0.0, 0.0, 1.0};
    const struct { const char* text; RGBAColor expected; } cases[] = {
        {"3468D6", blue}, {"#3468D6", blue}, {"0x3468d6", blue}, {"0X3468D6", blue},
        {"  3468d6\n", blue}, {"\t#3468D6 \r\n", blue}, {"000000", {0, 0, 0, 1}},
        {"FFFFFF", {1, 1, 1, 1}}, {"", red}, {"3468D", red}, {"#3468D", red},
        {"3468D6FF", red}, {"34 68D6", red}, {"##3468D6", red}, {"0x#3468D6", red},
        {"GG0000", red}, {"0000-1", red}, {"+12345", red},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(testing::PrintToString(text));
        const RGBAColor color = colorWithRGBHexString(text);
        EXPECT_EQ(std::tie(color.red, color.green, color.blue, color.alpha),
                  std::tie(expected.red, expected.green, expected.blue, expected.alpha));
    }
}

}  // namespace
