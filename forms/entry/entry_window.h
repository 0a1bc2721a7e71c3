#pragma once
// The doctor's main window: the patient form, the drug lookup, the drug list of
// the prescription and the buttons that save, print and open the other windows.

#include <QPointer>
#include <QStringList>

#include "db/drug_recordset.h"
#include "db/odbc_connection.h"
#include "db/visit.h"
#include "platform/program/program_context.h"
#include "platform/ui/basic_controls.h"
#include "platform/ui/fixed_window.h"

class QComboBox;
class QDateTimeEdit;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace rx {

namespace ui {
class BuiltControls;
class ReportListView;
class WholeNumberEdit;
}  // namespace ui

class QueryWindow;

class EntryWindow final : public ui::FixedWindow {
    Q_OBJECT
public:
    explicit EntryWindow(const ProgramContext& context, QWidget* parent = nullptr);
    ~EntryWindow() override;

    // The visit as the controls show it now, drug list included.
    db::Visit currentVisit() const;

    QGroupBox* 分组框_人员信息;

    // Patient fields.
    QLabel* 标签_姓名;
    ui::EditBox* 编辑框_姓名;
    QLabel* 标签_性别;
    QComboBox* 组合框_性别;
    QLabel* 标签_年龄;
    ui::WholeNumberEdit* 编辑框_年龄;
    QComboBox* 组合框_年龄单位;
    QLabel* 标签_住址;
    ui::EditBox* 编辑框_住址;
    QLabel* 标签4;
    QComboBox* 组合框_新纪录;
    QLabel* 标签_诊断;
    ui::EditBox* 编辑框_诊断;
    QLabel* 标签_登记时间;
    QDateTimeEdit* 日期框1;
    QLabel* 标签_处方号;
    ui::EditBox* 编辑框_处方号;
    QLabel* 标签_现病史;
    QPlainTextEdit* 编辑框_现病史;
    QLabel* 标签2;
    QComboBox* 组合框_备注;
    QLabel* 标签3;
    ui::EditBox* 编辑框_备注2;
    QLabel* 标签_中药处方;
    QPlainTextEdit* 编辑框_中药处方;

    // Drug search and the prescription's drugs.
    QRadioButton* 单选框1;
    QRadioButton* 单选框2;
    QLabel* 标签_选择药品;
    ui::EditBox* 编辑框_选择药品;
    QLabel* 标签_西药;
    ui::EditBox* 编辑框_西药;
    QLabel* 标签1;
    ui::EditBox* 编辑框_药品名称;
    QLabel* 标签_用量;
    ui::WholeNumberEdit* 编辑框_用量;
    QLabel* 标签_剂量单位;
    QComboBox* 组合框_剂量单位;
    QLabel* 标签_用法;
    QComboBox* 组合框_用法;
    QPushButton* 按钮1;
    QPushButton* 按钮_清除;
    QLabel* 标签_频率;
    QComboBox* 组合框_频率;
    ui::ReportListView* 查询列表框;
    ui::ReportListView* 超级列表框1;

    // Buttons.
    QPushButton* 按钮_保存;
    QPushButton* 按钮_接诊;
    QPushButton* 按钮_退出;
    QPushButton* 按钮_打印;
    QPushButton* 按钮_处方查询;
    QPushButton* 按钮2;
    QPushButton* 按钮3;

    // Database members, alive as long as the window.
    db::OdbcConnection 外部数据库1;
    db::DrugConnection 查询数据库连接;
    db::DrugRecordset 查询记录集;

protected:
    void OnCreated() override;

private:
    // Layout (entry_window_layout.cpp).
    void takePatientFields(const ui::BuiltControls& built);
    void takeSearchControls(const ui::BuiltControls& built);
    void takeListsAndButtons(const ui::BuiltControls& built);
    void fillControls();
    void setTabOrderOfControls();

    // Patient form and save (entry_window.cpp).
    void wireHandlers();
    void OnSaveClicked();
    void OnNewVisitClicked();
    void OnExitClicked();
    void OnPrintClicked();
    void OnQueryClicked();
    void OnPatientIndexClicked();
    QString firstMissingField() const;
    std::vector<db::DrugLine> drugLines() const;

    // Drug lookup and the drug list (drug_lookup.cpp).
    void wireLookupHandlers();
    void OnHerbalCodeChanged(const QString& text);
    void OnWesternCodeChanged(const QString& text);
    bool OnHerbalCodeKeyDown(int key);
    bool OnResultKeyDown(int key);
    bool OnDoseKeyDown(int key);
    void OnInsertClicked();
    bool OnInsertKeyDown(int key);
    void OnClearCodesClicked();
    void OnDrugListRightClick(int row);
    void OnDrugListItemActivated(int row);
    void OnHerbalModeClicked();
    void OnWesternModeClicked();
    void lookup(const QString& sql);
    QStringList formDrugRow() const;
    void showHerbalPair(bool herbal);

    const ProgramContext& context_;
    QPointer<QueryWindow> queryWindow_;
};

}  // namespace rx
