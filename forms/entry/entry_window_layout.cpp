// The controls of EntryWindow from its layout table, then their lists, first
// state and Tab order.

#include <QComboBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "forms/entry/entry_layout.h"
#include "forms/entry/entry_texts.h"
#include "forms/entry/entry_window.h"
#include "platform/ui/layout_builder.h"
#include "platform/ui/report_list_view.h"
#include "platform/ui/whole_number_edit.h"

namespace rx {

using namespace entry_texts;

EntryWindow::EntryWindow(const ProgramContext& context, QWidget* parent)
    : FixedWindow(ui::outerSize(entry_layout::kLayout), ui::TitleButtons::CloseMinimizeMaximize,
                  parent),
      context_(context) {
    const ui::BuiltControls built(this, entry_layout::kLayout, context_.hostLinked());
    takePatientFields(built);
    takeSearchControls(built);
    takeListsAndButtons(built);
    fillControls();
    setTabOrderOfControls();
    wireHandlers();
    wireLookupHandlers();
}

void EntryWindow::takePatientFields(const ui::BuiltControls& b) {
    分组框_人员信息 = b.get<QGroupBox>("分组框_人员信息");
    标签_姓名 = b.get<QLabel>("标签_姓名");
    编辑框_姓名 = b.get<ui::EditBox>("编辑框_姓名");
    标签_性别 = b.get<QLabel>("标签_性别");
    组合框_性别 = b.get<QComboBox>("组合框_性别");
    标签_年龄 = b.get<QLabel>("标签_年龄");
    编辑框_年龄 = b.get<ui::WholeNumberEdit>("编辑框_年龄");
    组合框_年龄单位 = b.get<QComboBox>("组合框_年龄单位");
    标签_住址 = b.get<QLabel>("标签_住址");
    编辑框_住址 = b.get<ui::EditBox>("编辑框_住址");
    标签4 = b.get<QLabel>("标签4");
    组合框_新纪录 = b.get<QComboBox>("组合框_新纪录");
    标签_诊断 = b.get<QLabel>("标签_诊断");
    编辑框_诊断 = b.get<ui::EditBox>("编辑框_诊断");
    标签_登记时间 = b.get<QLabel>("标签_登记时间");
    日期框1 = b.get<QDateTimeEdit>("日期框1");
    标签_处方号 = b.get<QLabel>("标签_处方号");
    编辑框_处方号 = b.get<ui::EditBox>("编辑框_处方号");
    标签_现病史 = b.get<QLabel>("标签_现病史");
    编辑框_现病史 = b.get<QPlainTextEdit>("编辑框_现病史");
    标签2 = b.get<QLabel>("标签2");
    组合框_备注 = b.get<QComboBox>("组合框_备注");
    标签3 = b.get<QLabel>("标签3");
    编辑框_备注2 = b.get<ui::EditBox>("编辑框_备注2");
    标签_中药处方 = b.get<QLabel>("标签_中药处方");
    编辑框_中药处方 = b.get<QPlainTextEdit>("编辑框_中药处方");
}

void EntryWindow::takeSearchControls(const ui::BuiltControls& b) {
    单选框1 = b.get<QRadioButton>("单选框1");
    单选框2 = b.get<QRadioButton>("单选框2");
    标签_西药 = b.get<QLabel>("标签_西药");
    编辑框_西药 = b.get<ui::EditBox>("编辑框_西药");
    标签_选择药品 = b.get<QLabel>("标签_选择药品");
    编辑框_选择药品 = b.get<ui::EditBox>("编辑框_选择药品");
    标签1 = b.get<QLabel>("标签1");
    编辑框_药品名称 = b.get<ui::EditBox>("编辑框_药品名称");
    标签_用量 = b.get<QLabel>("标签_用量");
    编辑框_用量 = b.get<ui::WholeNumberEdit>("编辑框_用量");
    标签_剂量单位 = b.get<QLabel>("标签_剂量单位");
    组合框_剂量单位 = b.get<QComboBox>("组合框_剂量单位");
    标签_用法 = b.get<QLabel>("标签_用法");
    组合框_用法 = b.get<QComboBox>("组合框_用法");
    按钮1 = b.get<QPushButton>("按钮1");
    按钮_清除 = b.get<QPushButton>("按钮_清除");
    标签_频率 = b.get<QLabel>("标签_频率");
    组合框_频率 = b.get<QComboBox>("组合框_频率");
}

void EntryWindow::takeListsAndButtons(const ui::BuiltControls& b) {
    查询列表框 = b.get<ui::ReportListView>("查询列表框");
    超级列表框1 = b.get<ui::ReportListView>("超级列表框1");
    按钮_保存 = b.get<QPushButton>("按钮_保存");
    按钮_接诊 = b.get<QPushButton>("按钮_接诊");
    按钮_退出 = b.get<QPushButton>("按钮_退出");
    按钮_打印 = b.get<QPushButton>("按钮_打印");
    按钮_处方查询 = b.get<QPushButton>("按钮_处方查询");
    按钮2 = b.get<QPushButton>("按钮2");
    按钮3 = b.get<QPushButton>("按钮3");  // the host-linked build has none
}

// The lists, colours and first texts the table does not hold.
void EntryWindow::fillControls() {
    ui::fill(组合框_性别, kSexItems, -1);
    ui::fill(组合框_年龄单位, kAgeUnitItems, 0);
    ui::fill(组合框_新纪录, kNewRecordItems, -1);
    ui::fill(组合框_备注, kRemarkItems, -1);
    ui::fill(组合框_剂量单位, context_.hostLinked() ? kHostLinkedDoseUnitItems : kDoseUnitItems, 0);
    ui::fill(组合框_用法, kUsageItems, 0);
    ui::fill(组合框_频率, kFrequencyItems, 2);
    编辑框_住址->setText(kAddressPrompt);  // real text, saved as it is when left alone
    日期框1->setDateTime(context_.now());
    查询列表框->setTextColour(QColor(0, 128, 0));
    查询列表框->addColumn(QStringLiteral("选择药品"), 100, ui::ColumnAlign::Left);
    查询列表框->setSorted(true);
    超级列表框1->setTextColour(QColor(0, 96, 192));
    超级列表框1->addColumn(QStringLiteral("药品名称"), 130, ui::ColumnAlign::Left);
    超级列表框1->addColumn(QStringLiteral("用量"), 100, ui::ColumnAlign::Centre);
    超级列表框1->addColumn(QStringLiteral("剂量单位"), 100, ui::ColumnAlign::Centre);
    超级列表框1->addColumn(QStringLiteral("用法"), 100, ui::ColumnAlign::Centre);
}

// Tab walks the controls in the order of the layout table, labels left out.
void EntryWindow::setTabOrderOfControls() {
    std::vector<QWidget*> order{编辑框_姓名,     组合框_性别,     编辑框_年龄,
                                组合框_年龄单位, 编辑框_住址,     组合框_新纪录,
                                编辑框_诊断,     日期框1,         编辑框_处方号,
                                编辑框_现病史,   组合框_备注,     编辑框_备注2,
                                编辑框_中药处方, 单选框1,         单选框2,
                                编辑框_选择药品, 编辑框_西药,     编辑框_药品名称,
                                编辑框_用量,     组合框_剂量单位, 组合框_用法,
                                按钮1,           按钮_清除,       组合框_频率,
                                查询列表框,      超级列表框1,     按钮_保存,
                                按钮_接诊,       按钮_退出,       按钮_打印,
                                按钮_处方查询,   按钮2,           按钮3};
    std::erase(order, nullptr);  // 按钮3 of the standalone build only
    for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

}  // namespace rx
