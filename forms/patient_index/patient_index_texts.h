#pragma once
// Every caption and message of PatientIndexWindow, in one place.

#include <QString>

namespace rx::patient_index_texts {

inline const QString kEntryGroupCaption = QStringLiteral("病人姓名录入");

// Labels and buttons; 姓    名 of the search has four spaces.
inline const QString kNameLabel = QStringLiteral("姓名");
inline const QString kComplaintLabel = QStringLiteral("主诉");
inline const QString kTimeLabel = QStringLiteral("时间");
inline const QString kAddButton = QStringLiteral("插入");
inline const QString kQuickButton = QStringLiteral("快捷");
inline const QString kStartLabel = QStringLiteral("开始时间");
inline const QString kEndLabel = QStringLiteral("结束时间");
inline const QString kSearchNameLabel = QStringLiteral("姓    名");
inline const QString kSearchButton = QStringLiteral("查询");

// Titles of the result list's columns.
inline const QString kNameColumn = QStringLiteral("姓名");
inline const QString kVisitTimeColumn = QStringLiteral("就诊时间");
inline const QString kComplaintColumn = QStringLiteral("主诉");

// Messages of the entry and the search.
inline const QString kInfoTitle = QStringLiteral("提示信息");
inline const QString kNameRequired = QStringLiteral("姓名不能为空");
inline const QString kAdded = QStringLiteral("添加资料成功");
inline const QString kAddFailed = QStringLiteral("添加资料失败");
inline const QString kCheckDates = QStringLiteral("请注意开始日期和结束日期！");

}  // namespace rx::patient_index_texts
