#include "platform/access_values/access_types.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace rx::access {

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

namespace {

std::string upperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string_view trimSpaces(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

int daysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) return 29;
    return days[m - 1];
}

// Splits a date text into its numbers and the separators between them.
struct Pieces {
    std::vector<int> numbers;
    std::vector<std::string> seps;  // seps[i] follows numbers[i]
};

std::optional<Pieces> splitNumbers(std::string_view s) {
    Pieces p;
    size_t i = 0;
    while (i < s.size()) {
        if (!std::isdigit(static_cast<unsigned char>(s[i]))) return std::nullopt;
        int v = 0;
        size_t start = i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
            if (i - start >= 4) return std::nullopt;
            v = v * 10 + (s[i] - '0');
            ++i;
        }
        p.numbers.push_back(v);
        size_t sepStart = i;
        while (i < s.size() && !std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
        p.seps.emplace_back(s.substr(sepStart, i - sepStart));
    }
    return p;
}

std::optional<DateTime> checked(DateTime d) {
    if (!isValid(d)) return std::nullopt;
    return d;
}

// 2016年11月4日 followed by 9时, 9时5分 or 9时5分3秒.
std::optional<DateTime> fromChinese(const Pieces& p) {
    static const char* const units[] = {"年", "月", "日", "时", "分", "秒"};
    size_t n = p.numbers.size();
    if (n < 3) return std::nullopt;
    for (size_t i = 0; i < n; ++i)
        if (p.seps[i] != units[i]) return std::nullopt;
    int v[6] = {0, 0, 0, 0, 0, 0};
    for (size_t i = 0; i < n; ++i) v[i] = p.numbers[i];
    return checked({v[0], v[1], v[2], v[3], v[4], v[5]});
}

// Reads "h:mm[:ss]" from the pieces after the date part.
bool readClock(const Pieces& p, size_t first, DateTime& d) {
    size_t n = p.numbers.size() - first;
    if (n == 0) return true;
    if (n < 2 || n > 3) return false;
    if (p.seps[first] != ":") return false;
    if (n == 3 && p.seps[first + 1] != ":") return false;
    if (!p.seps.back().empty()) return false;
    d.hour = p.numbers[first];
    d.minute = p.numbers[first + 1];
    d.second = n == 3 ? p.numbers[first + 2] : 0;
    return true;
}

std::optional<DateTime> fromSeparated(const Pieces& p, bool slashMonthFirst) {
    if (p.numbers.size() < 3) return std::nullopt;
    const std::string& sep = p.seps[0];
    if ((sep != "-" && sep != "/") || p.seps[1] != sep) return std::nullopt;
    const std::string& after = p.seps[2];
    bool hasClock = p.numbers.size() > 3;
    if (hasClock ? (after != " " && after != "T") : !after.empty()) return std::nullopt;
    DateTime d{p.numbers[0], p.numbers[1], p.numbers[2], 0, 0, 0};
    bool yearLast = p.numbers[0] <= 31 && p.numbers[2] >= 100;
    if (sep == "/" && yearLast) {
        d.year = p.numbers[2];
        d.month = slashMonthFirst ? p.numbers[0] : p.numbers[1];
        d.day = slashMonthFirst ? p.numbers[1] : p.numbers[0];
    }
    if (!readClock(p, 3, d)) return std::nullopt;
    return checked(d);
}

std::optional<DateTime> parseDate(std::string_view text, bool slashMonthFirst) {
    text = trimSpaces(text);
    if (text.empty()) return std::nullopt;
    auto pieces = splitNumbers(text);
    if (!pieces) return std::nullopt;
    if (auto d = fromChinese(*pieces)) return d;
    return fromSeparated(*pieces, slashMonthFirst);
}

}  // namespace

bool isIntegerType(AccessType t) {
    return t == AccessType::Counter || t == AccessType::Byte || t == AccessType::Short ||
           t == AccessType::Long || t == AccessType::YesNo;
}

bool isNumericType(AccessType t) {
    return isIntegerType(t) || t == AccessType::Single || t == AccessType::Double ||
           t == AccessType::Currency;
}

bool isTextType(AccessType t) {
    return t == AccessType::Text || t == AccessType::LongText;
}

std::string declaredType(const ColumnType& t) {
    switch (t.type) {
        case AccessType::Counter:
            return "INTEGER";  // the only spelling SQLite makes a row key
        case AccessType::Byte:
            return "BYTE";
        case AccessType::Short:
            return "SHORT";
        case AccessType::Long:
            return "LONG";
        case AccessType::Single:
            return "SINGLE";
        case AccessType::Double:
            return "DOUBLE";
        case AccessType::Currency:
            return "CURRENCY";
        case AccessType::DateTime:
            return "DATETIME";
        case AccessType::Text:
            return "TEXT(" + std::to_string(t.size) + ")";
        case AccessType::LongText:
            return "LONGTEXT";
        case AccessType::YesNo:
            return "YESNO";
    }
    return "TEXT";
}

