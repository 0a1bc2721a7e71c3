#include "forms/query/query_columns.h"

namespace rx::query {

QString ageText(const db::Value& value) {
    // Whatever width the database stores it in, the age is shown as a double
    // would print it, so that 35 stays 35 and 2.5 stays 2.5; QString::number
    // ignores the user's locale, so the point stays a point.
    if (const auto* n = std::get_if<qint64>(&value))
        return QString::number(static_cast<double>(*n), 'g', 13);
    if (const auto* d = std::get_if<double>(&value)) return QString::number(*d, 'g', 13);
    return db::valueText(value);
}

QString cellText(int column, const db::Value& value) {
    return column == kAgeColumn ? ageText(value) : db::valueText(value);
}

}  // namespace rx::query
