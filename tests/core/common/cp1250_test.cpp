#include "common/cp1250.hpp"

#include <gtest/gtest.h>

namespace qv {

TEST(Cp1250, PolishLettersRoundTrip) {
    const std::string text = "Zażółć gęślą jaźń ZAŻÓŁĆ GĘŚLĄ JAŹŃ";
    const std::string bytes = toCp1250(text);
    EXPECT_EQ(bytes.size(), utf8Length(text));
    EXPECT_EQ(static_cast<unsigned char>(toCp1250("ą")[0]), 0xB9);
    EXPECT_EQ(static_cast<unsigned char>(toCp1250("Ł")[0]), 0xA3);
    EXPECT_EQ(static_cast<unsigned char>(toCp1250("€")[0]), 0x80);
    EXPECT_EQ(fromCp1250(bytes), text);
}

TEST(Cp1250, EveryByteSurvivesDecodeEncode) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(toCp1250(fromCp1250(all)), all);
}

TEST(Cp1250, UnrepresentableAndMalformedBecomeQuestionMarks) {
    EXPECT_EQ(toCp1250("a\xE2\x98\x83z"), "a?z");     // snowman
    EXPECT_EQ(toCp1250("x\xF0\x9F\x98\x80y"), "x?y"); // emoji, 4-byte sequence
    EXPECT_EQ(toCp1250("\xC3"), "?");                 // truncated sequence
    EXPECT_EQ(toCp1250("\xFF\xFEok"), "??ok");        // bytes that start nothing
    EXPECT_EQ(toCp1250("\xC0\x80"), "??");            // overlong encoding of NUL
}

TEST(Cp1250, LengthAndLeftCountCharacters) {
    EXPECT_EQ(utf8Length("Wejście"), 7u);
    EXPECT_EQ(utf8Left("Wejście", 5), "Wejśc");
    EXPECT_EQ(utf8Left("ab", 5), "ab");
}

} // namespace qv
