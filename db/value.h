#pragma once
// A column value as the database hands it over, carrying its own type.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <variant>

namespace rx::db {

using Value =
    std::variant<std::monostate /*NULL*/, qint64, double, QString, QDateTime, bool, QByteArray>;

inline bool isNull(const Value& value) {
    return std::holds_alternative<std::monostate>(value);
}

// The value as the windows show it: NULL as the empty text, numbers as numbers
// (35, 2.5), date-times in the date-to-text form, booleans as True/False and
// bytes as GB18030 text.
QString valueText(const Value& value);

}  // namespace rx::db
