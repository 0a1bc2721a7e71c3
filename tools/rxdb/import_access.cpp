// The write side of import-access: plans each table against the program's
// schema, writes it through the driver in one transaction, reads every value
// back with the type it was written as and commits only when all match.

#include "tools/rxdb/import_access.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstdio>
#include <optional>

#include "platform/odbc/odbc.h"
#include "platform/text/gb18030.h"

namespace rx::rxdb {
namespace {

namespace fs = std::filesystem;
using access::Cell;
using access::Column;
using access::Kind;
using access::Row;
using access::Table;

const std::vector<std::string> kPrescriptionTables = {"基本资料", "检索"};
const std::vector<std::string> kDrugTables = {"仓库", "西药"};

bool isPrescriptionTable(const std::string& name) {
    return name == kPrescriptionTables[0] || name == kPrescriptionTables[1];
}

// The program's columns of a prescription table after the numbering column,
// with the kind each must have ("text", "number" or "date").
std::vector<std::pair<std::string, std::string>> programColumns(const std::string& table) {
    if (table == "检索")
        return {{"姓名", "text"}, {"时间", "date"}, {"主诉", "text"}, {"首拼", "text"}};
    std::vector<std::pair<std::string, std::string>> out;
    for (const char* name :
         {"姓名", "性别", "年龄", "年龄单位", "住址", "诊断", "登记时间", "处方号", "频率", "用法",
          "用量单位", "现病史", "中药处方", "备注", "备注2", "记录"})
        out.emplace_back(name, std::string(name) == "年龄"       ? "number"
                               : std::string(name) == "登记时间" ? "date"
                                                                 : "text");
    return out;
}

bool kindFits(Kind k, const std::string& expected) {
    if (expected == "text") return k == Kind::Text || k == Kind::Memo;
    if (expected == "date") return k == Kind::DateTime;
    return k == Kind::Integer || k == Kind::Single || k == Kind::Double || k == Kind::Currency;
}

// The program reads 基本资料 and 检索 by position: same names in the same
// order after the numbering column, and nothing more.
std::string checkPrescriptionColumns(const Table& t) {
    const auto wanted = programColumns(t.name);
    if (t.columns.size() != wanted.size() + 1)
        return "has " + std::to_string(t.columns.size()) + " columns where the program keeps " +
               std::to_string(wanted.size() + 1);
    for (size_t i = 0; i < wanted.size(); ++i) {
        const Column& c = t.columns[i + 1];
        if (c.name != wanted[i].first)
            return "column " + std::to_string(i + 2) + " is " + c.name +
                   " where the program reads " + wanted[i].first;
        if (!kindFits(c.kind, wanted[i].second))
            return "column " + c.name + " is not a " + wanted[i].second + " column";
    }
    return {};
}

std::string checkDrugColumns(const Table& t) {
    for (const char* name : {"存货编码", "存货名称", "规格"}) {
        bool found = false;
        for (const Column& c : t.columns)
            if (c.name == name) {
                if (c.kind != Kind::Text && c.kind != Kind::Memo)
                    return "column " + c.name + " is not a text column";
                found = true;
            }
        if (!found) return "has no column " + std::string(name) + ", which the drug lookup reads";
    }
    return {};
}

// A table without an AutoNumber first gets one, numbered in the file's order,
// so that every imported table has the numbering column the program expects.
std::string ensureNumbered(Table& t) {
    if (!t.columns.empty() && t.columns[0].autoNumber) return {};
    for (const Column& c : t.columns)
        if (c.name == "编号") return "has a column 编号 that is not its AutoNumber";
    t.columns.insert(t.columns.begin(), Column{"编号", Kind::Integer, 0, true});
    for (size_t i = 0; i < t.rows.size(); ++i)
        t.rows[i].insert(t.rows[i].begin(), std::to_string(i + 1));
    return {};
}

std::string accessType(const Column& c, bool first) {
    if (first) return "COUNTER PRIMARY KEY";
    switch (c.kind) {
        case Kind::Integer:
            return "LONG";
        case Kind::Single:
            return "SINGLE";
        case Kind::Double:
            return "DOUBLE";
        case Kind::Currency:
            return "CURRENCY";
        case Kind::DateTime:
            return "DATETIME";
        case Kind::Boolean:
            return "YESNO";
        case Kind::Text:
            return "TEXT(" + std::to_string(c.size > 0 && c.size <= 255 ? c.size : 255) + ")";
        case Kind::Memo:
            break;
    }
    return "LONGTEXT";
}

// Drug tables keep every column of the file, extra ones included.
std::string createStatement(const Table& t) {
    std::string sql = "CREATE TABLE [" + t.name + "] (";
    for (size_t i = 0; i < t.columns.size(); ++i)
        sql += (i ? ", [" : "[") + t.columns[i].name + "] " + accessType(t.columns[i], i == 0);
    return sql + ")";
}

std::string literal(const Cell& cell, Kind kind) {
    if (!cell) return "NULL";
    if (kind == Kind::Text || kind == Kind::Memo) return sqlQuoted(*cell);
    if (kind == Kind::DateTime) return "#" + *cell + "#";
    return *cell;
}

std::string insertPrefix(const Table& t) {
    std::string sql = "INSERT INTO [" + t.name + "] (";
    for (size_t i = 0; i < t.columns.size(); ++i) sql += (i ? ",[" : "[") + t.columns[i].name + "]";
    return sql + ") values (";
}

std::string insertStatement(const std::string& prefix, const Table& t, const Row& row) {
    std::string sql = prefix;
    for (size_t i = 0; i < row.size(); ++i)
        sql += (i ? "," : "") + literal(row[i], t.columns[i].kind);
    return sql + ")";
}

// "12.5000" and "12.5" are the same amount.
std::string decimalText(std::string s) {
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    return s == "-0" ? "0" : s;
}

std::string utf8(const std::string& gb) {
    return rx::text::gb18030ToUtf8(gb).bytes;
}

std::string describe(const odbc::Error& e) {
    return e.sqlState + " " + utf8(e.message);
}

// One connection with its transaction and typed reads.
class Target {
public:
    explicit Target(const std::string& text) {
        odbc::Error failure;
        env_ = odbc::newEnvironment(&failure);
        if (env_)
            dbc_ = odbc::driverConnect(env_, rx::text::utf8ToGb18030(text).bytes, false, &failure);
        if (!dbc_) error = describe(failure);
    }
    std::string error;

