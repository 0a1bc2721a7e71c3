#pragma once
// The SQLite side of the driver: one open database file with its catalog,
// RAII statement handles and the cursor that reads query rows.

#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "drivers/access_sqlite/sql/backend.h"

namespace rx::access {

class SqliteStatement {
public:
    SqliteStatement() = default;
    explicit SqliteStatement(sqlite3_stmt* s) : stmt_(s) {}
    ~SqliteStatement() { sqlite3_finalize(stmt_); }
    SqliteStatement(SqliteStatement&& o) noexcept : stmt_(o.stmt_) { o.stmt_ = nullptr; }
    SqliteStatement& operator=(SqliteStatement&& o) noexcept {
        std::swap(stmt_, o.stmt_);
        return *this;
    }
    sqlite3_stmt* get() const { return stmt_; }
    explicit operator bool() const { return stmt_ != nullptr; }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

struct OpenOptions {
    bool readOnly = false;
    // Access's Exclusive=1: one user, rollback journal, the lock held until
    // close. A file written this way carries no WAL mark, so it can later be
    // opened read-only from a folder nobody may write to.
    bool exclusive = false;
    int busyTimeoutMs = 5000;
    // NewDatabase=1: the creator of the file has just made it empty and asks
    // for it to become a database. Any other empty file is a damaged one.
    bool newDatabase = false;
};

class Database final : public Backend {
public:
    // Opens an existing file (never creates one); throws DriverError 08001.
    Database(const std::string& utf8Path, const OpenOptions& options);
    ~Database() override;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    sqlite3* handle() const { return db_; }
    bool readOnly() const override { return readOnly_; }
    // Why a connection that asked to write was opened read-only; empty otherwise.
    const std::string& readOnlyReason() const override { return readOnlyReason_; }
    const std::string& path() const { return path_; }
    const std::string& location() const override { return path_; }
    Dialect dialect() const override { return Dialect::Sqlite; }

    const TableInfo* findTable(std::string_view table) const override;
    std::vector<std::string> tableNames() const override;
    // Drops cached table layouts when another connection changed the schema.
    void checkSchema() override;
    void forgetSchema() override {
        tables_.clear();
        ++generation_;
    }
    // Changes whenever cached layouts were dropped; prepared statements compare it.
    unsigned generation() const override { return generation_; }

    // The backend seam (sqlite_backend.cpp).
    std::unique_ptr<Execution> compile(const Translation& t) override;
    bool inTransaction() const override;
    void begin(bool writes) override;
    void endTransaction(bool commit) override;

    SqliteStatement prepare(const std::string& sql) const;
    void execute(const char* sql) const;
    // Throws the DriverError that matches SQLite's result code.
    [[noreturn]] void fail(int rc) const;
    // The same for a failed commit, once what it wrote cannot come back.
    [[noreturn]] void failCommit(int rc) const;
    // Set once SQLite found the file damaged; from then on nothing is written.
    bool damaged() const override { return damaged_; }
    // Steps a statement that writes, waiting for the write lock where SQLite
    // itself would not (a connection that is already reading).
    int stepWrite(sqlite3_stmt* stmt) const;
    // One wait of a lock that someone else holds: false once the busy timeout
    // has passed since the first attempt (attempt 0).
    bool waitForLock(int attempt) const;
    // SQL_ATTR_QUERY_TIMEOUT: a lock is waited for no longer, and a statement
    // still running when it has passed is interrupted (HYT00).
    void setQueryTimeout(int seconds) override;
    // Called by SQLite after each commit with the frames in the write-ahead log.
    void afterWalCommit(int frames);

private:
    int open(const std::string& name, int flags, int busyTimeoutMs);
    void openImmutable(const OpenOptions& options);
    void becomeReadOnly(std::string why);
    [[noreturn]] void failOpen(int rc);
    void close();
    void setUp(const OpenOptions& options);
    void restartLog();
    void dropFailedCommit(int rc) const;
    [[noreturn]] void failWith(int rc, std::string message) const;
    std::string pragmaText(const char* sql) const;
    void checkIntact(const std::string& path);

    sqlite3* db_ = nullptr;
    bool readOnly_ = false;
    bool walMode_ = false;
    std::string readOnlyReason_;
    std::chrono::milliseconds busyTimeout_{5000};
    mutable std::chrono::steady_clock::time_point busySince_;
    std::chrono::seconds queryTimeout_{0};
    std::chrono::steady_clock::time_point queryDeadline_;
    std::string path_;
    SqliteStatement schemaVersion_;
    int knownVersion_ = -1;
    unsigned generation_ = 0;
    mutable bool damaged_ = false;
    mutable std::map<std::string, std::unique_ptr<TableInfo>> tables_;
};

void bindParameters(const Database& db, sqlite3_stmt* stmt, const std::vector<BoundValue>& params);

// Rows of a prepared SQLite statement. The first step runs at construction so
// that a failing query fails its execute call, not its first fetch.
class SqliteCursor final : public Cursor {
public:
    SqliteCursor(const Database& db, sqlite3_stmt* stmt);
    bool next() override;
    CellView cell(int column) const override;

private:
    const Database& db_;
    sqlite3_stmt* stmt_;
    bool pending_ = false;
    bool done_ = false;
};

// Rows built in memory: catalog results (SQLTables, SQLColumns, SQLGetTypeInfo).
class MemoryCursor final : public Cursor {
public:
    explicit MemoryCursor(std::vector<std::vector<BoundValue>> rows) : rows_(std::move(rows)) {}
    bool next() override { return ++row_ < static_cast<long>(rows_.size()); }
    CellView cell(int column) const override;

private:
    std::vector<std::vector<BoundValue>> rows_;
    long row_ = -1;
};

}  // namespace rx::access
