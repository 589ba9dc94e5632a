#include "config/config_image.hpp"

#include <gtest/gtest.h>

namespace qv {

TEST(ConfigImage, TextFieldOfExactWidthHasNoTerminatorAndLongerTextIsCut) {
    ConfigImage img;
    img[31 + 4] = 0x55; // the byte after the field must survive
    img.putTextField("1234", 31, 4);
    EXPECT_EQ(img.getTextField(31, 4), "1234");
    EXPECT_EQ(img[35], 0x55);
    img.putTextField("123456", 31, 4);
    EXPECT_EQ(img.getTextField(31, 4), "1234");
    img.putTextField("ab", 31, 4);
    EXPECT_EQ(img[33], 0);
    EXPECT_EQ(img[34], 0);
    EXPECT_EQ(img.getTextField(31, 4), "ab");
}

TEST(ConfigImage, TextFieldsAreWindows1250AndCountCharacters) {
    ConfigImage img;
    img.putTextField("Łódź Ząb", 39, 6);
    EXPECT_EQ(img[39], 0xA3); // Ł
    EXPECT_EQ(img.getTextField(39, 64), "Łódź Z");
}

TEST(ConfigImage, ChangeCheckIgnoresOnlyTheProgrammingDate) {
    ConfigImage img;
    StoredCopy stored;
    stored.store(img);
    for (int off = 103; off <= 121; ++off)
        img[off] = 0x33;
    EXPECT_TRUE(stored.unchanged(img));
    for (int off : {102, 122, 0, 5119}) {
        ConfigImage changed = img;
        changed[off] = 1;
        EXPECT_FALSE(stored.unchanged(changed)) << off;
    }
}

TEST(ConfigImage, HexDumpRows) {
    ConfigImage img;
    img.putTextField("0001", 35, 4);
    img[16] = 26;
    img[17] = 13;
    img[18] = 14;
    img[19] = 0xB9; // ą
    const auto lines = hexDumpLines(img);
    ASSERT_EQ(lines.size(), 321u);
    EXPECT_EQ(lines[0], "*");
    EXPECT_EQ(lines[1].substr(0, 5), "   0 ");
    EXPECT_EQ(lines[3].substr(0, 5 + 3 * 7), "  32 00 00 00 30 30 30 31 ");
    EXPECT_EQ(lines[320].substr(0, 5), "5104 ");
    // 26 shows as '.', bytes below 14 as blanks, others as themselves.
    EXPECT_EQ(lines[2].substr(5 + 48, 5), ". \x0E\xC4\x85");
}

} // namespace qv
