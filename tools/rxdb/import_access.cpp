// The write side of import-access: plans each table against the program's
// schema, writes it through the driver in one transaction, reads every value
// back with the type it was written as and commits only when all match.

#include "tools/rxdb/import_access.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "db/schema.h"
#include "tools/rxdb/client.h"

namespace rx::rxdb {
namespace {

namespace fs = std::filesystem;
using access::Cell;
using access::Column;
using access::Kind;
using access::Row;
using access::Table;

namespace schema = rx::db::schema;

const std::vector<std::string> kPrescriptionTables = {std::string(schema::kVisits.name),
                                                      std::string(schema::kIndex.name)};
const std::vector<std::string> kDrugTables = {std::string(schema::kHerbalDrugs.name),
                                              std::string(schema::kWesternDrugs.name)};

bool isPrescriptionTable(const std::string& name) {
    return name == kPrescriptionTables[0] || name == kPrescriptionTables[1];
}

const schema::Table& prescriptionTable(const std::string& name) {
    return name == schema::kIndex.name ? schema::kIndex : schema::kVisits;
}

const char* kindName(schema::Kind k) {
    return k == schema::Kind::DateTime ? "date" : k == schema::Kind::Number ? "number" : "text";
}

bool kindFits(Kind k, schema::Kind expected) {
    if (expected == schema::Kind::Text) return k == Kind::Text || k == Kind::Memo;
    if (expected == schema::Kind::DateTime) return k == Kind::DateTime;
    return k == Kind::Integer || k == Kind::Single || k == Kind::Double || k == Kind::Currency;
}

// The program reads 基本资料 and 检索 by position: same names in the same
// order after the numbering column, and nothing more.
std::string checkPrescriptionColumns(const Table& t) {
    const auto wanted = prescriptionTable(t.name).columns;
    if (t.columns.size() != wanted.size())
        return "has " + std::to_string(t.columns.size()) + " columns where the program keeps " +
               std::to_string(wanted.size());
    for (size_t i = 1; i < wanted.size(); ++i) {
        const Column& c = t.columns[i];
        if (c.name != wanted[i].name)
            return "column " + std::to_string(i + 1) + " is " + c.name +
                   " where the program reads " + std::string(wanted[i].name);
        if (!kindFits(c.kind, wanted[i].kind))
            return "column " + c.name + " is not a " + kindName(wanted[i].kind) + " column";
    }
    return {};
}

std::string checkDrugColumns(const Table& t) {
    for (const schema::Column& wanted : schema::kHerbalDrugs.columns.subspan(1)) {
        const std::string name(wanted.name);
        bool found = false;
        for (const Column& c : t.columns)
            if (c.name == name) {
                if (c.kind != Kind::Text && c.kind != Kind::Memo)
                    return "column " + c.name + " is not a text column";
                found = true;
            }
        if (!found) return "has no column " + name + ", which the drug lookup reads";
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

std::vector<std::string> columnNames(const Table& t) {
    std::vector<std::string> names;
    for (const Column& c : t.columns) names.push_back(c.name);
    return names;
}

std::string insertPrefix(const Table& t) {
    return "INSERT INTO [" + t.name + "] (" + columnList(columnNames(t)) + ") values (";
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

// The canonical text of one value of the current row as the target holds it.
Cell readAs(odbc::Result& r, short position, Kind kind) {
    switch (kind) {
        case Kind::Integer:
        case Kind::Boolean: {
            std::optional<std::int64_t> v = r.integer(position);
            if (!v) return std::nullopt;
            return kind == Kind::Boolean ? std::string(*v ? "1" : "0") : std::to_string(*v);
        }
        case Kind::Single:
        case Kind::Double: {
            std::optional<double> v = r.real(position);
            return v ? Cell(access::doubleText(*v)) : std::nullopt;
        }
        case Kind::DateTime: {
            std::optional<SQL_TIMESTAMP_STRUCT> ts = r.timestamp(position);
            if (!ts) return std::nullopt;
            char buf[40];
            std::snprintf(buf, sizeof buf, "%04d-%02u-%02u %02u:%02u:%02u", ts->year, ts->month,
                          ts->day, ts->hour, ts->minute, ts->second);
            return std::string(buf);
        }
        default:
            break;
    }
    Cell text = textAt(r, position);
    if (text && kind == Kind::Currency) return decimalText(*text);
    return text;
}

long long rowCount(odbc::Connection& c, const std::string& table) {
    odbc::Result r = query(c, "select count(*) from [" + table + "]");
    return r.next() ? r.integer(0).value_or(0) : 0;
}

bool exists(odbc::Connection& c, const std::string& table) {
    for (const std::string& name : tableNames(c))
        if (name == table) return true;
    return false;
}

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

// Makes the table ready for the rows: created, emptied (--replace) or refused.
void makeRoom(odbc::Connection& to, const Table& t, bool replace) {
    const bool there = exists(to, t.name);
    const long long rows = there ? rowCount(to, t.name) : 0;
    if (rows > 0 && !replace)
        throw Refused{"table " + t.name + " already holds " + std::to_string(rows) +
                      " rows; --replace overwrites them"};
    if (isPrescriptionTable(t.name)) {
        if (!there)
            execute(to, schema::createStatement(prescriptionTable(t.name)));
        else if (rows > 0)
            execute(to, "DELETE FROM [" + t.name + "]");
        return;
    }
    // Drug tables take the file's columns, so the old ones go.
    if (there) execute(to, "DROP TABLE [" + t.name + "]");
    execute(to, createStatement(t));
}

// Every value read back as its column's kind and compared with what was written.
std::vector<Row> verify(odbc::Connection& to, const Table& t) {
    odbc::Result r = query(to, "select " + columnList(columnNames(t)) + " from [" + t.name +
                                   "] order by [" + t.columns[0].name + "]");
    std::vector<Row> back;
    while (r.next()) {
        Row& row = back.emplace_back();
        for (size_t i = 0; i < t.columns.size(); ++i)
            row.push_back(readAs(r, static_cast<short>(i), t.columns[i].kind));
    }
    for (size_t i = 0; i < std::min(back.size(), t.rows.size()); ++i)
        for (size_t c = 0; c < t.columns.size(); ++c)
            if (back[i][c] != t.rows[i][c])
                throw Refused{"table " + t.name + ", row " + std::to_string(i + 1) + ", column " +
                              t.columns[c].name + ": wrote " + t.rows[i][c].value_or("NULL") +
                              " but read back " + back[i][c].value_or("NULL")};
    if (back.size() != t.rows.size())
        throw Refused{"table " + t.name + ": wrote " + std::to_string(t.rows.size()) +
                      " rows but read back " + std::to_string(back.size())};
    return back;
}

// The per-column checksums of what was read and what was read back.
std::string checksums(const Table& t, const std::vector<Row>& back) {
    std::string report;
    for (size_t c = 0; c < t.columns.size(); ++c) {
        const std::uint64_t a = columnChecksum(t.rows, c), b = columnChecksum(back, c);
        report += "  " + padded(t.columns[c].name, 12) + "file " + hex(a) + "  target " + hex(b) +
                  (a == b ? "" : "  MISMATCH") + "\n";
        if (a != b) throw Refused{"checksums differ for " + t.name + "." + t.columns[c].name};
    }
    return report;
}

void writeTable(odbc::Connection& to, const Table& t, bool replace, std::string& report) {
    makeRoom(to, t, replace);
    const std::string prefix = insertPrefix(t);
    for (size_t i = 0; i < t.rows.size(); ++i) try {
            execute(to, insertStatement(prefix, t, t.rows[i]));
        } catch (const odbc::Error& e) {
            throw Refused{"table " + t.name + ", row " + std::to_string(i + 1) + ": " +
                          describe(e)};
        }
    const std::vector<Row> back = verify(to, t);
    report += t.name + ": " + std::to_string(t.rowsInFile) + " rows in the file, " +
              std::to_string(t.rows.size()) + " read, " + std::to_string(t.rows.size()) +
              " written, " + std::to_string(back.size()) + " read back\n" + checksums(t, back);
}

// The connection text for the target, creating a missing file first.
Status openTarget(const ImportTarget& target, bool prescriptions, const ImportOptions& o,
                  std::string& text, bool& created) {
    if (!target.dsn.empty()) {
        text = dsnText(target.dsn, prescriptions ? names::kPrescriptionFile : names::kDrugFile);
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
    text = fileText(target.file, o.driver, prescriptions ? Keys{} : Keys{{"Exclusive", "1"}});
    return {};
}

// A file holds one kind of table (a server may keep both in one database).
// Looked at read-only, so that a refused file keeps its journal mode; one
// that cannot be opened is left to the import to report.
std::string wrongKind(const fs::path& file, bool prescriptions, const std::string& driver) {
    std::error_code ec;
    if (!fs::exists(file, ec)) return {};
    try {
        odbc::Connection probe = connect(fileText(file, driver, {{"ReadOnly", "1"}}));
        for (const std::string& other : prescriptions ? kDrugTables : kPrescriptionTables)
            if (exists(probe, other))
                return file.string() + " holds the table " + other + "; the " +
                       (prescriptions ? "prescription tables belong in the file like " +
                                            std::string(names::kPrescriptionFile)
                                      : "drug tables belong in the file like " +
                                            std::string(names::kDrugFile));
    } catch (const odbc::Error&) {
    }
    return {};
}

Status writeAll(const std::string& text, const access::Database& db, bool replace, bool server,
                const std::string& where) {
    const std::string lead = "cannot open " + where + ": ";
    std::string report;
    try {
        odbc::Connection to = opened(text, lead);
        if (server != onServer(to))
            return {false, server ? "the data source names no server for these tables"
                                  : "the driver does not keep " + where + " in a file"};
        odbc::Transaction t(to);
        for (const Table& table : db.tables) writeTable(to, table, replace, report);
        t.commit();
    } catch (const Refused& r) {
        if (r.message.rfind(lead, 0) == 0) return {false, r.message};
        return {false, r.message + "; nothing was imported"};
    } catch (...) {
        return failure("; nothing was imported");
    }
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
    Status s = writeAll(text, db, options.replace, !target.dsn.empty(), where);
    if (!s && created) removeDatabase(target.file);
    return s;
}

Status importAccess(const fs::path& accessFile, const ImportTarget& target,
                    const ImportOptions& options) {
    access::ReadOptions read;
    read.tables = kPrescriptionTables;
    read.tables.insert(read.tables.end(), kDrugTables.begin(), kDrugTables.end());
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
