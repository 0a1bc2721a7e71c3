#include "drivers/access_sqlite/pg_backend.h"

#include <poll.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "drivers/access_sqlite/errors.h"

namespace rx::access {
namespace {

// Type OIDs of pg_type that come back as numbers rather than text.
constexpr Oid kBool = 16, kInt8 = 20, kInt2 = 21, kInt4 = 23, kFloat4 = 700, kFloat8 = 701,
              kNumeric = 1700;

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

class PgCursor final : public Cursor {
public:
    explicit PgCursor(PgResult r) : r_(std::move(r)), rows_(PQntuples(r_.get())) {
        for (int c = 0, n = PQnfields(r_.get()); c < n; ++c) {
            const Oid t = PQftype(r_.get(), c);
            kinds_.push_back(
                t == kBool || t == kInt2 || t == kInt4 || t == kInt8 ? CellView::Kind::Integer
                : t == kFloat4 || t == kFloat8 || t == kNumeric      ? CellView::Kind::Real
                                                                     : CellView::Kind::Text);
        }
    }
    bool next() override { return ++row_ < rows_; }
    CellView cell(int column) const override {
        CellView v;
        if (PQgetisnull(r_.get(), row_, column)) return v;
        const char* text = PQgetvalue(r_.get(), row_, column);
        v.kind = kinds_[static_cast<size_t>(column)];
        if (v.kind == CellView::Kind::Integer)
            v.integer = text[0] == 't' ? 1 : text[0] == 'f' ? 0 : std::strtoll(text, nullptr, 10);
        else if (v.kind == CellView::Kind::Real)
            // A SINGLE is read back as the float it is, as the file keeps it.
            v.real = PQftype(r_.get(), column) == kFloat4
                         ? static_cast<float>(std::strtod(text, nullptr))
                         : std::strtod(text, nullptr);
        else
            v.text =
                std::string_view(text, static_cast<size_t>(PQgetlength(r_.get(), row_, column)));
        return v;
    }

private:
    PgResult r_;
    int rows_;
    int row_ = -1;
    std::vector<CellView::Kind> kinds_;
};

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
        return std::make_unique<PgCursor>(backend_.run(sql_, params, kind_));
    }
    long long run(const std::vector<BoundValue>& params) override {
        PgResult r = backend_.run(sql_, params, kind_);
        const long long changed = std::atoll(PQcmdTuples(r.get()));
        if (!counterTable_.empty()) backend_.settleCounter(counterTable_, counterColumn_);
        return changed;
    }
    void reset() override {}

private:
    const PgBackend& backend_;
    std::string sql_;
    PgBackend::Kind kind_;
    std::string counterTable_;
    std::string counterColumn_;
};

}  // namespace

PgBackend::PgBackend(ServerSettings settings, const PgOptions& options)
    : settings_(std::move(settings)), options_(options) {
    connect();
}

PgBackend::~PgBackend() {
    PQfinish(conn_);
}

void PgBackend::connect() const {
    PQfinish(conn_);
    conn_ = nullptr;
    std::vector<const char*> keys, values;
    bool timeoutGiven = false;
    for (const auto& [k, v] : settings_.keywords) {
        keys.push_back(k.c_str());
        values.push_back(v.c_str());
        timeoutGiven |= k == "connect_timeout";
    }
    // Dates come back as the file stores them; a lock held by another
    // workstation for longer than a save may wait fails as a timeout.
    std::string serverOptions =
        "-c DateStyle=ISO -c lock_timeout=" + std::to_string(options_.lockTimeoutMs);
    if (options_.readOnly) serverOptions += " -c default_transaction_read_only=on";
    const std::string timeout = std::to_string(options_.connectTimeoutS);
    const std::pair<const char*, const char*> ours[] = {{"client_encoding", "UTF8"},
                                                        {"application_name", "rx_workstation"},
                                                        {"options", serverOptions.c_str()}};
    for (const auto& [k, v] : ours) {
        keys.push_back(k);
        values.push_back(v);
    }
    if (!timeoutGiven) {
        keys.push_back("connect_timeout");
        values.push_back(timeout.c_str());
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
    return conn_ && PQstatus(conn_) == CONNECTION_OK && !transactionLost_;
}

// A server that restarted, or dropped an idle connection, has closed the
// socket; reading what is there without waiting finds that out before a
// statement is sent into a dead connection, where its fate would be unknown.
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
    if (conn_ && PQstatus(conn_) == CONNECTION_OK && !closedWhileIdle()) return;
    connect();
}