    bool onServer() {
        char name[64] = {};
        SQLSMALLINT len = 0;
        return dbc_ &&
               SQL_SUCCEEDED(SQLGetInfo(dbc_.get(), SQL_SERVER_NAME, name, sizeof name, &len)) &&
               std::string(name) == "PostgreSQL";
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
    // Runs a statement; with a result, stmt keeps it for fetch().
    bool run(const std::string& utf8Sql, odbc::Handle* keep = nullptr) {
        odbc::Error failure;
        odbc::Handle stmt = odbc::allocate(SQL_HANDLE_STMT, dbc_.get(), &failure);
        if (!stmt) return error = describe(failure), false;
        std::string gb = rx::text::utf8ToGb18030(utf8Sql).bytes;
        if (!check(SQLExecDirect(stmt.get(), reinterpret_cast<SQLCHAR*>(gb.data()),
                                 static_cast<SQLINTEGER>(gb.size())),
                   stmt))
            return false;
        if (keep) *keep = std::move(stmt);
        return true;
    }
    std::vector<std::string> tables() {
        std::vector<std::string> names;
        odbc::Handle stmt = odbc::allocate(SQL_HANDLE_STMT, dbc_.get());
        static SQLCHAR type[] = "TABLE";
        if (!stmt ||
            !check(SQLTables(stmt.get(), nullptr, 0, nullptr, 0, nullptr, 0, type, SQL_NTS), stmt))
            return names;
        while (SQL_SUCCEEDED(SQLFetch(stmt.get())))
            if (Cell name = readText(stmt, 3)) names.push_back(*name);
        return names;
    }
    std::optional<long long> count(const std::string& table) {
        odbc::Handle stmt;
        if (!run("select count(*) from [" + table + "]", &stmt) ||
            !SQL_SUCCEEDED(SQLFetch(stmt.get())))
            return std::nullopt;
        SQLBIGINT n = 0;
        SQLLEN ind = 0;
        SQLGetData(stmt.get(), 1, SQL_C_SBIGINT, &n, 0, &ind);
        return n;
    }
    // The canonical text of one value as the target holds it.
    static Cell read(const odbc::Handle& stmt, SQLUSMALLINT column, Kind kind) {
        SQLLEN ind = 0;
        switch (kind) {
            case Kind::Integer:
            case Kind::Boolean: {
                SQLBIGINT v = 0;
                SQLGetData(stmt.get(), column, SQL_C_SBIGINT, &v, 0, &ind);
                if (ind == SQL_NULL_DATA) return std::nullopt;
                return kind == Kind::Boolean ? std::string(v ? "1" : "0") : std::to_string(v);
            }
            case Kind::Single:
            case Kind::Double: {
                double v = 0;
                SQLGetData(stmt.get(), column, SQL_C_DOUBLE, &v, 0, &ind);
                if (ind == SQL_NULL_DATA) return std::nullopt;
                return access::doubleText(v);
            }
            case Kind::DateTime: {
                SQL_TIMESTAMP_STRUCT ts{};
                SQLGetData(stmt.get(), column, SQL_C_TYPE_TIMESTAMP, &ts, sizeof ts, &ind);
                if (ind == SQL_NULL_DATA) return std::nullopt;
                char buf[40];
                std::snprintf(buf, sizeof buf, "%04d-%02u-%02u %02u:%02u:%02u", ts.year, ts.month,
                              ts.day, ts.hour, ts.minute, ts.second);
                return std::string(buf);
            }
            default:
                break;
        }
        Cell text = readText(stmt, column);
        if (text && kind == Kind::Currency) return decimalText(*text);
        return text;
    }

private:
    static Cell readText(const odbc::Handle& stmt, SQLUSMALLINT column) {
        std::string out;
        char buf[8192];
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
        return utf8(out);
    }
    bool check(SQLRETURN rc, const odbc::Handle& h) {
        if (auto failure = odbc::check(rc, h)) return error = describe(*failure), false;
        return true;
    }
    odbc::Handle env_;
    odbc::Handle dbc_;
};

// The name followed by spaces up to width terminal columns; Chinese
// characters take two.
std::string padded(const std::string& utf8Name, int width) {
    int used = 0;
    for (unsigned char c : utf8Name)
        if ((c & 0xC0) != 0x80) used += c >= 0xE0 ? 2 : 1;
    return utf8Name + std::string(static_cast<size_t>(std::max(width - used, 1)), ' ');
}

std::string hex(std::uint64_t v) {
    char buf[20];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(v));
    return buf;
}

// The program's tables of the file, checked and numbered; the others are left
// out. kind says which file they belong in.
std::string prepare(access::Database& db, bool& prescriptions) {
    std::vector<Table> kept;
    for (Table& t : db.tables) {
        const bool mine =
            isPrescriptionTable(t.name) || t.name == kDrugTables[0] || t.name == kDrugTables[1];
        if (!mine) continue;
        std::string e = ensureNumbered(t);
        if (e.empty())
            e = isPrescriptionTable(t.name) ? checkPrescriptionColumns(t) : checkDrugColumns(t);
        if (!e.empty()) return "table " + t.name + " " + e;
        kept.push_back(std::move(t));
    }
    db.tables = std::move(kept);
    if (db.tables.empty()) return "it holds none of the tables 基本资料, 检索, 仓库 and 西药";
    prescriptions = isPrescriptionTable(db.tables[0].name);
    for (const Table& t : db.tables)
        if (isPrescriptionTable(t.name) != prescriptions)
            return "it holds prescription and drug tables together; they belong in two files";
    return {};
}

bool exists(Target& to, const std::string& table) {
    for (const std::string& name : to.tables())
        if (name == table) return true;
    return false;
}

// Makes the table ready for the rows: created, emptied (--replace) or refused.
bool makeRoom(Target& to, const Table& t, bool replace) {
    const bool there = exists(to, t.name);
    std::optional<long long> rows = there ? to.count(t.name) : std::optional<long long>(0);
    if (!rows) return false;
    if (*rows > 0 && !replace) {
        to.error = "table " + t.name + " already holds " + std::to_string(*rows) +
                   " rows; --replace overwrites them";
        return false;
    }
    if (isPrescriptionTable(t.name)) {
        if (!there) return to.run(prescriptionSchema()[t.name == "基本资料" ? 0 : 1]);
        return *rows == 0 || to.run("DELETE FROM [" + t.name + "]");
    }
    // Drug tables take the file's columns, so the old ones go.
    return (!there || to.run("DROP TABLE [" + t.name + "]")) && to.run(createStatement(t));
}

// Every value read back as its column's kind and compared with what was written.
bool verify(Target& to, const Table& t, std::vector<Row>& back) {
    std::string sql = "select ";
    for (size_t i = 0; i < t.columns.size(); ++i) sql += (i ? ",[" : "[") + t.columns[i].name + "]";
    odbc::Handle stmt;
    if (!to.run(sql + " from [" + t.name + "] order by [" + t.columns[0].name + "]", &stmt))
        return false;
    while (SQL_SUCCEEDED(SQLFetch(stmt.get()))) {
        Row& row = back.emplace_back();
        for (size_t i = 0; i < t.columns.size(); ++i)
            row.push_back(Target::read(stmt, static_cast<SQLUSMALLINT>(i + 1), t.columns[i].kind));
    }
    for (size_t r = 0; r < std::min(back.size(), t.rows.size()); ++r)
        for (size_t c = 0; c < t.columns.size(); ++c)
            if (back[r][c] != t.rows[r][c]) {
                to.error = "table " + t.name + ", row " + std::to_string(r + 1) + ", column " +
                           t.columns[c].name + ": wrote " + t.rows[r][c].value_or("NULL") +
                           " but read back " + back[r][c].value_or("NULL");
                return false;
            }
    if (back.size() == t.rows.size()) return true;
    to.error = "table " + t.name + ": wrote " + std::to_string(t.rows.size()) +
               " rows but read back " + std::to_string(back.size());
    return false;
}

bool writeTable(Target& to, const Table& t, bool replace, std::string& report) {
    if (!makeRoom(to, t, replace)) return false;
    const std::string prefix = insertPrefix(t);
    for (size_t i = 0; i < t.rows.size(); ++i)
        if (!to.run(insertStatement(prefix, t, t.rows[i]))) {
            to.error = "table " + t.name + ", row " + std::to_string(i + 1) + ": " + to.error;
            return false;
        }
    std::vector<Row> back;
    if (!verify(to, t, back)) return false;
    report += t.name + ": " + std::to_string(t.rowsInFile) + " rows in the file, " +
              std::to_string(t.rows.size()) + " read, " + std::to_string(t.rows.size()) +
              " written, " + std::to_string(back.size()) + " read back\n";
    for (size_t c = 0; c < t.columns.size(); ++c) {
        const std::uint64_t a = columnChecksum(t.rows, c), b = columnChecksum(back, c);
        report += "  " + padded(t.columns[c].name, 12) + "file " + hex(a) + "  target " + hex(b) +
                  (a == b ? "" : "  MISMATCH") + "\n";
        if (a != b)
            return to.error = "checksums differ for " + t.name + "." + t.columns[c].name, false;
    }
    return true;
}

void removeDatabase(const fs::path& file) {
    std::error_code ec;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        fs::remove(fs::path(file.string() + suffix), ec);
}

// The connection text for the target, creating a missing file first.
Status openTarget(const ImportTarget& target, bool prescriptions, const ImportOptions& o,
                  std::string& text, bool& created) {
    if (!target.dsn.empty()) {
        text = "DSN=" + target.dsn +
               ";DBQ=" + (prescriptions ? names::kPrescriptionFile : names::kDrugFile) + ";";
        return {};
    }
    std::error_code ec;
    if (!fs::exists(target.file, ec)) {
        Status s = prescriptions ? createPrescriptionDatabase(target.file, o.driver)
                                 : createDrugDatabase(target.file, o.driver);
        if (!s) return s;
        created = true;
    }
    // A drug catalogue is kept in rollback-journal mode, as create-drugs leaves it.
    text = "DRIVER={" + o.driver + "};DBQ=" + target.file.string() + ";" +
           (prescriptions ? "" : "Exclusive=1;");
    return {};
}

// A file holds one kind of table (a server may keep both in one database).
// Looked at read-only, so that a refused file keeps its journal mode.
std::string wrongKind(const fs::path& file, bool prescriptions, const std::string& driver) {
    std::error_code ec;
    if (!fs::exists(file, ec)) return {};
    Target probe("DRIVER={" + driver + "};DBQ=" + file.string() + ";ReadOnly=1;");
    for (const std::string& other : prescriptions ? kDrugTables : kPrescriptionTables)
        if (exists(probe, other))
            return file.string() + " holds the table " + other + "; the " +
                   (prescriptions ? "prescription tables belong in the file like sj.accdb"
                                  : "drug tables belong in the file like xs.mdb");
    return {};
}

Status writeAll(Target& to, const access::Database& db, bool replace, bool server,
                const std::string& where) {
    if (!to.error.empty()) return {false, "cannot open " + where + ": " + to.error};
    if (server != to.onServer())
        return {false, server ? "the data source names no server for these tables"
                              : "the driver does not keep " + where + " in a file"};
    std::string report;
    bool ok = to.begin();
    for (size_t i = 0; ok && i < db.tables.size(); ++i)
        ok = writeTable(to, db.tables[i], replace, report);
    if (!ok) {
        const std::string why = to.error;
        to.end(false);
        return {false, why + "; nothing was imported"};
    }
    if (!to.end(true)) return {false, to.error + "; nothing was imported"};
    return {true, "imported into " + where + "\n" + report};
}

}  // namespace

Status writeTables(const access::Database& source, const ImportTarget& target,
                   const ImportOptions& options) {
    access::Database db = source;
    bool prescriptions = true;
    if (std::string e = prepare(db, prescriptions); !e.empty())
        return {false, "nothing to import: " + e};
    if (target.dsn.empty())
        if (std::string e = wrongKind(target.file, prescriptions, options.driver); !e.empty())
            return {false, e + "; nothing was imported"};
    std::string text;
    bool created = false;
    if (Status s = openTarget(target, prescriptions, options, text, created); !s) return s;
    const std::string where =
        target.dsn.empty() ? target.file.string() : "the server of " + target.dsn;
    Status s;
    {
        Target to(text);
        s = writeAll(to, db, options.replace, !target.dsn.empty(), where);
    }
    if (!s && created) removeDatabase(target.file);
    return s;
}

Status importAccess(const fs::path& accessFile, const ImportTarget& target,
                    const ImportOptions& options) {
    access::ReadOptions read;
    read.tables = {"基本资料", "检索", "仓库", "西药"};
    read.codePage = options.codePage;
    access::ReadResult r = access::readIsolated(accessFile, read);
    if (!r.ok()) return {false, r.error + "; nothing was imported"};
    Status s = writeTables(*r.database, target, options);
    if (s)
        s.message = "read " + accessFile.string() + ": " + r.database->format + ", text " +
                    r.database->codePage + "\n" + s.message;
    return s;
}

std::optional<Status> runImportAccess(const std::vector<std::string>& args, const std::string& dsn,
                                      const std::string& driver) {
    ImportOptions options;
    options.driver = driver;
    std::vector<std::string> files;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--replace")
            options.replace = true;
        else if (args[i] == "--codepage" && i + 1 < args.size())
            options.codePage = args[++i];
        else
            files.push_back(args[i]);
    }
    if (files.size() != (dsn.empty() ? 2u : 1u)) return std::nullopt;
    ImportTarget target;
    target.dsn = dsn;
    if (dsn.empty()) target.file = files[1];
    return importAccess(files[0], target, options);
}

std::uint64_t columnChecksum(const std::vector<Row>& rows, size_t column) {
    std::uint64_t h = 14695981039346656037ULL;
    auto mix = [&h](unsigned char c) { h = (h ^ c) * 1099511628211ULL; };
    for (const Row& row : rows) {
        const Cell& cell = row[column];
        mix(cell ? 1 : 0);
        if (!cell) continue;
        for (int i = 0; i < 8; ++i) mix(static_cast<unsigned char>(cell->size() >> (8 * i)));
        for (char c : *cell) mix(static_cast<unsigned char>(c));
    }
    return h;
}

}  // namespace rx::rxdb
