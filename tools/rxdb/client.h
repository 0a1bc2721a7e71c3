#pragma once
// What every rxdb command does with a database through the ODBC client layer,
// in UTF-8: connection texts whose values are braced as needed (a clinic's
// folder may hold ';' or braces), statements, table names, and a failure
// turned into the line rxdb prints.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/odbc/odbc.h"
#include "tools/rxdb/rxdb.h"

namespace rx::rxdb {

// Keys of a connection text after the first ones, {key, value}.
using Keys = std::vector<std::pair<std::string, std::string>>;

// A database file opened by the driver itself: DRIVER and DBQ, then more.
std::string fileText(const std::filesystem::path& file, const std::string& driver,
                     const Keys& more = {});

// The file's tables on whatever the data source dsn keeps them in.
std::string dsnText(const std::string& dsn, const std::filesystem::path& file);

// A refusal, said as rxdb says it.
struct Refused {
    std::string message;
};

// The exception being handled (Refused or odbc::Error) as a failed Status,
// suffix added; call it only inside a catch.
Status failure(const std::string& suffix = {});

// A connection through the driver manager; throws odbc::Error.
odbc::Connection connect(const std::string& utf8Text);

// The same, a failure thrown as Refused with the message after lead.
odbc::Connection opened(const std::string& utf8Text, const std::string& lead);

// Statements in UTF-8, sent as GB18030; throw odbc::Error.
void execute(odbc::Connection& c, const std::string& utf8Sql);
odbc::Result query(odbc::Connection& c, const std::string& utf8Sql);

// A text column of the current row, back in UTF-8; nullopt for NULL.
std::optional<std::string> textAt(odbc::Result& r, short position);

// "SQLSTATE message", the message in UTF-8.
std::string describe(const odbc::Error& e);

// True when the connection's rows live on the PostgreSQL server.
bool onServer(const odbc::Connection& c);

// The names of the connection's tables, UTF-8.
std::vector<std::string> tableNames(odbc::Connection& c);

// "[a],[b]": the names as a column list.
std::string columnList(const std::vector<std::string>& names);

// value inside two quote characters, each one inside it doubled.
std::string quotedWith(std::string_view value, char quote);

// The database file and the journal files SQLite may have left beside it.
void removeDatabase(const std::filesystem::path& file);

}  // namespace rx::rxdb
