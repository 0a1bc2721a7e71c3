// The server store's catalog: which tables there are, their columns with the
// Access types kept beside them, and the counters a copied row moves on.

#include <libpq-fe.h>

#include <cstdlib>
#include <cstring>

#include "drivers/access_sqlite/common/errors.h"
#include "drivers/access_sqlite/server/pg_backend.h"

namespace rx::access {
namespace {

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

}  // namespace

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
    // A table name is found as statements find text: by the dialect's fold.
    const SqlDialect& d = sqlDialect(Dialect::Postgres);
    static const std::string query =
        "SELECT c.relname, a.attname, format_type(a.atttypid, a.atttypmod), a.attnotnull, "
        "coalesce(col_description(c.oid, a.attnum), ''), a.attidentity <> '', "
        "coalesce(a.attnum = ANY(i.indkey), false) "
        "FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
        "JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped "
        "LEFT JOIN pg_index i ON i.indrelid = c.oid AND i.indisprimary "
        "WHERE n.nspname = current_schema() AND c.relkind IN ('r', 'p', 'v') AND " +
        d.fold("c.relname", true) + " = " + d.fold("$1", true) +
        " ORDER BY c.relname COLLATE \"C\", a.attnum";
    PgResult r = run(query, {BoundValue::ofText(std::string(table))}, Kind::Read);
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
        PgResult r = run("SELECT coalesce(pg_get_serial_sequence($1, $2), '')",
                         {BoundValue::ofText(SqlDialect::quote(table)), BoundValue::ofText(column)},
                         Kind::Read);
        it = sequences_.emplace(key, PQntuples(r.get()) ? PQgetvalue(r.get(), 0, 0) : "").first;
    }
    if (it->second.empty()) return std::nullopt;
    return PgCommand{"SELECT setval($1::regclass, greatest((SELECT max(" +
                         SqlDialect::quote(column) + ") FROM " + SqlDialect::quote(table) +
                         "), (SELECT last_value FROM " + it->second + ")))",
                     {BoundValue::ofText(it->second)}};
}

}  // namespace rx::access
