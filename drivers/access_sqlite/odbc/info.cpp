#include "drivers/access_sqlite/odbc/info.h"

namespace rx::access {
namespace {

InfoValue text(std::string s) {
    return {InfoValue::Kind::Text, std::move(s), 0};
}
InfoValue u16(SQLUINTEGER v) {
    return {InfoValue::Kind::UShort, {}, v};
}
InfoValue u32(SQLUINTEGER v) {
    return {InfoValue::Kind::UInt, {}, v};
}

constexpr SQLUSMALLINT kFunctions[] = {
    SQL_API_SQLALLOCHANDLE,    SQL_API_SQLFREEHANDLE,     SQL_API_SQLCONNECT,
    SQL_API_SQLDRIVERCONNECT,  SQL_API_SQLDISCONNECT,     SQL_API_SQLEXECDIRECT,
    SQL_API_SQLPREPARE,        SQL_API_SQLEXECUTE,        SQL_API_SQLNUMRESULTCOLS,
    SQL_API_SQLDESCRIBECOL,    SQL_API_SQLCOLATTRIBUTE,   SQL_API_SQLFETCH,
    SQL_API_SQLFETCHSCROLL,    SQL_API_SQLGETDATA,        SQL_API_SQLBINDCOL,
    SQL_API_SQLROWCOUNT,       SQL_API_SQLCLOSECURSOR,    SQL_API_SQLFREESTMT,
    SQL_API_SQLGETDIAGREC,     SQL_API_SQLGETDIAGFIELD,   SQL_API_SQLGETINFO,
    SQL_API_SQLGETFUNCTIONS,   SQL_API_SQLGETTYPEINFO,    SQL_API_SQLTABLES,
    SQL_API_SQLCOLUMNS,        SQL_API_SQLSETENVATTR,     SQL_API_SQLGETENVATTR,
    SQL_API_SQLSETCONNECTATTR, SQL_API_SQLGETCONNECTATTR, SQL_API_SQLSETSTMTATTR,
    SQL_API_SQLGETSTMTATTR,    SQL_API_SQLENDTRAN,        SQL_API_SQLMORERESULTS,
    SQL_API_SQLCANCEL,         SQL_API_SQLNATIVESQL,      SQL_API_SQLNUMPARAMS,
};

}  // namespace

bool supportsFunction(SQLUSMALLINT function) {
    for (SQLUSMALLINT f : kFunctions)
        if (f == function) return true;
    return false;
}

InfoValue infoValue(const Connection& conn, SQLUSMALLINT infoType) {
    bool readOnly = conn.db ? conn.db->readOnly() : conn.readOnlyMode;
    switch (infoType) {
        case SQL_DRIVER_NAME:
            return text("librx_access_odbc.so");
        case SQL_DRIVER_VER:
            return text("01.00.0000");
        case SQL_DRIVER_ODBC_VER:
            return text("03.00");
        case SQL_ODBC_VER:
            return text("03.00.0000");
        case SQL_DBMS_NAME:
            return text("ACCESS");
        case SQL_DBMS_VER:
            return text("04.00.0000");
        case SQL_DATA_SOURCE_NAME:
            return text(conn.dataSource);
        case SQL_SERVER_NAME:
            return text(conn.db && conn.db->dialect() == Dialect::Postgres ? "PostgreSQL"
                                                                           : "ACCESS");
        case SQL_DATABASE_NAME:
            return text(conn.db ? conn.db->location() : std::string());
        case SQL_USER_NAME:
            return text("admin");
        case SQL_DATA_SOURCE_READ_ONLY:
            return text(readOnly ? "Y" : "N");
        case SQL_ACCESSIBLE_TABLES:
        case SQL_ACCESSIBLE_PROCEDURES:
            return text(infoType == SQL_ACCESSIBLE_TABLES ? "Y" : "N");
        case SQL_IDENTIFIER_QUOTE_CHAR:
            return text("`");
        case SQL_SEARCH_PATTERN_ESCAPE:
            return text("\\");
        case SQL_CATALOG_NAME_SEPARATOR:
            return text(".");
        case SQL_CATALOG_TERM:
            return text("DATABASE");
        case SQL_SCHEMA_TERM:
        case SQL_PROCEDURE_TERM:
            return text("");
        case SQL_TABLE_TERM:
            return text("TABLE");
        case SQL_CATALOG_NAME:
        case SQL_COLUMN_ALIAS:
        case SQL_ORDER_BY_COLUMNS_IN_SELECT:
        case SQL_MULT_RESULT_SETS:
        case SQL_MULTIPLE_ACTIVE_TXN:
        case SQL_OUTER_JOINS:
        case SQL_PROCEDURES:
        case SQL_ROW_UPDATES:
        case SQL_NEED_LONG_DATA_LEN:
        case SQL_EXPRESSIONS_IN_ORDERBY:
        case SQL_INTEGRITY:
        case SQL_LIKE_ESCAPE_CLAUSE:
        case SQL_MAX_ROW_SIZE_INCLUDES_LONG:
            return text(infoType == SQL_COLUMN_ALIAS || infoType == SQL_CATALOG_NAME ? "Y" : "N");
        case SQL_SPECIAL_CHARACTERS:
            return text("~@#$%^&*_-+=\\}{\"';:?/><,.![]|");
        case SQL_KEYWORDS:
            return text("COUNTER,LONGTEXT,MEMO,YESNO,CURRENCY,SINGLE,BYTE,SHORT,LONG,TOP");
        case SQL_COLLATION_SEQ:
            return text("General");
        case SQL_XOPEN_CLI_YEAR:
            return text("1995");
        case SQL_TXN_CAPABLE:
            return u16(SQL_TC_ALL);
        case SQL_CURSOR_COMMIT_BEHAVIOR:
        case SQL_CURSOR_ROLLBACK_BEHAVIOR:
            return u16(SQL_CB_PRESERVE);
        case SQL_MAX_DRIVER_CONNECTIONS:
        case SQL_MAX_CONCURRENT_ACTIVITIES:
            return u16(0);
        case SQL_MAX_COLUMN_NAME_LEN:
        case SQL_MAX_TABLE_NAME_LEN:
        case SQL_MAX_CURSOR_NAME_LEN:
            return u16(64);
        case SQL_MAX_SCHEMA_NAME_LEN:
        case SQL_MAX_CATALOG_NAME_LEN:
        case SQL_MAX_PROCEDURE_NAME_LEN:
        case SQL_MAX_USER_NAME_LEN:
            return u16(infoType == SQL_MAX_CATALOG_NAME_LEN ? 260 : 0);
        case SQL_MAX_COLUMNS_IN_SELECT:
        case SQL_MAX_COLUMNS_IN_TABLE:
        case SQL_MAX_COLUMNS_IN_ORDER_BY:
        case SQL_MAX_COLUMNS_IN_GROUP_BY:
        case SQL_MAX_COLUMNS_IN_INDEX:
            return u16(255);
        case SQL_MAX_TABLES_IN_SELECT:
            return u16(1);
        case SQL_IDENTIFIER_CASE:
        case SQL_QUOTED_IDENTIFIER_CASE:
            return u16(SQL_IC_MIXED);
        case SQL_NULL_COLLATION:
            return u16(SQL_NC_LOW);
        case SQL_CONCAT_NULL_BEHAVIOR:
            return u16(SQL_CB_NULL);
        case SQL_NON_NULLABLE_COLUMNS:
            return u16(SQL_NNC_NON_NULL);
        case SQL_CORRELATION_NAME:
            return u16(SQL_CN_NONE);
        case SQL_FILE_USAGE:
            return u16(SQL_FILE_CATALOG);
        case SQL_GROUP_BY:
            return u16(SQL_GB_NOT_SUPPORTED);
        case SQL_ODBC_API_CONFORMANCE:
            return u16(SQL_OAC_LEVEL1);
        case SQL_ODBC_SQL_CONFORMANCE:
            return u16(SQL_OSC_MINIMUM);
        case SQL_ODBC_SAG_CLI_CONFORMANCE:
            return u16(SQL_OSCC_COMPLIANT);
        case SQL_TXN_ISOLATION_OPTION:
        case SQL_DEFAULT_TXN_ISOLATION:
            return u32(SQL_TXN_SERIALIZABLE);
        case SQL_GETDATA_EXTENSIONS:
            return u32(SQL_GD_ANY_COLUMN | SQL_GD_ANY_ORDER | SQL_GD_BOUND);
        case SQL_SCROLL_OPTIONS:
            return u32(SQL_SO_FORWARD_ONLY);
        case SQL_SCROLL_CONCURRENCY:
            return u32(SQL_SCCO_READ_ONLY);
        case SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES1:
            return u32(SQL_CA1_NEXT);
        case SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES2:
            return u32(SQL_CA2_READ_ONLY_CONCURRENCY);
        case SQL_STATIC_CURSOR_ATTRIBUTES1:
        case SQL_STATIC_CURSOR_ATTRIBUTES2:
        case SQL_DYNAMIC_CURSOR_ATTRIBUTES1:
        case SQL_DYNAMIC_CURSOR_ATTRIBUTES2:
        case SQL_KEYSET_CURSOR_ATTRIBUTES1:
        case SQL_KEYSET_CURSOR_ATTRIBUTES2:
            return u32(0);
        case SQL_ODBC_INTERFACE_CONFORMANCE:
            return u32(SQL_OIC_CORE);
        case SQL_SQL_CONFORMANCE:
            return u32(SQL_SC_SQL92_ENTRY);
        case SQL_ASYNC_MODE:
            return u32(SQL_AM_NONE);
        case SQL_BOOKMARK_PERSISTENCE:
        case SQL_POS_OPERATIONS:
        case SQL_POSITIONED_STATEMENTS:
        case SQL_STATIC_SENSITIVITY:
        case SQL_LOCK_TYPES:
        case SQL_SCHEMA_USAGE:
        case SQL_CATALOG_USAGE:
        case SQL_SUBQUERIES:
        case SQL_UNION:
        case SQL_ALTER_TABLE:
        case SQL_BATCH_SUPPORT:
        case SQL_PARAM_ARRAY_ROW_COUNTS:
        case SQL_PARAM_ARRAY_SELECTS:
        case SQL_TIMEDATE_FUNCTIONS:
        case SQL_SYSTEM_FUNCTIONS:
        case SQL_NUMERIC_FUNCTIONS:
        case SQL_STRING_FUNCTIONS:
        case SQL_CONVERT_FUNCTIONS:
        case SQL_INFO_SCHEMA_VIEWS:
        case SQL_DATETIME_LITERALS:
        case SQL_OJ_CAPABILITIES:
        case SQL_MAX_ASYNC_CONCURRENT_STATEMENTS:
        case SQL_MAX_INDEX_SIZE:
        case SQL_MAX_BINARY_LITERAL_LEN:
            return u32(0);
        case SQL_MAX_CHAR_LITERAL_LEN:
        case SQL_MAX_STATEMENT_LEN:
        case SQL_MAX_ROW_SIZE:
            return u32(65535);
        case SQL_CREATE_TABLE:
            return u32(SQL_CT_CREATE_TABLE | SQL_CT_COLUMN_CONSTRAINT);
        case SQL_DROP_TABLE:
            return u32(SQL_DT_DROP_TABLE);
        case SQL_SQL92_PREDICATES:
            return u32(SQL_SP_BETWEEN | SQL_SP_COMPARISON | SQL_SP_IN | SQL_SP_ISNOTNULL |
                       SQL_SP_ISNULL | SQL_SP_LIKE);
        case SQL_AGGREGATE_FUNCTIONS:
            return u32(SQL_AF_COUNT);
        case SQL_CONVERT_CHAR:
        case SQL_CONVERT_VARCHAR:
        case SQL_CONVERT_LONGVARCHAR:
        case SQL_CONVERT_INTEGER:
        case SQL_CONVERT_DOUBLE:
        case SQL_CONVERT_TIMESTAMP:
            return u32(0);
        default:
            raise(ErrorKind::InvalidInfoType,
                  "Information type " + std::to_string(infoType) + " not supported");
    }
}

}  // namespace rx::access
