// Base64 codecs: the decoder's tolerance (skipped bytes, pads inside the text, a lone trailing
// character, non-ASCII text), the two encoders' exact layout at the line and remainder
// boundaries, the Base64url conversion, and round trips over every remainder and line count.

#include "common/Base64.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

Bytes bytesOf(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

std::string textOf(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

Bytes patternBytes(std::size_t count) {
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(i * 37 + 11);
    return bytes;
}

}  // namespace

TEST(Base64Decoding, CompleteAndPaddedUnits) {
    EXPECT_TRUE(Base64::dataFromBase64String("").empty());
    EXPECT_EQ(textOf(Base64::dataFromBase64String("QUJD")), "ABC");
    EXPECT_EQ(textOf(Base64::dataFromBase64String("QUI=")), "AB");
    EXPECT_EQ(textOf(Base64::dataFromBase64String("QQ==")), "A");
    EXPECT_EQ(textOf(Base64::dataFromBase64String("QUI")), "AB");
    EXPECT_EQ(textOf(Base64::dataFromBase64String("QQ")), "A");
}

TEST(Base64Decoding, BytesOutsideTheAlphabetAreSkipped) {
    EXPECT_EQ(textOf(Base64::dataFromBase64String("QUJD\r\n")), "ABC");
    EXPECT_EQ(textOf(Base64::dataFromBase64String("Q U\tJ\r\nD")), "ABC");
    EXPECT_EQ(textOf(Base64::dataFromBase64String("-Q_UJ*D!")), "ABC");
    EXPECT_EQ(textOf(Base64::dataFromBase64String(std::string_view("QU\0JD", 5))), "ABC");
    EXPECT_TRUE(Base64::dataFromBase64String("====\r\n--__").empty());
}

TEST(Base64Decoding, PadCharactersDoNotEndAUnit) {
    const Bytes expected{0x41, 0x04, 0x14, 0x24};
    EXPECT_EQ(Base64::dataFromBase64String("QQ==QUJD"), expected);
}

TEST(Base64Decoding, LoneTrailingCharacterYieldsNoByte) {
    EXPECT_EQ(textOf(Base64::dataFromBase64String("QUJDR")), "ABC");
    EXPECT_TRUE(Base64::dataFromBase64String("R").empty());
    EXPECT_TRUE(Base64::dataFromBase64String("=R=").empty());
}

TEST(Base64Decoding, NonAsciiTextGivesAnEmptyBuffer) {
    EXPECT_TRUE(Base64::dataFromBase64String("QUJD\xc3\xa9").empty());
    EXPECT_TRUE(Base64::dataFromBase64String("\xc3\xa9QUJD").empty());
    EXPECT_TRUE(Base64::dataFromBase64String("QU\xc3\xa9JD").empty());
}

TEST(Base64Decoding, ByteLevelRoutineKeepsHighBytesAsSkipped) {
    // Only the string operation refuses non-ASCII; the byte routine passes such bytes over.
    const std::string input = "QU\xc3\xa9JD";
    EXPECT_EQ(textOf(Base64::base64DecodeBytes(input.data(), input.size())), "ABC");
}

TEST(Base64Decoding, MeasureLengthStopsAtTheTerminator) {
    const char input[] = "QUJD\0QUJD";
    EXPECT_EQ(textOf(Base64::base64DecodeBytes(input, Base64::kMeasureLength)), "ABC");
    EXPECT_EQ(textOf(Base64::base64DecodeBytes(input, sizeof input - 1)), "ABCABC");
    EXPECT_TRUE(Base64::base64DecodeBytes("", Base64::kMeasureLength).empty());
}

TEST(Base64Decoding, OutputNeverExceedsThreeBytesPerFourInputBytes) {
    std::mt19937 random(7);
    for (int round = 0; round < 500; ++round) {
        std::string input(random() % 40, '\0');
        for (char& character : input) character = static_cast<char>(random() % 128);
        const Bytes decoded = Base64::dataFromBase64String(input);
        EXPECT_LE(decoded.size(), (input.size() + 3) / 4 * 3) << input;
    }
}

TEST(Base64LineEncoding, EmptyInputGivesEmptyText) {
    EXPECT_EQ(Base64::base64EncodedString({}), "");
    EXPECT_EQ(Base64::base64EncodeBytes("", 0, false), "");
}

TEST(Base64LineEncoding, RemaindersArePadded) {
    EXPECT_EQ(Base64::base64EncodedString(bytesOf("abc")), "YWJj");
    EXPECT_EQ(Base64::base64EncodedString(bytesOf("ab")), "YWI=");
    EXPECT_EQ(Base64::base64EncodedString(bytesOf("a")), "YQ==");
}

TEST(Base64LineEncoding, FortyEightBytesFillOneLineWithoutBreak) {
    const std::string text = Base64::base64EncodedString(patternBytes(48));
    EXPECT_EQ(text.size(), 64u);
    EXPECT_EQ(text.find("\r\n"), std::string::npos);
}

TEST(Base64LineEncoding, FortyNineBytesBreakBeforeTheTailGroup) {
    const std::string text = Base64::base64EncodedString(patternBytes(49));
    ASSERT_EQ(text.size(), 70u);
    EXPECT_EQ(text.substr(64, 2), "\r\n");
    EXPECT_EQ(text.substr(68), "==");
    EXPECT_EQ(text.find("\r\n"), 64u);
}

TEST(Base64LineEncoding, NinetySixBytesGiveTwoLinesAndOneBreak) {
    const std::string text = Base64::base64EncodedString(patternBytes(96));
    ASSERT_EQ(text.size(), 130u);
    EXPECT_EQ(text.find("\r\n"), 64u);
    EXPECT_EQ(text.rfind("\r\n"), 64u);
}

TEST(Base64LineEncoding, NeverEndsWithABreakAndNoLineIsLonger) {
    for (std::size_t count = 1; count <= 200; ++count) {
        const std::string text = Base64::base64EncodedString(patternBytes(count));
        ASSERT_GE(text.size(), 4u);
        EXPECT_NE(text.substr(text.size() - 2), "\r\n") << count;
        std::size_t lineStart = 0;
        for (std::size_t brk = text.find("\r\n"); brk != std::string::npos; brk = text.find("\r\n", lineStart)) {
            EXPECT_EQ(brk - lineStart, 64u) << count;
            lineStart = brk + 2;
        }
        EXPECT_LE(text.size() - lineStart, 64u) << count;
    }
}

TEST(Base64LineEncoding, ByteRoutineWithoutBreaksGivesOneLine) {
    const Bytes input = patternBytes(100);
    const auto text = Base64::base64EncodeBytes(input.data(), input.size(), false);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(text->size(), 136u);
    EXPECT_EQ(text->find('\r'), std::string::npos);
}

TEST(Base64OneLineEncoding, RemaindersOverwriteWithPads) {
    EXPECT_EQ(Base64::base64StringFromData({}), "");
    EXPECT_EQ(Base64::base64StringFromData(bytesOf("abc")), "YWJj");
    EXPECT_EQ(Base64::base64StringFromData(bytesOf("ab")), "YWI=");
    EXPECT_EQ(Base64::base64StringFromData(bytesOf("a")), "YQ==");
    EXPECT_EQ(Base64::base64StringFromData(Bytes{0xFF}), "/w==");
    EXPECT_EQ(Base64::base64StringFromData(Bytes{0xFB, 0xFF}), "+/8=");
}

TEST(Base64OneLineEncoding, HundredBytesStayOnOneLine) {
    const auto text = Base64::base64StringFromData(patternBytes(100));
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(text->size(), 136u);
    EXPECT_EQ(text->find_first_of("\r\n"), std::string::npos);
}

TEST(Base64OneLineEncoding, AgreesWithTheLineEncoderOnceBreaksAreRemoved) {
    for (std::size_t count = 0; count <= 150; ++count) {
        std::string lined = Base64::base64EncodedString(patternBytes(count));
        std::erase(lined, '\r');
        std::erase(lined, '\n');
        EXPECT_EQ(Base64::base64StringFromData(patternBytes(count)), lined) << count;
    }
}

TEST(Base64RoundTrip, EveryRemainderAndLineCountComesBack) {
    for (std::size_t count = 0; count <= 150; ++count) {
        const Bytes input = patternBytes(count);
        EXPECT_EQ(Base64::dataFromBase64String(Base64::base64EncodedString(input)), input) << count;
        EXPECT_EQ(Base64::dataFromBase64String(*Base64::base64StringFromData(input)), input) << count;
    }
}

TEST(Base64RoundTrip, AllByteValuesComeBack) {
    Bytes input(256);
    for (std::size_t i = 0; i < input.size(); ++i) input[i] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(Base64::dataFromBase64String(Base64::base64EncodedString(input)), input);
}

TEST(Base64UrlConversion, ReplacesUrlCharactersAndPadsByLength) {
    EXPECT_EQ(Base64::base64StringFromBase64UrlEncodedString("a-b_"), "a+b/");
    EXPECT_EQ(Base64::base64StringFromBase64UrlEncodedString("QQ"), "QQ==");
    EXPECT_EQ(Base64::base64StringFromBase64UrlEncodedString("QUI"), "QUI=");
    EXPECT_EQ(Base64::base64StringFromBase64UrlEncodedString("QUJDR"), "QUJDR");
    EXPECT_EQ(Base64::base64StringFromBase64UrlEncodedString(""), "");
}

TEST(Base64UrlConversion, LeavesPadsAndOtherCharactersAlone) {
    EXPECT_EQ(Base64::base64StringFromBase64UrlEncodedString("QQ="), "QQ==");
    EXPECT_EQ(Base64::base64StringFromBase64UrlEncodedString("Q Q"), "Q Q=");
    EXPECT_EQ(Base64::base64StringFromBase64UrlEncodedString("+/-_"), "+/+/");
}

TEST(Base64UrlConversion, DecodesWhatAUrlSafeEncoderWrote) {
    // 0xFB 0xFF 0xBF is "-_-_" in Base64url and "+/+/" in standard Base64.
    const Bytes expected{0xFB, 0xFF, 0xBF};
    EXPECT_EQ(Base64::dataFromBase64String(Base64::base64StringFromBase64UrlEncodedString("-_-_")), expected);
    EXPECT_EQ(Base64::dataFromBase64String(Base64::base64StringFromBase64UrlEncodedString("-_8")),
              (Bytes{0xFB, 0xFF}));
}
