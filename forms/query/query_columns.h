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
    QStringView title;
    int position;  // 1-based, in 基本资料
    QString db::Visit::*field;
};

inline constexpr std::array<ListColumn, 14> kListColumns = {{
    {u"记录", 17, &db::Visit::newRecord},
    {u"姓名", 2, &db::Visit::name},
    {u"性别", 3, &db::Visit::sex},
    {u"年龄", 4, &db::Visit::age},
    {u"年龄单位", 5, &db::Visit::ageUnit},
    {u"住址", 6, &db::Visit::address},
    {u"诊断", 7, &db::Visit::diagnosis},
    {u"登记时间", 8, &db::Visit::registered},
    {u"处方号", 9, &db::Visit::prescriptionNumber},
    {u"频率", 10, &db::Visit::frequency},
    {u"用法", 11, &db::Visit::usage},
    {u"用量单位", 12, &db::Visit::doseUnit},
    {u"现病史", 13, &db::Visit::presentIllness},
    {u"中药处方", 14, &db::Visit::herbalPrescription},
}};
inline constexpr int kAgeColumn = 3;
inline constexpr int kColumnWidth = 65;

// 年龄 as a number of up to 13 significant digits (35, 2.5); NULL as "".
QString ageText(const db::Value& value);

// The text a list cell shows for the value read into that column.
QString cellText(int column, const db::Value& value);

}  // namespace rx::query
