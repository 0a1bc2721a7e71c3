#include "forms/query/query_columns.h"

#include <cmath>

namespace rx::query {

namespace {

// Whole numbers below 10^13 print the same in both forms, and the integer one
// is far cheaper: nearly every age is whole, and a long list has many.
constexpr double kWholeDigits = 1e13;

QString numberText(double d) {
    if (d > -kWholeDigits && d < kWholeDigits && d == std::trunc(d))
        return QString::number(static_cast<qint64>(d));
    // QString::number ignores the user's locale, so the point stays a point.
    return QString::number(d, 'g', 13);
}

}  // namespace

QString ageText(const db::Value& value) {
    // Whatever width the database stores it in, the age is shown as a double
    // would print it: 35 stays 35 and 2.5 stays 2.5.
    if (const auto* n = std::get_if<qint64>(&value)) return numberText(static_cast<double>(*n));
    if (const auto* d = std::get_if<double>(&value)) return numberText(*d);
    return db::valueText(value);
}

QString cellText(int column, const db::Value& value) {
    return column == kAgeColumn ? ageText(value) : db::valueText(value);
}

}  // namespace rx::query
