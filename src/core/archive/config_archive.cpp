#include "archive/config_archive.hpp"

#include "archive/archive_text.hpp"
#include "archive/sqlite_db.hpp"
#include "common/file_io.hpp"
#include "common/text_format.hpp"
#include "sms/sms_commands.hpp"

#include <sqlite3.h>

#include <array>
#include <filesystem>
#include <new>

namespace qv {

namespace {

namespace fs = std::filesystem;
using sqlite::Database;
using sqlite::SqliteError;
using sqlite::Statement;
using sqlite::Transaction;

// "QVPR": marks the file as this program's archive.
constexpr std::int64_t kApplicationId = 0x51565052;

// Migration k takes the schema from version k to k + 1; a later version appends its own (an
// SMS batch table, say) and never edits these.
constexpr std::array<std::string_view, kArchiveSchemaVersion> kMigrations = {
    R"sql(
CREATE TABLE entries (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    time TEXT NOT NULL,
    state TEXT NOT NULL,
    read_back INTEGER,
    serial TEXT NOT NULL,
    model TEXT NOT NULL,
    model_string TEXT NOT NULL,
    firmware_version INTEGER NOT NULL,
    sub_version INTEGER NOT NULL,
    platform INTEGER NOT NULL,
    identification TEXT NOT NULL,
    magic_char TEXT NOT NULL,
    boot_loader TEXT NOT NULL,
    user_name TEXT NOT NULL,
    file_name TEXT NOT NULL,
    site_name TEXT NOT NULL,
    site_number TEXT NOT NULL,
    note TEXT NOT NULL DEFAULT '',
    search_key TEXT NOT NULL,
    image BLOB NOT NULL
);
CREATE INDEX entries_by_serial ON entries (serial, id);
CREATE TABLE entry_phones (
    entry_id INTEGER NOT NULL REFERENCES entries (id) ON DELETE CASCADE,
    phone TEXT NOT NULL,
    PRIMARY KEY (entry_id, phone)
) WITHOUT ROWID;
)sql",
    // The port each entry's module answered on, to find the module last seen on a port.
    R"sql(
ALTER TABLE entries ADD COLUMN port TEXT NOT NULL DEFAULT '';
CREATE INDEX entries_by_port ON entries (port, id);
)sql",
    // Batches of configuration SMS: each batch as its store's text, filed by number.
    R"sql(
CREATE TABLE sms_batches (
    id TEXT PRIMARY KEY,
    number TEXT NOT NULL,
    created TEXT NOT NULL,
    done INTEGER NOT NULL,
    body TEXT NOT NULL,
    base_entry INTEGER,
    target BLOB,
    serial TEXT NOT NULL,
    result_entry INTEGER
);
CREATE INDEX sms_batches_by_number ON sms_batches (number, created);
)sql",
};

constexpr std::string_view kSummaryColumns =
    "id, time, state, read_back, serial, model, site_name, site_number, user_name, file_name, "
    "note";
constexpr std::string_view kEntryColumns =
    "id, time, state, read_back, serial, model, site_name, site_number, user_name, file_name, "
    "note, model_string, firmware_version, sub_version, platform, identification, magic_char, "
    "boot_loader, image, port";

// A stored entry that cannot be what this program wrote (its image is not 5120 bytes).
struct DamagedEntry {
    std::int64_t id;
};

// A file that is an SQLite database but not an archive.
struct ForeignFile {};

std::string reasonFor(const SqliteError& e, const std::string& path) {
    switch (e.code()) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return "plik archiwum jest uszkodzony: " + path;
    case SQLITE_FULL:
        return "brak miejsca na dysku: " + path;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return "archiwum jest zajęte przez inny program: " + path;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return "brak prawa zapisu: " + path;
    case SQLITE_CANTOPEN:
        return "nie można otworzyć pliku: " + path;
    case SQLITE_NOMEM:
        return "brak pamięci";
    case SQLITE_IOERR:
        return "błąd zapisu lub odczytu pliku: " + path + " (" + e.what() + ")";
    default:
        return "błąd bazy danych: " + path + " (" + e.what() + ")";
    }
}

std::string searchKey(const std::string& serial, const SiteFacts& facts) {
    return foldForSearch(serial) + '\n' + foldForSearch(facts.name) + '\n' +
           foldForSearch(facts.number);
}

// read_back: NULL not asked, 1 the same bytes, 0 other bytes, -1 the read-back failed.
ReadBack readBackOf(const std::optional<std::int64_t>& stored) {
    if (!stored) return ReadBack::notAsked;
    if (*stored < 0) return ReadBack::failed;
    return *stored != 0 ? ReadBack::same : ReadBack::differs;
}

