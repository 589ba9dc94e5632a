#include "archive/sqlite_db.hpp"

#include <sqlite3.h>

#include <climits>

namespace qv::sqlite {

namespace {

[[noreturn]] void fail(sqlite3* db, int code) {
    const char* message = db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    const int extended = db ? sqlite3_extended_errcode(db) : code;
    throw SqliteError(extended != 0 ? extended : code, message ? message : "");
}

void check(sqlite3* db, int code) {
    if (code != SQLITE_OK) fail(db, code);
}

int length(std::size_t size) {
    if (size > static_cast<std::size_t>(INT_MAX)) throw SqliteError(SQLITE_TOOBIG, "too big");
    return static_cast<int>(size);
}

} // namespace

Statement::Statement(sqlite3* db, std::string_view sql) : db_(db) {
    check(db_, sqlite3_prepare_v2(db_, sql.data(), length(sql.size()), &stmt_, nullptr));
    if (!stmt_) throw SqliteError(SQLITE_MISUSE, "empty statement");
}

Statement::~Statement() {
    sqlite3_finalize(stmt_);
}

Statement& Statement::bind(int index, std::int64_t value) {
    check(db_, sqlite3_bind_int64(stmt_, index, value));
    return *this;
}

Statement& Statement::bind(int index, std::string_view text) {
    // An empty view may carry no pointer at all: SQLite would take a null pointer for NULL.
    check(db_, sqlite3_bind_text(stmt_, index, text.empty() ? "" : text.data(), length(text.size()),
                                 SQLITE_TRANSIENT));
    return *this;
}

Statement& Statement::bindBlob(int index, std::span<const std::uint8_t> bytes) {
    static const std::uint8_t none = 0;
    check(db_, sqlite3_bind_blob(stmt_, index, bytes.empty() ? &none : bytes.data(),
                                 length(bytes.size()), SQLITE_TRANSIENT));
    return *this;
}

Statement& Statement::bindNull(int index) {
    check(db_, sqlite3_bind_null(stmt_, index));
    return *this;
}

bool Statement::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    sqlite3_reset(stmt_);
    fail(db_, rc);
}

void Statement::run() {
    while (step()) {
    }
}

void Statement::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

std::int64_t Statement::integer(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

std::optional<std::int64_t> Statement::optionalInteger(int column) const {
    if (sqlite3_column_type(stmt_, column) == SQLITE_NULL) return std::nullopt;
    return sqlite3_column_int64(stmt_, column);
}

std::string Statement::text(int column) const {
    const auto* p = sqlite3_column_text(stmt_, column);
    const int n = sqlite3_column_bytes(stmt_, column);
    if (!p || n <= 0) return std::string();
    return std::string(reinterpret_cast<const char*>(p), static_cast<std::size_t>(n));
}

std::vector<std::uint8_t> Statement::blob(int column) const {
    const auto* p = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt_, column));
    const int n = sqlite3_column_bytes(stmt_, column);
    if (!p || n <= 0) return {};
    return std::vector<std::uint8_t>(p, p + n);
}

Database::Database(const std::string& utf8Path) {
    // No URI names: a path is a path, whatever it holds.
    const int rc = sqlite3_open_v2(utf8Path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        try {
            fail(db_, rc);
        } catch (...) {
            sqlite3_close(db_);
            throw;
        }
    }
    sqlite3_extended_result_codes(db_, 1);
    // A damaged or hostile file must not make the schema run functions with side effects, nor
    // let a statement write into the database's own structures.
    sqlite3_db_config(db_, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
}

Database::~Database() {
    sqlite3_close(db_);
}

void Database::exec(std::string_view sql) {
    const std::string text(sql);
    check(db_, sqlite3_exec(db_, text.c_str(), nullptr, nullptr, nullptr));
}

std::int64_t Database::integer(std::string_view sql) {
    Statement s(db_, sql);
    return s.step() ? s.integer(0) : 0;
}

std::string Database::text(std::string_view sql) {
    Statement s(db_, sql);
    return s.step() ? s.text(0) : std::string();
}

std::int64_t Database::lastInsertId() const {
    return sqlite3_last_insert_rowid(db_);
}

int Database::changes() const {
    return sqlite3_changes(db_);
}

void Database::setBusyTimeout(int milliseconds) {
    check(db_, sqlite3_busy_timeout(db_, milliseconds));
}

void Database::useWriteAheadLog(int timeoutMs) {
    constexpr int kStepMs = 10;
    for (int waited = 0;; waited += kStepMs) {
        try {
            text("PRAGMA journal_mode = WAL");
            return;
        } catch (const SqliteError& e) {
            if ((e.code() != SQLITE_BUSY && e.code() != SQLITE_LOCKED) || waited >= timeoutMs)
                throw;
        }
        sqlite3_sleep(kStepMs);
    }
}

Transaction::Transaction(Database& db) : db_(db) {
    db_.exec("BEGIN IMMEDIATE");
}

Transaction::~Transaction() {
    if (!open_) return;
    try {
        db_.exec("ROLLBACK");
    } catch (const SqliteError&) {
        // SQLite may have rolled back already (a full disk, an I/O error): nothing is left.
    }
}

void Transaction::commit() {
    db_.exec("COMMIT");
    open_ = false;
}

} // namespace qv::sqlite
