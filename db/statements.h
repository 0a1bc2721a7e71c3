#pragma once
// The six statements the program sends, built by joining fixed pieces and the
// values. A value goes in as typed, except that a single quote is doubled, so
// a name such as O'Neil is stored and found instead of breaking the statement.
// "%" and "_" typed into a search keep acting as LIKE wildcards.

#include <QDate>
#include <QString>

#include "db/visit.h"

namespace rx::db {

// The value as it goes between single quotes: every ' becomes ''.
QString quoted(const QString& value);

// A visit into 基本资料, its sixteen texts in column order.
QString VisitInsert(const Visit& visit);
QString VisitSearch(const QDate& start, const QDate& end, const QString& name);
QString IndexInsert(const QString& name, const QString& dateText, const QString& complaint,
                    const QString& initials);
QString IndexSearch(const QDate& start, const QDate& end, const QString& name);
QString HerbalLookup(const QString& code);
QString WesternLookup(const QString& code);

}  // namespace rx::db
