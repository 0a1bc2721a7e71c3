#include "drivers/access_sqlite/server/pg_backend.h"

#include <poll.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "drivers/access_sqlite/common/errors.h"
#include "drivers/access_sqlite/server/pg_rows.h"

namespace rx::access {
namespace {

// Type OIDs of pg_type for the values sent.
constexpr Oid kInt8 = 20, kFloat8 = 701;

std::string trimmed(const char* s) {
    std::string out = s ? s : "";
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
}

std::string quoted(std::string_view name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out.push_back('"');
        out.push_back(c);
    }
    return out + '"';
}

void ignoreNotice(void*, const char*) {}

// The server ended the session (terminated, shut down, crashed): the
// connection is as good as broken, whatever libpq says yet.
bool endedSession(const PGresult* r) {
    const char* state = r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
    return state && (std::strncmp(state, "57P", 3) == 0 || std::strncmp(state, "08", 2) == 0);
}

bool succeeded(const PGresult* r) {
    const ExecStatusType s = PQresultStatus(r);
    return r && (s == PGRES_COMMAND_OK || s == PGRES_TUPLES_OK);
}

// Access types kept as comments on the columns; a table some other tool made
// has none, and its columns are read from the server's own types.
ColumnType fromServerType(const std::string& type, bool identity) {
    if (type == "integer") return {identity ? AccessType::Counter : AccessType::Long, 0};
    if (type == "smallint") return {AccessType::Short, 0};
    if (type == "bigint") return {AccessType::Long, 0};
    if (type == "real") return {AccessType::Single, 0};
    if (type == "double precision") return {AccessType::Double, 0};
    if (type.starts_with("numeric")) return {AccessType::Currency, 0};
    if (type.starts_with("timestamp") || type == "date") return {AccessType::DateTime, 0};
    if (type == "boolean") return {AccessType::YesNo, 0};
    if (type.starts_with("character varying(")) {
        int n = std::atoi(type.c_str() + std::strlen("character varying("));
        return {AccessType::Text, n > 0 ? n : 255};
    }
    return {AccessType::LongText, 0};
}

class PgExecution final : public Execution {
public:
    PgExecution(const PgBackend& backend, const Translation& t)
        : backend_(backend),
          sql_(t.sql),
          kind_(t.isQuery         ? PgBackend::Kind::Read
                : t.changesSchema ? PgBackend::Kind::Schema
                                  : PgBackend::Kind::Write),
          counterTable_(t.counterTable),
          counterColumn_(t.counterColumn) {}

    std::unique_ptr<Cursor> open(const std::vector<BoundValue>& params) override {
        return backend_.query(sql_, params);
    }
    long long run(const std::vector<BoundValue>& params) override {
        std::optional<PgCommand> settle;
        if (!counterTable_.empty())
            settle = backend_.counterSettlement(counterTable_, counterColumn_);
        PgResult r = backend_.run(sql_, params, kind_, settle ? &*settle : nullptr);
        return std::atoll(PQcmdTuples(r.get()));
    }
    void reset() override {}

private:
    const PgBackend& backend_;
    std::string sql_;
    PgBackend::Kind kind_;
    std::string counterTable_;
    std::string counterColumn_;
};

// libpq keywords the driver sets unless the data source does. verify-full:
// visits cross a clinic's network only to a server whose certificate the
// configured root vouches for (libpq uses no TLS on a Unix socket). The
// keepalives find a dead link in about a minute of silence, the user timeout
// one that swallows what is sent in 20 s.
constexpr std::pair<const char*, const char*> kDefaults[] = {
    {"sslmode", "verify-full"},    {"keepalives", "1"},       {"keepalives_idle", "30"},
    {"keepalives_interval", "10"}, {"keepalives_count", "3"}, {"tcp_user_timeout", "20000"}};

}  // namespace

PgBackend::PgBackend(ServerSettings settings, const PgOptions& options)
    : settings_(std::move(settings)), options_(options) {
    if (settings_.statementTimeoutS > 0) options_.statementTimeoutS = settings_.statementTimeoutS;
    connect();
}

PgBackend::~PgBackend() {
    PQfinish(conn_);
}

