#pragma once
// Creating the program's database files and loading drug catalogues, through
// the Access ODBC driver like any other client. Paths and texts are UTF-8.
//
//   rx::rxdb::Status s = rx::rxdb::createPrescriptionDatabase("/opt/rx/data/sj.accdb");
//   if (!s) std::cerr << s.message;
//
// `driver` is what goes into DRIVER={...}: the registered driver name by
// default, or the absolute path of the driver library when nothing is
// registered (the build does that).

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/names/names.h"
#include "tools/rxdb/drug_csv.h"

namespace rx::rxdb {

inline constexpr const char* kDriverName = names::kDriverName;

struct Status {
    bool ok = true;
    std::string message;  // UTF-8; what went wrong, or a short summary on success
    explicit operator bool() const { return ok; }
};

// A new file with 基本资料 and 检索 in the column order the program reads.
// Refuses to touch a file that already exists.
Status createPrescriptionDatabase(const std::filesystem::path& file,
                                  const std::string& driver = kDriverName);

// A new file with the drug tables 仓库 and 西药.
Status createDrugDatabase(const std::filesystem::path& file,
                          const std::string& driver = kDriverName);

// Loads the rows into table (仓库 or 西药) of an existing drug database in
// one transaction: every row or none. A failing row is named by its line.
Status importDrugRows(const std::filesystem::path& file, std::string_view table,
                      const std::vector<DrugRow>& rows, const std::string& driver = kDriverName);

// Leaves an existing drug database in rollback-journal mode, keeping every row
// (a WAL file's pending pages are written into it first), so that it opens
// read-only even from a folder nobody may write to.
Status settleDrugDatabase(const std::filesystem::path& file,
                          const std::string& driver = kDriverName);

// Reads the CSV (UTF-8 or GB18030) and loads it as importDrugRows does.
Status importDrugs(const std::filesystem::path& file, std::string_view table,
                   const std::filesystem::path& csv, const std::string& driver = kDriverName);

// The same tables on the PostgreSQL server that the data source dsn names for
// the file (the PG* keys of its odbc.ini section); refused when the data
// source keeps that file locally.
Status createPrescriptionTables(const std::string& dsn,
                                const std::filesystem::path& file = names::kPrescriptionFile);
Status createDrugTables(const std::string& dsn,
                        const std::filesystem::path& file = names::kDrugFile);

// The PostgreSQL statements that let the consulting rooms' login role read
// and add visits and nothing else: CONNECT on the database (taken from
// PUBLIC), SELECT and INSERT on the prescription tables and on the driver's
// rx_saves (the marks that settle a save whose COMMIT lost its answer); no UPDATE, DELETE,
// CREATE or DROP. Run them as the tables' owner (psql), once, after
// create-prescriptions. The driver speaks only the Access dialect, so rxdb
// prints them rather than sending them.
std::string roomsGrants(const std::string& role);

// Every row of every table of the database file into the same, empty tables
// on the server dsn names for it, in one transaction: all rows or none. On
// success the message counts the rows of each table.
Status copyToServer(const std::filesystem::path& file, const std::string& dsn,
                    const std::string& driver = kDriverName);
// The other way: every row from the server into the empty tables of a file
// that create-prescriptions or create-drugs made.
Status copyFromServer(const std::string& dsn, const std::filesystem::path& file,
                      const std::string& driver = kDriverName);

// The Access statements that make the tables, one per element.
std::vector<std::string> prescriptionSchema();
std::vector<std::string> drugSchema();

// A value inside '...' with its single quotes doubled.
std::string sqlQuoted(std::string_view value);

}  // namespace rx::rxdb
