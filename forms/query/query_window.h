#pragma once
// Saved visits looked up by date range and part of the name: the query list,
// one visit in full in read-only boxes, and its print with its drugs.

#include <array>

#include "db/drug_recordset.h"
#include "db/odbc_connection.h"
#include "db/visit.h"
#include "platform/program/program_context.h"
#include "platform/ui/basic_controls.h"
#include "platform/ui/fixed_window.h"

class QGroupBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace rx {

namespace ui {
class BuiltControls;
class DatePicker;
class ReportListView;
}  // namespace ui

class QueryWindow final : public ui::FixedWindow {
    Q_OBJECT
public:
    // Modeless and without an owner: it stays open beside EntryWindow and may
    // outlive it. Made with new; closing destroys it. The context must outlive it.
    explicit QueryWindow(const ProgramContext& context);
    ~QueryWindow() override;

    // The visit as the detail boxes show it (记录 and the drug lines stay empty).
    db::Visit shownVisit() const;

    QGroupBox* 分组框_查询;
    QGroupBox* 分组框_门诊处方查询;
    QListWidget* 列表框1;  // never shown: the drug items of the last print

    // Search conditions and the query list.
    QLabel* 标签_起始时间;
    ui::DatePicker* 日期框1;
    QLabel* 标签_结束时间;
    ui::DatePicker* 日期框2;
    QLabel* 标签1;
    ui::EditBox* 编辑框1;
    QPushButton* 按钮_查询;
    ui::ReportListView* 超级列表框1;

    // One visit in full; every box is disabled.
    QLabel* 标签_姓名;
    ui::EditBox* 编辑框_姓名;
    QLabel* 标签_性别;
    ui::EditBox* 编辑框_性别;
    QLabel* 标签_年龄;
    ui::EditBox* 编辑框_年龄;
    ui::EditBox* 编辑框_年龄单位;
    QLabel* 标签_住址;
    ui::EditBox* 编辑框_住址;
    QLabel* 标签_诊断;
    ui::EditBox* 编辑框_诊断;
    QLabel* 标签_登记时间;
    ui::EditBox* 编辑框_登记时间;
    QLabel* 标签_处方号;
    ui::EditBox* 编辑框_处方号;
    QLabel* 标签_频率;
    ui::EditBox* 编辑框_频率;
    QLabel* 标签_用法;
    ui::EditBox* 编辑框_用法;
    QLabel* 标签_用量;
    ui::EditBox* 编辑框_用量单位;
    QLabel* 标签_现病史;
    QPlainTextEdit* 编辑框_现病史;
    QLabel* 标签_中药处方;
    QPlainTextEdit* 编辑框_中药处方;
    QPushButton* 按钮_打印;
    QPushButton* 按钮_退出;

    // Database members, alive as long as the window. Only 外部数据库1 is used.
    db::OdbcConnection 外部数据库1;
    db::DrugConnection 查询数据库连接;
    db::DrugRecordset 查询记录集;

protected:
    void OnCreated() override;

private:
    // Layout (query_window_layout.cpp).
    void takeSearchControls(const ui::BuiltControls& built);
    void takeDetailBoxes(const ui::BuiltControls& built);
    void setTabOrderOfControls();

    // Query, detail and print (query_window.cpp).
    void wireHandlers();
    void OnSearchClicked();
    void OnQueryListClicked();
    void OnPrintClicked();
    void OnExitClicked();
    void fillQueryList(const QString& sql);
    QStringList printItems() const;

    const ProgramContext& context_;
    // The detail box of list columns 1 to 13, in column order.
    std::array<QWidget*, 13> detailBoxes_{};
};

}  // namespace rx
