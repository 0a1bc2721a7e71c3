// Moving a clinic's rows between its database files and a PostgreSQL server,
// through the driver on both sides: the server gets exactly what the
// program would have saved there, in the same Access dialect.

#include <optional>

#include "platform/text/gb18030.h"
#include "tools/rxdb/client.h"
#include "tools/rxdb/rxdb.h"

namespace rx::rxdb {
namespace {

namespace fs = std::filesystem;

bool isNumber(SQLSMALLINT type) {
    return type == SQL_INTEGER || type == SQL_SMALLINT || type == SQL_TINYINT || type == SQL_BIT ||
           type == SQL_REAL || type == SQL_DOUBLE || type == SQL_NUMERIC || type == SQL_FLOAT;
}

// One INSERT per row of the result, values as the driver gave them: numbers
// bare, texts and dates quoted (no GB18030 trail byte is a quote).
size_t insertEvery(odbc::Result& rows, odbc::Connection& to, const std::string& table) {
    std::vector<std::string> names;
    for (short i = 0; i < rows.columns(); ++i)
        names.push_back(rx::text::gb18030ToUtf8(rows.column(i).name).bytes);
    const std::string prefix =
        rx::text::utf8ToGb18030("INSERT INTO [" + table + "] (" + columnList(names) + ") values (")
            .bytes;
    size_t n = 0;
    while (rows.next()) {
        std::string sql = prefix;
        for (short i = 0; i < rows.columns(); ++i) {
            std::optional<std::string> cell = rows.text(i);
            sql += i ? "," : "";
            sql += !cell ? "NULL" : isNumber(rows.column(i).sqlType) ? *cell : sqlQuoted(*cell);
        }
        try {
            to.execute(sql + ")");
        } catch (const odbc::Error& e) {
            throw Refused{table + " row " + std::to_string(n + 1) + ": " + describe(e)};
        }
        ++n;
    }
    return n;
}

// The target's table must be there and empty, so that a copy run twice
// cannot double a clinic's visits.
void requireEmpty(odbc::Connection& to, const std::string& table) {
    std::optional<std::int64_t> n;
    try {
        odbc::Result r = query(to, "select count(*) from [" + table + "]");
        if (r.next()) n = r.integer(0);
    } catch (const odbc::Error& e) {
        throw Refused{table + ": " + describe(e) + " (make the tables first: rxdb create-*)"};
    }
    if (n != 0) throw Refused{table + " already holds rows on the target"};
}

// Every table of the file's side from from into the same tables of to. The
// file decides which tables: a server may hold the prescription and the drug
// tables in one database.
std::string copyTables(odbc::Connection& from, odbc::Connection& to, bool fileIsSource) {
    const std::vector<std::string> tables = tableNames(fileIsSource ? from : to);
    odbc::Transaction t(to);
    std::string summary;
    for (const std::string& table : tables) {
        requireEmpty(to, table);
        size_t n = 0;
        try {
            odbc::Result rows = query(from, "select * from [" + table + "]");
            n = insertEvery(rows, to, table);
        } catch (const odbc::Error& e) {
            throw Refused{table + ": " + describe(e)};
        }
        summary += (summary.empty() ? "" : ", ") + table + " " + std::to_string(n);
    }
    t.commit();
    return "copied " + (summary.empty() ? std::string("no tables") : summary) + " rows";
}

Status copyRows(odbc::Connection& from, odbc::Connection& to, bool fileIsSource) {
    try {
        return {true, copyTables(from, to, fileIsSource)};
    } catch (...) {
        return failure("; nothing was copied");
    }
}

// The file itself, refused when the driver hands it to a server.
odbc::Connection fileSide(const fs::path& file, const std::string& driver, const Keys& keys,
                          const std::string& role) {
    odbc::Connection c = opened(fileText(file, driver, keys), "cannot open the " + role + ": ");
    if (onServer(c)) throw Refused{"the driver " + driver + " does not open the file itself"};
    return c;
}

odbc::Connection serverSide(const std::string& dsn, const fs::path& file, const std::string& role) {
    odbc::Connection c = opened(dsnText(dsn, file), "cannot open the " + role + ": ");
    if (!onServer(c))
        throw Refused{"the data source " + dsn + " names no server for " + file.string()};
    return c;
}

Status createOnServer(const std::string& dsn, const fs::path& file,
                      const std::vector<std::string>& schema) {
    try {
        odbc::Connection s = opened(dsnText(dsn, file), "cannot reach the server of " + dsn + ": ");
        if (!onServer(s))
            return {false, "the data source " + dsn + " keeps " + file.string() +
                               " in a local file; without --dsn rxdb makes the file itself"};
        for (const std::string& sql : schema) execute(s, sql);
    } catch (...) {
        return failure();
    }
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
    try {
        odbc::Connection from = fileSide(file, driver, {{"ReadOnly", "1"}}, "source");
        odbc::Connection to = serverSide(dsn, file, "target");
        return copyRows(from, to, true);
    } catch (...) {
        return failure();
    }
}

Status copyFromServer(const std::string& dsn, const fs::path& file, const std::string& driver) {
    try {
        odbc::Connection from = serverSide(dsn, file, "source");
        odbc::Connection to = fileSide(file, driver, {}, "target");
        return copyRows(from, to, false);
    } catch (...) {
        return failure();
    }
}

}  // namespace rx::rxdb
