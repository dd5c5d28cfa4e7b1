// Colours from hexadecimal text: the accepted spellings of one colour (prefixes, letter case,
// surrounding white space), every way a text falls back to pure red, and exact components.

#include "common/HexColor.h"

#include <string>

#include <gtest/gtest.h>

namespace {

using Q7ZACUtility::colorWithRGBHexString;
using Q7ZACUtility::kFallbackColor;
using Q7ZACUtility::RGBAColor;

const RGBAColor kBrandBlue{0x34 / 255.0, 0x68 / 255.0, 0xD6 / 255.0, 1.0};

TEST(HexColor, ReadsEachPairAsOneComponent) {
    const RGBAColor color = colorWithRGBHexString("3468D6");
    EXPECT_DOUBLE_EQ(color.red, 52.0 / 255.0);
    EXPECT_DOUBLE_EQ(color.green, 104.0 / 255.0);
    EXPECT_DOUBLE_EQ(color.blue, 214.0 / 255.0);
    EXPECT_DOUBLE_EQ(color.alpha, 1.0);
}

TEST(HexColor, ExtremesMapToZeroAndOne) {
    EXPECT_EQ(colorWithRGBHexString("000000"), (RGBAColor{0.0, 0.0, 0.0, 1.0}));
    EXPECT_EQ(colorWithRGBHexString("FFFFFF"), (RGBAColor{1.0, 1.0, 1.0, 1.0}));
    EXPECT_EQ(colorWithRGBHexString("00FF00"), (RGBAColor{0.0, 1.0, 0.0, 1.0}));
}

TEST(HexColor, AcceptedSpellingsGiveTheSameColour) {
    for (const std::string text : {"3468D6", "#3468D6", "0x3468d6", "0X3468D6", "3468d6",
                                   "  3468d6\n", "\t#3468D6 \r\n", " 0x3468D6"}) {
        EXPECT_EQ(colorWithRGBHexString(text), kBrandBlue) << '"' << text << '"';
    }
}

TEST(HexColor, WrongLengthsFallBackToRed) {
    for (const std::string text : {"", "   ", "3468D", "#3468D", "0x3468D", "3468D6FF",
                                   "#3468D6FF", "34 68D6"}) {
        EXPECT_EQ(colorWithRGBHexString(text), kFallbackColor) << '"' << text << '"';
    }
}

TEST(HexColor, OnlyOnePrefixIsRemoved) {
    EXPECT_EQ(colorWithRGBHexString("##3468D6"), kFallbackColor);
    EXPECT_EQ(colorWithRGBHexString("0x#3468D"), kFallbackColor);
    // Six characters left after the prefix, but "#3" is no hexadecimal pair.
    EXPECT_EQ(colorWithRGBHexString("0x#3468D6"), kFallbackColor);
}

TEST(HexColor, PairsThatAreNotHexadecimalFallBackToRed) {
    for (const std::string text : {"GG0000", "00ZZ00", "0000-1", "#12345G", "+12345", "12 456"}) {
        EXPECT_EQ(colorWithRGBHexString(text), kFallbackColor) << '"' << text << '"';
    }
}

TEST(HexColor, FallbackIsOpaquePureRed) {
    EXPECT_EQ(kFallbackColor, (RGBAColor{1.0, 0.0, 0.0, 1.0}));
    EXPECT_EQ(colorWithRGBHexString("FF0000"), kFallbackColor);
}

}  // namespace
