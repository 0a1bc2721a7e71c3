// Access files through libmdb. The library's bind API cuts long text at the
// bind buffer, hides NULL behind an empty string, decodes UCS-2 (so a
// character outside the BMP comes out as "??") and formats dates with
// two-digit years. So text is bound with a large buffer and a UTF-16LE
// decoder, NULL comes from the row's null mask, and numbers and dates are read
// from their stored bytes.

// mdbtools.h includes glib.h inside extern "C", which glib's C++ parts do not
// survive; with glib.h (and iconv.h) included first its guards skip it there.
#include <glib.h>
#include <iconv.h>
// clang-format off
#include <mdbtools.h>
// clang-format on

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <fstream>
#include <memory>
#include <set>

#include "platform/access_values/access_types.h"
#include "platform/text/iconv.h"
#include "tools/rxdb/access_reader.h"

namespace rx::rxdb::access {
namespace {

namespace fs = std::filesystem;

struct HandleCloser {
    void operator()(MdbHandle* h) const { mdb_close(h); }
};
struct TableFreer {
    void operator()(MdbTableDef* t) const { mdb_free_tabledef(t); }
};
using MdbPtr = std::unique_ptr<MdbHandle, HandleCloser>;
using TablePtr = std::unique_ptr<MdbTableDef, TableFreer>;

std::string formatName(guint32 version) {
    switch (version) {
        case MDB_VER_JET3:
            return "Access 97 (Jet 3)";
        case MDB_VER_JET4:
            return "Access 2000-2003 (Jet 4)";
        case MDB_VER_ACCDB_2007:
            return "Access 2007 (ACE 12)";
        case MDB_VER_ACCDB_2010:
            return "Access 2010 (ACE 14)";
        default:
            return "Access 2013 or later (ACE " + std::to_string(version + 12) + ")";
    }
}

// "936", "cp936", "GBK" or any name iconv knows, as iconv's name.
std::string iconvName(const std::string& codePage) {
    const bool digits =
        !codePage.empty() &&
        std::all_of(codePage.begin(), codePage.end(), [](char c) { return c >= '0' && c <= '9'; });
    return digits ? "CP" + codePage : codePage;
}

// Replaces the library's decoders: UTF-16LE instead of UCS-2 for Jet 4 and
// ACE, the chosen code page for Jet 3, and always UTF-8 out whatever the
// environment says. Returns the description of the code page, or an error.
bool setDecoders(MdbHandle* mdb, const std::string& override, std::string& used,
                 std::string& error) {
    std::string from = "UTF-16LE";
    if (IS_JET3(mdb)) {
        const std::string header = std::to_string(mdb->f->code_page ? mdb->f->code_page : 1252);
        from = iconvName(override.empty() ? header : override);
        used = override.empty() ? header + " (from the file's header)"
                                : override + " (as --codepage asked)";
    } else {
        used =
            override.empty() ? "Unicode" : "Unicode (a code page applies to Access 97 files only)";
    }
    rx::text::Iconv in("UTF-8", from.c_str());
    rx::text::Iconv out(from.c_str(), "UTF-8");
    if (!in.valid() || !out.valid()) {
        error = "unknown code page " + (override.empty() ? from : override);
        return false;
    }
    mdb_iconv_close(mdb);
    // The library closes them with the handle.
    mdb->iconv_in = in.release();
    mdb->iconv_out = out.release();
    return true;
}

// What each stored type is carried as; the ones without a kind are named in
// the refusal.
struct StoredType {
    int mdbType;
    std::optional<Kind> kind;
    const char* name;
};
const StoredType kStoredTypes[] = {
    {MDB_BYTE, Kind::Integer, "byte"},
    {MDB_INT, Kind::Integer, "integer"},
    {MDB_LONGINT, Kind::Integer, "long"},
    {MDB_FLOAT, Kind::Single, "single"},
    {MDB_DOUBLE, Kind::Double, "double"},
    {MDB_MONEY, Kind::Currency, "currency"},
    {MDB_DATETIME, Kind::DateTime, "date"},
    {MDB_BOOL, Kind::Boolean, "yes/no"},
    {MDB_TEXT, Kind::Text, "text"},
    {MDB_MEMO, Kind::Memo, "memo"},
    {MDB_OLE, std::nullopt, "OLE object"},
    {MDB_BINARY, std::nullopt, "binary"},
    {MDB_REPID, std::nullopt, "replication ID"},
    {MDB_NUMERIC, std::nullopt, "decimal"},
    {MDB_COMPLEX, std::nullopt, "attachment or multi-value"},
};

StoredType storedType(int mdbType) {
    for (const StoredType& t : kStoredTypes)
        if (t.mdbType == mdbType) return t;
    return {mdbType, std::nullopt, "unknown"};
}

// The stored bytes of a fixed-size value, or nothing when the row holds too few.
template <typename T>
std::optional<T> fixedValue(const MdbField& f) {
    if (f.siz != static_cast<int>(sizeof(T)) || !f.value) return std::nullopt;
    T v;
    std::memcpy(&v, f.value, sizeof v);  // little-endian on disk and here
    return v;
}

// One value from the cracked row; the bound text for text columns. Error set
// when the stored bytes do not make a value.
Cell cellOf(const MdbColumn& col, const MdbField& f, const std::string& bound, std::string& error) {
    if (col.col_type == MDB_BOOL) return std::string(f.is_null ? "0" : "1");
    if (f.is_null) return std::nullopt;
    std::optional<std::string> out;
    switch (col.col_type) {
        case MDB_BYTE:
            if (auto v = fixedValue<std::uint8_t>(f)) out = std::to_string(*v);
            break;
        case MDB_INT:
            if (auto v = fixedValue<std::int16_t>(f)) out = std::to_string(*v);
            break;
        case MDB_LONGINT:
            if (auto v = fixedValue<std::int32_t>(f)) out = std::to_string(*v);
            break;
        case MDB_FLOAT:
            if (auto v = fixedValue<float>(f)) out = doubleText(*v);
            break;
        case MDB_DOUBLE:
            if (auto v = fixedValue<double>(f)) out = doubleText(*v);
            break;
        case MDB_MONEY:
            if (auto v = fixedValue<std::int64_t>(f)) out = currencyText(*v);
            break;
        case MDB_DATETIME:
            if (auto v = fixedValue<double>(f)) out = dateText(*v);
            break;
        default:
            return bound;
    }
    if (!out)
        error = "a value that is not a valid " +
                std::string(col.col_type == MDB_DATETIME ? "date" : "number");
    return out;
}

struct Bound {
    std::vector<std::vector<char>> buffers;  // one per column; empty when not bound
    std::vector<int> lengths;
};

// Every row of the table, each value checked; error set on the first fault.
std::vector<Row> readRows(MdbHandle* mdb, MdbTableDef* t, size_t longest, std::string& error) {
    Bound b;
    b.buffers.resize(t->num_cols);
    b.lengths.assign(t->num_cols, 0);
    for (unsigned i = 0; i < t->num_cols; ++i) {
        auto* col = static_cast<MdbColumn*>(g_ptr_array_index(t->columns, i));
        if (col->col_type != MDB_TEXT && col->col_type != MDB_MEMO) continue;
        b.buffers[i].assign(mdb->bind_size, '\0');
        mdb_bind_column(t, static_cast<int>(i + 1), b.buffers[i].data(), &b.lengths[i]);
    }
    std::vector<Row> rows;
    std::vector<MdbField> fields(t->num_cols);
    mdb_rewind_table(t);
    while (error.empty() && mdb_fetch_row(t)) {
        int start = 0;
        size_t size = 0;
        // The fetched row is the one before cur_row, still on the page buffer.
        if (mdb_find_row(mdb, static_cast<int>(t->cur_row) - 1, &start, &size) != 0 ||
            mdb_crack_row(t, start & 0x1fff, size, fields.data()) < 0) {
            error =
                "row " + std::to_string(rows.size() + 1) + " cannot be read; the file is damaged";
            break;
        }
        Row& row = rows.emplace_back();
        for (unsigned i = 0; i < t->num_cols && error.empty(); ++i) {
            const MdbField& f = fields[i];
            auto* col = static_cast<MdbColumn*>(g_ptr_array_index(t->columns, f.colnum));
            std::string bound;
            if (!b.buffers[f.colnum].empty()) {
                bound.assign(b.buffers[f.colnum].data());
                // A full buffer means the library cut the value: refuse it.
                if (bound.size() + 4 >= mdb->bind_size)
                    error = "a text longer than " + std::to_string(longest) +
                            " bytes, which cannot be read whole";
            }
            if (error.empty()) row.push_back(cellOf(*col, f, bound, error));
            if (!error.empty())
                error = "column " + std::string(col->name) + " of row " +
                        std::to_string(rows.size()) + ": " + error;
        }
    }
    return rows;
}

std::string describeColumns(MdbTableDef* t, Table& out) {
    for (unsigned i = 0; i < t->num_cols; ++i) {
        auto* col = static_cast<MdbColumn*>(g_ptr_array_index(t->columns, i));
        const StoredType stored = storedType(col->col_type);
        const std::optional<Kind> kind = stored.kind;
        if (!kind)
            return "column " + std::string(col->name) + " is of a type that cannot be carried (" +
                   stored.name + ")";
        Column c{col->name, *kind, 0, col->is_long_auto != 0};
        // Jet 4 and ACE keep text sizes in bytes of UTF-16.
        if (*kind == Kind::Text)
            c.size = IS_JET3(t->entry->mdb) ? col->col_size : col->col_size / 2;
        out.columns.push_back(c);
    }
    return {};
}

std::string readTable(MdbCatalogEntry* entry, size_t longest, Table& out) {
    TablePtr t(mdb_read_table(entry));
    if (!t || !mdb_read_columns(t.get()) || t->num_cols == 0)
        return "its definition cannot be read; the file is damaged or cut short";
    out.name = entry->object_name;
    out.rowsInFile = t->num_rows;
    if (std::string e = describeColumns(t.get(), out); !e.empty()) return e;
    std::string error;
    out.rows = readRows(entry->mdb, t.get(), longest, error);
    if (!error.empty()) return error;
    orderByAutoNumber(out);
    return {};
}

// A table definition page starts with type 2 and a 1; an encrypted ACE file's
// pages are noise to a reader without its key.
bool catalogueLooksReadable(MdbHandle* mdb) {
    if (mdb_read_pg(mdb, 2) != mdb->fmt->pg_size) return false;
    return mdb->pg_buf[0] == MDB_PAGE_TABLE && mdb->pg_buf[1] == 1;
}

}  // namespace

std::string checkFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return file.string() + ": cannot be read";
    char head[32] = {};
    in.read(head, sizeof head);
    const std::string_view id(head + 4, 15);
    if (in.gcount() < 32 || head[0] != 0 || (id != "Standard Jet DB" && id != "Standard ACE DB"))
        return file.string() + ": not a Microsoft Access database";
    std::error_code ec;
    const auto size = fs::file_size(file, ec);
    const unsigned page = head[0x14] == MDB_VER_JET3 ? 2048 : 4096;
    if (ec || size < 4 * page || size % page != 0)
        return file.string() + ": truncated or damaged (" + std::to_string(size) +
               " bytes, not a whole number of " + std::to_string(page) +
               "-byte pages or too few of them)";
    return {};
}

