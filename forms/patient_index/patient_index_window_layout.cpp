// The controls of PatientIndexWindow from its layout table, then their first
// state and Tab order.

#include <QDateTimeEdit>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "forms/patient_index/patient_index_layout.h"
#include "forms/patient_index/patient_index_window.h"
#include "platform/ui/layout_builder.h"
#include "platform/ui/report_list_view.h"

namespace rx {

PatientIndexWindow::PatientIndexWindow(const ProgramContext& context, QWidget* owner)
    : FixedWindow(ui::outerSize(patient_index_layout::kLayout), ui::TitleButtons::Close, owner),
      context_(context),
      openedAt_(context.now()) {
    setObjectName(ui::text(patient_index_layout::kLayout.window));
    const ui::BuiltControls built(this, patient_index_layout::kLayout, context_.hostLinked());
    分组框1 = built.get<QGroupBox>("分组框1");
    分组框2 = built.get<QGroupBox>("分组框2");
    takeEntryGroup(built);
    takeSearchGroup(built);
    setTabOrderOfControls();
    wireHandlers();
    // The window opens ready for typing a name.
    编辑框_姓名->setFocus(Qt::OtherFocusReason);
}

void PatientIndexWindow::takeEntryGroup(const ui::BuiltControls& b) {
    标签1 = b.get<QLabel>("标签1");
    编辑框_姓名 = b.get<ui::EditBox>("编辑框_姓名");
    编辑框2 = b.get<ui::EditBox>("编辑框2");
    标签2 = b.get<QLabel>("标签2");
    编辑框_主诉 = b.get<QPlainTextEdit>("编辑框_主诉");
    标签3 = b.get<QLabel>("标签3");
    // The pickers keep the time of day they were given, which the search's date
    // check compares too.
    日期框1 = b.get<QDateTimeEdit>("日期框1");
    日期框1->setDateTime(openedAt_);
    按钮1 = b.get<QPushButton>("按钮1");
    按钮_快捷 = b.get<QPushButton>("按钮_快捷");  // only the host-linked build has it
}

void PatientIndexWindow::takeSearchGroup(const ui::BuiltControls& b) {
    标签4 = b.get<QLabel>("标签4");
    日期框2 = b.get<QDateTimeEdit>("日期框2");
    日期框2->setDateTime(openedAt_);
    标签5 = b.get<QLabel>("标签5");
    日期框3 = b.get<QDateTimeEdit>("日期框3");
    日期框3->setDateTime(openedAt_);
    标签6 = b.get<QLabel>("标签6");
    编辑框_检索姓名 = b.get<ui::EditBox>("编辑框_检索姓名");
    按钮2 = b.get<QPushButton>("按钮2");
    超级列表框1 = b.get<ui::ReportListView>("超级列表框1");
    超级列表框1->setTextColour(Qt::black);
}

// Tab walks the controls in the order of the layout, labels left out.
void PatientIndexWindow::setTabOrderOfControls() {
    std::vector<QWidget*> order{编辑框_姓名,     编辑框2,   编辑框_主诉, 日期框1,
                                按钮1,           按钮_快捷, 日期框2,     日期框3,
                                编辑框_检索姓名, 按钮2,     超级列表框1};
    std::erase(order, nullptr);  // 按钮_快捷 of the host-linked build only
    for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

}  // namespace rx
