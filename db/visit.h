#pragma once
// One visit as the program saves, prints and reads it back: the sixteen
// stored texts by name, and the prescription's drug lines. No widgets: the
// windows build it from their controls or from a result row.

#include <QString>
#include <array>
#include <vector>

namespace rx::db {

// One row of the prescription's drug list: 药品名称, 用量, 剂量单位, 用法.
struct DrugLine {
    QString name;
    QString dose;
    QString unit;
    QString usage;
};

// Name, dose and unit run together (当归10g): a drug as the slip and the
// herbal prescription text write it.
QString drugText(const DrugLine& line);

// The herbal prescription text: every line's drug text followed by ",".
QString herbalPrescriptionText(const std::vector<DrugLine>& lines);

struct Visit {
    QString name;                 // 姓名
    QString sex;                  // 性别
    QString age;                  // 年龄, as typed
    QString ageUnit;              // 年龄单位
    QString address;              // 住址
    QString diagnosis;            // 诊断
    QString registered;           // 登记时间, in the date-to-text form
    QString prescriptionNumber;   // 处方号
    QString frequency;            // 频率
    QString usage;                // 用法
    QString doseUnit;             // 用量单位
    QString presentIllness;       // 现病史
    QString herbalPrescription;   // 中药处方
    QString remark;               // 备注
    QString remark2;              // 备注2
    QString newRecord;            // 记录
    std::vector<DrugLine> drugs;  // the drug list, where there is one
};

// The sixteen texts in the order of the columns of 基本资料 after 编号.
std::array<QString, 16> storedTexts(const Visit& visit);

}  // namespace rx::db
