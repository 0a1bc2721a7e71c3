// Moving a clinic's rows between its database files and a PostgreSQL server,
// through the driver on both sides: the server gets exactly what the
// program would have saved there, in the same Access dialect.

#include <sql.h>
#include <sqlext.h>

#include <optional>

#include "platform/odbc/odbc.h"
#include "platform/text/gb18030.h"
#include "tools/rxdb/rxdb.h"

namespace rx::rxdb {
namespace {

namespace fs = std::filesystem;

using Cell = std::optional<std::string>;  // GB18030 as the driver gives it; nullopt for NULL

std::string utf8(const std::string& gb) {
    return rx::text::gb18030ToUtf8(gb).bytes;
}

std::string describe(const odbc::Error& e) {
    return e.sqlState + " " + utf8(e.message);
}

struct Column {
    std::string name;
    bool number = false;  // written without quotes
};

struct Table {
    std::vector<Column> columns;
    std::vector<std::vector<Cell>> rows;
};

// One connection; every failure becomes error() and stops what follows.
class Link {
public:
    explicit Link(const std::string& utf8Text) {
        odbc::Error failure;
        env_ = odbc::newEnvironment(&failure);
        if (env_)
            dbc_ =
                odbc::driverConnect(env_, rx::text::utf8ToGb18030(utf8Text).bytes, false, &failure);
        if (!dbc_) error_ = describe(failure);
    }
    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }

    bool onServer() {
        char name[64] = {};
        SQLSMALLINT len = 0;
        return ok() &&
               SQL_SUCCEEDED(SQLGetInfo(dbc_.get(), SQL_SERVER_NAME, name, sizeof name, &len)) &&
               std::string(name) == "PostgreSQL";
    }

    std::vector<std::string> tables() {
        std::vector<std::string> names;
        odbc::Handle stmt = statement();
        if (!stmt) return names;
        static SQLCHAR type[] = "TABLE";
        if (!check(SQLTables(stmt.get(), nullptr, 0, nullptr, 0, nullptr, 0, type, SQL_NTS), stmt))
            return names;
        while (SQL_SUCCEEDED(SQLFetch(stmt.get())))
            if (Cell name = cell(stmt, 3)) names.push_back(*name);
        return names;
    }

    std::optional<Table> read(const std::string& gbSql) {
        odbc::Handle stmt = statement();
        std::string sql = gbSql;
        if (!stmt || !check(SQLExecDirect(stmt.get(), reinterpret_cast<SQLCHAR*>(sql.data()),
                                          static_cast<SQLINTEGER>(sql.size())),
                            stmt))
            return std::nullopt;
        Table t;
        SQLSMALLINT n = 0;
        SQLNumResultCols(stmt.get(), &n);
        for (SQLUSMALLINT i = 1; i <= n; ++i) {
            SQLCHAR name[512] = {};
            SQLSMALLINT len = 0, type = 0, digits = 0, nullable = 0;
            SQLULEN size = 0;
            SQLDescribeCol(stmt.get(), i, name, sizeof name, &len, &type, &size, &digits,
                           &nullable);
            const bool number = type == SQL_INTEGER || type == SQL_SMALLINT ||
                                type == SQL_TINYINT || type == SQL_BIT || type == SQL_REAL ||
                                type == SQL_DOUBLE || type == SQL_NUMERIC || type == SQL_FLOAT;
            t.columns.push_back({reinterpret_cast<const char*>(name), number});
        }
        SQLRETURN rc;
        while (SQL_SUCCEEDED(rc = SQLFetch(stmt.get()))) {
            std::vector<Cell>& row = t.rows.emplace_back();
            for (SQLUSMALLINT i = 1; i <= n; ++i) row.push_back(cell(stmt, i));
        }
        if (rc != SQL_NO_DATA) {
            check(rc, stmt);
            return std::nullopt;
        }
        return t;
    }

    bool execute(const std::string& gbSql) {
        odbc::Handle stmt = statement();
        std::string sql = gbSql;
        return stmt && check(SQLExecDirect(stmt.get(), reinterpret_cast<SQLCHAR*>(sql.data()),
                                           static_cast<SQLINTEGER>(sql.size())),
                             stmt);
    }

    bool begin() {
        return check(SQLSetConnectAttr(dbc_.get(), SQL_ATTR_AUTOCOMMIT,
                                       reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0),
                     dbc_);
    }
    bool end(bool commit) {
        return check(SQLEndTran(SQL_HANDLE_DBC, dbc_.get(), commit ? SQL_COMMIT : SQL_ROLLBACK),
                     dbc_);
    }

private:
    odbc::Handle statement() {
        odbc::Error failure;
        odbc::Handle stmt = odbc::allocate(SQL_HANDLE_STMT, dbc_.get(), &failure);
        if (!stmt) error_ = describe(failure);
        return stmt;
    }
    bool check(SQLRETURN rc, const odbc::Handle& h) {
        if (auto failure = odbc::check(rc, h)) {
            error_ = describe(*failure);
            return false;
        }
        return true;
    }
    // A value of any length, read in pieces.
    Cell cell(const odbc::Handle& stmt, SQLUSMALLINT column) {
        std::string out;
        char buf[4096];
        SQLLEN ind = 0;
        SQLRETURN rc;
        while (
            SQL_SUCCEEDED(rc = SQLGetData(stmt.get(), column, SQL_C_CHAR, buf, sizeof buf, &ind))) {
            if (ind == SQL_NULL_DATA) return std::nullopt;
            const size_t got = ind == SQL_NO_TOTAL || ind >= static_cast<SQLLEN>(sizeof buf)
                                   ? sizeof buf - 1
                                   : static_cast<size_t>(ind);
            out.append(buf, got);
            if (rc == SQL_SUCCESS) break;
        }
        return out;
    }

