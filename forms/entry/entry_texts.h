#pragma once
// Every caption, list item and message of EntryWindow, in one place.

#include <QString>
#include <QStringList>

namespace rx::entry_texts {

inline const QString kAddressPrompt = QStringLiteral("请输入地址");

inline const QStringList kSexItems{QStringLiteral("男"), QStringLiteral("女")};
inline const QStringList kAgeUnitItems{QStringLiteral("岁"), QStringLiteral("月"),
                                       QStringLiteral("天")};
inline const QStringList kNewRecordItems{QStringLiteral("是"), QStringLiteral("否"), QString()};
inline const QStringList kDoseUnitItems{QStringLiteral("g"), QStringLiteral("包")};
inline const QStringList kHostLinkedDoseUnitItems{QStringLiteral("g")};
inline const QStringList kUsageItems{QStringLiteral("口服"), QStringLiteral("外用")};
inline const QStringList kFrequencyItems{
    QStringLiteral("每天一次"),     QStringLiteral("每天二次"),
    QStringLiteral("每天三次"),     QStringLiteral("每天四次"),
    QStringLiteral("隔日一次"),     QStringLiteral("每2小时一次"),
    QStringLiteral("每4小时一次"),  QStringLiteral("每8小时一次"),
    QStringLiteral("每12小时一次"), QString()};
inline const QStringList kRemarkItems{QStringLiteral("禾川1号"), QStringLiteral("禾川2号"),
                                      QStringLiteral("禾川3号"), QStringLiteral("禾川4号"),
                                      QStringLiteral("禾川5号"), QStringLiteral("禾川6号"),
                                      QStringLiteral("禾川7号"), QStringLiteral("禾川8号"),
                                      QStringLiteral("禾川9号"), QStringLiteral("禾川10号"),
                                      QStringLiteral("禾川A号"), QStringLiteral("禾川B号"),
                                      QStringLiteral("禾川C号"), QStringLiteral("禾川D号"),
                                      QStringLiteral("禾川E号"), QString()};

// Messages of the save and the load.
inline const QString kFriendlyTitle = QStringLiteral("友情提示");
inline const QString kInfoTitle = QStringLiteral("提示信息");
inline const QString kAskName = QStringLiteral("请输入姓名");
inline const QString kAskSex = QStringLiteral("请选择性别");
inline const QString kAskAge = QStringLiteral("请输入年龄");
inline const QString kAskAgeUnit = QStringLiteral("请选择年月天");
inline const QString kAskDiagnosis = QStringLiteral("请输入疾病名称");
inline const QString kAskFrequency = QStringLiteral("请选择频率");
inline const QString kAskUsage = QStringLiteral("请选择用法");
inline const QString kAskIllness = QStringLiteral("请输入现病史");
inline const QString kAskDrugs = QStringLiteral("请输入其他");
inline const QString kSaved = QStringLiteral("添加资料成功");
inline const QString kSaveFailed = QStringLiteral("添加资料失败");
inline const QString kNoDrugDatabase = QStringLiteral("无法连接数据库，请与系统管理员联系！");

// Messages of the drug lookup.
inline const QString kLookupFailed = QStringLiteral("不能打开数据表，请与管理员联系！");
inline const QString kLookupFailedTitle = QStringLiteral("错误信息");

}  // namespace rx::entry_texts
