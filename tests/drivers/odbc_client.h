#pragma once
// A small ODBC client for the driver tests: RAII handles, and statements run
// the way an application does, through libodbc. Texts are UTF-8 here and
// GB18030 on the wire, as the program sends them.

#include <optional>
#include <string>
#include <vector>

#include "platform/odbc/odbc.h"

namespace rx::test {

struct OdbcOutcome {
    SQLRETURN rc = SQL_SUCCESS;
    std::string state;    // first diagnostic's SQLSTATE, empty when none
    std::string message;  // UTF-8
    bool ok() const { return SQL_SUCCEEDED(rc); }
};

using Cell = std::optional<std::string>;  // nullopt for NULL
using Rows = std::vector<std::vector<Cell>>;

class OdbcConnection {
public:
    OdbcConnection();
    ~OdbcConnection();
    OdbcConnection(const OdbcConnection&) = delete;
    OdbcConnection& operator=(const OdbcConnection&) = delete;

    OdbcOutcome driverConnect(const std::string& utf8Text, std::string* completed = nullptr);
    OdbcOutcome connectDsn(const std::string& dsn);
    OdbcOutcome execute(const std::string& utf8Sql);
    // Every row, every column read with SQL_C_CHAR in pieces, back in UTF-8.
    Rows query(const std::string& utf8Sql, OdbcOutcome* outcome = nullptr);
    SQLHDBC dbc() const { return dbc_.get(); }
    SQLHENV env() const { return env_.get(); }

private:
    // The connection goes before its environment.
    odbc::Handle env_;
    odbc::Handle dbc_;
};

class OdbcStatement {
public:
    explicit OdbcStatement(const OdbcConnection& c);
    OdbcStatement(const OdbcStatement&) = delete;
    OdbcStatement& operator=(const OdbcStatement&) = delete;
    SQLHSTMT get() const { return stmt_.get(); }
    OdbcOutcome execDirect(const std::string& utf8Sql);
    OdbcOutcome outcome(SQLRETURN rc) const;
    // One column of the current row as text via SQL_C_CHAR, joined from pieces of chunk bytes.
    Cell text(SQLUSMALLINT column, SQLLEN chunk = 4096);

private:
    odbc::Handle stmt_;
};

OdbcOutcome diagnose(SQLSMALLINT type, SQLHANDLE h, SQLRETURN rc);
std::string toGb(const std::string& utf8);
std::string fromGb(const std::string& gb);

// How an SQLite file on disk is journalled, read from its header (bytes 18 and
// 19: 1 rollback journal, 2 WAL); nullopt when the file has no header.
enum class JournalMark { Rollback = 1, Wal = 2 };
std::optional<JournalMark> journalMark(const std::string& path);

}  // namespace rx::test
