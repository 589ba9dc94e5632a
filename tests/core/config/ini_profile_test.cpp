#include "config/ini_profile.hpp"

#include <gtest/gtest.h>

namespace qv {

TEST(IniProfile, LookupIgnoresCaseBlanksAndOneQuotePair) {
    const auto ini =
        IniProfile::fromBytes("; comment\r\n[Config]\r\n  pin = 12 34 \r\n"
                              "Apn=\"internet\"\r\nobject='9'\r\n[config]\r\nPIN=dup\r\n");
    EXPECT_EQ(ini.readString("CONFIG", "PIN", "-"), "12 34");
    EXPECT_EQ(ini.readString("config", "apn", "-"), "internet");
    EXPECT_EQ(ini.readString("CONFIG", "OBJECT", "-"), "9");
    EXPECT_EQ(ini.readString("CONFIG", "MISSING", "-"), "-");
    EXPECT_EQ(ini.readString("NONE", "PIN", "-"), "-");
}

TEST(IniProfile, NumbersAndFlagsFallBackToDefaults) {
    const auto ini =
        IniProfile::fromBytes("[S]\nA=12\nB=x1\nC=-3\nD=0\nE=7\nF=0x1F\nG=30.8\nH=1,5\n");
    EXPECT_EQ(ini.readInteger("S", "A", 0), 12);
    EXPECT_EQ(ini.readInteger("S", "B", 5), 5);
    EXPECT_EQ(ini.readInteger("S", "C", 0), -3);
    EXPECT_EQ(ini.readInteger("S", "F", 4), 4); // decimal only
    EXPECT_FALSE(ini.readBool("S", "D", true));
    EXPECT_TRUE(ini.readBool("S", "E", false));
    EXPECT_TRUE(ini.readBool("S", "B", true));
    EXPECT_DOUBLE_EQ(ini.readFloat("S", "G", 0), 30.8);
    EXPECT_DOUBLE_EQ(ini.readFloat("S", "H", 0), 0);
}

TEST(IniProfile, WritingKeepsForeignLinesAndAppendsNewKeysToTheirSection) {
    auto ini = IniProfile::fromBytes("# made by hand\n[config]\nPin=1\n; note\nFoo=bar\n\n"
                                     "[Other]\nx=1\n");
    ini.writeString("CONFIG", "PIN", "9873");
    ini.writeString("CONFIG", "NEWKEY", "v");
    ini.writeString("HEADER", "DATE", "d");
    EXPECT_EQ(ini.toBytes(), "# made by hand\r\n[config]\r\nPin=9873\r\n; note\r\nFoo=bar\r\n"
                             "NEWKEY=v\r\n\r\n[Other]\r\nx=1\r\n\r\n[HEADER]\r\nDATE=d\r\n");
    // The new key is found again and rewritten in place.
    ini.writeString("config", "newkey", "w");
    EXPECT_EQ(ini.readString("CONFIG", "NEWKEY", ""), "w");
    EXPECT_EQ(ini.lineCount(), 12u);
}

TEST(IniProfile, NewFileHasSectionsSetApartAndWindows1250Bytes) {
    IniProfile ini;
    ini.writeString("A", "K", "żółw");
    ini.writeInteger("B", "N", -1);
    ini.writeFloat("B", "F", -4.7);
    ini.writeFloat("B", "Z", 0);
    EXPECT_EQ(ini.toBytes(), "[A]\r\nK=\xBF\xF3\xB3w\r\n\r\n[B]\r\nN=-1\r\nF=-4.7\r\nZ=0\r\n");
    EXPECT_EQ(IniProfile::fromBytes(ini.toBytes()).readString("a", "k", ""), "żółw");
    ini.writeString("A", "K", "two\r\n[lines]");
    EXPECT_EQ(ini.readString("A", "K", ""), "two  [lines]");
    EXPECT_FALSE(ini.hasSection("lines"));
}

} // namespace qv
