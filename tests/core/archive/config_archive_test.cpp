// The archive on a real SQLite file: entries in and out, the module list and its search,
// notes and deletion, the file's rights, and files it must refuse without harming them.
#include "archive_helpers.hpp"

#include "archive/archive_text.hpp"
#include "common/file_io.hpp"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <set>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace qv::test {
namespace {

namespace fs = std::filesystem;

class Archive : public ::testing::Test {
  protected:
    Archive()
        : folder_(::testing::UnitTest::GetInstance()->current_test_info()->name()),
          path_(folder_.path("archive.sqlite")) {}

    std::unique_ptr<ConfigArchive> open(ArchiveOptions options = {}) {
        auto opened = ConfigArchive::open(path_, ConfigArchive::Access::create, options);
        EXPECT_TRUE(opened.archive) << opened.problem;
        return std::move(opened.archive);
    }
    std::int64_t add(ConfigArchive& a, const NewArchiveEntry& e) {
        const auto r = a.add(e);
        EXPECT_TRUE(r.ok()) << r.problem;
        return r.value;
    }
    // Runs SQL on the file directly, as another program would.
    void rawSql(const std::string& sql) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
        char* error = nullptr;
        EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK)
            << (error ? error : "");
        sqlite3_free(error);
        sqlite3_close(db);
    }

    ScratchFolder folder_;
    std::string path_;
};

TEST_F(Archive, GivesAnEntryBackWhole) {
    const auto archive = open();
    for (const ReadBack readBack :
         {ReadBack::notAsked, ReadBack::same, ReadBack::differs, ReadBack::failed}) {
        NewArchiveEntry e = sampleEntry("2392123", "Magazyn Łódź", "0427", "+48 600 100 200");
        e.state = std::string(kStateWritten);
        e.readBack = readBack;
        e.note = "po wymianie akumulatora";
        e.image[5119] = 0xA5; // past every field
        const std::int64_t id = add(*archive, e);

        const auto got = archive->entry(id);
        ASSERT_TRUE(got.ok()) << got.problem;
        ASSERT_TRUE(got.value);
        const ArchiveEntry& a = *got.value;
        EXPECT_EQ(a.summary,
                  (ArchiveEntrySummary{id, "2024-05-06 07:08:09", "written", readBack, "2392123",
                                       "NAME", "Magazyn Łódź", "0427", "ola",
                                       "/home/ola/obiekt.qvx", "po wymianie akumulatora"}));
        EXPECT_TRUE(a.image == e.image) << "the image changed in the archive";
        EXPECT_EQ(a.identity.text, "X/B/NAME_0503/2392123");
        EXPECT_EQ(a.identity.modelString, "NAME_0503");
        EXPECT_EQ(a.identity.magicChar, "X");
        EXPECT_EQ(a.identity.bootLoaderId, "B");
        EXPECT_EQ(a.identity.firmwareVersion, 5);
        EXPECT_EQ(a.identity.subVersion, 3);
        EXPECT_EQ(a.identity.platform, 92);
        EXPECT_EQ(a.phoneNumbers, std::vector<std::string>{"48600100200"});
    }
    const auto none = archive->entry(999);
    EXPECT_TRUE(none.ok());
    EXPECT_FALSE(none.value);
}

