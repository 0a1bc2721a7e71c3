#include "drivers/access_sqlite/odbc/info.h"

namespace rx::access {
namespace {

InfoValue text(std::string s) {
    return {InfoValue::Kind::Text, std::move(s), 0};
}

// The answers that do not depend on the connection.
struct FixedInfo {
    SQLUSMALLINT type;
    InfoValue::Kind kind;
    const char* text;  // for Kind::Text
    SQLUINTEGER number;
};

constexpr FixedInfo kFixedInfo[] = {
    {SQL_DRIVER_NAME, InfoValue::Kind::Text, "librx_access_odbc.so", 0},
    {SQL_DRIVER_VER, InfoValue::Kind::Text, "01.00.0000", 0},
    {SQL_DRIVER_ODBC_VER, InfoValue::Kind::Text, "03.00", 0},
    {SQL_ODBC_VER, InfoValue::Kind::Text, "03.00.0000", 0},
    {SQL_DBMS_NAME, InfoValue::Kind::Text, "ACCESS", 0},
    {SQL_DBMS_VER, InfoValue::Kind::Text, "04.00.0000", 0},
    {SQL_USER_NAME, InfoValue::Kind::Text, "admin", 0},
    {SQL_ACCESSIBLE_TABLES, InfoValue::Kind::Text, "Y", 0},
    {SQL_ACCESSIBLE_PROCEDURES, InfoValue::Kind::Text, "N", 0},
    {SQL_IDENTIFIER_QUOTE_CHAR, InfoValue::Kind::Text, "`", 0},
    {SQL_SEARCH_PATTERN_ESCAPE, InfoValue::Kind::Text, "\\", 0},
    {SQL_CATALOG_NAME_SEPARATOR, InfoValue::Kind::Text, ".", 0},
    {SQL_CATALOG_TERM, InfoValue::Kind::Text, "DATABASE", 0},
    {SQL_SCHEMA_TERM, InfoValue::Kind::Text, "", 0},
    {SQL_PROCEDURE_TERM, InfoValue::Kind::Text, "", 0},
    {SQL_TABLE_TERM, InfoValue::Kind::Text, "TABLE", 0},
    {SQL_CATALOG_NAME, InfoValue::Kind::Text, "Y", 0},
    {SQL_COLUMN_ALIAS, InfoValue::Kind::Text, "Y", 0},
    {SQL_ORDER_BY_COLUMNS_IN_SELECT, InfoValue::Kind::Text, "N", 0},
    {SQL_MULT_RESULT_SETS, InfoValue::Kind::Text, "N", 0},
    {SQL_MULTIPLE_ACTIVE_TXN, InfoValue::Kind::Text, "N", 0},
    {SQL_OUTER_JOINS, InfoValue::Kind::Text, "N", 0},
    {SQL_PROCEDURES, InfoValue::Kind::Text, "N", 0},
    {SQL_ROW_UPDATES, InfoValue::Kind::Text, "N", 0},
    {SQL_NEED_LONG_DATA_LEN, InfoValue::Kind::Text, "N", 0},
    {SQL_EXPRESSIONS_IN_ORDERBY, InfoValue::Kind::Text, "N", 0},
    {SQL_INTEGRITY, InfoValue::Kind::Text, "N", 0},
    {SQL_LIKE_ESCAPE_CLAUSE, InfoValue::Kind::Text, "N", 0},
    {SQL_MAX_ROW_SIZE_INCLUDES_LONG, InfoValue::Kind::Text, "N", 0},
    {SQL_SPECIAL_CHARACTERS, InfoValue::Kind::Text, "~@#$%^&*_-+=\\}{\"';:?/><,.![]|", 0},
    {SQL_KEYWORDS, InfoValue::Kind::Text,
     "COUNTER,LONGTEXT,MEMO,YESNO,CURRENCY,SINGLE,BYTE,SHORT,LONG,TOP", 0},
    {SQL_COLLATION_SEQ, InfoValue::Kind::Text, "General", 0},
    {SQL_XOPEN_CLI_YEAR, InfoValue::Kind::Text, "1995", 0},
    {SQL_TXN_CAPABLE, InfoValue::Kind::UShort, nullptr, SQL_TC_ALL},
    {SQL_CURSOR_COMMIT_BEHAVIOR, InfoValue::Kind::UShort, nullptr, SQL_CB_PRESERVE},
    {SQL_CURSOR_ROLLBACK_BEHAVIOR, InfoValue::Kind::UShort, nullptr, SQL_CB_PRESERVE},
    {SQL_MAX_DRIVER_CONNECTIONS, InfoValue::Kind::UShort, nullptr, 0},
    {SQL_MAX_CONCURRENT_ACTIVITIES, InfoValue::Kind::UShort, nullptr, 0},
    {SQL_MAX_COLUMN_NAME_LEN, InfoValue::Kind::UShort, nullptr, 64},
    {SQL_MAX_TABLE_NAME_LEN, InfoValue::Kind::UShort, nullptr, 64},
    {SQL_MAX_CURSOR_NAME_LEN, InfoValue::Kind::UShort, nullptr, 64},
    {SQL_MAX_SCHEMA_NAME_LEN, InfoValue::Kind::UShort, nullptr, 0},
    {SQL_MAX_CATALOG_NAME_LEN, InfoValue::Kind::UShort, nullptr, 260},
    {SQL_MAX_PROCEDURE_NAME_LEN, InfoValue::Kind::UShort, nullptr, 0},
    {SQL_MAX_USER_NAME_LEN, InfoValue::Kind::UShort, nullptr, 0},
    {SQL_MAX_COLUMNS_IN_SELECT, InfoValue::Kind::UShort, nullptr, 255},
    {SQL_MAX_COLUMNS_IN_TABLE, InfoValue::Kind::UShort, nullptr, 255},
    {SQL_MAX_COLUMNS_IN_ORDER_BY, InfoValue::Kind::UShort, nullptr, 255},
    {SQL_MAX_COLUMNS_IN_GROUP_BY, InfoValue::Kind::UShort, nullptr, 255},
    {SQL_MAX_COLUMNS_IN_INDEX, InfoValue::Kind::UShort, nullptr, 255},
    {SQL_MAX_TABLES_IN_SELECT, InfoValue::Kind::UShort, nullptr, 1},
    {SQL_IDENTIFIER_CASE, InfoValue::Kind::UShort, nullptr, SQL_IC_MIXED},
    {SQL_QUOTED_IDENTIFIER_CASE, InfoValue::Kind::UShort, nullptr, SQL_IC_MIXED},
    {SQL_NULL_COLLATION, InfoValue::Kind::UShort, nullptr, SQL_NC_LOW},
    {SQL_CONCAT_NULL_BEHAVIOR, InfoValue::Kind::UShort, nullptr, SQL_CB_NULL},
    {SQL_NON_NULLABLE_COLUMNS, InfoValue::Kind::UShort, nullptr, SQL_NNC_NON_NULL},
    {SQL_CORRELATION_NAME, InfoValue::Kind::UShort, nullptr, SQL_CN_NONE},
    {SQL_FILE_USAGE, InfoValue::Kind::UShort, nullptr, SQL_FILE_CATALOG},
    {SQL_GROUP_BY, InfoValue::Kind::UShort, nullptr, SQL_GB_NOT_SUPPORTED},
    {SQL_ODBC_API_CONFORMANCE, InfoValue::Kind::UShort, nullptr, SQL_OAC_LEVEL1},
    {SQL_ODBC_SQL_CONFORMANCE, InfoValue::Kind::UShort, nullptr, SQL_OSC_MINIMUM},
    {SQL_ODBC_SAG_CLI_CONFORMANCE, InfoValue::Kind::UShort, nullptr, SQL_OSCC_COMPLIANT},
    {SQL_TXN_ISOLATION_OPTION, InfoValue::Kind::UInt, nullptr, SQL_TXN_SERIALIZABLE},
    {SQL_DEFAULT_TXN_ISOLATION, InfoValue::Kind::UInt, nullptr, SQL_TXN_SERIALIZABLE},
    {SQL_GETDATA_EXTENSIONS, InfoValue::Kind::UInt, nullptr,
     SQL_GD_ANY_COLUMN | SQL_GD_ANY_ORDER | SQL_GD_BOUND},
    {SQL_SCROLL_OPTIONS, InfoValue::Kind::UInt, nullptr, SQL_SO_FORWARD_ONLY},
    {SQL_SCROLL_CONCURRENCY, InfoValue::Kind::UInt, nullptr, SQL_SCCO_READ_ONLY},
    {SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES1, InfoValue::Kind::UInt, nullptr, SQL_CA1_NEXT},
    {SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES2, InfoValue::Kind::UInt, nullptr,
     SQL_CA2_READ_ONLY_CONCURRENCY},
    {SQL_STATIC_CURSOR_ATTRIBUTES1, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_STATIC_CURSOR_ATTRIBUTES2, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_DYNAMIC_CURSOR_ATTRIBUTES1, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_DYNAMIC_CURSOR_ATTRIBUTES2, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_KEYSET_CURSOR_ATTRIBUTES1, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_KEYSET_CURSOR_ATTRIBUTES2, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_ODBC_INTERFACE_CONFORMANCE, InfoValue::Kind::UInt, nullptr, SQL_OIC_CORE},
    {SQL_SQL_CONFORMANCE, InfoValue::Kind::UInt, nullptr, SQL_SC_SQL92_ENTRY},
    {SQL_ASYNC_MODE, InfoValue::Kind::UInt, nullptr, SQL_AM_NONE},
    {SQL_BOOKMARK_PERSISTENCE, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_POS_OPERATIONS, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_POSITIONED_STATEMENTS, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_STATIC_SENSITIVITY, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_LOCK_TYPES, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_SCHEMA_USAGE, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_CATALOG_USAGE, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_SUBQUERIES, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_UNION, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_ALTER_TABLE, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_BATCH_SUPPORT, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_PARAM_ARRAY_ROW_COUNTS, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_PARAM_ARRAY_SELECTS, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_TIMEDATE_FUNCTIONS, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_SYSTEM_FUNCTIONS, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_NUMERIC_FUNCTIONS, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_STRING_FUNCTIONS, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_CONVERT_FUNCTIONS, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_INFO_SCHEMA_VIEWS, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_DATETIME_LITERALS, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_OJ_CAPABILITIES, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_MAX_ASYNC_CONCURRENT_STATEMENTS, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_MAX_INDEX_SIZE, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_MAX_BINARY_LITERAL_LEN, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_MAX_CHAR_LITERAL_LEN, InfoValue::Kind::UInt, nullptr, 65535},
    {SQL_MAX_STATEMENT_LEN, InfoValue::Kind::UInt, nullptr, 65535},
    {SQL_MAX_ROW_SIZE, InfoValue::Kind::UInt, nullptr, 65535},
    {SQL_CREATE_TABLE, InfoValue::Kind::UInt, nullptr,
     SQL_CT_CREATE_TABLE | SQL_CT_COLUMN_CONSTRAINT},
    {SQL_DROP_TABLE, InfoValue::Kind::UInt, nullptr, SQL_DT_DROP_TABLE},
    {SQL_SQL92_PREDICATES, InfoValue::Kind::UInt, nullptr,
     SQL_SP_BETWEEN | SQL_SP_COMPARISON | SQL_SP_IN | SQL_SP_ISNOTNULL | SQL_SP_ISNULL |
         SQL_SP_LIKE},
    {SQL_AGGREGATE_FUNCTIONS, InfoValue::Kind::UInt, nullptr, SQL_AF_COUNT},
    {SQL_CONVERT_CHAR, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_CONVERT_VARCHAR, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_CONVERT_LONGVARCHAR, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_CONVERT_INTEGER, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_CONVERT_DOUBLE, InfoValue::Kind::UInt, nullptr, 0},
    {SQL_CONVERT_TIMESTAMP, InfoValue::Kind::UInt, nullptr, 0},
};

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
    switch (infoType) {
        case SQL_DATA_SOURCE_NAME:
            return text(conn.dataSource);
        case SQL_SERVER_NAME:
            return text(conn.db && conn.db->dialect() == Dialect::Postgres ? "PostgreSQL"
                                                                           : "ACCESS");
        case SQL_DATABASE_NAME:
            return text(conn.db ? conn.db->location() : std::string());
        case SQL_DATA_SOURCE_READ_ONLY:
            return text((conn.db ? conn.db->readOnly() : conn.readOnlyMode) ? "Y" : "N");
        default:
            break;
    }
    for (const FixedInfo& f : kFixedInfo)
        if (f.type == infoType) return {f.kind, f.text ? f.text : "", f.number};
    raise(ErrorKind::InvalidInfoType,
          "Information type " + std::to_string(infoType) + " not supported");
}

}  // namespace rx::access
