#pragma once
// The fourteen columns of the query list: their titles, the position in
// 基本资料 each is read from, and the visit text it shows. Column 0 (记录) has
// no detail box; columns 1 to 13 each have one.

#include <QString>
#include <QStringView>
#include <array>

#include "db/value.h"
#include "db/visit.h"

namespace rx::query {

struct ListColumn {
    QStringView title;  // lives as long as the program
    int position;       // 1-based, in 基本资料
    QString db::Visit::*field;
};

// Titled with the column's name in 基本资料 (db/schema.h).
extern const std::array<ListColumn, 14> kListColumns;
inline constexpr int kAgeColumn = 3;
inline constexpr int kColumnWidth = 65;

// 年龄 as a number of up to 13 significant digits (35, 2.5); NULL as "".
QString ageText(const db::Value& value);

// The text a list cell shows for the value read into that column.
QString cellText(int column, const db::Value& value);

}  // namespace rx::query
