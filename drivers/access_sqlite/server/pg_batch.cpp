// Statements inside an application's transaction. A failed statement aborts
// a server's transaction as a whole, while the file keeps what came before
// it; a savepoint around each statement keeps that here too. The savepoint,
// the statement and the release go out together in libpq's pipeline mode and
// are answered together: one round trip per statement, which is what makes a
// long import onto a server about as quick as into the file.

#include <cstring>

#include "drivers/access_sqlite/common/errors.h"
#include "drivers/access_sqlite/server/pg_backend.h"

namespace rx::access {
namespace {

bool succeeded(const PGresult* r) {
    const ExecStatusType s = PQresultStatus(r);
    return r && (s == PGRES_COMMAND_OK || s == PGRES_TUPLES_OK);
}

// The server ended the session: the connection is as good as broken.
bool endedSession(const PGresult* r) {
    const char* state = r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
    return state && (std::strncmp(state, "57P", 3) == 0 || std::strncmp(state, "08", 2) == 0);
}

const PgCommand kSavepoint{"SAVEPOINT rx_statement", {}};
const PgCommand kRelease{"RELEASE SAVEPOINT rx_statement", {}};

}  // namespace

// Every command is sent, then one sync; the server skips what follows a
// failure up to the sync, and those commands come back as aborted.
PgBackend::Batch PgBackend::pipeline(const std::vector<const PgCommand*>& commands,
                                     Clock::time_point until) const {
    Batch batch;
    batch.results.resize(commands.size());
    bool sent = conn_ && PQenterPipelineMode(conn_);
    for (const PgCommand* c : commands) sent = sent && send(c->sql, &c->params);
    sent = sent && PQpipelineSync(conn_);
    // Half a batch on the wire cannot be taken back: the connection goes.
    if (!sent || !readBatch(batch, until)) {
        if (batch.link == PgReply::Link::Ok) batch.link = PgReply::Link::Broken;
        if (conn_) abandon();
        return batch;
    }
    if (!PQexitPipelineMode(conn_)) {
        abandon();
        batch.link = PgReply::Link::Broken;
    }
    return batch;
}

// False when the link failed on the way; batch.link says how.
bool PgBackend::readBatch(Batch& batch, Clock::time_point until) const {
    for (PgResult& result : batch.results) {
        for (;;) {
            if (!waitForResult(until)) return batch.link = PgReply::Link::Silent, false;
            PgResult r(PQgetResult(conn_));
            if (!r.get()) break;
            if (!result.get() || succeeded(result.get())) result = std::move(r);
        }
        if (broken() || endedSession(result.get())) return false;
    }
    if (!waitForResult(until)) return batch.link = PgReply::Link::Silent, false;
    PgResult sync(PQgetResult(conn_));
    return sync.get() && PQresultStatus(sync.get()) == PGRES_PIPELINE_SYNC;
}

PgResult PgBackend::runInTransaction(const std::string& sql, const std::vector<BoundValue>& params,
                                     Kind kind, const PgCommand* follow) const {
    const auto until = deadline();
    if (kind != Kind::Read) markFirstWrite(*transaction_, until);
    // A schema change may be several statements in one text, which only the
    // simple protocol takes; it is rare enough to go step by step.
    if (kind == Kind::Schema && params.empty()) return runStepwise(sql, until);
    // Rows numbered one after another by the application settle their
    // counter once, before anything else could draw from it.
    std::vector<const PgCommand*> batch = {&kSavepoint};
    for (const auto& [text, c] : owed_)
        if (!follow || text != follow->sql) batch.push_back(&c);
    const PgCommand statement{sql, params};
    batch.push_back(&statement);
    batch.push_back(&kRelease);
    Batch done = pipeline(batch, until);
    if (done.link != PgReply::Link::Ok) transactionLostBy(done.link);
    if (!succeeded(done.results[0].get())) fail(done.results[0].get());
    for (size_t i = 1; i < done.results.size(); ++i) {
        if (succeeded(done.results[i].get())) continue;
        PgReply back = call("ROLLBACK TO SAVEPOINT rx_statement", nullptr, until);
        if (back.link != PgReply::Link::Ok) transactionLostBy(back.link);
        fail(done.results[i].get());
    }
    std::erase_if(owed_, [&](const auto& o) { return !follow || o.first != follow->sql; });
    if (follow) owed_.try_emplace(follow->sql, *follow);
    return std::move(done.results[batch.size() - 2]);
}

PgResult PgBackend::runStepwise(const std::string& sql, Clock::time_point until) const {
    if (std::optional<PgReply> settled = settleOwed(until)) {
        if (settled->link != PgReply::Link::Ok) transactionLostBy(settled->link);
        fail(settled->result.get());
    }
    PgReply mark = call("SAVEPOINT rx_statement", nullptr, until);
    if (mark.link != PgReply::Link::Ok) transactionLostBy(mark.link);
    if (!succeeded(mark.result.get())) fail(mark.result.get());
    PgReply r = call(sql, nullptr, until);
    if (r.link != PgReply::Link::Ok) transactionLostBy(r.link);
    const bool ok = succeeded(r.result.get());
    PgReply end = call(ok ? "RELEASE SAVEPOINT rx_statement" : "ROLLBACK TO SAVEPOINT rx_statement",
                       nullptr, until);
    if (end.link != PgReply::Link::Ok) transactionLostBy(end.link);
    if (!ok) fail(r.result.get());
    return std::move(r.result);
}

// Runs what the transaction owes; the first reply that failed, if one did.
std::optional<PgReply> PgBackend::settleOwed(Clock::time_point until) const {
    std::map<std::string, PgCommand> owed;
    owed.swap(owed_);
    for (const auto& [text, c] : owed) {
        PgReply r = call(c.sql, &c.params, until);
        if (r.link != PgReply::Link::Ok || !succeeded(r.result.get())) return r;
    }
    return std::nullopt;
}

}  // namespace rx::access
