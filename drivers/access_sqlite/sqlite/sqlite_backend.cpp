// The local file behind the backend seam: a translated statement becomes a
// prepared SQLite statement; transactions are SQLite's own.

#include "drivers/access_sqlite/common/errors.h"
#include "drivers/access_sqlite/sqlite/storage.h"

namespace rx::access {
namespace {

class SqliteExecution final : public Execution {
public:
    SqliteExecution(const Database& db, SqliteStatement stmt) : db_(db), stmt_(std::move(stmt)) {}

    std::unique_ptr<Cursor> open(const std::vector<BoundValue>& params) override {
        try {
            bindParameters(db_, stmt_.get(), params);
            return std::make_unique<SqliteCursor>(db_, stmt_.get());
        } catch (const DriverError&) {
            sqlite3_reset(stmt_.get());
            throw;
        }
    }

    long long run(const std::vector<BoundValue>& params) override {
        try {
            bindParameters(db_, stmt_.get(), params);
            int rc = db_.stepWrite(stmt_.get());
            if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
                if (db_.inTransaction()) db_.fail(rc);
                db_.failCommit(rc);
            }
        } catch (const DriverError&) {
            sqlite3_reset(stmt_.get());
            throw;
        }
        sqlite3_reset(stmt_.get());
        return sqlite3_changes(db_.handle());
    }

    void reset() override { sqlite3_reset(stmt_.get()); }

private:
    const Database& db_;
    SqliteStatement stmt_;
};

}  // namespace

std::unique_ptr<Execution> Database::compile(const Translation& t) {
    return std::make_unique<SqliteExecution>(*this, prepare(t.sql));
}

bool Database::inTransaction() const {
    return !sqlite3_get_autocommit(db_);
}

// A deferred transaction that reads and then writes has to upgrade its lock,
// which SQLite refuses at once, without waiting, if another writer has it, or
// for good if someone committed since the read. Taking the write lock first
// waits its turn like any autocommitted save.
void Database::begin(bool writes) {
    execute(writes ? "BEGIN IMMEDIATE" : "BEGIN");
}

void Database::endTransaction(bool commit) {
    if (!commit) return execute("ROLLBACK");
    SqliteStatement s = prepare("COMMIT");
    const int rc = sqlite3_step(s.get());
    if (rc == SQLITE_DONE) return;
    if (inTransaction()) fail(rc);
    failCommit(rc);
}

}  // namespace rx::access
