// The archive's rules without a database: where its file lives, what is searchable, and the
// one-line messages.
#include "archive/archive_text.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace qv {
namespace {

TEST(ArchivePath, TheEnvironmentVariableWinsThenTheUsersDataFolder) {
    struct Case {
        ArchiveFolders folders;
        std::string expected;
    };
#ifndef _WIN32
    const Case cases[] = {
        {{"/tmp/a.sqlite", "/home/ola/data", "/home/ola", ""}, "/tmp/a.sqlite"},
        {{"", "/home/ola/data", "/home/ola", ""}, "/home/ola/data/qvprog/archive.sqlite"},
        {{"", "/home/ola/data//", "/home/ola", ""}, "/home/ola/data/qvprog/archive.sqlite"},
        // A relative XDG_DATA_HOME is ignored, as the XDG rules say.
        {{"", "data", "/home/ola", ""}, "/home/ola/.local/share/qvprog/archive.sqlite"},
        {{"", "", "/home/paweł/", ""}, "/home/paweł/.local/share/qvprog/archive.sqlite"},
        {{"", "", "/", ""}, "/.local/share/qvprog/archive.sqlite"},
        // Nowhere to keep it: the caller reports that instead of writing beside itself.
        {{"", "", "home/ola", "C:\\Users\\Ola"}, ""},
        {{}, ""},
    };
#else
    const Case cases[] = {
        {{"D:\\a.sqlite", "", "", "C:\\Users\\Ola\\AppData\\Roaming"}, "D:\\a.sqlite"},
        {{"", "", "", "C:\\Users\\Paweł\\AppData\\Roaming\\"},
         "C:\\Users\\Paweł\\AppData\\Roaming\\qvprog\\archive.sqlite"},
        {{"", "/home/ola/data", "/home/ola", ""}, ""},
        {{"", "", "", "AppData"}, ""},
    };
#endif
    for (const auto& c : cases)
        EXPECT_EQ(archiveFilePath(c.folders), c.expected) << c.folders.home;
}

TEST(ArchiveSearchText, FoldsCaseAndPolishMarks) {
    const std::pair<std::string, std::string> cases[] = {
        {"Łódź", "lodz"},
        {"ZAŻÓŁĆ GĘŚLĄ JAŹŃ", "zazolc gesla jazn"},
        {"zażółć gęślą jaźń", "zazolc gesla jazn"},
        {"Sklep 12/B", "sklep 12/b"},
        // Other letters and malformed bytes stay as they are.
        {"Ärger", "Ärger"},
        {std::string("a\xC5", 2), std::string("a\xC5", 2)},
        {std::string("\xC5\x41", 2), std::string("\xC5\x61", 2)},
        {"", ""},
    };
    for (const auto& [text, folded] : cases)
        EXPECT_EQ(foldForSearch(text), folded) << text;
}

TEST(ArchiveSearchText, PhoneNumbersCompareByTheirDigits) {
    struct Case {
        std::string text;
        bool phone;
        std::string digits;
    };
    const Case cases[] = {
        {"+48 600-100-200", true, "48600100200"},
        {"(22) 600 10 20", true, "226001020"},
        {"600/100", true, "600100"},
        {"2392123", true, "2392123"},
        {"Sklep 1", false, "1"},
        {"+-", false, ""},
        {"", false, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(looksLikePhoneNumber(c.text), c.phone) << c.text;
        EXPECT_EQ(phoneDigits(c.text), c.digits) << c.text;
    }
}

TEST(ArchiveSiteFacts, EveryPhoneFieldOnceAndNeitherPasswordNorPin) {
    Settings s;
    s.objectName = "Magazyn Łódź";
    s.object = "0427";
    s.password = "5511";
    s.pin = "7788";
    s.privPhones[0] = "+48 600 100 200";
    s.securityPhones[3] = "600100201";
    s.addPhones[55] = "600-100-202";
    s.input(1).alarmPhone = "48600100200"; // the first number again, written otherwise
    s.input(9).returnPhone = "600100203";
    s.dtmfPhone = "600100204";
    const SiteFacts facts = siteFacts(s);
    EXPECT_EQ(facts.name, "Magazyn Łódź");
    EXPECT_EQ(facts.number, "0427");
    EXPECT_EQ(facts.phoneNumbers, (std::vector<std::string>{"48600100200", "600100201", "600100202",
                                                            "600100203", "600100204"}));
    for (const auto& p : facts.phoneNumbers) {
        EXPECT_EQ(p.find("5511"), std::string::npos);
        EXPECT_EQ(p.find("7788"), std::string::npos);
    }
}

TEST(ArchiveMessages, AreOneLineWhateverTheReasonHolds) {
    EXPECT_EQ(archiveStoreMessage("brak miejsca na dysku: /tmp/a"),
              "Archiwum: nie zapisano konfiguracji (brak miejsca na dysku: /tmp/a)");
    EXPECT_EQ(archiveReadMessage("x"), "Archiwum: nie można odczytać (x)");
    EXPECT_EQ(archiveNoteMessage("x"), "Archiwum: nie zapisano notatki (x)");
    const std::string line = archiveStoreMessage("plik /tmp/dziwna\nnazwa\r.sqlite");
    EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 0);
    EXPECT_EQ(std::count(line.begin(), line.end(), '\r'), 0);
}

TEST(ArchiveMessages, StatesReadAsTheProgramsWords) {
    EXPECT_EQ(stateText(kStateRead), "odczyt");
    EXPECT_EQ(stateText(kStateWritten), "zapis");
    EXPECT_EQ(stateText(kStateSmsUnconfirmed), "SMS (niepotwierdzony)");
    EXPECT_EQ(stateText(kStateSmsConfirmed), "SMS (potwierdzony odczytem)");
    EXPECT_EQ(stateText("later-kind"), "later-kind");
    const std::pair<ReadBack, std::string> writes[] = {
        {ReadBack::notAsked, "zapis"},
        {ReadBack::same, "zapis (sprawdzony)"},
        {ReadBack::differs, "zapis (moduł ma inne bajty)"},
        {ReadBack::failed, "zapis (odczyt kontrolny nieudany)"},
    };
    for (const auto& [readBack, text] : writes) {
        ArchiveEntrySummary e;
        e.state = std::string(kStateWritten);
        e.readBack = readBack;
        EXPECT_EQ(operationText(e), text);
    }
}

} // namespace
} // namespace qv