void PgBackend::connect() const {
    PQfinish(conn_);
    conn_ = nullptr;
    std::vector<const char*> keys, values;
    auto given = [&](std::string_view key) {
        for (const auto& kv : settings_.keywords)
            if (kv.first == key) return true;
        return false;
    };
    for (const auto& [k, v] : settings_.keywords) {
        keys.push_back(k.c_str());
        values.push_back(v.c_str());
    }
    // Dates come back as the file stores them; a lock held by another
    // workstation for longer than a save may wait fails as a timeout, and so
    // does a statement that runs past its bound.
    std::string serverOptions =
        "-c DateStyle=ISO -c lock_timeout=" + std::to_string(options_.lockTimeoutMs) +
        " -c statement_timeout=" + std::to_string(options_.statementTimeoutS * 1000);
    if (options_.readOnly) serverOptions += " -c default_transaction_read_only=on";
    const std::string timeout = std::to_string(options_.connectTimeoutS);
    std::vector<std::pair<const char*, const char*>> ours = {{"client_encoding", "UTF8"},
                                                             {"application_name", "rx_workstation"},
                                                             {"options", serverOptions.c_str()},
                                                             {"connect_timeout", timeout.c_str()}};
    ours.insert(ours.end(), std::begin(kDefaults), std::end(kDefaults));
    for (const auto& [k, v] : ours) {
        if (given(k)) continue;
        keys.push_back(k);
        values.push_back(v);
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    PGconn* c = PQconnectdbParams(keys.data(), values.data(), 0);
    if (!c || PQstatus(c) != CONNECTION_OK) {
        std::string why = c ? trimmed(PQerrorMessage(c)) : "out of memory";
        PQfinish(c);
        raise(ErrorKind::ConnectFailed,
              "The server (" + settings_.location + ") cannot be reached: " + why);
    }
    PQsetNoticeProcessor(c, &ignoreNotice, nullptr);
    conn_ = c;
}

bool PgBackend::alive() const {
    return !broken() && !transactionLost_;
}

// A server that restarted, or dropped an idle connection, has closed the
// socket; reading what is there without waiting finds that out before a
// statement is sent into a dead connection.
bool PgBackend::closedWhileIdle() const {
    if (PQtransactionStatus(conn_) != PQTRANS_IDLE) return false;
    for (int i = 0; i < 2; ++i) {
        pollfd p{PQsocket(conn_), POLLIN, 0};
        if (::poll(&p, 1, 0) <= 0) return false;
        if (!PQconsumeInput(conn_) || PQstatus(conn_) != CONNECTION_OK) return true;
        while (PGnotify* n = PQnotifies(conn_)) PQfreemem(n);
    }
    return false;
}

void PgBackend::ensureConnected() const {
    if (transactionLost_)
        raise(ErrorKind::LinkFailure,
              "The connection to the server broke during a transaction, which the server rolled "
              "back; end the transaction before going on");
    if (!broken() && !closedWhileIdle()) return;
    connect();
}

// A server that stopped answering is left behind; the next statement connects again.
void PgBackend::abandon() const {
    PQfinish(conn_);
    conn_ = nullptr;
}

PgBackend::Clock::time_point PgBackend::deadline() const {
    if (queryTimeoutS_ > 0) return Clock::now() + std::chrono::seconds(queryTimeoutS_);
    // The server's own statement_timeout fires first and keeps the connection.
    return Clock::now() + std::chrono::seconds(options_.statementTimeoutS + 2);
}

// False once the deadline passed with the answer still missing.
bool PgBackend::waitForResult(Clock::time_point until) const {
    while (PQisBusy(conn_)) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 0) return false;
        pollfd p{PQsocket(conn_), POLLIN, 0};
        const int n = ::poll(&p, 1, static_cast<int>(std::min<long long>(left, 1000)));
        if (n < 0 && errno != EINTR) return true;  // PQgetResult tells what went wrong
        if (n > 0 && !PQconsumeInput(conn_)) return true;
    }
    return true;
}

bool PgBackend::send(const std::string& sql, const std::vector<BoundValue>* params) const {
    if (!params) return PQsendQuery(conn_, sql.c_str());
    std::vector<std::string> texts(params->size());
    std::vector<const char*> values(params->size());
    std::vector<Oid> types(params->size(), 0);
    for (size_t i = 0; i < params->size(); ++i) {
        const BoundValue& v = (*params)[i];
        switch (v.kind) {
            case BoundValue::Kind::Null:
                values[i] = nullptr;
                continue;
            case BoundValue::Kind::Integer:
                texts[i] = std::to_string(v.integer);
                types[i] = kInt8;
                break;
            case BoundValue::Kind::Real: {
                char buf[40];
                std::snprintf(buf, sizeof buf, "%.17g", v.real);
                texts[i] = buf;
                types[i] = kFloat8;
                break;
            }
            case BoundValue::Kind::Text:
                // Left untyped, so that the server reads a date text for a
                // timestamp column and plain text everywhere else.
                texts[i] = v.text;
                break;
        }
        values[i] = texts[i].c_str();
    }
    return PQsendQueryParams(conn_, sql.c_str(), static_cast<int>(params->size()), types.data(),
                             values.data(), nullptr, nullptr, 0);
}

