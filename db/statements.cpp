#include "db/statements.h"

#include "db/date_forms.h"

using namespace Qt::StringLiterals;

namespace rx::db {
namespace {

// The searches have no space between the second bound and "and", nor between
// "like" and the quote; the stored statements have always looked like this.
QString rangeSearch(const QString& table, const QString& dateColumn, const QDate& start,
                    const QDate& end, const QString& name) {
    return u"select * from "_s + table + u" where "_s + dateColumn + u" BETWEEN "_s +
           dateBound(start) + u" and "_s + dateBound(end) + u"and 姓名 like'%"_s + quoted(name) +
           u"%' order by "_s + dateColumn + u" desc"_s;
}

QString lookup(const QString& table, const QString& code) {
    return u"select * from "_s + table + u" where 存货编码 like '%"_s + quoted(code) + u"%'"_s;
}

}  // namespace

QString quoted(const QString& value) {
    if (!value.contains(u'\'')) return value;
    QString doubled = value;
    return doubled.replace(u"'"_s, u"''"_s);
}

QString VisitInsert(const Visit& visit) {
    const std::array<QString, 16> values = storedTexts(visit);
    QString sql =
        u"INSERT INTO 基本资料 (姓名,性别,年龄,年龄单位,住址,诊断,登记时间,处方号,频率,用法,"
        u"用量单位,现病史,中药处方,备注,备注2,记录) values ('"_s;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) sql += u"','"_s;
        sql += quoted(values[i]);
    }
    return sql + u"')"_s;
}

QString VisitSearch(const QDate& start, const QDate& end, const QString& name) {
    return rangeSearch(u"基本资料"_s, u"登记时间"_s, start, end, name);
}

QString IndexInsert(const QString& name, const QString& dateText, const QString& complaint,
                    const QString& initials) {
    return u"INSERT INTO 检索 (姓名,时间,主诉,首拼) values ('"_s + quoted(name) + u"','"_s +
           quoted(dateText) + u"','"_s + quoted(complaint) + u"','"_s + quoted(initials) + u"')"_s;
}

QString IndexSearch(const QDate& start, const QDate& end, const QString& name) {
    return rangeSearch(u"检索"_s, u"时间"_s, start, end, name);
}

QString HerbalLookup(const QString& code) {
    return lookup(u"仓库"_s, code);
}

QString WesternLookup(const QString& code) {
    return lookup(u"西药"_s, code);
}

}  // namespace rx::db
