#pragma once
// Bringing a clinic's old Access files in: the tables the program uses
// (基本资料 and 检索, or 仓库 and 西药) into one of the program's database
// files or onto the clinic's server, all rows or none, each value read back
// through the driver and compared before the transaction commits.
//
//   rx::rxdb::ImportOptions o;
//   rx::rxdb::Status s = rx::rxdb::importAccess("old/sj.accdb", "data/sj.accdb", o);
//   std::cout << s.message;  // per table: counts and per-column checksums

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tools/rxdb/access_reader.h"
#include "tools/rxdb/rxdb.h"

namespace rx::rxdb {

struct ImportOptions {
    bool replace = false;  // empty target tables that hold rows instead of refusing
    std::string codePage;  // Jet 3 files only; empty: the one the file's header names
    std::string driver = kDriverName;
};

// Where the rows go: a database file (created when missing), or the server
// that the data source dsn names for the program's file of that kind.
struct ImportTarget {
    std::filesystem::path file;
    std::string dsn;
};

// Reads the Access file in a child process, then writes as writeTables does.
Status importAccess(const std::filesystem::path& accessFile, const ImportTarget& target,
                    const ImportOptions& options);

// The write side alone, for tables already in memory: checks them against the
// program's schema, writes them in one transaction, reads every value back
// and commits only when all match. The message is the per-table report.
Status writeTables(const access::Database& db, const ImportTarget& target,
                   const ImportOptions& options);

// The command line after the global options: import-access [--replace]
// [--codepage CP] ACCESS_FILE, then FILE unless dsn is given. Nothing when
// the words do not fit.
std::optional<Status> runImportAccess(const std::vector<std::string>& args, const std::string& dsn,
                                      const std::string& driver);

// 64-bit FNV-1a over a column's values in row order, NULL distinct from "".
std::uint64_t columnChecksum(const std::vector<access::Row>& rows, size_t column);

}  // namespace rx::rxdb