// Every result of what was sent; the last counts unless an earlier one failed.
PgReply PgBackend::collect(Clock::time_point until) const {
    PgReply out;
    for (;;) {
        if (!waitForResult(until)) {
            abandon();
            return {PgResult(), PgReply::Link::Silent};
        }
        PgResult r(PQgetResult(conn_));
        if (!r.get()) break;
        if (!out.result.get() || succeeded(out.result.get())) out.result = std::move(r);
    }
    if (broken() || endedSession(out.result.get())) out.link = PgReply::Link::Broken;
    return out;
}

PgReply PgBackend::call(const std::string& sql, const std::vector<BoundValue>* params,
                        Clock::time_point until) const {
    if (!conn_) return {PgResult(), PgReply::Link::Broken};
    if (!send(sql, params))
        return {PgResult(), broken() ? PgReply::Link::Broken : PgReply::Link::Ok};
    return collect(until);
}

void PgBackend::linkFailed(PgReply::Link link, const std::string& what) const {
    if (link == PgReply::Link::Silent)
        raise(ErrorKind::Busy, "The server did not answer in time " + what);
    raise(ErrorKind::LinkFailure, "The connection to the server broke " + what);
}

void PgBackend::transactionLostBy(PgReply::Link link) const {
    transactionLost_ = true;
    transaction_.reset();
    owed_.clear();
    linkFailed(link, "during a transaction; the server rolled it back and nothing of it was saved");
}

PgResult PgBackend::run(const std::string& sql, const std::vector<BoundValue>& params, Kind kind,
                        const PgCommand* follow) const {
    finishStream();
    ensureConnected();
    if (transaction_) return runInTransaction(sql, params, kind, follow);
    if (kind == Kind::Read && !follow) return runRead(sql, params);
    return runAlone(sql, params, kind, follow);
}

PgResult PgBackend::runRead(const std::string& sql, const std::vector<BoundValue>& params) const {
    const auto until = deadline();
    PgReply r = call(sql, &params, until);
    if (r.link == PgReply::Link::Broken) {  // a query changes nothing and may run again
        connect();
        r = call(sql, &params, until);
    }
    if (r.link != PgReply::Link::Ok) linkFailed(r.link, "during the query");
    if (!succeeded(r.result.get())) fail(r.result.get());
    return std::move(r.result);
}

// A change the application did not put in a transaction gets one of its own,
// whose number is known before the COMMIT goes out: a link that breaks before
// the COMMIT leaves nothing saved, and one that breaks during it is settled
// by asking the server what became of that number.
PgResult PgBackend::runAlone(const std::string& sql, const std::vector<BoundValue>& params,
                             Kind kind, const PgCommand* follow) const {
    const auto until = deadline();
    const Xact x = openTransaction(until, true);
    PgReply r = call(sql, kind == Kind::Schema && params.empty() ? nullptr : &params, until);
    PgReply after;
    const bool then = follow && r.link == PgReply::Link::Ok && succeeded(r.result.get());
    if (then) after = call(follow->sql, &follow->params, until);
    const PgReply& last = then ? after : r;
    if (last.link != PgReply::Link::Ok)
        linkFailed(last.link, "before the change was committed; nothing of it was saved");
    if (!succeeded(last.result.get())) {
        call("ROLLBACK", nullptr, until);
        fail(last.result.get());
    }
    commit(x, until);
    return std::move(r.result);
}

std::unique_ptr<Cursor> PgBackend::query(const std::string& sql,
                                         const std::vector<BoundValue>& params) const {
    finishStream();
    ensureConnected();
    if (transaction_) return std::make_unique<PgRows>(run(sql, params, Kind::Read));
    const auto until = deadline();
    for (int attempt = 0;; ++attempt) {
        if (!send(sql, &params) || !PQsetSingleRowMode(conn_)) {
            if (broken() && attempt == 0) {
                connect();
                continue;
            }
            if (broken()) linkFailed(PgReply::Link::Broken, "during the query");
            fail(nullptr);
        }
        if (!waitForResult(until)) {
            abandon();
            linkFailed(PgReply::Link::Silent, "during the query");
        }
        PgResult first(PQgetResult(conn_));
        const ExecStatusType status = first.get() ? PQresultStatus(first.get()) : PGRES_FATAL_ERROR;
        if (status == PGRES_SINGLE_TUPLE) {
            auto rows = std::make_unique<PgRows>(*this, std::move(first));
            stream_ = rows.get();
            return rows;
        }
        PgReply rest = collect(until);  // the end of an empty result, or what follows a failure
        if (status == PGRES_TUPLES_OK && rest.link == PgReply::Link::Ok)
            return std::make_unique<PgRows>(std::move(first));
        if ((broken() || endedSession(first.get())) && attempt == 0) {  // a query may run again
            connect();
            continue;
        }
        if (rest.link != PgReply::Link::Ok || broken()) linkFailed(rest.link, "during the query");
        fail(first.get());
    }
}

