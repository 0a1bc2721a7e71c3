#pragma once
// The three ODBC handles and what each keeps. The exported functions in
// odbc_entry.cpp only check arguments and convert text; the work is done by
// the member functions declared here.

#include <sql.h>
#include <sqlext.h>

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "drivers/access_sqlite/common/errors.h"
#include "drivers/access_sqlite/sqlite/storage.h"
#include "drivers/access_sqlite/sql/translator.h"

namespace rx::access {

struct DiagRecord {
    std::string sqlState;
    std::string message;  // UTF-8, with the driver's prefix
    SQLINTEGER nativeError = 0;
};

struct Diagnostics {
    std::vector<DiagRecord> records;
    SQLRETURN returnCode = SQL_SUCCESS;
    void clear() {
        records.clear();
        returnCode = SQL_SUCCESS;
    }
    void add(ErrorKind kind, const std::string& message);
    SQLRETURN fail(const DriverError& e) {
        add(e.kind, e.message);
        records.back().nativeError = e.native;
        return isWarning(e.kind) ? SQL_SUCCESS_WITH_INFO : SQL_ERROR;
    }
};

struct Statement;

struct Environment {
    Diagnostics diag;
    SQLINTEGER odbcVersion = SQL_OV_ODBC3;
};

struct Connection {
    explicit Connection(Environment* e) : env(e) {}
    Diagnostics diag;
    Environment* env;
    std::unique_ptr<Backend> db;
    bool autocommit = true;
    bool readOnlyMode = false;  // SQL_ATTR_ACCESS_MODE before connecting
    SQLUINTEGER loginTimeout = 0;
    std::string dataSource;           // DSN name, UTF-8
    std::string completedText;        // UTF-8
    std::set<Statement*> statements;  // closed with the connection

    // Connection text is UTF-8 here; throws DriverError.
    void connect(const std::string& connectionText);
    void connectDsn(const std::string& dsn);
    void disconnect();
    Backend& database();
    // Starts the transaction that autocommit-off keeps open until SQLEndTran;
    // one that starts with a write takes the write lock at once.
    void beginIfManual(bool writes);
    void endTransaction(bool commit);
    void setAttribute(SQLINTEGER attr, SQLPOINTER value);
    void getAttribute(SQLINTEGER attr, SQLPOINTER value, SQLINTEGER bufferLength,
                      SQLINTEGER* length);
};

struct ColumnBinding {
    SQLSMALLINT targetType = 0;
    SQLPOINTER target = nullptr;
    SQLLEN bufferLength = 0;
    SQLLEN* indicator = nullptr;
};

// Where the last SQLGetData on a column stopped, so that the next call goes on.
struct PieceState {
    int column = -1;
    SQLSMALLINT targetType = 0;
    std::string converted;  // the whole value in the caller's encoding
    size_t offset = 0;
    bool finished = false;
    bool stalled = false;  // the last call had no room for even one byte (or UTF-16 unit)
};

struct Statement {
    explicit Statement(Connection* c) : conn(c) { conn->statements.insert(this); }
    ~Statement() { conn->statements.erase(this); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    // Drops everything that points into the database, before it is closed.
    void release();
    Diagnostics diag;
    Connection* conn;

    std::string sqlText;  // UTF-8 of the prepared or last executed text
    std::optional<Translation> translation;
    std::unique_ptr<Execution> compiled;
    bool prepared = false;
    unsigned generation_ = 0;  // of the database layouts the translation was made from
    std::unique_ptr<Cursor> cursor;
    std::vector<ResultColumn> columns;  // of the open or prepared result
    bool onRow = false;
    SQLLEN rowCount = -1;
    std::vector<ColumnBinding> bindings;
    PieceState piece;
    SQLULEN* rowsFetched = nullptr;
    SQLUSMALLINT* rowStatus = nullptr;
    SQLULEN maxRows = 0;       // SQL_ATTR_MAX_ROWS, 0 for all
    SQLULEN queryTimeout = 0;  // SQL_ATTR_QUERY_TIMEOUT in seconds, 0 for the store's own bound
    SQLULEN rowLimit = 0;      // maxRows as it was when the open query ran
    SQLULEN rowsServed = 0;    // of the open result
    SQLULEN rowArraySize = 1;

    void prepare(const std::string& utf8Sql);
    void execute();
    void executeDirect(const std::string& utf8Sql);
    SQLRETURN fetch();
    void closeCursor();
    void openMemoryResult(std::vector<ResultColumn> cols,
                          std::vector<std::vector<BoundValue>> rows);
    SQLRETURN getData(SQLUSMALLINT column, SQLSMALLINT targetType, SQLPOINTER target,
                      SQLLEN bufferLength, SQLLEN* indicator);
    void bindColumn(SQLUSMALLINT column, SQLSMALLINT targetType, SQLPOINTER target,
                    SQLLEN bufferLength, SQLLEN* indicator);
    const ResultColumn& resultColumn(SQLUSMALLINT column) const;
    void setAttribute(SQLINTEGER attr, SQLPOINTER value);
    // False for an attribute this driver does not have.
    bool getAttribute(SQLINTEGER attr, SQLPOINTER value, SQLINTEGER* length);

    void tables(const std::string& tableName, const std::string& tableType);
    void columnsOf(const std::string& tableName, const std::string& columnName);
    void typeInfo(SQLSMALLINT dataType);
};

// ODBC's view of an Access column type.
struct OdbcTypeInfo {
    SQLSMALLINT sqlType;
    SQLULEN columnSize;
    SQLSMALLINT decimalDigits;
    SQLLEN displaySize;
    SQLLEN octetLength;
    const char* typeName;
};
OdbcTypeInfo odbcType(const ColumnType& t);

}  // namespace rx::access
