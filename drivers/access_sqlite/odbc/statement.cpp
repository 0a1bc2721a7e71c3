#include <algorithm>

#include "drivers/access_sqlite/odbc/data_conversion.h"
#include "drivers/access_sqlite/odbc/handles.h"
#include "drivers/access_sqlite/sql/parser.h"

namespace rx::access {
namespace {

// A new row or result starts no piece; the text buffer keeps its room, so that
// reading row after row allocates nothing.
void resetPiece(PieceState& piece) {
    piece.column = -1;
    piece.targetType = 0;
    piece.converted.clear();
    piece.offset = 0;
    piece.finished = false;
    piece.stalled = false;
}

// A server keeps text as C strings and would cut a value at its first NUL;
// the file could keep it, but a value must read back the same wherever the
// administrator put the rows, so neither store takes one.
void refuseNul(const std::vector<BoundValue>& params) {
    for (const BoundValue& v : params)
        if (v.kind == BoundValue::Kind::Text && v.text.find('\0') != std::string::npos)
            raise(ErrorKind::InvalidCharacter,
                  "A text value holds a NUL character, which cannot be stored");
}

}  // namespace

void Statement::prepare(const std::string& utf8Sql) {
    closeCursor();
    Backend& db = conn->database();
    db.checkSchema();
    if (prepared && utf8Sql == sqlText && generation_ == db.generation())
        return;  // same text: reuse
    prepared = false;
    translation.reset();
    compiled.reset();
    columns.clear();
    ParseResult parsed = parse(utf8Sql);
    if (!parsed.statement) raise(ErrorKind::Syntax, parsed.error);
    Translation t = translate(*parsed.statement, db, db.dialect());
    compiled = db.compile(t);
    translation = std::move(t);
    columns = translation->columns;
    sqlText = utf8Sql;
    generation_ = db.generation();
    prepared = true;
}

void Statement::release() {
    cursor.reset();
    compiled.reset();
    translation.reset();
    prepared = false;
    columns.clear();
    onRow = false;
}

void Statement::execute() {
    if (!prepared) raise(ErrorKind::FunctionSequence, "Function sequence error: nothing prepared");
    closeCursor();
    Backend& db = conn->database();
    const Translation& t = *translation;
    if (!t.isQuery && db.readOnly())
        raise(ErrorKind::ReadOnly,
              "Cannot update. Database or object is read-only" +
                  (db.readOnlyReason().empty() ? std::string() : ": " + db.readOnlyReason()),
              SQLITE_READONLY);
    if (!t.isQuery && db.damaged())
        raise(ErrorKind::Storage, "The database file is damaged: nothing more is written to it",
              SQLITE_CORRUPT);
    refuseNul(t.params);
    db.setQueryTimeout(static_cast<int>(std::min<SQLULEN>(queryTimeout, 86400)));
    conn->beginIfManual(!t.isQuery);
    try {
        if (t.isQuery) {
            cursor = compiled->open(t.params);
            rowLimit = maxRows;  // changing the attribute later leaves this result alone
            rowCount = -1;
            return;
        }
        rowCount = static_cast<SQLLEN>(compiled->run(t.params));
    } catch (const DriverError&) {
        cursor.reset();
        throw;
    }
    if (t.changesSchema) {
        db.forgetSchema();
        prepared = false;  // the text no longer matches what the file holds
    }
}

void Statement::executeDirect(const std::string& utf8Sql) {
    prepare(utf8Sql);
    execute();
}

void Statement::closeCursor() {
    cursor.reset();
    if (compiled) compiled->reset();
    onRow = false;
    rowsServed = 0;
    resetPiece(piece);
    if (!prepared && translation) columns = translation->columns;
}

void Statement::openMemoryResult(std::vector<ResultColumn> cols,
                                 std::vector<std::vector<BoundValue>> rows) {
    closeCursor();
    prepared = false;
    translation.reset();
    compiled.reset();
    columns = std::move(cols);
    cursor = std::make_unique<MemoryCursor>(std::move(rows));
    rowLimit = 0;  // a catalog answer is not a query of the application's
    rowCount = -1;
}

SQLRETURN Statement::fetch() {
    if (!cursor) raise(ErrorKind::InvalidCursorState, "Invalid cursor state: no result is open");
    resetPiece(piece);
    // Past the limit the rest of the result is never stepped through.
    onRow = (rowLimit == 0 || rowsServed < rowLimit) && cursor->next();
    if (rowsFetched) *rowsFetched = onRow ? 1 : 0;
    if (!onRow) return SQL_NO_DATA;
    ++rowsServed;
    if (rowStatus) rowStatus[0] = SQL_ROW_SUCCESS;
    SQLRETURN result = SQL_SUCCESS;
    for (size_t i = 0; i < bindings.size() && i < columns.size(); ++i) {
        const ColumnBinding& b = bindings[i];
        if (!b.target && !b.indicator) continue;
        PieceState local;
        Target t{b.targetType, b.target, b.bufferLength, b.indicator};
        SQLRETURN rc = convertCell(cursor->cell(static_cast<int>(i)), columns[i], t, local,
                                   static_cast<int>(i + 1), diag);
        if (rc == SQL_SUCCESS_WITH_INFO) result = rc;
    }
    if (result == SQL_SUCCESS_WITH_INFO && rowStatus) rowStatus[0] = SQL_ROW_SUCCESS_WITH_INFO;
    return result;
}

const ResultColumn& Statement::resultColumn(SQLUSMALLINT column) const {
    if (column < 1 || column > columns.size())
        raise(ErrorKind::InvalidColumnNumber, "Invalid descriptor index " + std::to_string(column));
    return columns[column - 1];
}

SQLRETURN Statement::getData(SQLUSMALLINT column, SQLSMALLINT targetType, SQLPOINTER target,
                             SQLLEN bufferLength, SQLLEN* indicator) {
    if (!cursor || !onRow)
        raise(ErrorKind::InvalidCursorState, "Invalid cursor state: not on a row");
    const ResultColumn& c = resultColumn(column);
    if (bufferLength < 0) raise(ErrorKind::InvalidLength, "Invalid buffer length");
    Target t{targetType, target, bufferLength, indicator};
    return convertCell(cursor->cell(column - 1), c, t, piece, column, diag);
}

void Statement::bindColumn(SQLUSMALLINT column, SQLSMALLINT targetType, SQLPOINTER target,
                           SQLLEN bufferLength, SQLLEN* indicator) {
    if (column < 1) raise(ErrorKind::InvalidColumnNumber, "Bookmarks are not supported");
    if (bindings.size() < column) bindings.resize(column);
    bindings[column - 1] = {targetType, target, bufferLength, indicator};
}

void Statement::setAttribute(SQLINTEGER attr, SQLPOINTER value) {
    auto number = static_cast<SQLULEN>(reinterpret_cast<uintptr_t>(value));
    switch (attr) {
        case SQL_ATTR_ROWS_FETCHED_PTR:
            rowsFetched = static_cast<SQLULEN*>(value);
            return;
        case SQL_ATTR_ROW_STATUS_PTR:
            rowStatus = static_cast<SQLUSMALLINT*>(value);
            return;
        case SQL_ATTR_MAX_ROWS:
            maxRows = number;
            return;
        case SQL_ATTR_ROW_ARRAY_SIZE:
            if (number != 1) raise(ErrorKind::OptionValueChanged, "Only one row at a time");
            return;
        case SQL_ATTR_CURSOR_TYPE:
            if (number != SQL_CURSOR_FORWARD_ONLY)
                raise(ErrorKind::OptionValueChanged, "Cursor is forward only");
            return;
        case SQL_ATTR_CONCURRENCY:
            if (number != SQL_CONCUR_READ_ONLY)
                raise(ErrorKind::OptionValueChanged, "Cursor is read only");
            return;
        case SQL_ATTR_QUERY_TIMEOUT:
            queryTimeout = number;
            return;
        case SQL_ATTR_NOSCAN:
        case SQL_ATTR_MAX_LENGTH:
        case SQL_ATTR_RETRIEVE_DATA:
        case SQL_ATTR_ROW_BIND_TYPE:
        case SQL_ATTR_CURSOR_SCROLLABLE:
        case SQL_ATTR_CURSOR_SENSITIVITY:
            return;
        default:
            raise(ErrorKind::InvalidAttribute,
                  "Statement attribute " + std::to_string(attr) + " not supported");
    }
}

bool Statement::getAttribute(SQLINTEGER attr, SQLPOINTER value, SQLINTEGER* length) {
    SQLULEN v = 0;
    switch (attr) {
        case SQL_ATTR_ROWS_FETCHED_PTR:
            v = reinterpret_cast<SQLULEN>(rowsFetched);
            break;
        case SQL_ATTR_ROW_STATUS_PTR:
            v = reinterpret_cast<SQLULEN>(rowStatus);
            break;
        case SQL_ATTR_MAX_ROWS:
            v = maxRows;
            break;
        case SQL_ATTR_ROW_ARRAY_SIZE:
            v = 1;
            break;
        case SQL_ATTR_CURSOR_TYPE:
            v = SQL_CURSOR_FORWARD_ONLY;
            break;
        case SQL_ATTR_CONCURRENCY:
            v = SQL_CONCUR_READ_ONLY;
            break;
        case SQL_ATTR_QUERY_TIMEOUT:
            v = queryTimeout;
            break;
        case SQL_ATTR_MAX_LENGTH:
        case SQL_ATTR_ROW_BIND_TYPE:
            v = 0;
            break;
        case SQL_ATTR_NOSCAN:
            v = SQL_NOSCAN_OFF;
            break;
        case SQL_ATTR_RETRIEVE_DATA:
            v = SQL_RD_ON;
            break;
        case SQL_ATTR_CURSOR_SCROLLABLE:
            v = SQL_NONSCROLLABLE;
            break;
        case SQL_ATTR_ROW_NUMBER:
            v = 0;
            break;
        // The driver manager asks for the descriptors of every new statement:
        // an answer, not an exception, for what is not there.
        default:
            return false;
    }
    if (value) *static_cast<SQLULEN*>(value) = v;
    if (length) *length = sizeof(SQLULEN);
    return true;
}

}  // namespace rx::access
