#pragma once
// A clinic's PostgreSQL server behind the backend seam, through libpq. Every
// statement goes out with its values bound ($1, $2 ...) and its result is
// read whole, so that the connection is free again at once and nothing on the
// server outlives a broken connection. A connection the server dropped is
// made again before the next statement; a write whose outcome a broken
// connection left unknown is reported, never sent a second time.

#include <libpq-fe.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "drivers/access_sqlite/backend.h"
#include "drivers/access_sqlite/server_settings.h"

namespace rx::access {

class PgResult {
public:
    PgResult() = default;
    explicit PgResult(PGresult* r) : r_(r) {}
    ~PgResult() { PQclear(r_); }
    PgResult(PgResult&& o) noexcept : r_(o.r_) { o.r_ = nullptr; }
    PgResult& operator=(PgResult&& o) noexcept {
        std::swap(r_, o.r_);
        return *this;
    }
    PGresult* get() const { return r_; }

private:
    PGresult* r_ = nullptr;
};

struct PgOptions {
    bool readOnly = false;
    int lockTimeoutMs = 5000;  // a lock held longer than this fails the statement with HYT00
    int connectTimeoutS = 5;   // how long a server that does not answer is waited for
};

class PgBackend final : public Backend {
public:
    // Connects at once; throws DriverError 08001 when the server cannot be reached.
    PgBackend(ServerSettings settings, const PgOptions& options);
    ~PgBackend() override;
    PgBackend(const PgBackend&) = delete;
    PgBackend& operator=(const PgBackend&) = delete;

    Dialect dialect() const override { return Dialect::Postgres; }
    bool readOnly() const override { return options_.readOnly; }
    const std::string& readOnlyReason() const override { return noReason_; }
    const std::string& location() const override { return settings_.location; }
    bool alive() const override;

    const TableInfo* findTable(std::string_view table) const override;
    // Another workstation's CREATE or DROP shows as a missing table or column,
    // which drops the cache (see run); nothing is asked before each statement.
    void checkSchema() override {}
    void forgetSchema() override;
    unsigned generation() const override { return generation_; }
    std::vector<std::string> tableNames() const override;

    std::unique_ptr<Execution> compile(const Translation& t) override;
    bool inTransaction() const override;
    void begin(bool writes) override;
    void endTransaction(bool commit) override;

    enum class Kind { Read, Write, Schema };
    // One statement with its values; throws the DriverError its SQLSTATE maps to.
    PgResult run(const std::string& sql, const std::vector<BoundValue>& params, Kind kind) const;
    // Moves a COUNTER's sequence past the values rows were given explicitly.
    void settleCounter(const std::string& table, const std::string& column) const;

private:
    void connect() const;
    void ensureConnected() const;
    bool closedWhileIdle() const;
    PgResult send(const std::string& sql, const std::vector<BoundValue>& params, Kind kind) const;
    PgResult plain(const char* sql) const;
    [[noreturn]] void fail(const PGresult* r) const;
    [[noreturn]] void lost(Kind kind, bool inTransaction) const;
    void dropCache() const;

    ServerSettings settings_;
    PgOptions options_;
    std::string noReason_;
    mutable PGconn* conn_ = nullptr;
    // The server rolled back an open transaction when the connection broke;
    // every statement fails until the application ends it.
    mutable bool transactionLost_ = false;
    mutable unsigned generation_ = 0;
    mutable std::map<std::string, std::unique_ptr<TableInfo>> tables_;
    mutable std::map<std::string, std::string> sequences_;
};

}  // namespace rx::access