ReadResult read(const fs::path& file, const ReadOptions& options) {
    if (std::string e = checkFile(file); !e.empty()) return {std::nullopt, e};
    MdbPtr mdb(mdb_open(file.c_str(), MDB_NOFLAGS));
    if (!mdb) return {std::nullopt, file.string() + ": cannot be opened as an Access database"};
    Database db;
    db.format = formatName(mdb->f->jet_version);
    std::string error;
    if (!setDecoders(mdb.get(), options.codePage, db.codePage, error)) return {std::nullopt, error};
    mdb_set_bind_size(mdb.get(), options.longestText + 4);
    if (!catalogueLooksReadable(mdb.get()) || !mdb_read_catalog(mdb.get(), MDB_TABLE))
        return {std::nullopt, file.string() +
                                  ": its catalogue cannot be read: the file is encrypted (a "
                                  "database password) or damaged"};
    const std::set<std::string> wanted(options.tables.begin(), options.tables.end());
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        const std::string name = entry->object_name;
        if (entry->object_type != MDB_TABLE || mdb_is_system_table(entry)) continue;
        if (!wanted.empty() && !wanted.count(name)) continue;
        Table& t = db.tables.emplace_back();
        if (std::string e = readTable(entry, options.longestText, t); !e.empty())
            return {std::nullopt, file.string() + ", table " + name + ": " + e};
        if (static_cast<long>(t.rows.size()) != t.rowsInFile)
            return {std::nullopt, file.string() + ", table " + name +
                                      ": damaged: its definition counts " +
                                      std::to_string(t.rowsInFile) + " rows, " +
                                      std::to_string(t.rows.size()) + " could be read"};
    }
    return {std::move(db), {}};
}