std::int64_t storedReadBack(ReadBack r) {
    return r == ReadBack::same ? 1 : r == ReadBack::differs ? 0 : -1;
}

ArchiveEntrySummary summaryOf(const Statement& s) {
    ArchiveEntrySummary e;
    e.id = s.integer(0);
    e.time = s.text(1);
    e.state = s.text(2);
    e.readBack = readBackOf(s.optionalInteger(3));
    e.serialNumber = s.text(4);
    e.model = s.text(5);
    e.siteName = s.text(6);
    e.siteNumber = s.text(7);
    e.userName = s.text(8);
    e.fileName = s.text(9);
    e.note = s.text(10);
    return e;
}

int smallInteger(std::int64_t v) {
    return v >= -1 && v <= 99 ? static_cast<int>(v) : -1;
}

// Refuses, before anything is written, a database that another program made.
// The three facts are read in one statement, so one snapshot: another process may be making
// the schema of a new file meanwhile.
void checkOwnFile(Database& db) {
    Statement s = db.prepare("SELECT (SELECT user_version FROM pragma_user_version), "
                             "(SELECT count(*) FROM sqlite_schema), "
                             "(SELECT application_id FROM pragma_application_id)");
    if (!s.step()) throw ForeignFile{};
    const std::int64_t version = s.integer(0);
    const bool empty = s.integer(1) == 0;
    if (version == 0 ? !empty : version < 0 || s.integer(2) != kApplicationId) throw ForeignFile{};
}

// Brings an older schema (or the empty file just made) up to this program's version. The write
// lock is taken only when there is something to do, and the version is read again under it:
// another process may have done it meanwhile.
void migrate(Database& db) {
    if (db.integer("PRAGMA user_version") >= kArchiveSchemaVersion) return;
    Transaction t(db);
    checkOwnFile(db);
    const std::int64_t version = db.integer("PRAGMA user_version");
    if (version >= kArchiveSchemaVersion) return;
    for (auto k = static_cast<std::size_t>(version); k < kMigrations.size(); ++k)
        db.exec(kMigrations[k]);
    if (version == 0) db.exec("PRAGMA application_id = " + std::to_string(kApplicationId));
    db.exec("PRAGMA user_version = " + std::to_string(kArchiveSchemaVersion));
    t.commit();
}

// Inserts an entry (inside the caller's transaction); returns its id.
std::int64_t insertEntry(Database& db, const NewArchiveEntry& entry) {
    const SiteFacts facts = siteFacts(entry.image);
    const DeviceIdentity& id = entry.identity;
    Statement insert = db.prepare(
        "INSERT INTO entries (time, state, read_back, serial, model, model_string, "
        "firmware_version, sub_version, platform, identification, magic_char, boot_loader, "
        "user_name, file_name, site_name, site_number, note, search_key, image, port) "
        "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, "
        "?18, ?19, ?20)");
    insert.bind(1, formatProgDate(entry.time)).bind(2, entry.state);
    if (entry.readBack == ReadBack::notAsked)
        insert.bindNull(3);
    else
        insert.bind(3, storedReadBack(entry.readBack));
    insert.bind(4, id.serialNumber)
        .bind(5, id.modelName)
        .bind(6, id.modelString)
        .bind(7, std::int64_t{id.firmwareVersion})
        .bind(8, std::int64_t{id.subVersion})
        .bind(9, std::int64_t{id.platform})
        .bind(10, id.text)
        .bind(11, id.magicChar)
        .bind(12, id.bootLoaderId)
        .bind(13, entry.userName)
        .bind(14, entry.fileName)
        .bind(15, facts.name)
        .bind(16, facts.number)
        .bind(17, entry.note)
        .bind(18, searchKey(id.serialNumber, facts))
        .bindBlob(19, entry.image.bytes())
        .bind(20, entry.portName);
    insert.run();
    const std::int64_t newId = db.lastInsertId();
    Statement phone =
        db.prepare("INSERT OR IGNORE INTO entry_phones (entry_id, phone) VALUES (?1, ?2)");
    for (const auto& number : facts.phoneNumbers) {
        phone.reset();
        phone.bind(1, newId).bind(2, number).run();
    }
    return newId;
}

// True when image holds what sent holds on every byte a configuration SMS can set.
bool sameOverSms(const std::vector<std::uint8_t>& sent, const ConfigImage& image) {
    if (sent.size() != ConfigImage::kSize) return false;
    for (std::size_t k = 0; k < ConfigImage::kSize; ++k)
        if (!excludedFromSmsCommands(static_cast<int>(k)) && sent[k] != image.bytes()[k])
            return false;
    return true;
}

