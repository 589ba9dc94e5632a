// Opening files that the program did not write: marks, line ends, letters, junk and folders.
#include "files_helpers.hpp"

#include "common/clock.hpp"
#include "config/config_document.hpp"
#include "config/messages.hpp"
#include "link/port_settings.hpp"
#include "tools/phone_base_file.hpp"

#include <gtest/gtest.h>

#include <random>

namespace qv::test {
namespace {

namespace fs = std::filesystem;

class ForeignFiles : public ::testing::Test {
  protected:
    ForeignFiles() { doc.newConfig(); }
    OpenResult open(const std::string& name) { return doc.openFile(scratch.dir() + name); }
    std::string errorOf(const OpenResult& r) const {
        return r.messages.empty() ? "" : r.messages.front().text;
    }
    ScratchFolder scratch{::testing::UnitTest::GetInstance()->current_test_info()->name()};
    VirtualClock clock{{2024, 5, 17, 12, 34, 56, 0}};
    ConfigDocument doc{clock, scratch.dir()};
};

TEST_F(ForeignFiles, MarkLineEndsLettersAndForeignLinesAreRead) {
    // Written by hand in a UTF-8 editor: a byte-order mark, LF line ends, lines of its own.
    writeWholeFile(scratch.path() / "utf8.qvx",
                   "\xEF\xBB\xBF; notatka\n[CONFIG]\nOBJECT_NAME=Paweł Żółć\nto nie jest klucz\n"
                   "=bez klucza\nPIN=1111\n[OBCA]\nx=1\n");
    ASSERT_TRUE(open("utf8.qvx").opened);
    EXPECT_EQ(doc.settings().objectName, "Paweł Żółć");
    EXPECT_EQ(doc.settings().pin, "1111");
    doc.settings().pin = "2222";
    ASSERT_TRUE(doc.saveFile(scratch.dir() + "utf8.qvx").saved);
    const std::string saved = readWholeFile(scratch.path() / "utf8.qvx");
    EXPECT_EQ(saved.rfind("\xEF\xBB\xBF; notatka\r\n[CONFIG]\r\nOBJECT_NAME=Paweł Żółć\r\n"
                          "to nie jest klucz\r\n=bez klucza\r\nPIN=2222\r\n",
                          0),
              0u);
    EXPECT_NE(saved.find("[OBCA]\r\nx=1\r\n"), std::string::npos);

    // The program's own encoding, Windows-1250, with LF line ends.
    writeWholeFile(scratch.path() / "cp.qvx", "[CONFIG]\nOBJECT_NAME=\xA3\xF3\x64\x9F\n");
    ASSERT_TRUE(open("cp.qvx").opened);
    EXPECT_EQ(doc.settings().objectName, "Łódź");

    writeWholeFile(scratch.path() / "baza.PHBINI",
                   "\xEF\xBB\xBF[ADDITIONAL_PHONE]\nNUMBER_1=600700800\nNAME_1=Łucja\n");
    PhoneBaseTable table;
    EXPECT_TRUE(loadPhoneBaseFile(scratch.dir() + "baza.PHBINI", table).ok);
    EXPECT_EQ(table.names[0], "Łucja");
    EXPECT_EQ(table.numbers[0], "600700800");

    writeWholeFile(scratch.path() / "QVPROG2.INI", "\xEF\xBB\xBF[SETTINGS]\nport=COM7\n");
    EXPECT_EQ(loadPortSettings(scratch.dir(), "COM1").portName, "COM7");
}

TEST_F(ForeignFiles, JunkOfTwentyMegabytesIsRefusedAndChangesNothing) {
    std::string junk(20u << 20, '\0');
    std::mt19937 random(7);
    for (auto& c : junk)
        c = static_cast<char>(random());
    for (const char* name : {"junk.qvx", "junk.bCFG", "junk.PHBINI", "QVPROG2.INI"})
        writeWholeFile(scratch.path() / name, junk);
    doc.settings().pin = "5555";
    const Settings before = doc.settings();

    OpenResult r = open("junk.qvx");
    EXPECT_FALSE(r.opened);
    EXPECT_EQ(errorOf(r), "Błąd otwarcia konfiguracji z pliku");
    r = open("junk.bCFG");
    EXPECT_FALSE(r.opened);
    EXPECT_EQ(errorOf(r), "Niepoprawny plik");
    EXPECT_EQ(doc.settings(), before);
    EXPECT_EQ(doc.configFileName(), msg::kDefaultFileName);

    // Saving over the junk does not replace what could not be read.
    EXPECT_FALSE(doc.saveFile(scratch.dir() + "junk.qvx").saved);
    EXPECT_EQ(fs::file_size(scratch.path() / "junk.qvx"), junk.size());

    PhoneBaseTable table;
    table.numbers[0] = "123456789";
    const PhoneBaseTable kept = table;
    const auto loaded = loadPhoneBaseFile(scratch.dir() + "junk.PHBINI", table);
    EXPECT_FALSE(loaded.ok);
    EXPECT_EQ(loaded.message, "Błąd odczytania konfiguracji");
    EXPECT_EQ(table, kept);
    EXPECT_EQ(loadPortSettings(scratch.dir(), "COM1").portName, "COM1");
}

TEST_F(ForeignFiles, FolderInPlaceOfAFileIsRefused) {
    for (const char* name : {"dir.qvx", "dir.bCFG", "dir.PHBINI", "QVPROG2.INI"})
        fs::create_directory(scratch.path() / name);
    EXPECT_EQ(errorOf(open("dir.qvx")), "Błąd otwarcia konfiguracji z pliku");
    EXPECT_EQ(errorOf(open("dir.bCFG")), "Błąd otwarcia pliku " + scratch.dir() + "dir.bCFG!");
    PhoneBaseTable table;
    EXPECT_EQ(loadPhoneBaseFile(scratch.dir() + "dir.PHBINI", table).message,
              "Błąd odczytania konfiguracji");
    EXPECT_EQ(loadPortSettings(scratch.dir(), "COM1").portName, "COM1");
}

} // namespace
} // namespace qv::test
