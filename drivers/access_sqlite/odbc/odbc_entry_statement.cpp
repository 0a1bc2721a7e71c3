// Exported functions for statements: execution, result description, fetching
// and the catalog functions, each text-carrying one in its ANSI and W form.

#include <cstring>

#include "drivers/access_sqlite/odbc/entry_support.h"

using namespace rx::access;

namespace {

template <typename T>
void putNumber(SQLPOINTER p, T v) {
    if (p) *static_cast<T*>(p) = v;
}

SQLLEN numericAttribute(const ResultColumn& c, SQLUSMALLINT field) {
    OdbcTypeInfo t = odbcType(c.type);
    AccessType at = c.type.type;
    switch (field) {
        case SQL_DESC_TYPE:
            return t.sqlType == SQL_TYPE_TIMESTAMP ? SQL_DATETIME : t.sqlType;
        case SQL_DESC_CONCISE_TYPE:
            return t.sqlType;
        case SQL_DESC_LENGTH:
        case SQL_COLUMN_LENGTH:
            return static_cast<SQLLEN>(t.columnSize);
        case SQL_DESC_OCTET_LENGTH:
            return t.octetLength;
        case SQL_DESC_PRECISION:
        case SQL_COLUMN_PRECISION:
            return static_cast<SQLLEN>(isNumericType(at) ? t.columnSize : 0);
        case SQL_DESC_SCALE:
        case SQL_COLUMN_SCALE:
            return t.decimalDigits;
        case SQL_DESC_DISPLAY_SIZE:
            return t.displaySize;
        case SQL_DESC_NULLABLE:
        case SQL_COLUMN_NULLABLE:
            return c.nullable ? SQL_NULLABLE : SQL_NO_NULLS;
        case SQL_DESC_UNSIGNED:
            return at == AccessType::Byte || !isNumericType(at) ? SQL_TRUE : SQL_FALSE;
        case SQL_DESC_AUTO_UNIQUE_VALUE:
            return at == AccessType::Counter ? SQL_TRUE : SQL_FALSE;
        case SQL_DESC_CASE_SENSITIVE:
            return SQL_FALSE;
        case SQL_DESC_SEARCHABLE:
            return isTextType(at) ? SQL_PRED_SEARCHABLE : SQL_PRED_BASIC;
        case SQL_DESC_UPDATABLE:
            return SQL_ATTR_READONLY;
        case SQL_DESC_FIXED_PREC_SCALE:
            return at == AccessType::Currency ? SQL_TRUE : SQL_FALSE;
        case SQL_DESC_NUM_PREC_RADIX:
            return isNumericType(at)
                       ? (at == AccessType::Double || at == AccessType::Single ? 2 : 10)
                       : 0;
        case SQL_DESC_UNNAMED:
            return SQL_NAMED;
        case SQL_DESC_DATETIME_INTERVAL_CODE:
            return t.sqlType == SQL_TYPE_TIMESTAMP ? SQL_CODE_TIMESTAMP : 0;
        default:
            raise(ErrorKind::InvalidAttribute,
                  "Column attribute " + std::to_string(field) + " not supported");
    }
}

std::string textAttribute(const ResultColumn& c, SQLUSMALLINT field, bool& isText) {
    isText = true;
    OdbcTypeInfo t = odbcType(c.type);
    switch (field) {
        case SQL_DESC_NAME:
        case SQL_DESC_LABEL:
        case SQL_DESC_BASE_COLUMN_NAME:
        case SQL_COLUMN_NAME:
            return c.name;
        case SQL_DESC_TYPE_NAME:
        case SQL_DESC_LOCAL_TYPE_NAME:
            return t.typeName;
        case SQL_DESC_TABLE_NAME:
        case SQL_DESC_BASE_TABLE_NAME:
            return std::string();  // not tracked per result column
        case SQL_DESC_CATALOG_NAME:
        case SQL_DESC_SCHEMA_NAME:
            return "";
        case SQL_DESC_LITERAL_PREFIX:
        case SQL_DESC_LITERAL_SUFFIX:
            return isTextType(c.type.type) ? "'" : c.type.type == AccessType::DateTime ? "#" : "";
        default:
            isText = false;
            return {};
    }
}

// The work behind each pair of ANSI and W entry points, with the caller's
// text encoding as its first argument.

SQLRETURN prepare(Encoding e, SQLHSTMT stmt, const void* text, SQLINTEGER length, bool execute) {
    return guarded<Statement>(stmt, [&](Statement& s) -> SQLRETURN {
        if (!text) raise(ErrorKind::NullPointer, "Invalid use of null pointer");
        if (execute)
            s.executeDirect(inText(e, text, length));
        else
            s.prepare(inText(e, text, length));
        return SQL_SUCCESS;
    });
}

SQLRETURN nativeSql(Encoding e, SQLHDBC dbc, const void* in, SQLINTEGER inLength, void* out,
                    SQLINTEGER outMax, SQLINTEGER* outLength) {
    return guarded<Connection>(dbc, [&](Connection& c) -> SQLRETURN {
        return outText(e, Units::Characters, inText(e, in, inLength), out, outMax, outLength,
                       c.diag);
    });
}

SQLRETURN describeCol(Encoding e, SQLHSTMT stmt, SQLUSMALLINT column, void* name,
                      SQLSMALLINT nameMax, SQLSMALLINT* nameLength, SQLSMALLINT* type,
                      SQLULEN* size, SQLSMALLINT* digits, SQLSMALLINT* nullable) {
    return guarded<Statement>(stmt, [&](Statement& s) -> SQLRETURN {
        const ResultColumn& c = s.resultColumn(column);
        OdbcTypeInfo t = odbcType(c.type);
        putNumber(type, t.sqlType);
        putNumber(size, t.columnSize);
        putNumber(digits, t.decimalDigits);
        putNumber<SQLSMALLINT>(nullable, c.nullable ? SQL_NULLABLE : SQL_NO_NULLS);
        return outText(e, Units::Characters, c.name, name, nameMax, nameLength, s.diag);
    });
}

SQLRETURN colAttribute(Encoding e, SQLHSTMT stmt, SQLUSMALLINT column, SQLUSMALLINT field,
                       SQLPOINTER text, SQLSMALLINT textMax, SQLSMALLINT* textLength,
                       SQLLEN* number) {
    return guarded<Statement>(stmt, [&](Statement& s) -> SQLRETURN {
        if (field == SQL_DESC_COUNT || field == SQL_COLUMN_COUNT) {
            putNumber(number, static_cast<SQLLEN>(s.columns.size()));
            return SQL_SUCCESS;
        }
        const ResultColumn& c = s.resultColumn(column);
        bool isText = false;
        std::string value = textAttribute(c, field, isText);
        if (isText) return outText(e, Units::Bytes, value, text, textMax, textLength, s.diag);
        putNumber(number, numericAttribute(c, field));
        return SQL_SUCCESS;
    });
}

SQLRETURN tables(Encoding e, SQLHSTMT stmt, const void* table, SQLSMALLINT tableLength,
                 const void* types, SQLSMALLINT typesLength) {
    return guarded<Statement>(stmt, [&](Statement& s) -> SQLRETURN {
        s.tables(inText(e, table, tableLength), inText(e, types, typesLength));
        return SQL_SUCCESS;
    });
}

SQLRETURN columns(Encoding e, SQLHSTMT stmt, const void* table, SQLSMALLINT tableLength,
                  const void* column, SQLSMALLINT columnLength) {
    return guarded<Statement>(stmt, [&](Statement& s) -> SQLRETURN {
        s.columnsOf(inText(e, table, tableLength), inText(e, column, columnLength));
        return SQL_SUCCESS;
    });
}

}  // namespace

