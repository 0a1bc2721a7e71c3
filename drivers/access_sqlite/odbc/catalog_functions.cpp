// SQLTables, SQLColumns and SQLGetTypeInfo: results built in memory from the
// file's own schema, so that isql and other tools can look around.

#include <algorithm>
#include <cctype>

#include "drivers/access_sqlite/odbc/handles.h"

namespace rx::access {

OdbcTypeInfo odbcType(const ColumnType& t) {
    switch (t.type) {
        case AccessType::Counter:
            return {SQL_INTEGER, 10, 0, 11, 4, "COUNTER"};
        case AccessType::Long:
            return {SQL_INTEGER, 10, 0, 11, 4, "INTEGER"};
        case AccessType::Short:
            return {SQL_SMALLINT, 5, 0, 6, 2, "SMALLINT"};
        case AccessType::Byte:
            return {SQL_TINYINT, 3, 0, 3, 1, "BYTE"};
        case AccessType::Single:
            return {SQL_REAL, 24, 0, 14, 4, "REAL"};
        case AccessType::Double:
            return {SQL_DOUBLE, 53, 0, 24, 8, "DOUBLE"};
        case AccessType::Currency:
            return {SQL_NUMERIC, 19, 4, 21, 21, "CURRENCY"};
        case AccessType::DateTime:
            return {SQL_TYPE_TIMESTAMP, 19, 0, 19, 16, "DATETIME"};
        case AccessType::Text: {
            auto n = static_cast<SQLULEN>(t.size);
            return {SQL_VARCHAR, n, 0, static_cast<SQLLEN>(n), static_cast<SQLLEN>(n * 4),
                    "VARCHAR"};
        }
        case AccessType::LongText:
            return {SQL_LONGVARCHAR, 1073741823, 0, 1073741823, 1073741823, "LONGCHAR"};
        case AccessType::YesNo:
            return {SQL_BIT, 1, 0, 1, 1, "BIT"};
    }
    return {SQL_VARCHAR, 255, 0, 255, 1020, "VARCHAR"};
}

namespace {

const ColumnType kName{AccessType::Text, 128};
const ColumnType kSmall{AccessType::Short, 0};
const ColumnType kInt{AccessType::Long, 0};

BoundValue text(const std::string& s) {
    return BoundValue::ofText(s);
}
BoundValue integer(std::int64_t i) {
    return BoundValue::ofInteger(i);
}
BoundValue null() {
    return {};
}

std::vector<ResultColumn> header(std::initializer_list<std::pair<const char*, ColumnType>> cols) {
    std::vector<ResultColumn> out;
    for (const auto& [name, type] : cols) out.push_back({name, type, true});
    return out;
}

// ODBC search patterns: % any run, _ one character, \ escapes; ASCII case ignored.
bool matchesPattern(std::string_view pattern, std::string_view name) {
    if (pattern.empty()) return name.empty();
    if (pattern[0] == '%') {
        for (size_t i = 0; i <= name.size(); ++i)
            if (matchesPattern(pattern.substr(1), name.substr(i))) return true;
        return false;
    }
    if (name.empty()) return false;
    if (pattern[0] == '_') {
        size_t len = 1;
        while (len < name.size() && (static_cast<unsigned char>(name[len]) & 0xC0) == 0x80) ++len;
        return matchesPattern(pattern.substr(1), name.substr(len));
    }
    if (pattern[0] == '\\' && pattern.size() > 1) pattern.remove_prefix(1);
    return sameName(pattern.substr(0, 1), name.substr(0, 1)) &&
           matchesPattern(pattern.substr(1), name.substr(1));
}

bool wantsTables(const std::string& types) {
    if (types.empty() || types == "%") return true;
    std::string upper;
    for (char c : types)
        upper.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    // "TABLE", "'TABLE','VIEW'" and the like; system and view-only requests get nothing.
    for (size_t at = upper.find("TABLE"); at != std::string::npos; at = upper.find("TABLE", at + 1))
        if (at == 0 || upper[at - 1] == '\'' || upper[at - 1] == ',' || upper[at - 1] == ' ') {
            if (at < 7 || upper.compare(at - 7, 7, "SYSTEM ") != 0) return true;
        }
    return false;
}

}  // namespace

void Statement::tables(const std::string& tableName, const std::string& tableType) {
    Backend& db = conn->database();
    auto cols = header({{"TABLE_CAT", kName},
                        {"TABLE_SCHEM", kName},
                        {"TABLE_NAME", kName},
                        {"TABLE_TYPE", kName},
                        {"REMARKS", kName}});
    std::vector<std::vector<BoundValue>> rows;
    if (wantsTables(tableType)) {
        std::string pattern = tableName.empty() ? "%" : tableName;
        for (const std::string& name : db.tableNames())
            if (matchesPattern(pattern, name))
                rows.push_back({text(db.location()), null(), text(name), text("TABLE"), null()});
    }
    openMemoryResult(std::move(cols), std::move(rows));
}

void Statement::columnsOf(const std::string& tableName, const std::string& columnName) {
    Backend& db = conn->database();
    db.checkSchema();
    auto cols = header({{"TABLE_CAT", kName},
                        {"TABLE_SCHEM", kName},
                        {"TABLE_NAME", kName},
                        {"COLUMN_NAME", kName},
                        {"DATA_TYPE", kSmall},
                        {"TYPE_NAME", kName},
                        {"COLUMN_SIZE", kInt},
                        {"BUFFER_LENGTH", kInt},
                        {"DECIMAL_DIGITS", kSmall},
                        {"NUM_PREC_RADIX", kSmall},
                        {"NULLABLE", kSmall},
                        {"REMARKS", kName},
                        {"COLUMN_DEF", kName},
                        {"SQL_DATA_TYPE", kSmall},
                        {"SQL_DATETIME_SUB", kSmall},
                        {"CHAR_OCTET_LENGTH", kInt},
                        {"ORDINAL_POSITION", kInt},
                        {"IS_NULLABLE", kName}});
    std::vector<std::vector<BoundValue>> rows;
    std::string tablePattern = tableName.empty() ? "%" : tableName;
    std::string columnPattern = columnName.empty() ? "%" : columnName;
    for (const std::string& name : db.tableNames()) {
        if (!matchesPattern(tablePattern, name)) continue;
        const TableInfo* info = db.findTable(name);
        if (!info) continue;
        for (size_t i = 0; i < info->columns.size(); ++i) {
            const ColumnInfo& c = info->columns[i];
            if (!matchesPattern(columnPattern, c.name)) continue;
            OdbcTypeInfo t = odbcType(c.type);
            bool nullable = !c.notNull && !c.primaryKey;
            bool isDate = t.sqlType == SQL_TYPE_TIMESTAMP;
            bool numeric = isNumericType(c.type.type);
            rows.push_back(
                {text(db.location()), null(), text(info->name), text(c.name), integer(t.sqlType),
                 text(t.typeName), integer(static_cast<std::int64_t>(t.columnSize)),
                 integer(t.octetLength), numeric || isDate ? integer(t.decimalDigits) : null(),
                 numeric ? integer(c.type.type == AccessType::Double ||
                                           c.type.type == AccessType::Single
                                       ? 2
                                       : 10)
                         : null(),
                 integer(nullable ? SQL_NULLABLE : SQL_NO_NULLS), null(), null(),
                 integer(isDate ? SQL_DATETIME : t.sqlType),
                 isDate ? integer(SQL_CODE_TIMESTAMP) : null(),
                 isTextType(c.type.type) ? integer(t.octetLength) : null(),
                 integer(static_cast<std::int64_t>(i + 1)), text(nullable ? "YES" : "NO")});
        }
    }
    openMemoryResult(std::move(cols), std::move(rows));
}

void Statement::typeInfo(SQLSMALLINT dataType) {
    auto cols = header({{"TYPE_NAME", kName},
                        {"DATA_TYPE", kSmall},
                        {"COLUMN_SIZE", kInt},
                        {"LITERAL_PREFIX", kName},
                        {"LITERAL_SUFFIX", kName},
                        {"CREATE_PARAMS", kName},
                        {"NULLABLE", kSmall},
                        {"CASE_SENSITIVE", kSmall},
                        {"SEARCHABLE", kSmall},
                        {"UNSIGNED_ATTRIBUTE", kSmall},
                        {"FIXED_PREC_SCALE", kSmall},
                        {"AUTO_UNIQUE_VALUE", kSmall},
                        {"LOCAL_TYPE_NAME", kName},
                        {"MINIMUM_SCALE", kSmall},
                        {"MAXIMUM_SCALE", kSmall},
                        {"SQL_DATA_TYPE", kSmall},
                        {"SQL_DATETIME_SUB", kSmall},
                        {"NUM_PREC_RADIX", kInt},
                        {"INTERVAL_PRECISION", kSmall}});
    std::vector<std::vector<BoundValue>> rows;
    static const std::pair<AccessType, const char*> types[] = {
        {AccessType::LongText, "LONGCHAR"}, {AccessType::YesNo, "BIT"},
        {AccessType::Byte, "BYTE"},         {AccessType::Currency, "CURRENCY"},
        {AccessType::Counter, "COUNTER"},   {AccessType::Long, "INTEGER"},
        {AccessType::Short, "SMALLINT"},    {AccessType::Single, "REAL"},
        {AccessType::Double, "DOUBLE"},     {AccessType::Text, "VARCHAR"},
        {AccessType::DateTime, "DATETIME"}};
    std::vector<std::pair<SQLSMALLINT, std::vector<BoundValue>>> sorted;
    for (const auto& [type, name] : types) {
        ColumnType ct{type, type == AccessType::Text ? 255 : 0};
        OdbcTypeInfo t = odbcType(ct);
        if (dataType != SQL_ALL_TYPES && dataType != t.sqlType) continue;
        bool isText = isTextType(type);
        bool isDate = type == AccessType::DateTime;
        bool numeric = isNumericType(type);
        sorted.push_back(
            {t.sqlType,
             {text(name), integer(t.sqlType), integer(static_cast<std::int64_t>(t.columnSize)),
              isText   ? text("'")
              : isDate ? text("#")
                       : null(),
              isText   ? text("'")
              : isDate ? text("#")
                       : null(),
              type == AccessType::Text ? text("max length") : null(),
              integer(type == AccessType::Counter ? SQL_NO_NULLS : SQL_NULLABLE),
              integer(SQL_FALSE), integer(isText ? SQL_SEARCHABLE : SQL_PRED_BASIC),
              numeric ? integer(type == AccessType::Byte || type == AccessType::Counter ? SQL_TRUE
                                                                                        : SQL_FALSE)
                      : null(),
              integer(type == AccessType::Currency ? SQL_TRUE : SQL_FALSE),
              numeric ? integer(type == AccessType::Counter ? SQL_TRUE : SQL_FALSE) : null(),
              text(name), numeric ? integer(t.decimalDigits) : null(),
              numeric ? integer(t.decimalDigits) : null(),
              integer(isDate ? SQL_DATETIME : t.sqlType),
              isDate ? integer(SQL_CODE_TIMESTAMP) : null(),
              numeric ? integer(type == AccessType::Double || type == AccessType::Single ? 2 : 10)
                      : null(),
              null()}});
    }
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [_, row] : sorted) rows.push_back(std::move(row));
    openMemoryResult(std::move(cols), std::move(rows));
}

}  // namespace rx::access
