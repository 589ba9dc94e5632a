#pragma once
// The configuration archive: an SQLite file that keeps every configuration read from a module
// or written to one.
//
// Each entry is one transaction in a database in write-ahead-log mode with a busy time-out, so
// the window and the command line (or any two processes) may store entries at once. A process
// killed while storing, a full disk or a damaged file never costs an earlier entry: a damaged
// file is reported and left as it is, never replaced. The archive never throws: every call says
// what it could not do in one line, and the device work that called it goes on.
//
// The file holds the modules' passwords and SIM PINs: it is created readable by its user only
// (SQLite gives its -wal and -shm files the same rights), and nothing here but entry() and
// latestEntry() returns an image.
//
// One object serves one thread at a time; threads and processes each open their own.
#include "archive/archive_types.hpp"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

namespace sqlite {
class Database;
class Statement;
} // namespace sqlite

// The schema this program writes. A file of a later version is used as it is: later versions
// only add tables and columns.
inline constexpr int kArchiveSchemaVersion = 3;

struct ArchiveOptions {
    // How long a call waits for another process that is storing an entry.
    int busyTimeoutMs = 5000;
    // Pages the file may grow to (0: no limit): the file then fills up as a full disk would.
    std::int64_t maxPageCount = 0;
    // Called inside an entry's transaction, before it is committed (tests stop a process here).
    std::function<void()> beforeCommit;
};

// A call's result: the value, or the reason it failed (Polish, one line, for the messages of
// archiveStoreMessage and archiveReadMessage).
template <class T> struct ArchiveResult {
    T value{};
    std::string problem;
    bool ok() const { return problem.empty(); }
};

class ConfigArchive {
  public:
    enum class Access {
        create,   // the file is created (with its folder) when missing
        existing, // a missing file is reported as missing, never created
    };
    struct Opened {
        std::unique_ptr<ConfigArchive> archive; // nothing when it could not be opened
        bool missing = false;                   // Access::existing found no file
        std::string problem;
    };
    static Opened open(const std::string& path, Access access, ArchiveOptions options = {});

    ~ConfigArchive();
    ConfigArchive(const ConfigArchive&) = delete;
    ConfigArchive& operator=(const ConfigArchive&) = delete;

    const std::string& path() const { return path_; }

    // Stores one entry; returns its id. A read entry confirms the module's entries sent by SMS
    // and not yet confirmed whose configuration it holds on every byte an SMS can set.
    ArchiveResult<std::int64_t> add(const NewArchiveEntry& entry);

    // The modules, the one seen last first. A search text keeps the modules any of whose
    // entries holds it in the serial number, the site's name or number (case and Polish marks
    // do not count), or, when it may be a phone number, in a phone number.
    ArchiveResult<std::vector<ArchiveModule>> modules(std::string_view search = {});
    // A module's entries, newest first.
    ArchiveResult<std::vector<ArchiveEntrySummary>> entries(std::string_view serialNumber);
    // Every entry, newest first.
    ArchiveResult<std::vector<ArchiveEntrySummary>> allEntries();
    // One entry in full; nothing when there is no such entry.
    ArchiveResult<std::optional<ArchiveEntry>> entry(std::int64_t id);
    // The newest entry of a module.
    ArchiveResult<std::optional<ArchiveEntry>> latestEntry(std::string_view serialNumber);
    // The newest configuration read from or written to a module on this port (the module last
    // seen there); nothing for an empty name.
    ArchiveResult<std::optional<ArchiveEntry>> latestEntryOnPort(std::string_view portName);
    // Changes an entry's note; false when there is no such entry.
    ArchiveResult<bool> setNote(std::int64_t id, std::string_view note);
    // Deletes an entry; false when there is no such entry.
    ArchiveResult<bool> remove(std::int64_t id);

    // The batches of configuration SMS, oldest first (only the one with id, when one is given).
    ArchiveResult<std::vector<StoredSmsBatch>> smsBatches(std::string_view id = {});
    // Keeps a batch, replacing the one with its id; its base, target and serial number are
    // those it was first kept with. With completion given, and no entry made for the batch
    // yet, adds that entry in the same transaction (so two processes never add it twice).
    // Returns the id of the entry added now, or 0.
    ArchiveResult<std::int64_t> saveSmsBatch(const StoredSmsBatch& batch,
                                             const NewArchiveEntry* completion);

  private:
    ConfigArchive(std::string path, ArchiveOptions options);
    template <class T, class Body> ArchiveResult<T> guarded(Body&& body);
    std::optional<ArchiveEntry> readEntry(std::string_view where,
                                          const std::function<void(sqlite::Statement&)>& bind);

    std::string path_;
    ArchiveOptions options_;
    std::unique_ptr<sqlite::Database> db_;
};

// Opens the archive at path (creating it), stores the entry and closes it. Returns the entry's
// id, or the one line that says what was not kept.
struct ArchiveStoreOutcome {
    std::int64_t id = 0;
    std::optional<std::string> message;
};
ArchiveStoreOutcome storeInArchive(const std::string& path, const NewArchiveEntry& entry,
                                   ArchiveOptions options = {});

} // namespace qv
