#pragma once
// Access column types and the conversions Access applies when a quoted text
// lands in a number or date-time column. Pure functions; no SQLite, no ODBC.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rx::access {

// Access names (tables, columns, files) are case-insensitive for ASCII letters.
bool sameName(std::string_view a, std::string_view b);

enum class AccessType {
    Counter,
    Byte,
    Short,
    Long,
    Single,
    Double,
    Currency,
    DateTime,
    Text,
    LongText,
    YesNo
};

struct ColumnType {
    AccessType type = AccessType::Text;
    int size = 255;  // characters, for Text only
};

bool isIntegerType(AccessType t);
bool isNumericType(AccessType t);  // integer or floating
bool isTextType(AccessType t);

// The declared type written into the SQLite schema, and back. The declared
// name keeps the Access type so that it survives in the file itself.
std::string declaredType(const ColumnType& t);
std::optional<ColumnType> typeFromDeclared(std::string_view declared, bool primaryKey);

// Access type keywords of CREATE TABLE (COUNTER, TEXT, MEMO, ...), any case.
std::optional<AccessType> typeFromKeyword(std::string_view word);

struct DateTime {
    int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
    friend bool operator==(const DateTime&, const DateTime&) = default;
};

bool isValid(const DateTime& d);
// Stored form: "YYYY-MM-DD HH:MM:SS", zero-padded so that text order is time order.
std::string toStoredText(const DateTime& d);
std::optional<DateTime> fromStoredText(std::string_view s);

// Date texts as a user or a program writes them: 2016年11月4日[9时[5分[3秒]]],
// 2016-11-4[ 9:05[:00]], 2016/11/4, 11/4/2016. Surrounding spaces allowed.
std::optional<DateTime> parseDateText(std::string_view utf8);
// Inside #...#: Access reads m/d/y for slashes with the year last, else as above.
std::optional<DateTime> parseDateLiteral(std::string_view body);
// Access keeps dates as days since 30 December 1899 with the time as fraction.
// A number outside the years 100 to 9999 gives a date that is not isValid.
DateTime fromSerial(double days);

// A number written as text: optional spaces, sign, digits, point, exponent.
std::optional<double> parseNumberText(std::string_view s);
std::string formatNumber(double v);

// Integer range of an Access integer type, used to refuse values that do not fit.
bool fitsInteger(AccessType t, double v);

}  // namespace rx::access