TEST_F(Archive, ListsEachModuleAsItsNewestEntryDescribesIt) {
    const auto archive = open();
    const auto a1 = add(*archive, sampleEntry("2392001", "Stara nazwa", "0001"));
    const auto b1 = add(*archive, sampleEntry("2392002", "Sklep", "0002"));
    NewArchiveEntry later = sampleEntry("2392001", "Nowa nazwa", "0009");
    later.time = {2025, 1, 2, 3, 4, 5, 0};
    const auto a2 = add(*archive, later);

    const auto modules = archive->modules();
    ASSERT_TRUE(modules.ok()) << modules.problem;
    EXPECT_EQ(modules.value,
              (std::vector<ArchiveModule>{
                  {"2392001", "NAME", "Nowa nazwa", "0009", "2025-01-02 03:04:05", 2, a2},
                  {"2392002", "NAME", "Sklep", "0002", "2024-05-06 07:08:09", 1, b1}}));

    const auto entries = archive->entries("2392001");
    ASSERT_TRUE(entries.ok());
    ASSERT_EQ(entries.value.size(), 2u);
    EXPECT_EQ(entries.value[0].id, a2);
    EXPECT_EQ(entries.value[1].id, a1);
    const auto all = archive->allEntries();
    ASSERT_TRUE(all.ok());
    std::vector<std::int64_t> ids;
    for (const auto& e : all.value)
        ids.push_back(e.id);
    EXPECT_EQ(ids, (std::vector<std::int64_t>{a2, b1, a1}));

    const auto latest = archive->latestEntry("2392001");
    ASSERT_TRUE(latest.ok() && latest.value);
    EXPECT_EQ(latest.value->summary.id, a2);
    EXPECT_EQ(latest.value->summary.siteName, "Nowa nazwa");
    EXPECT_FALSE(archive->latestEntry("nope").value);
    EXPECT_TRUE(archive->entries("nope").value.empty());
}

TEST_F(Archive, SearchFindsModulesBySerialSiteOrPhoneButNeverByPasswordOrPin) {
    const auto archive = open();
    add(*archive, sampleEntry("2392123", "Magazyn Łódź", "0427", "+48 600 100 200"));
    add(*archive, sampleEntry("2392999", "Sklep 100%", "0001", "501502503"));
    // A module found by a name it had before keeps being found.
    add(*archive, sampleEntry("2377555", "Stacja Gdańsk", "0777"));
    add(*archive, sampleEntry("2377555", "Stacja Gdynia", "0778"));

    struct Case {
        std::string search;
        std::set<std::string> serials;
    };
    const Case cases[] = {
        {"", {"2392123", "2392999", "2377555"}},
        {"   ", {"2392123", "2392999", "2377555"}},
        {"2392", {"2392123", "2392999"}},
        {"123", {"2392123"}},
        {"łódź", {"2392123"}},
        {"LODZ", {"2392123"}},
        {"magazyn ł", {"2392123"}},
        {"0427", {"2392123"}},
        {"600 100", {"2392123"}},
        {"+48-600", {"2392123"}},
        {"502 503", {"2392999"}},
        {"+48 501 502 503", {"2392999"}}, // a country code typed, the number kept without
        {"0048600100200", {"2392123"}},
        {"+49 501 502 503 4", {}},
        {"gdańsk", {"2377555"}},
        {"100%", {"2392999"}}, // "%" and "_" are plain characters
        {"_", {}},
        {"5511", {}}, // the password
        {"7788", {}}, // the SIM PIN
        {"nic takiego", {}},
    };
    for (const auto& c : cases) {
        const auto found = archive->modules(c.search);
        ASSERT_TRUE(found.ok()) << found.problem;
        std::set<std::string> serials;
        for (const auto& m : found.value)
            serials.insert(m.serialNumber);
        EXPECT_EQ(serials, c.serials) << "search \"" << c.search << "\"";
    }
}

TEST_F(Archive, NotesChangeAndDeletedEntriesGoWithTheirPhonesAndIds) {
    const auto archive = open();
    const auto first = add(*archive, sampleEntry("2392001", "Sklep", "0001", "600700800"));
    const auto second = add(*archive, sampleEntry("2392002"));

    struct Case {
        std::int64_t id;
        bool known;
    };
    for (const auto& c : {Case{first, true}, Case{second, true}, Case{second + 100, false}}) {
        const auto noted = archive->setNote(c.id, "notatka \"z\" cudzysłowem; DROP TABLE entries");
        ASSERT_TRUE(noted.ok()) << noted.problem;
        EXPECT_EQ(noted.value, c.known);
    }
    EXPECT_EQ(archive->entry(first).value->summary.note,
              "notatka \"z\" cudzysłowem; DROP TABLE entries");

    const auto removed = archive->remove(first);
    ASSERT_TRUE(removed.ok()) << removed.problem;
    EXPECT_TRUE(removed.value);
    EXPECT_FALSE(archive->remove(first).value);
    EXPECT_FALSE(archive->entry(first).value);
    EXPECT_TRUE(archive->modules("600700800").value.empty());
    EXPECT_EQ(archive->modules().value.size(), 1u);
    // An id once given never names another entry.
    const auto third = add(*archive, sampleEntry("2392003"));
    EXPECT_GT(third, second);
    EXPECT_EQ(archive->setNote(first, "x").value, false);
}

