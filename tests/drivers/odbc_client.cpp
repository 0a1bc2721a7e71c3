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

OdbcOutcome refused(const odbc::Error& e) {
    OdbcOutcome o;
    o.rc = SQL_ERROR;
    o.state = e.sqlState;
    o.message = fromGb(e.message);
    return o;
}

OdbcConnection::OdbcConnection() = default;

// A warning of the connect stays on the handle until its next call.
OdbcOutcome OdbcConnection::connected() const {
    OdbcOutcome o = diagnose(SQL_HANDLE_DBC, dbc(), SQL_SUCCESS);
    if (!o.state.empty()) o.rc = SQL_SUCCESS_WITH_INFO;
    return o;
}

OdbcConnection::~OdbcConnection() = default;

OdbcOutcome OdbcConnection::driverConnect(const std::string& utf8Text, std::string* completed) {
    std::string gb;
    try {
        connection_.connect(toGb(utf8Text), odbc::Connection::Access::ReadWrite,
                            completed ? &gb : nullptr);
    } catch (const odbc::Error& e) {
        if (completed) completed->clear();
        return refused(e);
    }
    if (completed) *completed = fromGb(gb);
    return connected();
}

OdbcOutcome OdbcConnection::connectDsn(const std::string& dsn) {
    try {
        connection_.connectDsn(dsn);
    } catch (const odbc::Error& e) {
        return refused(e);
    }
    return connected();
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

OdbcStatement::OdbcStatement(const OdbcConnection& c) : stmt_(c.connection()) {}

OdbcOutcome OdbcStatement::outcome(SQLRETURN rc) const {
    return diagnose(SQL_HANDLE_STMT, get(), rc);
}

OdbcOutcome OdbcStatement::execDirect(const std::string& utf8Sql) {
    std::string gb = toGb(utf8Sql);
    return outcome(SQLExecDirect(get(), reinterpret_cast<SQLCHAR*>(gb.data()),
                                 static_cast<SQLINTEGER>(gb.size())));
}

Cell OdbcStatement::text(SQLUSMALLINT column, SQLLEN chunk) {
    std::string bytes;
    std::vector<char> buf(static_cast<size_t>(chunk));
    for (;;) {
        SQLLEN ind = 0;
        SQLRETURN rc = SQLGetData(get(), column, SQL_C_CHAR, buf.data(), chunk, &ind);
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