// A read of a module confirms its configurations sent by SMS that it now holds.
void confirmSentBySms(Database& db, const NewArchiveEntry& read) {
    Statement s = db.prepare("SELECT id, image FROM entries WHERE serial = ?1 AND state = ?2");
    s.bind(1, read.identity.serialNumber).bind(2, kStateSmsUnconfirmed);
    std::vector<std::int64_t> confirmed;
    while (s.step())
        if (sameOverSms(s.blob(1), read.image)) confirmed.push_back(s.integer(0));
    Statement update = db.prepare("UPDATE entries SET state = ?2 WHERE id = ?1");
    for (const auto id : confirmed) {
        update.reset();
        update.bind(1, id).bind(2, kStateSmsConfirmed).run();
    }
}

} // namespace

ConfigArchive::ConfigArchive(std::string path, ArchiveOptions options)
    : path_(std::move(path)), options_(std::move(options)) {}

ConfigArchive::~ConfigArchive() = default;

template <class T, class Body> ArchiveResult<T> ConfigArchive::guarded(Body&& body) {
    ArchiveResult<T> r;
    try {
        r.value = body();
    } catch (const SqliteError& e) {
        r.problem = reasonFor(e, path_);
    } catch (const DamagedEntry& e) {
        r.problem = "wpis " + std::to_string(e.id) + " jest uszkodzony: " + path_;
    } catch (const ForeignFile&) {
        r.problem = "plik nie jest archiwum konfiguracji: " + path_;
    } catch (const std::bad_alloc&) {
        r.problem = "brak pamięci";
    } catch (const std::exception& e) {
        r.problem = std::string(e.what()) + ": " + path_;
    }
    if (!r.problem.empty()) r.value = T{};
    return r;
}

ConfigArchive::Opened ConfigArchive::open(const std::string& path, Access access,
                                          ArchiveOptions options) {
    Opened r;
    if (path.empty()) {
        r.problem = "nie wiadomo, gdzie jest folder danych użytkownika";
        return r;
    }
    const auto fsPath = pathFromUtf8(path);
    if (!fsPath) {
        r.problem = "błędna nazwa pliku: " + path;
        return r;
    }
    if (access == Access::existing && !fileExists(path)) {
        r.missing = true;
        return r;
    }
    if (access == Access::create && fsPath->has_parent_path()) {
        std::error_code ec;
        fs::create_directories(fsPath->parent_path(), ec);
        if (ec) {
            r.problem = "nie można utworzyć folderu " + utf8FromPath(fsPath->parent_path()) + ": " +
                        ec.message();
            return r;
        }
    }
    // The file exists, private, before SQLite opens it (which never creates it).
    if (const auto failed = ensurePrivateFile(path)) {
        r.problem = "nie można utworzyć pliku " + path + ": " + *failed;
        return r;
    }
    std::unique_ptr<ConfigArchive> archive(new ConfigArchive(path, std::move(options)));
    const auto opened = archive->guarded<bool>([&] {
        archive->db_ = std::make_unique<Database>(path);
        Database& db = *archive->db_;
        db.setBusyTimeout(archive->options_.busyTimeoutMs);
        checkOwnFile(db);
        if (archive->options_.maxPageCount > 0)
            db.exec("PRAGMA max_page_count = " + std::to_string(archive->options_.maxPageCount));
        // Where the file system has no shared memory, SQLite stays with its rollback journal,
        // which keeps entries as safely (writers then wait for readers too).
        db.useWriteAheadLog(archive->options_.busyTimeoutMs);
        db.exec("PRAGMA synchronous = FULL");
        db.exec("PRAGMA foreign_keys = ON");
        migrate(db);
        return true;
    });
    if (!opened.ok()) {
        r.problem = opened.problem;
        return r;
    }
    r.archive = std::move(archive);
    return r;
}

ArchiveResult<std::int64_t> ConfigArchive::add(const NewArchiveEntry& entry) {
    return guarded<std::int64_t>([&] {
        Transaction t(*db_);
        const std::int64_t newId = insertEntry(*db_, entry);
        if (entry.state == kStateRead && !entry.identity.serialNumber.empty())
            confirmSentBySms(*db_, entry);
        if (options_.beforeCommit) options_.beforeCommit();
        t.commit();
        return newId;
    });
}

