#pragma once
// Every caption and message of QueryWindow, in one place.

#include <QString>

namespace rx::query_texts {

inline const QString kSearchGroup = QStringLiteral("查询条件");
inline const QString kDetailGroup = QStringLiteral("门诊处方查询");
inline const QString kStartLabel = QStringLiteral("开始时间");
inline const QString kEndLabel = QStringLiteral("结束时间");
inline const QString kNameFilterLabel = QStringLiteral("姓名");
inline const QString kSearchButton = QStringLiteral("查询");
inline const QString kPrintButton = QStringLiteral("打   印");
inline const QString kExitButton = QStringLiteral("退   出");

inline const QString kNameLabel = QStringLiteral("姓  名");
inline const QString kSexLabel = QStringLiteral("性  别");
inline const QString kAgeLabel = QStringLiteral("年  龄");
inline const QString kAddressLabel = QStringLiteral("住  址");
inline const QString kDiagnosisLabel = QStringLiteral("诊  断");
inline const QString kRegisteredLabel = QStringLiteral("登记时间");
inline const QString kNumberLabel = QStringLiteral("处方号");
inline const QString kFrequencyLabel = QStringLiteral("频  率");
inline const QString kUsageLabel = QStringLiteral("用  法");
inline const QString kDoseUnitLabel = QStringLiteral("用量单位");
inline const QString kIllnessLabel = QStringLiteral("现病史");
inline const QString kHerbalLabel = QStringLiteral("中药处方");

inline const QString kCheckDates = QStringLiteral("请注意开始日期和结束日期！");

}  // namespace rx::query_texts
