#pragma once
// The patient index: the left group adds one row of 检索 (name, its pinyin
// initials, chief complaint, visit date); the right group lists the rows of a
// date range whose name contains a given text.

#include <QDateTime>

#include "db/drug_recordset.h"
#include "db/odbc_connection.h"
#include "platform/program/program_context.h"
#include "platform/ui/basic_controls.h"
#include "platform/ui/fixed_window.h"

class QDateTimeEdit;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace rx {

namespace ui {
class BuiltControls;
class ReportListView;
}  // namespace ui

class PatientIndexWindow final : public ui::FixedWindow {
    Q_OBJECT
public:
    // Owned by the window that opens it, and modal over that one.
    PatientIndexWindow(const ProgramContext& context, QWidget* owner);
    ~PatientIndexWindow() override;

    QGroupBox* 分组框1;
    QGroupBox* 分组框2;

    // Entry of one index row (in 分组框1).
    QLabel* 标签1;
    ui::EditBox* 编辑框_姓名;
    ui::EditBox* 编辑框2;  // the initials, rebuilt from every change of the name
    QLabel* 标签2;
    QPlainTextEdit* 编辑框_主诉;
    QLabel* 标签3;
    QDateTimeEdit* 日期框1;
    QPushButton* 按钮1;
    QPushButton* 按钮_快捷;  // the host-linked build's only; nullptr otherwise

    // The search (in 分组框2).
    QLabel* 标签4;
    QDateTimeEdit* 日期框2;
    QLabel* 标签5;
    QDateTimeEdit* 日期框3;
    QLabel* 标签6;
    ui::EditBox* 编辑框_检索姓名;
    QPushButton* 按钮2;
    ui::ReportListView* 超级列表框1;

    // Database members, alive as long as the window. Only 外部数据库1 is used;
    // the other two belong to the window and are never opened.
    db::OdbcConnection 外部数据库1;
    db::DrugConnection 数据库连接1;
    db::DrugRecordset 记录集1;

protected:
    void OnCreated() override;

private:
    // Layout (patient_index_window_layout.cpp).
    void takeEntryGroup(const ui::BuiltControls& built);
    void takeSearchGroup(const ui::BuiltControls& built);
    void setTabOrderOfControls();

    // Behaviour (patient_index_window.cpp).
    void wireHandlers();
    void wireEnterKeys();
    bool OnIndexNameKeyDown(int key);
    void OnIndexNameChanged(const QString& name);
    bool OnComplaintKeyDown(int key);
    void OnAddClicked();
    void OnSearchClicked();
    void OnQuickButton();

    const ProgramContext& context_;
    // What the three date pickers hold until set: one clock reading for all.
    const QDateTime openedAt_;
};

}  // namespace rx