TEST_F(Archive, ListingAMissingFileNeverCreatesIt) {
    const auto opened = ConfigArchive::open(path_, ConfigArchive::Access::existing);
    EXPECT_FALSE(opened.archive);
    EXPECT_TRUE(opened.missing);
    EXPECT_TRUE(opened.problem.empty());
    EXPECT_FALSE(fileExists(path_));
}

TEST_F(Archive, ACreatedArchiveMakesItsFolders) {
    path_ = folder_.path("dane/qvprog/archiwum żółw.sqlite");
    const auto archive = open();
    ASSERT_TRUE(archive);
    add(*archive, sampleEntry("1"));
    EXPECT_TRUE(fileExists(path_));
}

#ifndef _WIN32
TEST_F(Archive, TheFileAndItsLogAreReadableByTheirUserOnly) {
    struct Case {
        const char* name;
        bool existing;       // a file is there before
        mode_t existingMode; // with these rights
    };
    const Case cases[] = {{"new.sqlite", false, 0}, {"open.sqlite", true, 0644}};
    const mode_t oldMask = ::umask(022);
    for (const auto& c : cases) {
        path_ = folder_.path(c.name);
        if (c.existing) {
            writeBytes(path_, "");
            ::chmod(path_.c_str(), c.existingMode);
        }
        const auto archive = open();
        ASSERT_TRUE(archive);
        add(*archive, sampleEntry("2392123"));
        // While the archive is open, its log and shared-memory files are there too.
        for (const std::string suffix : {"", "-wal", "-shm"}) {
            struct stat st {};
            ASSERT_EQ(::stat((path_ + suffix).c_str(), &st), 0) << c.name << suffix;
            EXPECT_EQ(st.st_mode & 0777, 0600u) << c.name << suffix;
        }
    }
    ::umask(oldMask);
}
#endif

TEST_F(Archive, DamagedOrForeignFilesAreReportedAndLeftAsTheyAre) {
    // A real archive with entries, to damage.
    {
        const auto archive = open();
        for (int k = 0; k < 20; ++k)
            add(*archive, sampleEntry(std::to_string(2392000 + k)));
    }
    const std::string whole = fileBytes(path_);
    ASSERT_GT(whole.size(), 50000u);
    std::string garbage(8192, '\0');
    for (std::size_t k = 0; k < garbage.size(); ++k)
        garbage[k] = static_cast<char>((k * 7919) >> 3);
    std::string scribbled = whole;
    std::fill(scribbled.begin() + 100, scribbled.begin() + 4096, '\xEE'); // over the schema page

    struct Case {
        const char* name;
        std::string bytes;
        std::string reason;
    };
    const Case cases[] = {
        {"garbage", garbage, "plik archiwum jest uszkodzony: "},
        {"text", "to nie jest baza danych\n", "plik archiwum jest uszkodzony: "},
        {"truncated to 60 bytes", whole.substr(0, 60), "plik archiwum jest uszkodzony: "},
        {"truncated to half", whole.substr(0, whole.size() / 2), "plik archiwum jest uszkodzony: "},
        {"schema overwritten", scribbled, "plik archiwum jest uszkodzony: "},
    };
    for (const auto& c : cases) {
        path_ = folder_.path(std::string(c.name) + ".sqlite");
        writeBytes(path_, c.bytes);
        const ArchiveStoreOutcome stored = storeInArchive(path_, sampleEntry("2392123"));
        ASSERT_TRUE(stored.message) << c.name;
        EXPECT_EQ(*stored.message, archiveStoreMessage(c.reason + path_)) << c.name;
        EXPECT_TRUE(fileBytes(path_) == c.bytes) << c.name << ": the damaged file was changed";

        const auto listed = ConfigArchive::open(path_, ConfigArchive::Access::existing);
        EXPECT_FALSE(listed.archive) << c.name;
        EXPECT_EQ(listed.problem, c.reason + path_) << c.name;
    }
}