    odbc::Handle env_;
    odbc::Handle dbc_;
    std::string error_;
};

std::string dsnText(const std::string& dsn, const fs::path& file) {
    return "DSN=" + dsn + ";DBQ=" + file.string() + ";";
}

std::string fileText(const fs::path& file, const std::string& driver) {
    return "DRIVER={" + driver + "};DBQ=" + file.string() + ";";
}

std::string insertFor(const std::string& table, const Table& t, const std::vector<Cell>& row) {
    std::string sql = "INSERT INTO [" + table + "] (";
    for (size_t i = 0; i < t.columns.size(); ++i) sql += (i ? ",[" : "[") + t.columns[i].name + "]";
    sql += ") values (";
    for (size_t i = 0; i < row.size(); ++i) {
        if (i) sql += ',';
        if (!row[i])
            sql += "NULL";
        else if (t.columns[i].number)
            sql += *row[i];
        else
            sql += sqlQuoted(*row[i]);  // no GB18030 trail byte is a quote
    }
    return sql + ')';
}

// Every table of the file's side from from into the same tables of to, which
// must be there and empty, so that a copy run twice cannot double a clinic's
// visits. The file decides which tables: a server may hold the prescription
// and the drug tables in one database.
Status copyRows(Link& from, Link& to, bool fileIsSource) {
    if (!from.ok()) return {false, "cannot open the source: " + from.error()};
    if (!to.ok()) return {false, "cannot open the target: " + to.error()};
    Link& file = fileIsSource ? from : to;
    std::vector<std::string> tables = file.tables();
    if (!file.ok()) return {false, file.error()};
    std::string summary;
    if (!to.begin()) return {false, to.error()};
    auto fail = [&](const std::string& why) {
        to.end(false);
        return Status{false, why + "; nothing was copied"};
    };
    for (const std::string& table : tables) {
        const std::string name = utf8(table);
        std::optional<Table> there = to.read("select count(*) from [" + table + "]");
        if (!there)
            return fail(name + ": " + to.error() + " (make the tables first: rxdb create-*)");
        if (there->rows.empty() || there->rows[0][0] != "0")
            return fail(name + " already holds rows on the target");
        std::optional<Table> rows = from.read("select * from [" + table + "]");
        if (!rows) return fail(name + ": " + from.error());
        for (size_t i = 0; i < rows->rows.size(); ++i)
            if (!to.execute(insertFor(table, *rows, rows->rows[i])))
                return fail(name + " row " + std::to_string(i + 1) + ": " + to.error());
        summary += (summary.empty() ? "" : ", ") + name + " " + std::to_string(rows->rows.size());
    }
    if (!to.end(true)) return {false, to.error() + "; nothing was copied"};
    return {true, "copied " + (summary.empty() ? std::string("no tables") : summary) + " rows"};
}

Status createOnServer(const std::string& dsn, const fs::path& file,
                      const std::vector<std::string>& schema) {
    Link s(dsnText(dsn, file));
    if (!s.ok()) return {false, "cannot reach the server of " + dsn + ": " + s.error()};
    if (!s.onServer())
        return {false, "the data source " + dsn + " keeps " + file.string() +
                           " in a local file; without --dsn rxdb makes the file itself"};
    for (const std::string& sql : schema)
        if (!s.execute(rx::text::utf8ToGb18030(sql).bytes)) return {false, s.error()};
    return {true, "created the tables of " + file.filename().string() + " on the server of " + dsn};
}

}  // namespace

Status createPrescriptionTables(const std::string& dsn, const fs::path& file) {
    return createOnServer(dsn, file, prescriptionSchema());
}

std::string roomsGrants(const std::string& role) {
    const std::string r = "\"" + role + "\"";  // letters, digits and _ only (main checks)
    return "DO $$ BEGIN\n"
           "  EXECUTE format('REVOKE ALL ON DATABASE %I FROM PUBLIC', current_database());\n"
           "  EXECUTE format('GRANT CONNECT ON DATABASE %I TO %I', current_database(), '" +
           role +
           "');\n"
           "END $$;\n"
           "REVOKE CREATE ON SCHEMA public FROM PUBLIC;\n"
           "GRANT USAGE ON SCHEMA public TO " +
           r + ";\nGRANT SELECT, INSERT ON \"基本资料\", \"检索\", rx_saves TO " + r + ";\n";
}

Status createDrugTables(const std::string& dsn, const fs::path& file) {
    return createOnServer(dsn, file, drugSchema());
}

Status copyToServer(const fs::path& file, const std::string& dsn, const std::string& driver) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return {false, file.string() + ": no such database file"};
    Link from(fileText(file, driver) + "ReadOnly=1;");
    Link to(dsnText(dsn, file));
    if (from.onServer()) return {false, "the driver " + driver + " does not open the file itself"};
    if (to.ok() && !to.onServer())
        return {false, "the data source " + dsn + " names no server for " + file.string()};
    return copyRows(from, to, true);
}

Status copyFromServer(const std::string& dsn, const fs::path& file, const std::string& driver) {
    Link from(dsnText(dsn, file));
    if (from.ok() && !from.onServer())
        return {false, "the data source " + dsn + " names no server for " + file.string()};
    Link to(fileText(file, driver));
    if (to.onServer()) return {false, "the driver " + driver + " does not open the file itself"};
    return copyRows(from, to, false);
}

}  // namespace rx::rxdb