ArchiveResult<std::vector<ArchiveModule>> ConfigArchive::modules(std::string_view search) {
    return guarded<std::vector<ArchiveModule>>([&] {
        const std::string text(trimBlanks(search));
        const bool phone = looksLikePhoneNumber(text);
        std::string sql = "SELECT serial, model, site_name, site_number, time, count(*), max(id) "
                          "FROM entries ";
        if (!text.empty()) {
            sql += "WHERE serial IN (SELECT serial FROM entries WHERE instr(search_key, ?1) > 0";
            if (phone)
                sql += " UNION SELECT e.serial FROM entry_phones p JOIN entries e "
                       "ON e.id = p.entry_id WHERE instr(p.phone, ?2) > 0 "
                       // A whole number typed with its country code ("+48 600 100 200",
                       // "0048...") finds one kept without it, and the other way round.
                       "OR (length(p.phone) >= 9 AND substr(?2, -length(p.phone)) = p.phone)";
            sql += ") ";
        }
        // With max(), SQLite takes the other plain columns from the row of the newest entry.
        sql += "GROUP BY serial ORDER BY max(id) DESC";
        Statement s = db_->prepare(sql);
        if (!text.empty()) s.bind(1, foldForSearch(text));
        if (!text.empty() && phone) s.bind(2, phoneDigits(text));
        std::vector<ArchiveModule> out;
        while (s.step())
            out.push_back({s.text(0), s.text(1), s.text(2), s.text(3), s.text(4), s.integer(5),
                           s.integer(6)});
        return out;
    });
}

ArchiveResult<std::vector<ArchiveEntrySummary>>
ConfigArchive::entries(std::string_view serialNumber) {
    return guarded<std::vector<ArchiveEntrySummary>>([&] {
        Statement s = db_->prepare("SELECT " + std::string(kSummaryColumns) +
                                   " FROM entries WHERE serial = ?1 ORDER BY id DESC");
        s.bind(1, serialNumber);
        std::vector<ArchiveEntrySummary> out;
        while (s.step())
            out.push_back(summaryOf(s));
        return out;
    });
}

ArchiveResult<std::vector<ArchiveEntrySummary>> ConfigArchive::allEntries() {
    return guarded<std::vector<ArchiveEntrySummary>>([&] {
        Statement s = db_->prepare("SELECT " + std::string(kSummaryColumns) +
                                   " FROM entries ORDER BY id DESC");
        std::vector<ArchiveEntrySummary> out;
        while (s.step())
            out.push_back(summaryOf(s));
        return out;
    });
}

std::optional<ArchiveEntry> ConfigArchive::readEntry(std::string_view where,
                                                     const std::function<void(Statement&)>& bind) {
    Statement s = db_->prepare("SELECT " + std::string(kEntryColumns) + " FROM entries " +
                               std::string(where));
    bind(s);
    if (!s.step()) return std::nullopt;
    ArchiveEntry e;
    e.summary = summaryOf(s);
    DeviceIdentity& identity = e.identity;
    identity.serialNumber = e.summary.serialNumber;
    identity.modelName = e.summary.model;
    identity.modelString = s.text(11);
    identity.firmwareVersion = smallInteger(s.integer(12));
    identity.subVersion = smallInteger(s.integer(13));
    identity.platform = smallInteger(s.integer(14));
    identity.text = s.text(15);
    identity.magicChar = s.text(16);
    identity.bootLoaderId = s.text(17);
    const auto image = s.blob(18);
    if (image.size() != ConfigImage::kSize) throw DamagedEntry{e.summary.id};
    std::copy(image.begin(), image.end(), e.image.bytes().begin());
    e.portName = s.text(19);
    Statement phones =
        db_->prepare("SELECT phone FROM entry_phones WHERE entry_id = ?1 ORDER BY phone");
    phones.bind(1, e.summary.id);
    while (phones.step())
        e.phoneNumbers.push_back(phones.text(0));
    return e;
}

ArchiveResult<std::optional<ArchiveEntry>> ConfigArchive::entry(std::int64_t id) {
    return guarded<std::optional<ArchiveEntry>>(
        [&] { return readEntry("WHERE id = ?1", [&](Statement& s) { s.bind(1, id); }); });
}

ArchiveResult<std::optional<ArchiveEntry>>
ConfigArchive::latestEntry(std::string_view serialNumber) {
    return guarded<std::optional<ArchiveEntry>>([&] {
        return readEntry("WHERE serial = ?1 ORDER BY id DESC LIMIT 1",
                         [&](Statement& s) { s.bind(1, serialNumber); });
    });
}