TEST_F(Archive, AnotherProgramsDatabaseOrAFolderIsNeverTakenOver) {
    path_ = folder_.path("other.sqlite");
    rawSql("CREATE TABLE notes (text TEXT); INSERT INTO notes VALUES ('cudze');");
    const std::string before = fileBytes(path_);
    const auto stored = storeInArchive(path_, sampleEntry("1"));
    ASSERT_TRUE(stored.message);
    EXPECT_EQ(*stored.message,
              archiveStoreMessage("plik nie jest archiwum konfiguracji: " + path_));
    EXPECT_TRUE(fileBytes(path_) == before) << "the other program's database was changed";

    const std::string folder = folder_.path("folder.sqlite");
    fs::create_directories(*pathFromUtf8(folder));
    const auto onFolder = storeInArchive(folder, sampleEntry("1"));
    ASSERT_TRUE(onFolder.message);
    EXPECT_EQ(onFolder.message->rfind("Archiwum: nie zapisano konfiguracji (nie można utworzyć "
                                      "pliku " +
                                          folder + ": ",
                                      0),
              0u)
        << *onFolder.message;

    const auto nowhere = storeInArchive("", sampleEntry("1"));
    EXPECT_EQ(nowhere.message, archiveStoreMessage("nie wiadomo, gdzie jest folder danych "
                                                   "użytkownika"));
}

TEST_F(Archive, AFullDiskKeepsEveryEarlierEntryAndTheNextOpenStoresAgain) {
    ArchiveOptions small;
    small.maxPageCount = 40;
    std::vector<std::int64_t> kept;
    std::string problem;
    {
        const auto archive = open(small);
        ASSERT_TRUE(archive);
        for (int k = 0; k < 100 && problem.empty(); ++k) {
            const auto r = archive->add(sampleEntry(std::to_string(2392000 + k)));
            if (r.ok())
                kept.push_back(r.value);
            else
                problem = r.problem;
        }
    }
    EXPECT_EQ(problem, "brak miejsca na dysku: " + path_);
    ASSERT_GE(kept.size(), 3u);

    const auto archive = open();
    for (const auto id : kept) {
        const auto e = archive->entry(id);
        ASSERT_TRUE(e.ok() && e.value) << id << " " << e.problem;
        EXPECT_TRUE(e.value->image == sampleEntry("1").image);
    }
    EXPECT_EQ(archive->allEntries().value.size(), kept.size());
    add(*archive, sampleEntry("2399999"));
    EXPECT_EQ(archive->allEntries().value.size(), kept.size() + 1);
}

TEST_F(Archive, AFileOfALaterVersionIsUsedAsItIs) {
    open()->add(sampleEntry("2392001"));
    // A later version adds a table of its own and a column with a default.
    rawSql("CREATE TABLE later_things (id INTEGER PRIMARY KEY, sent TEXT);"
           "ALTER TABLE entries ADD COLUMN batch INTEGER DEFAULT NULL;"
           "PRAGMA user_version = " +
           std::to_string(kArchiveSchemaVersion + 1) + ";");
    const auto archive = open();
    ASSERT_TRUE(archive);
    add(*archive, sampleEntry("2392002"));
    EXPECT_EQ(archive->modules().value.size(), 2u);
}