PgResult PgBackend::send(const std::string& sql, const std::vector<BoundValue>& params,
                         Kind kind) const {
    if (kind == Kind::Schema && params.empty()) return PgResult(PQexec(conn_, sql.c_str()));
    std::vector<std::string> texts(params.size());
    std::vector<const char*> values(params.size());
    std::vector<Oid> types(params.size(), 0);
    for (size_t i = 0; i < params.size(); ++i) {
        const BoundValue& v = params[i];
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
    return PgResult(PQexecParams(conn_, sql.c_str(), static_cast<int>(params.size()), types.data(),
                                 values.data(), nullptr, nullptr, 0));
}

PgResult PgBackend::plain(const char* sql) const {
    PgResult r(PQexec(conn_, sql));
    if (!succeeded(r.get())) {
        if (PQstatus(conn_) != CONNECTION_OK) lost(Kind::Write, true);
        fail(r.get());
    }
    return r;
}

PgResult PgBackend::run(const std::string& sql, const std::vector<BoundValue>& params,
                        Kind kind) const {
    ensureConnected();
    // A failed statement aborts a server's transaction as a whole; the file
    // keeps what came before it. A savepoint around each statement of an
    // explicit transaction keeps that on the server too.
    const bool inTx = PQtransactionStatus(conn_) == PQTRANS_INTRANS;
    if (inTx) plain("SAVEPOINT rx_statement");
    PgResult r = send(sql, params, kind);
    if (succeeded(r.get())) {
        if (inTx) plain("RELEASE SAVEPOINT rx_statement");
        return r;
    }
    if (PQstatus(conn_) != CONNECTION_OK) {
        // A query changes nothing and may run again on a new connection.
        if (inTx || kind != Kind::Read) lost(kind, inTx);
        connect();
        r = send(sql, params, kind);
        if (succeeded(r.get())) return r;
        if (PQstatus(conn_) != CONNECTION_OK) lost(kind, false);
    } else if (inTx) {
        plain("ROLLBACK TO SAVEPOINT rx_statement");
    }
    fail(r.get());
}

void PgBackend::lost(Kind kind, bool inTransaction) const {
    if (inTransaction) {
        transactionLost_ = true;
        raise(ErrorKind::LinkFailure,
              "The connection to the server broke; the server rolled back the open transaction "
              "and nothing of it was saved");
    }
    raise(ErrorKind::LinkFailure,
          kind == Kind::Read
              ? "The connection to the server broke during the query"
              : "The connection to the server broke while the change was sent; whether the "
                "server saved it is not known, and it is not sent a second time");
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
            "ORDER BY c.relname COLLATE \"C\"",
            {}, Kind::Read);
    std::vector<std::string> names;
    for (int i = 0; i < PQntuples(r.get()); ++i) names.emplace_back(PQgetvalue(r.get(), i, 0));
    return names;
}

// A copied row keeps its number, which the server's sequence knows nothing of;
// without this the next save would be given a number already taken. The
// sequence only ever moves forward, so a workstation that drew a number in
// the meantime keeps it.
void PgBackend::settleCounter(const std::string& table, const std::string& column) const {
    const std::string key = table + '\n' + column;
    auto it = sequences_.find(key);
    if (it == sequences_.end()) {
        PgResult r =
            run("SELECT coalesce(pg_get_serial_sequence($1, $2), '')",
                {BoundValue::ofText(quoted(table)), BoundValue::ofText(column)}, Kind::Read);
        it = sequences_.emplace(key, PQntuples(r.get()) ? PQgetvalue(r.get(), 0, 0) : "").first;
    }
    if (it->second.empty()) return;
    run("SELECT setval($1::regclass, greatest((SELECT max(" + quoted(column) + ") FROM " +
            quoted(table) + "), (SELECT last_value FROM " + it->second + ")))",
        {BoundValue::ofText(it->second)}, Kind::Write);
}

std::unique_ptr<Execution> PgBackend::compile(const Translation& t) {
    return std::make_unique<PgExecution>(*this, t);
}

bool PgBackend::inTransaction() const {
    if (transactionLost_) return true;
    if (!conn_) return false;
    const PGTransactionStatusType s = PQtransactionStatus(conn_);
    return s == PQTRANS_INTRANS || s == PQTRANS_INERROR || s == PQTRANS_ACTIVE;
}

void PgBackend::begin(bool) {
    ensureConnected();
    plain("BEGIN");
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
    if (!conn_) return;
    if (PQtransactionStatus(conn_) == PQTRANS_INERROR) {
        plain("ROLLBACK");
        if (commit) raise(ErrorKind::General, "The transaction had failed and was rolled back");
        return;
    }
    PgResult r(PQexec(conn_, commit ? "COMMIT" : "ROLLBACK"));
    if (!succeeded(r.get())) {
        if (PQstatus(conn_) != CONNECTION_OK) {
            if (!commit) return;  // the server rolls back what a broken connection left
            raise(ErrorKind::LinkFailure,
                  "The connection to the server broke during the commit; whether the "
                  "transaction was saved is not known");
        }
        fail(r.get());
    }
    // The server answers a COMMIT of a failed transaction with ROLLBACK.
    if (commit && std::strcmp(PQcmdStatus(r.get()), "ROLLBACK") == 0)
        raise(ErrorKind::General, "The transaction had failed and was rolled back");
}

}  // namespace rx::access