ArchiveResult<std::optional<ArchiveEntry>>
ConfigArchive::latestEntryOnPort(std::string_view portName) {
    return guarded<std::optional<ArchiveEntry>>([&]() -> std::optional<ArchiveEntry> {
        if (portName.empty()) return std::nullopt;
        return readEntry("WHERE port = ?1 AND state IN ('read', 'written') ORDER BY id DESC "
                         "LIMIT 1",
                         [&](Statement& s) { s.bind(1, portName); });
    });
}

ArchiveResult<bool> ConfigArchive::setNote(std::int64_t id, std::string_view note) {
    return guarded<bool>([&] {
        Transaction t(*db_);
        Statement s = db_->prepare("UPDATE entries SET note = ?2 WHERE id = ?1");
        s.bind(1, id).bind(2, note).run();
        const bool changed = db_->changes() > 0;
        t.commit();
        return changed;
    });
}

ArchiveResult<bool> ConfigArchive::remove(std::int64_t id) {
    return guarded<bool>([&] {
        Transaction t(*db_);
        db_->prepare("DELETE FROM entry_phones WHERE entry_id = ?1").bind(1, id).run();
        db_->prepare("DELETE FROM entries WHERE id = ?1").bind(1, id).run();
        const bool removed = db_->changes() > 0;
        t.commit();
        return removed;
    });
}

ArchiveResult<std::vector<StoredSmsBatch>> ConfigArchive::smsBatches(std::string_view id) {
    return guarded<std::vector<StoredSmsBatch>>([&] {
        Statement s =
            db_->prepare(std::string("SELECT id, number, created, done, body, "
                                     "base_entry, target, serial, result_entry FROM "
                                     "sms_batches ") +
                         (id.empty() ? "" : "WHERE id = ?1 ") + "ORDER BY created, rowid");
        if (!id.empty()) s.bind(1, id);
        std::vector<StoredSmsBatch> out;
        while (s.step()) {
            StoredSmsBatch b;
            b.id = s.text(0);
            b.number = s.text(1);
            b.created = s.text(2);
            b.done = s.integer(3) != 0;
            b.body = s.text(4);
            b.baseEntry = s.integer(5);
            const auto target = s.blob(6);
            if (target.size() == ConfigImage::kSize) {
                b.target.emplace();
                std::copy(target.begin(), target.end(), b.target->bytes().begin());
            }
            b.serialNumber = s.text(7);
            b.resultEntry = s.integer(8);
            out.push_back(std::move(b));
        }
        return out;
    });
}

ArchiveResult<std::int64_t> ConfigArchive::saveSmsBatch(const StoredSmsBatch& batch,
                                                        const NewArchiveEntry* completion) {
    return guarded<std::int64_t>([&] {
        Transaction t(*db_);
        Statement upsert = db_->prepare(
            "INSERT INTO sms_batches (id, number, created, done, body, base_entry, target, serial) "
            "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8) ON CONFLICT (id) DO UPDATE SET "
            "number = excluded.number, done = excluded.done, body = excluded.body");
        upsert.bind(1, batch.id)
            .bind(2, batch.number)
            .bind(3, batch.created)
            .bind(4, std::int64_t{batch.done ? 1 : 0})
            .bind(5, batch.body);
        if (batch.baseEntry != 0)
            upsert.bind(6, batch.baseEntry);
        else
            upsert.bindNull(6);
        if (batch.target)
            upsert.bindBlob(7, batch.target->bytes());
        else
            upsert.bindNull(7);
        upsert.bind(8, batch.serialNumber);
        upsert.run();
        std::int64_t added = 0;
        if (completion) {
            Statement made = db_->prepare("SELECT result_entry FROM sms_batches WHERE id = ?1");
            made.bind(1, batch.id);
            if (made.step() && !made.optionalInteger(0)) {
                added = insertEntry(*db_, *completion);
                db_->prepare("UPDATE sms_batches SET result_entry = ?2 WHERE id = ?1")
                    .bind(1, batch.id)
                    .bind(2, added)
                    .run();
            }
        }
        if (options_.beforeCommit) options_.beforeCommit();
        t.commit();
        return added;
    });
}

ArchiveStoreOutcome storeInArchive(const std::string& path, const NewArchiveEntry& entry,
                                   ArchiveOptions options) {
    ArchiveStoreOutcome out;
    try {
        auto opened = ConfigArchive::open(path, ConfigArchive::Access::create, std::move(options));
        if (!opened.archive) {
            out.message = archiveStoreMessage(opened.problem);
            return out;
        }
        const auto added = opened.archive->add(entry);
        if (added.ok())
            out.id = added.value;
        else
            out.message = archiveStoreMessage(added.problem);
    } catch (const std::exception&) {
        out.message = archiveStoreMessage("brak pamięci");
    }
    return out;
}

} // namespace qv