PgResult PgBackend::streamRow(PgRows& rows) const {
    if (!waitForResult(deadline())) {
        stream_ = nullptr;
        rows.ended();
        abandon();
        linkFailed(PgReply::Link::Silent, "during the query");
    }
    PgResult r(PQgetResult(conn_));
    if (r.get() && PQresultStatus(r.get()) == PGRES_SINGLE_TUPLE) return r;
    stream_ = nullptr;
    rows.ended();
    if (!r.get()) return r;
    const PgReply rest = collect(deadline());
    if (PQresultStatus(r.get()) == PGRES_TUPLES_OK) return {};
    if (broken()) linkFailed(PgReply::Link::Broken, "during the query");
    fail(r.get());
}

void PgBackend::endStream(PgRows& rows) const {
    if (stream_ != &rows) return;
    stream_ = nullptr;
    rows.ended();
    const auto until = deadline();
    while (conn_) {
        if (!waitForResult(until)) return abandon();
        PgResult r(PQgetResult(conn_));
        if (!r.get()) return;
    }
}

// Another statement needs the connection: the rows of a result still being
// read are taken into memory first.
void PgBackend::finishStream() const {
    if (stream_) stream_->bufferRest();
}

void PgBackend::fail(const PGresult* r) const {
    const char* field = r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
    const std::string state = field ? field : "";
    const char* primary = r ? PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    const std::string message = primary ? primary : trimmed(PQerrorMessage(conn_));
    const std::string cls = state.substr(0, 2);
    if (state == "42P01" || state == "42703") dropCache();  // someone changed the schema
    if (state == "42P01") raise(ErrorKind::UnknownTable, "The table does not exist: " + message);
    if (state == "42703") raise(ErrorKind::UnknownColumn, "Unknown column: " + message);
    if (state == "42P07") raise(ErrorKind::TableExists, "The table already exists: " + message);
    if (state == "55P03" || state == "57014" || state == "40P01" || state == "40001")
        raise(ErrorKind::Busy, "Another user held a lock on the server too long: " + message);
    if (state == "22003") raise(ErrorKind::NumericRange, message);
    if (state == "22001") raise(ErrorKind::StringTooLong, message);
    if (cls == "22" || state == "42804" || state == "42883")
        raise(ErrorKind::Conversion, "Data type mismatch: " + message);
    if (cls == "23") raise(ErrorKind::Constraint, "Constraint violated: " + message);
    if (state == "25006" || state == "42501")
        raise(ErrorKind::ReadOnly, "Cannot update. Database or object is read-only: " + message);
    if (cls == "42" || cls == "54") raise(ErrorKind::Syntax, "Syntax error: " + message);
    if (cls == "08" || cls == "57") raise(ErrorKind::LinkFailure, message);
    if (state == "53100") raise(ErrorKind::Storage, "The server's disk is full: " + message);
    raise(ErrorKind::Storage, message.empty() ? "The server refused the statement" : message);
}

void PgBackend::forgetSchema() {
    dropCache();
}

void PgBackend::dropCache() const {
    tables_.clear();
    sequences_.clear();
    ++generation_;
}