extern "C" {

SQLRETURN SQL_API SQLFreeStmt(SQLHSTMT stmt, SQLUSMALLINT option) {
    if (option == SQL_DROP)
        return stmt ? (delete static_cast<Statement*>(stmt), SQL_SUCCESS) : SQL_INVALID_HANDLE;
    return guarded<Statement>(stmt, [&](Statement& s) -> SQLRETURN {
        if (option == SQL_CLOSE)
            s.closeCursor();
        else if (option == SQL_UNBIND)
            s.bindings.clear();
        else if (option != SQL_RESET_PARAMS)
            raise(ErrorKind::InvalidAttributeValue, "Invalid option");
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLCloseCursor(SQLHSTMT stmt) {
    return guarded<Statement>(stmt, [&](Statement& s) -> SQLRETURN {
        if (!s.cursor)
            raise(ErrorKind::InvalidCursorState, "Invalid cursor state: no result is open");
        s.closeCursor();
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLCancel(SQLHSTMT stmt) {
    return guarded<Statement>(stmt, [&](Statement& s) -> SQLRETURN {
        s.closeCursor();
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLPrepare(SQLHSTMT stmt, SQLCHAR* text, SQLINTEGER length) {
    return prepare(Encoding::Narrow, stmt, text, length, false);
}

SQLRETURN SQL_API SQLPrepareW(SQLHSTMT stmt, SQLWCHAR* text, SQLINTEGER length) {
    return prepare(Encoding::Wide, stmt, text, length, false);
}

SQLRETURN SQL_API SQLExecute(SQLHSTMT stmt) {
    return guarded<Statement>(stmt, [&](Statement& s) -> SQLRETURN {
        s.execute();
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLExecDirect(SQLHSTMT stmt, SQLCHAR* text, SQLINTEGER length) {
    return prepare(Encoding::Narrow, stmt, text, length, true);
}

SQLRETURN SQL_API SQLExecDirectW(SQLHSTMT stmt, SQLWCHAR* text, SQLINTEGER length) {
    return prepare(Encoding::Wide, stmt, text, length, true);
}

SQLRETURN SQL_API SQLNativeSql(SQLHDBC dbc, SQLCHAR* in, SQLINTEGER inLength, SQLCHAR* out,
                               SQLINTEGER outMax, SQLINTEGER* outLength) {
    return nativeSql(Encoding::Narrow, dbc, in, inLength, out, outMax, outLength);
}

SQLRETURN SQL_API SQLNativeSqlW(SQLHDBC dbc, SQLWCHAR* in, SQLINTEGER inLength, SQLWCHAR* out,
                                SQLINTEGER outMax, SQLINTEGER* outLength) {
    return nativeSql(Encoding::Wide, dbc, in, inLength, out, outMax, outLength);
}

SQLRETURN SQL_API SQLNumParams(SQLHSTMT stmt, SQLSMALLINT* count) {
    return guarded<Statement>(stmt, [&](Statement&) -> SQLRETURN {
        putNumber<SQLSMALLINT>(count, 0);
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLNumResultCols(SQLHSTMT stmt, SQLSMALLINT* count) {
    return guarded<Statement>(stmt, [&](Statement& s) -> SQLRETURN {
        putNumber(count, static_cast<SQLSMALLINT>(s.columns.size()));
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLRowCount(SQLHSTMT stmt, SQLLEN* count) {
    return guarded<Statement>(stmt, [&](Statement& s) -> SQLRETURN {
        putNumber(count, s.rowCount);
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLMoreResults(SQLHSTMT stmt) {
    return guarded<Statement>(stmt, [&](Statement& s) -> SQLRETURN {
        s.closeCursor();  // one statement, one result
        return SQL_NO_DATA;
    });
}

SQLRETURN SQL_API SQLDescribeCol(SQLHSTMT stmt, SQLUSMALLINT column, SQLCHAR* name,
                                 SQLSMALLINT nameMax, SQLSMALLINT* nameLength, SQLSMALLINT* type,
                                 SQLULEN* size, SQLSMALLINT* digits, SQLSMALLINT* nullable) {
    return describeCol(Encoding::Narrow, stmt, column, name, nameMax, nameLength, type, size,
                       digits, nullable);
}

SQLRETURN SQL_API SQLDescribeColW(SQLHSTMT stmt, SQLUSMALLINT column, SQLWCHAR* name,
                                  SQLSMALLINT nameMax, SQLSMALLINT* nameLength, SQLSMALLINT* type,
                                  SQLULEN* size, SQLSMALLINT* digits, SQLSMALLINT* nullable) {
    return describeCol(Encoding::Wide, stmt, column, name, nameMax, nameLength, type, size, digits,
                       nullable);
}

SQLRETURN SQL_API SQLColAttribute(SQLHSTMT stmt, SQLUSMALLINT column, SQLUSMALLINT field,
                                  SQLPOINTER text, SQLSMALLINT textMax, SQLSMALLINT* textLength,
                                  SQLLEN* number) {
    return colAttribute(Encoding::Narrow, stmt, column, field, text, textMax, textLength, number);
}

SQLRETURN SQL_API SQLColAttributeW(SQLHSTMT stmt, SQLUSMALLINT column, SQLUSMALLINT field,
                                   SQLPOINTER text, SQLSMALLINT textMax, SQLSMALLINT* textLength,
                                   SQLLEN* number) {
    return colAttribute(Encoding::Wide, stmt, column, field, text, textMax, textLength, number);
}

SQLRETURN SQL_API SQLBindCol(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT type,
                             SQLPOINTER target, SQLLEN bufferLength, SQLLEN* indicator) {
    return guarded<Statement>(stmt, [&](Statement& s) -> SQLRETURN {
        s.bindColumn(column, type, target, bufferLength, indicator);
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLFetch(SQLHSTMT stmt) {
    return guarded<Statement>(stmt, [&](Statement& s) -> SQLRETURN { return s.fetch(); });
}

SQLRETURN SQL_API SQLFetchScroll(SQLHSTMT stmt, SQLSMALLINT orientation, SQLLEN) {
    return guarded<Statement>(stmt, [&](Statement& s) -> SQLRETURN {
        if (orientation != SQL_FETCH_NEXT)
            raise(ErrorKind::InvalidFetchOrientation,
                  "The cursor is forward only: only SQL_FETCH_NEXT");
        return s.fetch();
    });
}

SQLRETURN SQL_API SQLGetData(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT type,
                             SQLPOINTER target, SQLLEN bufferLength, SQLLEN* indicator) {
    return guarded<Statement>(stmt, [&](Statement& s) -> SQLRETURN {
        return s.getData(column, type, target, bufferLength, indicator);
    });
}

SQLRETURN SQL_API SQLSetStmtAttr(SQLHSTMT stmt, SQLINTEGER attr, SQLPOINTER value, SQLINTEGER) {
    return guarded<Statement>(stmt, [&](Statement& s) -> SQLRETURN {
        s.setAttribute(attr, value);
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLGetStmtAttr(SQLHSTMT stmt, SQLINTEGER attr, SQLPOINTER value, SQLINTEGER,
                                 SQLINTEGER* length) {
    return guarded<Statement>(stmt, [&](Statement& s) -> SQLRETURN {
        if (s.getAttribute(attr, value, length)) return SQL_SUCCESS;
        s.diag.add(ErrorKind::InvalidAttribute,
                   "Statement attribute " + std::to_string(attr) + " not supported");
        return SQL_ERROR;
    });
}

// The driver's statement attributes are all numbers, the same for W callers.
SQLRETURN SQL_API SQLSetStmtAttrW(SQLHSTMT stmt, SQLINTEGER attr, SQLPOINTER value,
                                  SQLINTEGER length) {
    return SQLSetStmtAttr(stmt, attr, value, length);
}

SQLRETURN SQL_API SQLGetStmtAttrW(SQLHSTMT stmt, SQLINTEGER attr, SQLPOINTER value,
                                  SQLINTEGER bufferLength, SQLINTEGER* length) {
    return SQLGetStmtAttr(stmt, attr, value, bufferLength, length);
}

SQLRETURN SQL_API SQLTables(SQLHSTMT stmt, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT,
                            SQLCHAR* table, SQLSMALLINT tableLength, SQLCHAR* types,
                            SQLSMALLINT typesLength) {
    return tables(Encoding::Narrow, stmt, table, tableLength, types, typesLength);
}

SQLRETURN SQL_API SQLTablesW(SQLHSTMT stmt, SQLWCHAR*, SQLSMALLINT, SQLWCHAR*, SQLSMALLINT,
                             SQLWCHAR* table, SQLSMALLINT tableLength, SQLWCHAR* types,
                             SQLSMALLINT typesLength) {
    return tables(Encoding::Wide, stmt, table, tableLength, types, typesLength);
}

SQLRETURN SQL_API SQLColumns(SQLHSTMT stmt, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT,
                             SQLCHAR* table, SQLSMALLINT tableLength, SQLCHAR* column,
                             SQLSMALLINT columnLength) {
    return columns(Encoding::Narrow, stmt, table, tableLength, column, columnLength);
}

SQLRETURN SQL_API SQLColumnsW(SQLHSTMT stmt, SQLWCHAR*, SQLSMALLINT, SQLWCHAR*, SQLSMALLINT,
                              SQLWCHAR* table, SQLSMALLINT tableLength, SQLWCHAR* column,
                              SQLSMALLINT columnLength) {
    return columns(Encoding::Wide, stmt, table, tableLength, column, columnLength);
}

SQLRETURN SQL_API SQLGetTypeInfo(SQLHSTMT stmt, SQLSMALLINT type) {
    return guarded<Statement>(stmt, [&](Statement& s) -> SQLRETURN {
        s.typeInfo(type);
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLGetTypeInfoW(SQLHSTMT stmt, SQLSMALLINT type) {
    return SQLGetTypeInfo(stmt, type);
}

}  // extern "C"
