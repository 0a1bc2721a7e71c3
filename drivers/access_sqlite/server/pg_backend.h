#pragma once
// A clinic's PostgreSQL server behind the backend seam, through libpq. Every
// statement goes out with its values bound ($1, $2 ...), and every wait for
// the server is bounded. A query's rows are read one by one as they come, so
// that a long result never sits whole in memory. A connection the server
// dropped is made again before the next statement. A write runs in a
// transaction of its own whose number is known before its COMMIT is sent; a
// COMMIT whose answer was lost is looked up on a new connection, so that a
// save is reported saved, or failed and absent, never left in doubt.

#include <libpq-fe.h>

#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "drivers/access_sqlite/sql/backend.h"
#include "platform/access_values/server_settings.h"

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
    // What one statement may take unless the application asks for less: the
    // server cancels it then (HYT00); one that does not answer at all is
    // given up two seconds later. A save takes milliseconds and the query
    // window over a million visits a few seconds, so 20 s only ever stops a
    // server that hangs or a network that is gone.
    int statementTimeoutS = 20;
};

class PgRows;

// What one command sent to the server came back with.
struct PgReply {
    enum class Link { Ok, Broken, Silent };  // Silent: no answer within the bound
    PgResult result;
    Link link = Link::Ok;
};

// A statement and its values.
struct PgCommand {
    std::string sql;
    std::vector<BoundValue> params;
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
    void setQueryTimeout(int seconds) override { queryTimeoutS_ = seconds; }
    bool inTransaction() const override;
    void begin(bool writes) override;
    void endTransaction(bool commit) override;

    enum class Kind { Read, Write, Schema };
    // One statement with its values; throws the DriverError its SQLSTATE maps to.
    // A follow-up is a counter's settlement: alone, it runs in the statement's
    // own transaction; in the application's, it is owed until a statement of
    // another kind or the commit, and then runs once for all rows before it.
    PgResult run(const std::string& sql, const std::vector<BoundValue>& params, Kind kind,
                 const PgCommand* follow = nullptr) const;
    // A query whose rows are read as they arrive.
    std::unique_ptr<Cursor> query(const std::string& sql,
                                  const std::vector<BoundValue>& params) const;
    // What moves a COUNTER's sequence past the values rows were given
    // explicitly; nothing for a column without a sequence.
    std::optional<PgCommand> counterSettlement(const std::string& table,
                                               const std::string& column) const;

    // For PgRows: the next row of the result being read, an empty result after the last.
    PgResult streamRow(PgRows& rows) const;
    void endStream(PgRows& rows) const;  // lets go of what is left of it

private:
    using Clock = std::chrono::steady_clock;
    struct Xact {
        std::string mark;     // its row in rx_saves; empty where the server has no such table
        std::string id;       // txid_current() of the transaction
        int pid = 0;          // the server process that ran it
        std::string started;  // and when that process started, which tells it from a later one
    };
    void connect() const;
    void ensureConnected() const;
    bool closedWhileIdle() const;
    bool broken() const { return !conn_ || PQstatus(conn_) != CONNECTION_OK; }
    void abandon() const;
    Clock::time_point deadline() const;
    bool waitForResult(Clock::time_point until) const;
    PgReply call(const std::string& sql, const std::vector<BoundValue>* params,
                 Clock::time_point until) const;
    bool send(const std::string& sql, const std::vector<BoundValue>* params) const;
    PgReply collect(Clock::time_point until) const;
    struct Batch {
        std::vector<PgResult> results;  // one for each command sent
        PgReply::Link link = PgReply::Link::Ok;
    };
    Batch pipeline(const std::vector<const PgCommand*>& commands, Clock::time_point until) const;
    bool readBatch(Batch& batch, Clock::time_point until) const;
    PgResult runAlone(const std::string& sql, const std::vector<BoundValue>& params, Kind kind,
                      const PgCommand* follow) const;
    PgResult runInTransaction(const std::string& sql, const std::vector<BoundValue>& params,
                              Kind kind, const PgCommand* follow) const;
    PgResult runStepwise(const std::string& sql, Clock::time_point until) const;
    std::optional<PgReply> settleOwed(Clock::time_point until) const;
    PgResult runRead(const std::string& sql, const std::vector<BoundValue>& params) const;
    Xact openTransaction(Clock::time_point until, bool writes) const;
    std::string markStatements(Xact& x) const;
    bool marked(Xact& x, const PgReply& r) const;
    void markFirstWrite(Xact& x, Clock::time_point until) const;
    void commit(const Xact& x, Clock::time_point until) const;
    std::string outcomeOf(const Xact& x) const;
    std::string askOutcome(const Xact& x, Clock::time_point until) const;
    bool haveMarks() const;
    void finishStream() const;
    [[noreturn]] void fail(const PGresult* r) const;
    [[noreturn]] void linkFailed(PgReply::Link link, const std::string& what) const;
    [[noreturn]] void transactionLostBy(PgReply::Link link) const;
    void dropCache() const;

    ServerSettings settings_;
    PgOptions options_;
    std::string noReason_;
    mutable PGconn* conn_ = nullptr;
    int queryTimeoutS_ = 0;
    // The application's transaction, begun on the server; and the result
    // being read row by row, which holds the connection until it is read.
    mutable std::optional<Xact> transaction_;
    mutable PgRows* stream_ = nullptr;
    mutable int marks_ = -1;  // whether rx_saves is there: 1, 0, or -1 not yet known
    // The server rolled back an open transaction when the connection broke;
    // every statement fails until the application ends it.
    mutable bool transactionLost_ = false;
    mutable unsigned generation_ = 0;
    mutable std::map<std::string, std::unique_ptr<TableInfo>> tables_;
    mutable std::map<std::string, std::string> sequences_;
    // Counter settlements the application's transaction owes, by their text.
    mutable std::map<std::string, PgCommand> owed_;
};

}  // namespace rx::access
