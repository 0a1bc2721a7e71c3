#include "drivers/access_sqlite/sql/value_conversion.h"

#include <cctype>
#include <cmath>

#include "drivers/access_sqlite/common/errors.h"

namespace rx::access {
namespace {

[[noreturn]] void mismatch(const ColumnInfo& column, std::string_view what) {
    raise(ErrorKind::Conversion,
          "Data type mismatch: " + std::string(what) + " cannot be put into column " + column.name);
}

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::optional<bool> parseBoolText(std::string_view s) {
    std::string l = lowerAscii(s);
    if (l == "true" || l == "yes" || l == "on") return true;
    if (l == "false" || l == "no" || l == "off") return false;
    if (auto n = parseNumberText(s)) return *n != 0;
    return std::nullopt;
}

std::string dateAsText(const DateTime& d) {
    std::string s = toStoredText(d);
    if (s.ends_with(" 00:00:00")) s.resize(10);
    return s;
}

BoundValue toNumber(const Literal& lit, const ColumnInfo& column) {
    double v = 0;
    switch (lit.kind) {
        case Literal::Kind::Integer:
            v = static_cast<double>(lit.integer);
            break;
        case Literal::Kind::Real:
            v = lit.real;
            break;
        case Literal::Kind::Boolean:
            v = lit.integer ? -1 : 0;
            break;
        case Literal::Kind::Text: {
            auto n = parseNumberText(lit.text);
            if (!n) mismatch(column, "'" + lit.text + "'");
            v = *n;
            break;
        }
        default:
            mismatch(column, "a date");
    }
    AccessType t = column.type.type;
    if (t == AccessType::YesNo) return BoundValue::ofInteger(v != 0 ? 1 : 0);
    if (!isIntegerType(t))
        return BoundValue::ofReal(t == AccessType::Single ? static_cast<float>(v) : v);
    if (lit.kind == Literal::Kind::Integer && fitsInteger(t, v))
        return BoundValue::ofInteger(lit.integer);
    double rounded = std::nearbyint(v);  // Access rounds half to even, as does the default mode
    if (!fitsInteger(t, rounded))
        raise(ErrorKind::NumericRange, "Numeric value out of range for column " + column.name);
    return BoundValue::ofInteger(static_cast<std::int64_t>(rounded));
}

BoundValue toYesNo(const Literal& lit, const ColumnInfo& column) {
    if (lit.kind == Literal::Kind::Text) {
        auto b = parseBoolText(lit.text);
        if (!b) mismatch(column, "'" + lit.text + "'");
        return BoundValue::ofInteger(*b ? 1 : 0);
    }
    return toNumber(lit, column);
}

BoundValue toDate(const Literal& lit, const ColumnInfo& column) {
    switch (lit.kind) {
        case Literal::Kind::Date:
            return BoundValue::ofText(toStoredText(lit.date));
        case Literal::Kind::Text: {
            auto d = parseDateText(lit.text);
            if (!d) mismatch(column, "'" + lit.text + "'");
            return BoundValue::ofText(toStoredText(*d));
        }
        case Literal::Kind::Integer:
        case Literal::Kind::Real: {
            double serial =
                lit.kind == Literal::Kind::Integer ? static_cast<double>(lit.integer) : lit.real;
            DateTime d = fromSerial(serial);
            if (!isValid(d)) mismatch(column, "the number " + formatNumber(serial));
            return BoundValue::ofText(toStoredText(d));
        }
        default:
            mismatch(column, "a yes/no value");
    }
}

BoundValue toText(const Literal& lit) {
    switch (lit.kind) {
        case Literal::Kind::Text:
            return BoundValue::ofText(lit.text);
        case Literal::Kind::Integer:
            return BoundValue::ofText(std::to_string(lit.integer));
        case Literal::Kind::Real:
            return BoundValue::ofText(formatNumber(lit.real));
        case Literal::Kind::Date:
            return BoundValue::ofText(dateAsText(lit.date));
        case Literal::Kind::Boolean:
            return BoundValue::ofText(lit.integer ? "True" : "False");
        default:
            return {};
    }
}

}  // namespace

BoundValue naturalValue(const Literal& lit) {
    switch (lit.kind) {
        case Literal::Kind::Text:
            return BoundValue::ofText(lit.text);
        case Literal::Kind::Integer:
        case Literal::Kind::Boolean:
            return BoundValue::ofInteger(lit.integer);
        case Literal::Kind::Real:
            return BoundValue::ofReal(lit.real);
        case Literal::Kind::Date:
            return BoundValue::ofText(toStoredText(lit.date));
        case Literal::Kind::Null:
            return {};
    }
    return {};
}

BoundValue valueForColumn(const Literal& lit, const ColumnInfo& column) {
    if (lit.kind == Literal::Kind::Null) return {};
    AccessType t = column.type.type;
    if (t == AccessType::DateTime) return toDate(lit, column);
    if (t == AccessType::YesNo) return toYesNo(lit, column);
    if (isNumericType(t)) return toNumber(lit, column);
    return toText(lit);
}

size_t utf8Length(std::string_view s) {
    size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

}  // namespace rx::access
