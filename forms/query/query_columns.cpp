#include "forms/query/query_columns.h"

#include <cmath>

#include "db/schema.h"

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

// The column names of 基本资料 as the list's titles, made once.
QStringView title(int position) {
    static const auto titles = [] {
        std::array<QString, db::schema::kVisitColumns.size()> t;
        for (std::size_t i = 0; i < t.size(); ++i) {
            const std::string_view name = db::schema::kVisitColumns[i].name;
            t[i] = QString::fromUtf8(name.data(), qsizetype(name.size()));
        }
        return t;
    }();
    return titles[std::size_t(position - 1)];
}

ListColumn column(int position, QString db::Visit::*field) {
    return {title(position), position, field};
}

}  // namespace

const std::array<ListColumn, 14> kListColumns = {{
    column(17, &db::Visit::newRecord),
    column(2, &db::Visit::name),
    column(3, &db::Visit::sex),
    column(4, &db::Visit::age),
    column(5, &db::Visit::ageUnit),
    column(6, &db::Visit::address),
    column(7, &db::Visit::diagnosis),
    column(8, &db::Visit::registered),
    column(9, &db::Visit::prescriptionNumber),
    column(10, &db::Visit::frequency),
    column(11, &db::Visit::usage),
    column(12, &db::Visit::doseUnit),
    column(13, &db::Visit::presentIllness),
    column(14, &db::Visit::herbalPrescription),
}};

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
