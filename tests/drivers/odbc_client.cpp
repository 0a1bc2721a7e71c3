#include "tests/drivers/odbc_client.h"

#include <fstream>

#include "platform/odbc/odbc.h"
#include "platform/text/gb18030.h"

namespace rx::test {

std::string toGb(const std::string& utf8) {
    return rx::text::utf8ToGb18030(utf8).bytes;
}
std::string fromGb(const std::string& gb) {
    return rx::text::gb18030ToUtf8(gb).bytes;
}

std::optional<JournalMark> journalMark(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char header[100] = {};
    if (!in.read(header, sizeof header) || header[18] != header[19]) return std::nullopt;
    if (header[18] == 1) return JournalMark::Rollback;
    if (header[18] == 2) return JournalMark::Wal;
    return std::nullopt;
}

OdbcOutcome diagnose(SQLSMALLINT type, SQLHANDLE h, SQLRETURN rc) {
    OdbcOutcome o;
    o.rc = rc;
    // A success with nothing to tell leaves state and message empty.
    SQLCHAR probe[6] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT len = 0;
    if (SQL_SUCCEEDED(SQLGetDiagRec(type, h, 1, probe, &native, nullptr, 0, &len))) {
        const odbc::Error e = odbc::diagnostics(type, h);
        o.state = e.sqlState;
        o.message = fromGb(e.message);
    }
    return o;
}

OdbcConnection::OdbcConnection()
    : env_(odbc::newEnvironment()), dbc_(odbc::allocate(SQL_HANDLE_DBC, env_.get())) {}

OdbcConnection::~OdbcConnection() = default;

OdbcOutcome OdbcConnection::driverConnect(const std::string& utf8Text, std::string* completed) {
    std::string gb = toGb(utf8Text);
    SQLCHAR out[2048] = {};
    SQLSMALLINT outLen = 0;
    SQLRETURN rc = SQLDriverConnect(dbc_.get(), nullptr, reinterpret_cast<SQLCHAR*>(gb.data()),
                                    SQL_NTS, out, sizeof out, &outLen, SQL_DRIVER_NOPROMPT);
    if (completed) *completed = fromGb(reinterpret_cast<const char*>(out));
    return diagnose(SQL_HANDLE_DBC, dbc_.get(), rc);
}

OdbcOutcome OdbcConnection::connectDsn(const std::string& dsn) {
    SQLRETURN rc =
        SQLConnect(dbc_.get(), reinterpret_cast<SQLCHAR*>(const_cast<char*>(dsn.c_str())), SQL_NTS,
                   nullptr, 0, nullptr, 0);
    return diagnose(SQL_HANDLE_DBC, dbc_.get(), rc);
}

OdbcOutcome OdbcConnection::execute(const std::string& utf8Sql) {
    OdbcStatement s(*this);
    return s.execDirect(utf8Sql);
}

Rows OdbcConnection::query(const std::string& utf8Sql, OdbcOutcome* outcome) {
    Rows rows;
    OdbcStatement s(*this);
    OdbcOutcome o = s.execDirect(utf8Sql);
    if (outcome) *outcome = o;
    if (!o.ok()) return rows;
    SQLSMALLINT columns = 0;
    SQLNumResultCols(s.get(), &columns);
    while (SQL_SUCCEEDED(SQLFetch(s.get()))) {
        std::vector<Cell> row;
        for (SQLUSMALLINT c = 1; c <= columns; ++c) row.push_back(s.text(c));
        rows.push_back(std::move(row));
    }
    return rows;
}

OdbcStatement::OdbcStatement(const OdbcConnection& c)
    : stmt_(odbc::allocate(SQL_HANDLE_STMT, c.dbc())) {}

OdbcOutcome OdbcStatement::outcome(SQLRETURN rc) const {
    return diagnose(SQL_HANDLE_STMT, stmt_.get(), rc);
}

OdbcOutcome OdbcStatement::execDirect(const std::string& utf8Sql) {
    std::string gb = toGb(utf8Sql);
    return outcome(SQLExecDirect(stmt_.get(), reinterpret_cast<SQLCHAR*>(gb.data()),
                                 static_cast<SQLINTEGER>(gb.size())));
}

Cell OdbcStatement::text(SQLUSMALLINT column, SQLLEN chunk) {
    std::string bytes;
    std::vector<char> buf(static_cast<size_t>(chunk));
    for (;;) {
        SQLLEN ind = 0;
        SQLRETURN rc = SQLGetData(stmt_.get(), column, SQL_C_CHAR, buf.data(), chunk, &ind);
        if (rc == SQL_NO_DATA) break;
        if (!SQL_SUCCEEDED(rc)) return std::string("<error ") + outcome(rc).state + ">";
        if (ind == SQL_NULL_DATA) return std::nullopt;
        // A piece that does not fit fills the buffer less its terminator; a NUL
        // inside the text belongs to it.
        const SQLLEN room = chunk - 1;
        bytes.append(buf.data(), std::size_t(ind == SQL_NO_TOTAL || ind > room ? room : ind));
        if (rc == SQL_SUCCESS) break;
    }
    return fromGb(bytes);
}

}  // namespace rx::test
