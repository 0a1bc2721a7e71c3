// The controls of QueryWindow from its layout table, then their first state
// and Tab order. Nothing is anchored or laid out, so a maximised window keeps
// every control where it is.

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include "forms/query/query_layout.h"
#include "forms/query/query_window.h"
#include "platform/ui/layout_builder.h"
#include "platform/ui/report_list_view.h"

namespace rx {

QueryWindow::QueryWindow(const ProgramContext& context)
    : FixedWindow(ui::outerSize(query_layout::kLayout), ui::TitleButtons::CloseMinimizeMaximize,
                  nullptr),
      context_(context) {
    setObjectName(ui::text(query_layout::kLayout.window));
    const ui::BuiltControls built(this, query_layout::kLayout, context_.hostLinked());
    分组框_查询 = built.get<QGroupBox>("分组框_查询");
    分组框_门诊处方查询 = built.get<QGroupBox>("分组框_门诊处方查询");
    列表框1 = built.get<QListWidget>("列表框1");
    takeSearchControls(built);
    takeDetailBoxes(built);
    setTabOrderOfControls();
    wireHandlers();
}

void QueryWindow::takeSearchControls(const ui::BuiltControls& b) {
    标签_起始时间 = b.get<QLabel>("标签_起始时间");
    日期框1 = b.get<ui::DatePicker>("日期框1");
    日期框1->setDateTime(context_.now());
    标签_结束时间 = b.get<QLabel>("标签_结束时间");
    日期框2 = b.get<ui::DatePicker>("日期框2");
    日期框2->setDateTime(context_.now());  // the time of day too, as the window opens
    标签1 = b.get<QLabel>("标签1");
    编辑框1 = b.get<ui::EditBox>("编辑框1");
    按钮_查询 = b.get<QPushButton>("按钮_查询");
    超级列表框1 = b.get<ui::ReportListView>("超级列表框1");
    超级列表框1->setTextColour(Qt::black);
}

void QueryWindow::takeDetailBoxes(const ui::BuiltControls& b) {
    标签_姓名 = b.get<QLabel>("标签_姓名");
    编辑框_姓名 = b.get<ui::EditBox>("编辑框_姓名");
    标签_性别 = b.get<QLabel>("标签_性别");
    编辑框_性别 = b.get<ui::EditBox>("编辑框_性别");
    标签_年龄 = b.get<QLabel>("标签_年龄");
    编辑框_年龄 = b.get<ui::EditBox>("编辑框_年龄");
    编辑框_年龄单位 = b.get<ui::EditBox>("编辑框_年龄单位");
    标签_住址 = b.get<QLabel>("标签_住址");
    编辑框_住址 = b.get<ui::EditBox>("编辑框_住址");
    标签_诊断 = b.get<QLabel>("标签_诊断");
    编辑框_诊断 = b.get<ui::EditBox>("编辑框_诊断");
    标签_登记时间 = b.get<QLabel>("标签_登记时间");
    编辑框_登记时间 = b.get<ui::EditBox>("编辑框_登记时间");
    标签_处方号 = b.get<QLabel>("标签_处方号");
    编辑框_处方号 = b.get<ui::EditBox>("编辑框_处方号");
    标签_频率 = b.get<QLabel>("标签_频率");
    编辑框_频率 = b.get<ui::EditBox>("编辑框_频率");
    标签_用法 = b.get<QLabel>("标签_用法");
    编辑框_用法 = b.get<ui::EditBox>("编辑框_用法");
    标签_用量 = b.get<QLabel>("标签_用量");
    编辑框_用量单位 = b.get<ui::EditBox>("编辑框_用量单位");
    标签_现病史 = b.get<QLabel>("标签_现病史");
    编辑框_现病史 = b.get<QPlainTextEdit>("编辑框_现病史");
    标签_中药处方 = b.get<QLabel>("标签_中药处方");
    编辑框_中药处方 = b.get<QPlainTextEdit>("编辑框_中药处方");
    按钮_打印 = b.get<QPushButton>("按钮_打印");
    按钮_退出 = b.get<QPushButton>("按钮_退出");
    detailBoxes_ = {编辑框_姓名,     编辑框_性别,     编辑框_年龄,    编辑框_年龄单位, 编辑框_住址,
                    编辑框_诊断,     编辑框_登记时间, 编辑框_处方号,  编辑框_频率,     编辑框_用法,
                    编辑框_用量单位, 编辑框_现病史,   编辑框_中药处方};
}

// Tab walks the controls that can take the focus, in the order of the layout.
void QueryWindow::setTabOrderOfControls() {
    QWidget* const order[] = {日期框1,     日期框2,   编辑框1,  按钮_查询,
                              超级列表框1, 按钮_打印, 按钮_退出};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

}  // namespace rx
