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

TEST(IniProfile, OneSignAtMost) {
    const auto ini =
        IniProfile::fromBytes("[S]\nA=+5\nB=+-5\nC=-+5\nD=--5\nE=++5\nF=+-4.7\nG=+4.7\n");
    EXPECT_EQ(ini.readInteger("S", "A", 0), 5);
    for (const char* key : {"B", "C", "D", "E"})
        EXPECT_EQ(ini.readInteger("S", key, 7), 7) << key;
    EXPECT_DOUBLE_EQ(ini.readFloat("S", "F", 1), 1);
    EXPECT_DOUBLE_EQ(ini.readFloat("S", "G", 0), 4.7);
}

TEST(IniProfile, KeysAddedBeforeASectionsBlankEndStayIndexed) {
    auto ini = IniProfile::fromBytes("[A]\r\nK0=0\r\n\r\n  \r\n[B]\r\nX=1\r\n");
    for (int k = 1; k <= 300; ++k)
        ini.writeInteger("A", "K" + std::to_string(k), k);
    // Every key, old and new, is rewritten in its own line; the blank end stays last.
    for (int k = 0; k <= 300; k += 50)
        ini.writeInteger("A", "K" + std::to_string(k), -k);
    const auto again = IniProfile::fromBytes(ini.toBytes());
    for (int k = 0; k <= 300; ++k)
        EXPECT_EQ(again.readInteger("A", "K" + std::to_string(k), 999), k % 50 ? k : -k) << k;
    const std::string bytes = ini.toBytes();
    EXPECT_NE(bytes.find("K300=-300\r\n\r\n  \r\n[B]\r\n"), std::string::npos);
    EXPECT_EQ(ini.lineCount(), 306u);
}

TEST(IniProfile, Utf8MarkedFileIsReadAndWrittenAsUtf8) {
    auto ini = IniProfile::fromBytes("\xEF\xBB\xBF[CONFIG]\nOBJECT_NAME=Pawe\xC5\x82\n");
    EXPECT_EQ(ini.readString("CONFIG", "OBJECT_NAME", ""), "Paweł");
    ini.writeString("CONFIG", "PIN", "ż");
    EXPECT_EQ(ini.toBytes(),
              "\xEF\xBB\xBF[CONFIG]\r\nOBJECT_NAME=Pawe\xC5\x82\r\nPIN=\xC5\xBC\r\n");
    // Before bytes that are not UTF-8 the mark still only marks the start: the text is
    // Windows-1250, and the mark goes back where it was.
    auto cp = IniProfile::fromBytes("\xEF\xBB\xBF[S]\r\nK=\xB3\r\n");
    EXPECT_EQ(cp.readString("S", "K", ""), "ł");
    EXPECT_EQ(cp.toBytes(), "\xEF\xBB\xBF[S]\r\nK=\xB3\r\n");
    // Saving away the only byte that was not UTF-8 leaves the first section where it was.
    cp.writeString("S", "K", "1");
    const auto again = IniProfile::fromBytes(cp.toBytes());
    EXPECT_EQ(again.readString("S", "K", ""), "1");
}

TEST(IniProfile, WritingKeepsForeignLinesAndAppendsNewKeysToTheirSection) {
    auto ini = IniProfile::fromBytes("# made by hand\n[config]\nPin=1\n; note\nFoo=bar\n\n"
                                     "[Other]\nx=1\n");
    ini.writeString("CONFIG", "PIN", "9873");
    ini.writeString("CONFIG", "NEWKEY", "v");
    ini.writeString("HEADER", "DATE", "d");
    EXPECT_EQ(ini.toBytes(), "# made by hand\r\n[config]\r\nPin=9873\r\n; note\r\nFoo=bar\r\n"
                             "NEWKEY=v\r\n\r\n[Other]\r\nx=1\r\n[HEADER]\r\nDATE=d\r\n");
    // The new key is found again and rewritten in place.
    ini.writeString("config", "newkey", "w");
    EXPECT_EQ(ini.readString("CONFIG", "NEWKEY", ""), "w");
    EXPECT_EQ(ini.lineCount(), 11u);
}

TEST(IniProfile, NewFileHasNoBlankLineBeforeASectionAndWindows1250Bytes) {
    IniProfile ini;
    ini.writeString("A", "K", "żółw");
    ini.writeInteger("B", "N", -1);
    ini.writeFloat("B", "F", -4.7);
    ini.writeFloat("B", "Z", 0);
    EXPECT_EQ(ini.toBytes(), "[A]\r\nK=\xBF\xF3\xB3w\r\n[B]\r\nN=-1\r\nF=-4.7\r\nZ=0\r\n");
    EXPECT_EQ(IniProfile::fromBytes(ini.toBytes()).readString("a", "k", ""), "żółw");
    ini.writeString("A", "K", "two\r\n[lines]");
    EXPECT_EQ(ini.readString("A", "K", ""), "two  [lines]");
    EXPECT_FALSE(ini.hasSection("lines"));
}

} // namespace qv