void orderByAutoNumber(Table& t) {
    if (t.columns.empty() || !t.columns[0].autoNumber) return;
    auto key = [](const Row& r) { return r[0] ? std::stoll(*r[0]) : LLONG_MIN; };
    std::stable_sort(t.rows.begin(), t.rows.end(),
                     [&key](const Row& a, const Row& b) { return key(a) < key(b); });
}

std::optional<std::string> dateText(double stored) {
    if (!std::isfinite(stored)) return std::nullopt;
    // Before 1899 the whole days count down while the time still counts up.
    const double whole = std::trunc(stored);
    const double linear = whole + std::fabs(stored - whole);
    const rx::access::DateTime d = rx::access::fromSerial(linear);
    if (!rx::access::isValid(d)) return std::nullopt;
    return rx::access::toStoredText(d);
}

std::string doubleText(double v) {
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, end);
}

std::string currencyText(long long v) {
    const bool negative = v < 0;
    // Through unsigned so that the most negative value has a magnitude too.
    unsigned long long m = negative ? 0ULL - static_cast<unsigned long long>(v) : v;
    std::string out = std::to_string(m / 10000);
    std::string frac = std::to_string(m % 10000);
    frac.insert(0, 4 - frac.size(), '0');
    while (!frac.empty() && frac.back() == '0') frac.pop_back();
    if (!frac.empty()) out += "." + frac;
    return negative ? "-" + out : out;
}

}  // namespace rx::rxdb::access
