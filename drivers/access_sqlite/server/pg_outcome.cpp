// What became of a save whose COMMIT got no answer. Each change outside an
// application transaction, and each application transaction, writes a random
// mark into rx_saves in the same transaction; on a new connection the mark is
// there if and only if the transaction committed. The transaction number
// alone would not do: after a crash the server may hand a number it lost to
// another room's transaction, which then commits under it. Once the mark is
// absent and the session that sent the COMMIT is gone, the save is absent for
// good. A server set up without rx_saves falls back to the number.

#include <cstring>
#include <random>
#include <thread>

#include "drivers/access_sqlite/common/errors.h"
#include "drivers/access_sqlite/server/pg_backend.h"

namespace rx::access {
namespace {

constexpr const char* kMarksTable =
    "CREATE TABLE IF NOT EXISTS rx_saves (mark text PRIMARY KEY, "
    "saved timestamp with time zone NOT NULL DEFAULT now())";

bool succeeded(const PGresult* r) {
    const ExecStatusType s = PQresultStatus(r);
    return r && (s == PGRES_COMMAND_OK || s == PGRES_TUPLES_OK);
}

std::string randomMark() {
    static thread_local std::mt19937_64 bits{std::random_device{}()};
    char out[33];
    std::snprintf(out, sizeof out, "%016llx%016llx", static_cast<unsigned long long>(bits()),
                  static_cast<unsigned long long>(bits()));
    return out;
}

}  // namespace

// The owner's first write makes the table; a rooms' role finds it made.
bool PgBackend::haveMarks() const {
    if (marks_ >= 0) return marks_ == 1;
    const auto until = deadline();
    PgReply r = call("SELECT to_regclass('rx_saves') IS NOT NULL", nullptr, until);
    if (r.link != PgReply::Link::Ok || !succeeded(r.result.get())) return false;  // asked again
    marks_ = PQgetvalue(r.result.get(), 0, 0)[0] == 't';
    // Another room may make it at the same moment, and one of the two fails.
    for (int attempt = 0; !marks_ && attempt < 2; ++attempt)
        marks_ = succeeded(call(kMarksTable, nullptr, until).result.get());
    return marks_ == 1;
}

// The statements that mark a transaction and name its number and session.
std::string PgBackend::markStatements(Xact& x) const {
    std::string sql;
    if (marks_ == 1) {          // known before the transaction began
        x.mark = randomMark();  // hex digits only: safe between quotes
        sql = "INSERT INTO rx_saves (mark) VALUES ('" + x.mark + "'); ";
    }
    return sql +
           "SELECT txid_current(), backend_start::text FROM pg_stat_activity "
           "WHERE pid = pg_backend_pid()";
}

bool PgBackend::marked(Xact& x, const PgReply& r) const {
    if (r.link != PgReply::Link::Ok || !succeeded(r.result.get()) || PQntuples(r.result.get()) != 1)
        return false;
    x.id = PQgetvalue(r.result.get(), 0, 0);
    x.pid = PQbackendPID(conn_);
    x.started = PQgetvalue(r.result.get(), 0, 1);
    return true;
}

// A transaction that begins with a read is marked at its first write.
PgBackend::Xact PgBackend::openTransaction(Clock::time_point until, bool writes) const {
    for (int attempt = 0;; ++attempt) {
        Xact x;
        if (!broken()) haveMarks();  // asked before BEGIN, outside the transaction
        PgReply r =
            call(writes ? "BEGIN; " + markStatements(x) : std::string("BEGIN"), nullptr, until);
        if (writes ? marked(x, r) : r.link == PgReply::Link::Ok && succeeded(r.result.get()))
            return x;
        // Nothing that could be saved was sent yet: a broken link may be made again.
        if (r.link == PgReply::Link::Broken && attempt == 0) {
            connect();
            continue;
        }
        if (r.link != PgReply::Link::Ok) linkFailed(r.link, "; nothing was saved");
        call("ROLLBACK", nullptr, until);
        marks_ = -1;  // rx_saves may have gone: looked for again next time
        fail(r.result.get());
    }
}

void PgBackend::markFirstWrite(Xact& x, Clock::time_point until) const {
    if (!x.id.empty()) return;
    PgReply r = call(markStatements(x), nullptr, until);
    if (marked(x, r)) return;
    if (r.link != PgReply::Link::Ok) transactionLostBy(r.link);
    fail(r.result.get());
}

void PgBackend::commit(const Xact& x, Clock::time_point until) const {
    PgReply c = call("COMMIT", nullptr, until);
    if (c.link == PgReply::Link::Ok) {
        if (!succeeded(c.result.get())) fail(c.result.get());
        // The server answers a COMMIT of a failed transaction with ROLLBACK.
        if (std::strcmp(PQcmdStatus(c.result.get()), "ROLLBACK") == 0)
            raise(ErrorKind::General, "The transaction had failed and was rolled back");
        return;
    }
    if (x.id.empty())  // it changed nothing: there is nothing to find out
        linkFailed(c.link, "during the commit of a transaction that changed nothing");
    const std::string outcome = outcomeOf(x);
    if (outcome == "committed") return;
    if (outcome == "aborted")
        linkFailed(c.link, "during the commit; the server did not save the change");
    raise(ErrorKind::LinkFailure,
          "The connection to the server broke during the commit and the server could not be "
          "asked in time whether the change was saved");
}

// "committed", "aborted", or empty when the server cannot tell in time. A
// session that still holds the transaction is ended, which settles it.
std::string PgBackend::outcomeOf(const Xact& x) const {
    const auto limit = Clock::now() + std::chrono::seconds(options_.connectTimeoutS + 5);
    for (;;) {
        try {
            ensureConnected();
            const std::string outcome = askOutcome(x, limit);
            if (!outcome.empty()) return outcome;
        } catch (const DriverError&) {
            // the server is not back yet: asked again below
        }
        if (Clock::now() >= limit) return {};
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

std::string PgBackend::askOutcome(const Xact& x, Clock::time_point until) const {
    const std::vector<BoundValue> values = {BoundValue::ofText(x.mark.empty() ? x.id : x.mark),
                                            BoundValue::ofInteger(x.pid),
                                            BoundValue::ofText(x.started)};
    PgReply r =
        call(x.mark.empty()
                 ? "SELECT coalesce(txid_status($1::bigint), '') = 'committed', "
                   "coalesce(txid_status($1::bigint), '') = 'in progress', $2::integer, $3::text"
                 : "SELECT EXISTS (SELECT 1 FROM rx_saves WHERE mark = $1), EXISTS (SELECT 1 FROM "
                   "pg_stat_activity WHERE pid = $2::integer AND backend_start::text = $3::text)",
             &values, until);
    if (r.link != PgReply::Link::Ok || !succeeded(r.result.get())) return {};
    if (PQgetvalue(r.result.get(), 0, 0)[0] == 't') return "committed";
    if (PQgetvalue(r.result.get(), 0, 1)[0] != 't') return "aborted";
    const std::vector<BoundValue> pid = {BoundValue::ofInteger(x.pid)};
    call("SELECT pg_terminate_backend($1::integer)", &pid, until);
    return {};
}

}  // namespace rx::access
