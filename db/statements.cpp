#include "db/statements.h"

#include "db/date_forms.h"
#include "db/schema.h"

using namespace Qt::StringLiterals;

namespace rx::db {
namespace {

QString text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

QString columnName(const schema::Table& table, int position) {
    return text(table.at(position).name);
}

// The searches have no space between the second bound and "and", nor between
// "like" and the quote; the stored statements have always looked like this.
QString rangeSearch(const schema::Table& table, int datePosition, const QDate& start,
                    const QDate& end, const QString& name) {
    const QString dateColumn = columnName(table, datePosition);
    return u"select * from "_s + text(table.name) + u" where "_s + dateColumn + u" BETWEEN "_s +
           dateBound(start) + u" and "_s + dateBound(end) + u"and "_s +
           columnName(table, schema::kNamePosition) + u" like'%"_s + quoted(name) +
           u"%' order by "_s + dateColumn + u" desc"_s;
}

QString lookup(const schema::Table& table, const QString& code) {
    return u"select * from "_s + text(table.name) + u" where "_s +
           columnName(table, schema::kCodePosition) + u" like '%"_s + quoted(code) + u"%'"_s;
}

QString insertInto(const schema::Table& table) {
    return u"INSERT INTO "_s + text(table.name) + u" ("_s + text(schema::columnList(table, ",")) +
           u") values ('"_s;
}

}  // namespace

QString quoted(const QString& value) {
    if (!value.contains(u'\'')) return value;
    QString doubled = value;
    return doubled.replace(u"'"_s, u"''"_s);
}

QString VisitInsert(const Visit& visit) {
    const std::array<QString, 16> values = storedTexts(visit);
    static_assert(std::tuple_size_v<decltype(values)> + 1 == schema::kVisitColumns.size());
    QString sql = insertInto(schema::kVisits);
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) sql += u"','"_s;
        sql += quoted(values[i]);
    }
    return sql + u"')"_s;
}

QString VisitSearch(const QDate& start, const QDate& end, const QString& name) {
    return rangeSearch(schema::kVisits, schema::kRegisteredPosition, start, end, name);
}

QString IndexInsert(const QString& name, const QString& dateText, const QString& complaint,
                    const QString& initials) {
    static_assert(schema::kIndexColumns.size() == 5);
    return insertInto(schema::kIndex) + quoted(name) + u"','"_s + quoted(dateText) + u"','"_s +
           quoted(complaint) + u"','"_s + quoted(initials) + u"')"_s;
}

QString IndexSearch(const QDate& start, const QDate& end, const QString& name) {
    return rangeSearch(schema::kIndex, schema::kIndexTimePosition, start, end, name);
}

QString HerbalLookup(const QString& code) {
    return lookup(schema::kHerbalDrugs, code);
}

QString WesternLookup(const QString& code) {
    return lookup(schema::kWesternDrugs, code);
}

}  // namespace rx::db
