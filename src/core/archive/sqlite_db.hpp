#pragma once
// A thin owner of an SQLite connection and its statements, for the archive only. Every failure
// throws SqliteError with SQLite's result code; the archive turns it into its one-line message
// at its public calls, so nothing of this reaches a caller.
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace qv::sqlite {

class SqliteError : public std::runtime_error {
  public:
    SqliteError(int code, const std::string& what) : std::runtime_error(what), code_(code) {}
    // The primary result code (SQLITE_BUSY, SQLITE_CORRUPT, ...).
    int code() const { return code_ & 0xFF; }
    int extendedCode() const { return code_; }

  private:
    int code_;
};

class Statement {
  public:
    Statement(sqlite3* db, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Parameters count from 1, as SQLite counts them.
    Statement& bind(int index, std::int64_t value);
    Statement& bind(int index, std::string_view text);
    Statement& bindBlob(int index, std::span<const std::uint8_t> bytes);
    Statement& bindNull(int index);
    // True while a row is there; false once the statement has run to its end.
    bool step();
    // Runs a statement that returns no rows (or whose rows do not matter).
    void run();
    void reset();

    // Columns count from 0. A NULL reads as 0 or as the empty text.
    std::int64_t integer(int column) const;
    std::optional<std::int64_t> optionalInteger(int column) const;
    std::string text(int column) const;
    std::vector<std::uint8_t> blob(int column) const;

  private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

class Database {
  public:
    // Opens an existing file for reading and writing (never creates one).
    explicit Database(const std::string& utf8Path);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void exec(std::string_view sql);
    Statement prepare(std::string_view sql) { return Statement(db_, sql); }
    // One integer from a statement such as "PRAGMA user_version".
    std::int64_t integer(std::string_view sql);
    std::string text(std::string_view sql);
    std::int64_t lastInsertId() const;
    int changes() const;
    void setBusyTimeout(int milliseconds);
    // Puts the file in write-ahead-log mode. Two connections switching a new file at once can be
    // told "busy" at once (SQLite's way out of a deadlock, without waiting): that is tried again,
    // waiting through SQLite's own sleep, for up to timeoutMs.
    void useWriteAheadLog(int timeoutMs);

  private:
    sqlite3* db_ = nullptr;
};

// Runs a body inside "BEGIN IMMEDIATE" ... "COMMIT": the write lock is taken at the start, so
// two writers wait for each other (up to the busy time-out) instead of failing halfway. Any
// exception rolls back.
class Transaction {
  public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

  private:
    Database& db_;
    bool open_ = true;
};

} // namespace qv::sqlite