const TableInfo* PgBackend::findTable(std::string_view table) const {
    std::string key;
    for (char c : table) key += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    if (auto it = tables_.find(key); it != tables_.end()) return it->second.get();
    PgResult r =
        run("SELECT c.relname, a.attname, format_type(a.atttypid, a.atttypmod), a.attnotnull, "
            "coalesce(col_description(c.oid, a.attnum), ''), a.attidentity <> '', "
            "coalesce(a.attnum = ANY(i.indkey), false) "
            "FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
            "JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped "
            "LEFT JOIN pg_index i ON i.indrelid = c.oid AND i.indisprimary "
            "WHERE n.nspname = current_schema() AND c.relkind IN ('r', 'p', 'v') "
            "AND lower(c.relname::text COLLATE \"C\") = lower($1::text COLLATE \"C\") "
            "ORDER BY c.relname COLLATE \"C\", a.attnum",
            {BoundValue::ofText(std::string(table))}, Kind::Read);
    const int rows = PQntuples(r.get());
    if (rows == 0) return nullptr;
    auto info = std::make_unique<TableInfo>();
    info->name = PQgetvalue(r.get(), 0, 0);
    for (int i = 0; i < rows && info->name == PQgetvalue(r.get(), i, 0); ++i) {
        ColumnInfo c;
        c.name = PQgetvalue(r.get(), i, 1);
        c.notNull = PQgetvalue(r.get(), i, 3)[0] == 't';
        c.primaryKey = PQgetvalue(r.get(), i, 6)[0] == 't';
        const std::string comment = PQgetvalue(r.get(), i, 4);
        const auto declared =
            comment.empty() ? std::nullopt : typeFromDeclared(comment, c.primaryKey);
        c.type = declared ? *declared
                          : fromServerType(PQgetvalue(r.get(), i, 2),
                                           PQgetvalue(r.get(), i, 5)[0] == 't');
        info->columns.push_back(std::move(c));
    }
    return (tables_[key] = std::move(info)).get();
}

std::vector<std::string> PgBackend::tableNames() const {
    PgResult r =
        run("SELECT c.relname FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
            "WHERE n.nspname = current_schema() AND c.relkind IN ('r', 'p') "
            "AND c.relname <> 'rx_saves' ORDER BY c.relname COLLATE \"C\"",
            {}, Kind::Read);
    std::vector<std::string> names;
    for (int i = 0; i < PQntuples(r.get()); ++i) names.emplace_back(PQgetvalue(r.get(), i, 0));
    return names;
}

// A copied row keeps its number, which the server's sequence knows nothing of;
// without this the next save would be given a number already taken. The
// sequence only ever moves forward, so a workstation that drew a number in
// the meantime keeps it.
std::optional<PgCommand> PgBackend::counterSettlement(const std::string& table,
                                                      const std::string& column) const {
    const std::string key = table + '\n' + column;
    auto it = sequences_.find(key);
    if (it == sequences_.end()) {
        PgResult r =
            run("SELECT coalesce(pg_get_serial_sequence($1, $2), '')",
                {BoundValue::ofText(quoted(table)), BoundValue::ofText(column)}, Kind::Read);
        it = sequences_.emplace(key, PQntuples(r.get()) ? PQgetvalue(r.get(), 0, 0) : "").first;
    }
    if (it->second.empty()) return std::nullopt;
    return PgCommand{"SELECT setval($1::regclass, greatest((SELECT max(" + quoted(column) +
                         ") FROM " + quoted(table) + "), (SELECT last_value FROM " + it->second +
                         ")))",
                     {BoundValue::ofText(it->second)}};
}

std::unique_ptr<Execution> PgBackend::compile(const Translation& t) {
    return std::make_unique<PgExecution>(*this, t);
}

bool PgBackend::inTransaction() const {
    return transactionLost_ || transaction_.has_value();
}

void PgBackend::begin(bool writes) {
    owed_.clear();
    finishStream();
    ensureConnected();
    transaction_ = openTransaction(deadline(), writes);
}

void PgBackend::endTransaction(bool commit) {
    if (transactionLost_) {
        transactionLost_ = false;
        if (commit)
            raise(ErrorKind::LinkFailure,
                  "The connection to the server broke during the transaction; the server rolled "
                  "it back and nothing of it was saved");
        return;
    }
    if (!transaction_) return;
    const Xact x = *transaction_;
    transaction_.reset();
    finishStream();
    const auto until = deadline();
    if (!commit || broken()) {
        owed_.clear();
        call("ROLLBACK", nullptr, until);  // a broken connection's transaction is rolled back
        if (commit)
            raise(ErrorKind::LinkFailure,
                  "The connection to the server broke during the transaction; nothing of it "
                  "was saved");
        return;
    }
    if (PQtransactionStatus(conn_) == PQTRANS_INERROR) {
        call("ROLLBACK", nullptr, until);
        raise(ErrorKind::General, "The transaction had failed and was rolled back");
    }
    if (std::optional<PgReply> settled = settleOwed(until)) {
        if (settled->link != PgReply::Link::Ok)
            linkFailed(settled->link, "before the commit; nothing of the transaction was saved");
        call("ROLLBACK", nullptr, until);
        fail(settled->result.get());
    }
    this->commit(x, until);
}

}  // namespace rx::access
