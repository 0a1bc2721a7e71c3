#pragma once
// The text forms in which dates travel between the windows and the database,
// the slip's own date form, the prescription number and the date-range check.

#include <QDate>
#include <QDateTime>
#include <QString>

namespace rx::db {

// 2016年11月4日, followed by 9时 / 9时5分 / 9时5分7秒 when the value carries a
// time of day; no leading zeros anywhere. An invalid value gives "".
QString dateToText(const QDateTime& value);
QString dateToText(const QDate& date);

// The BETWEEN bound of a date: #2024-5-3#.
QString dateBound(const QDate& date);

// Fourteen digits of one clock reading: yyyyMMddhhmmss, 24-hour.
QString prescriptionNumber(const QDateTime& now);

// The slip's date cell: 2024年03月05日.
QString slipDateText(const QDate& date);

// True when end lies before start, both first clamped to
// 100-01-01 00:00 … 9999-12-31 23:59:59.999 and compared with their time of day.
bool endBeforeStart(const QDateTime& start, const QDateTime& end);

}  // namespace rx::db