TEST_F(Archive, FindsTheModuleLastSeenOnAPort) {
    const auto archive = open();
    const struct {
        const char* serial;
        const char* port;
        std::string_view state;
    } stored[] = {
        {"2392001", "COM1", kStateRead},    {"2392002", "COM2", kStateWritten},
        {"2392003", "COM1", kStateWritten}, {"2392004", "", kStateRead},
        {"2392005", "COM4", "sms-sent"},
    };
    for (const auto& s : stored) {
        NewArchiveEntry e = sampleEntry(s.serial);
        e.portName = s.port;
        e.state = std::string(s.state);
        add(*archive, e);
    }
    const struct {
        const char* port;
        const char* serial; // nullptr: none
    } cases[] = {
        {"COM1", "2392003"}, {"COM2", "2392002"}, {"COM3", nullptr},
        {"", nullptr},       {"com1", nullptr},   {"COM4", nullptr}, // another kind of entry
    };
    for (const auto& c : cases) {
        const auto found = archive->latestEntryOnPort(c.port);
        ASSERT_TRUE(found.ok()) << found.problem;
        if (!c.serial) {
            EXPECT_FALSE(found.value) << c.port;
            continue;
        }
        ASSERT_TRUE(found.value) << c.port;
        EXPECT_EQ(found.value->summary.serialNumber, c.serial);
        EXPECT_EQ(found.value->portName, c.port);
    }
}

TEST_F(Archive, AFileOfTheFirstVersionGainsPortsAndKeepsItsEntries) {
    // The first version's file, as a program of that version left it.
    rawSql(R"sql(
CREATE TABLE entries (
    id INTEGER PRIMARY KEY AUTOINCREMENT, time TEXT NOT NULL, state TEXT NOT NULL,
    read_back INTEGER, serial TEXT NOT NULL, model TEXT NOT NULL, model_string TEXT NOT NULL,
    firmware_version INTEGER NOT NULL, sub_version INTEGER NOT NULL, platform INTEGER NOT NULL,
    identification TEXT NOT NULL, magic_char TEXT NOT NULL, boot_loader TEXT NOT NULL,
    user_name TEXT NOT NULL, file_name TEXT NOT NULL, site_name TEXT NOT NULL,
    site_number TEXT NOT NULL, note TEXT NOT NULL DEFAULT '', search_key TEXT NOT NULL,
    image BLOB NOT NULL);
CREATE INDEX entries_by_serial ON entries (serial, id);
CREATE TABLE entry_phones (
    entry_id INTEGER NOT NULL REFERENCES entries (id) ON DELETE CASCADE,
    phone TEXT NOT NULL, PRIMARY KEY (entry_id, phone)) WITHOUT ROWID;
INSERT INTO entries (time, state, serial, model, model_string, firmware_version, sub_version,
    platform, identification, magic_char, boot_loader, user_name, file_name, site_name,
    site_number, note, search_key, image)
    VALUES ('2026-01-02 03:04:05', 'read', '2391111', 'NAME', 'NAME_0503', 5, 3, 92,
    'X/B/NAME_0503/2391111', 'X', 'B', 'jan', '', 'Stary', '0009', 'sprzed zmiany',
    '2391111' || char(10) || 'stary' || char(10) || '0009', zeroblob(5120));
PRAGMA application_id = 1364611154;
PRAGMA user_version = 1;
)sql");
    const auto archive = open();
    ASSERT_TRUE(archive);
    const auto old = archive->entry(1);
    ASSERT_TRUE(old.ok() && old.value) << old.problem;
    EXPECT_EQ(old.value->summary.note, "sprzed zmiany");
    EXPECT_EQ(old.value->portName, "");
    EXPECT_FALSE(archive->latestEntryOnPort("COM1").value);
    NewArchiveEntry e = sampleEntry("2392123");
    e.portName = "COM1";
    add(*archive, e);
    EXPECT_EQ(archive->latestEntryOnPort("COM1").value->summary.serialNumber, "2392123");
    EXPECT_EQ(archive->modules().value.size(), 2u);
}

} // namespace
} // namespace qv::test
