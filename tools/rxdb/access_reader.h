#pragma once
// Reading a clinic's old Microsoft Access files (Jet 3, Jet 4, ACE) with
// Debian's mdbtools library, into plain tables held in memory.
//
//   rx::rxdb::access::ReadOptions o;
//   o.tables = {"基本资料", "检索"};
//   rx::rxdb::access::ReadResult r = rx::rxdb::access::readIsolated("old/sj.accdb", o);
//   if (!r.ok()) std::cerr << r.error;
//
// Every value travels as its canonical text (see Kind), so that the two sides
// of an import can be compared value by value and summed into checksums.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace rx::rxdb::access {

// What a column carries, and the canonical text of its values:
enum class Kind {
    Integer,   // Byte, Integer, Long, AutoNumber: decimal digits
    Single,    // 4-byte float, widened: shortest text that reads back as the same double
    Double,    // shortest text that reads back as the same double
    Currency,  // exact decimal, no trailing zeros: "12.5", "-0.0001"
    DateTime,  // "YYYY-MM-DD HH:MM:SS", to the second
    Boolean,   // "0" or "1"
    Text,      // UTF-8
    Memo,      // UTF-8
};

using Cell = std::optional<std::string>;  // nullopt for NULL
using Row = std::vector<Cell>;

struct Column {
    std::string name;  // UTF-8
    Kind kind = Kind::Text;
    int size = 0;             // characters, for Text
    bool autoNumber = false;  // a Long AutoNumber
    friend bool operator==(const Column&, const Column&) = default;
};

struct Table {
    std::string name;
    std::vector<Column> columns;
    std::vector<Row> rows;  // in AutoNumber order when the first column is one
    long rowsInFile = 0;    // the count the table's definition holds
};

struct Database {
    std::string format;    // "Access 2007 (ACE 12)", ...
    std::string codePage;  // how Jet 3 text was read, e.g. "936 (from the file's header)"
    std::vector<Table> tables;
};

struct ReadOptions {
    std::vector<std::string> tables;  // which tables to read; empty: every user table
    std::string codePage;             // Jet 3 only: "936", "GBK", "CP1252"...; empty: the header's
    size_t longestText = 1 << 20;     // bytes of UTF-8; a longer value is refused, never cut
    int timeLimitSeconds = 0;         // readIsolated only; 0: 60 s plus 2 s per MiB of file
};

struct ReadResult {
    std::optional<Database> database;
    std::string error;  // UTF-8, names the file, table, column or row
    bool ok() const { return database.has_value(); }
};

// The checks that need no library: the file is there, starts like an Access
// database and is a whole number of pages long. Empty when it passes.
std::string checkFile(const std::filesystem::path& file);

// Reads in this process. Meant for the child of readIsolated and for tests on
// files known to be sound: a damaged file may make the library misbehave.
ReadResult read(const std::filesystem::path& file, const ReadOptions& options);

// Reads in a child process under a time limit, so that a damaged file that
// crashes or hangs the library costs an error message, never the tool. Any
// warning the library prints marks the file as damaged.
ReadResult readIsolated(const std::filesystem::path& file, const ReadOptions& options);

// Rows that an update moved come back in the order of their pages; a table
// whose first column is an AutoNumber is put back in its order.
void orderByAutoNumber(Table& t);

// The canonical text of an Access date-time, stored as days since
// 30 December 1899 with the time of day as the fraction's magnitude (so
// -1.25 is 29 December 1899, 06:00). Nothing when outside 100 .. 9999.
std::optional<std::string> dateText(double stored);

// Shortest decimal text that reads back as exactly v.
std::string doubleText(double v);

// A currency's 64-bit count of ten-thousandths as exact decimal text.
std::string currencyText(long long tenThousandths);

// Byte sequences for the pipe between child and parent.
std::string serialize(const Database& db);
std::optional<Database> deserialize(const std::string& bytes);

}  // namespace rx::rxdb::access