std::optional<ColumnType> typeFromDeclared(std::string_view declared, bool primaryKey) {
    std::string up = upperAscii(trimSpaces(declared));
    if (up == "INTEGER") return ColumnType{primaryKey ? AccessType::Counter : AccessType::Long, 0};
    if (up.rfind("TEXT(", 0) == 0 || up.rfind("VARCHAR(", 0) == 0) {
        int n = std::atoi(up.c_str() + up.find('(') + 1);
        return ColumnType{AccessType::Text, n > 0 ? n : 255};
    }
    if (auto t = typeFromKeyword(up)) return ColumnType{*t, *t == AccessType::Text ? 255 : 0};
    if (up.find("INT") != std::string::npos) return ColumnType{AccessType::Long, 0};
    if (up.find("REAL") != std::string::npos || up.find("FLOA") != std::string::npos)
        return ColumnType{AccessType::Double, 0};
    if (up.find("DATE") != std::string::npos || up.find("TIME") != std::string::npos)
        return ColumnType{AccessType::DateTime, 0};
    return ColumnType{AccessType::LongText, 0};  // whatever else a foreign tool declared
}

std::optional<AccessType> typeFromKeyword(std::string_view word) {
    struct Entry {
        const char* name;
        AccessType type;
    };
    static const Entry table[] = {
        {"COUNTER", AccessType::Counter},    {"AUTOINCREMENT", AccessType::Counter},
        {"BYTE", AccessType::Byte},          {"TINYINT", AccessType::Byte},
        {"SHORT", AccessType::Short},        {"SMALLINT", AccessType::Short},
        {"LONG", AccessType::Long},          {"INTEGER", AccessType::Long},
        {"INT", AccessType::Long},           {"SINGLE", AccessType::Single},
        {"REAL", AccessType::Single},        {"DOUBLE", AccessType::Double},
        {"FLOAT", AccessType::Double},       {"CURRENCY", AccessType::Currency},
        {"MONEY", AccessType::Currency},     {"DATETIME", AccessType::DateTime},
        {"DATE", AccessType::DateTime},      {"TIME", AccessType::DateTime},
        {"TIMESTAMP", AccessType::DateTime}, {"TEXT", AccessType::Text},
        {"VARCHAR", AccessType::Text},       {"CHAR", AccessType::Text},
        {"STRING", AccessType::Text},        {"LONGTEXT", AccessType::LongText},
        {"MEMO", AccessType::LongText},      {"LONGCHAR", AccessType::LongText},
        {"NOTE", AccessType::LongText},      {"YESNO", AccessType::YesNo},
        {"BIT", AccessType::YesNo},          {"LOGICAL", AccessType::YesNo},
    };
    std::string up = upperAscii(word);
    for (const Entry& e : table)
        if (up == e.name) return e.type;
    return std::nullopt;
}

bool isValid(const DateTime& d) {
    if (d.year < 100 || d.year > 9999 || d.month < 1 || d.month > 12) return false;
    if (d.day < 1 || d.day > daysInMonth(d.year, d.month)) return false;
    return d.hour >= 0 && d.hour < 24 && d.minute >= 0 && d.minute < 60 && d.second >= 0 &&
           d.second < 60;
}

std::string toStoredText(const DateTime& d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day, d.hour,
                  d.minute, d.second);
    return buf;
}

std::optional<DateTime> fromStoredText(std::string_view s) {
    return parseDate(s, false);
}

std::optional<DateTime> parseDateText(std::string_view utf8) {
    return parseDate(utf8, true);
}

std::optional<DateTime> parseDateLiteral(std::string_view body) {
    return parseDate(body, true);
}

DateTime fromSerial(double days) {
    // Outside 1 January 100 .. 31 December 9999 (and for NaN) there is no date;
    // the year 0 marks the result invalid before any integer conversion can overflow.
    if (!(days >= -657434.0 && days < 2958466.0)) return DateTime{0, 1, 1, 0, 0, 0};
    // Civil-from-days on the proleptic Gregorian calendar (H. Hinnant's algorithm).
    double whole = std::floor(days);
    long long z =
        static_cast<long long>(whole) - 25569 + 719468;  // 25569: 1899-12-30 to 1970-01-01
    long long era = (z >= 0 ? z : z - 146096) / 146097;
    long long doe = z - era * 146097;
    long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long long mp = (5 * doy + 2) / 153;
    DateTime d;
    d.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    d.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    d.year = static_cast<int>(yoe + era * 400 + (d.month <= 2 ? 1 : 0));
    long long secs = std::llround((days - whole) * 86400.0);
    if (secs >= 86400) secs = 86399;
    d.hour = static_cast<int>(secs / 3600);
    d.minute = static_cast<int>(secs / 60 % 60);
    d.second = static_cast<int>(secs % 60);
    return d;
}

std::optional<double> parseNumberText(std::string_view s) {
    s = trimSpaces(s);
    if (s.empty() || s.size() > 64) return std::nullopt;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c)) && !std::strchr("+-.eE", c))
            return std::nullopt;
    std::string copy(s);
    char* end = nullptr;
    double v = std::strtod(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::string formatNumber(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    return buf;
}

bool fitsInteger(AccessType t, double v) {
    switch (t) {
        case AccessType::Byte:
            return v >= 0 && v <= 255;
        case AccessType::Short:
            return v >= -32768 && v <= 32767;
        case AccessType::YesNo:
            return true;
        default:
            return v >= -2147483648.0 && v <= 2147483647.0;
    }
}

}  // namespace rx::access
