#include "db/date_forms.h"

using namespace Qt::StringLiterals;

namespace rx::db {
namespace {

// "0" + n, rightmost two characters: the form of every two-digit part.
QString twoDigits(int n) {
    return (u"0"_s + QString::number(n)).right(2);
}

QString timeSuffix(const QTime& time) {
    if (time.second() != 0)
        return QString::number(time.hour()) + u"时"_s + QString::number(time.minute()) + u"分"_s +
               QString::number(time.second()) + u"秒"_s;
    if (time.minute() != 0)
        return QString::number(time.hour()) + u"时"_s + QString::number(time.minute()) + u"分"_s;
    if (time.hour() != 0) return QString::number(time.hour()) + u"时"_s;
    return {};
}

QDateTime clamped(const QDateTime& value) {
    static const QDateTime lowest(QDate(100, 1, 1), QTime(0, 0));
    static const QDateTime highest(QDate(9999, 12, 31), QTime(23, 59, 59, 999));
    if (!value.isValid() || value < lowest) return lowest;
    if (value > highest) return highest;
    return value;
}

}  // namespace

QString dateToText(const QDate& date) {
    if (!date.isValid()) return {};
    return QString::number(date.year()) + u"年"_s + QString::number(date.month()) + u"月"_s +
           QString::number(date.day()) + u"日"_s;
}

QString dateToText(const QDateTime& value) {
    if (!value.isValid()) return {};
    return dateToText(value.date()) + timeSuffix(value.time());
}

QString dateBound(const QDate& date) {
    return u"#"_s + QString::number(date.year()) + u"-"_s + QString::number(date.month()) + u"-"_s +
           QString::number(date.day()) + u"#"_s;
}

QString prescriptionNumber(const QDateTime& now) {
    const QDate d = now.date();
    const QTime t = now.time();
    return QString::number(d.year()) + twoDigits(d.month()) + twoDigits(d.day()) +
           twoDigits(t.hour()) + twoDigits(t.minute()) + twoDigits(t.second());
}

QString slipDateText(const QDate& date) {
    return QString::number(date.year()) + u"年"_s + twoDigits(date.month()) + u"月"_s +
           twoDigits(date.day()) + u"日"_s;
}

bool endBeforeStart(const QDateTime& start, const QDateTime& end) {
    return clamped(end) < clamped(start);
}

}  // namespace rx::db
