// The controls of QueryWindow: kinds, places, captions and first state. The
// two group boxes and the hidden list box lie in the window; every other
// control lies in one of the group boxes, placed from its top-left corner.
// Nothing is anchored or laid out, so a maximised window keeps every control
// where it is.

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include "forms/query/query_texts.h"
#include "forms/query/query_window.h"
#include "platform/ui/basic_controls.h"
#include "platform/ui/report_list_view.h"

using namespace Qt::Literals::StringLiterals;

namespace rx {
namespace {

using ui::label;
using ui::make;

using namespace query_texts;

QPushButton* button(QWidget* parent, const QString& name, QRect at, const QString& caption) {
    auto* b = make(parent, name, at, new QPushButton(caption));
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::StrongFocus);
    return b;
}

ui::DatePicker* datePicker(QWidget* parent, const QString& name, QRect at) {
    auto* d = make(parent, name, at, new ui::DatePicker);
    d->setDisplayFormat(u"yyyy'年'M'月'd'日'"_s);  // the Chinese long date
    d->setCalendarPopup(true);
    return d;
}

// The detail boxes only display: greyed, out of the Tab order, never typed into,
// and still readable, for this is the prescription the doctor reads back.
ui::EditBox* detailBox(QWidget* parent, const QString& name, QRect at) {
    auto* e = make(parent, name, at, new ui::EditBox);
    e->setEnabled(false);
    ui::readableWhenDisabled(e);
    return e;
}

QPlainTextEdit* detailText(QWidget* parent, const QString& name, QRect at) {
    auto* e = make(parent, name, at, new QPlainTextEdit);
    e->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    e->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    e->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    e->setEnabled(false);
    ui::readableWhenDisabled(e);
    return e;
}

}  // namespace

QueryWindow::QueryWindow(const ProgramContext& context)
    : FixedWindow(QSize(667, 525), ui::TitleButtons::CloseMinimizeMaximize, nullptr),
      context_(context) {
    setObjectName(u"QueryWindow"_s);
    分组框_查询 = make(this, u"分组框_查询"_s, {8, 8, 640, 200}, new QGroupBox(kSearchGroup));
    分组框_门诊处方查询 =
        make(this, u"分组框_门诊处方查询"_s, {8, 208, 640, 280}, new QGroupBox(kDetailGroup));
    列表框1 = make(this, u"列表框1"_s, {664, 16, 272, 400}, new QListWidget);
    列表框1->setSortingEnabled(false);
    列表框1->setFocusPolicy(Qt::NoFocus);
    列表框1->hide();
    buildSearchControls();
    buildDetailBoxes();
    setTabOrderOfControls();
    wireHandlers();
}

void QueryWindow::buildSearchControls() {
    QWidget* g = 分组框_查询;
    标签_起始时间 = label(g, u"标签_起始时间"_s, {32, 20, 50, 20}, kStartLabel);
    日期框1 = datePicker(g, u"日期框1"_s, {83, 20, 112, 20});
    日期框1->setDateTime(context_.now());
    标签_结束时间 = label(g, u"标签_结束时间"_s, {195, 20, 50, 20}, kEndLabel);
    日期框2 = datePicker(g, u"日期框2"_s, {243, 20, 112, 20});
    日期框2->setDateTime(context_.now());  // the time of day too, as the window opens
    标签1 = label(g, u"标签1"_s, {370, 24, 30, 16}, kNameFilterLabel);
    编辑框1 = make(g, u"编辑框1"_s, {400, 20, 112, 20}, new ui::EditBox);
    按钮_查询 = button(g, u"按钮_查询"_s, {522, 16, 80, 30}, kSearchButton);
    超级列表框1 = make(g, u"超级列表框1"_s, {8, 56, 616, 136}, new ui::ReportListView);
    超级列表框1->setTextColour(Qt::black);
}

void QueryWindow::buildDetailBoxes() {
    QWidget* g = 分组框_门诊处方查询;
    标签_姓名 = label(g, u"标签_姓名"_s, {24, 32, 40, 20}, kNameLabel);
    编辑框_姓名 = detailBox(g, u"编辑框_姓名"_s, {73, 32, 71, 20});
    标签_性别 = label(g, u"标签_性别"_s, {156, 32, 43, 20}, kSexLabel);
    编辑框_性别 = detailBox(g, u"编辑框_性别"_s, {208, 32, 48, 20});
    标签_年龄 = label(g, u"标签_年龄"_s, {275, 32, 40, 24}, kAgeLabel);
    编辑框_年龄 = detailBox(g, u"编辑框_年龄"_s, {319, 32, 50, 20});
    编辑框_年龄单位 = detailBox(g, u"编辑框_年龄单位"_s, {376, 32, 32, 20});
    标签_住址 = label(g, u"标签_住址"_s, {426, 32, 40, 24}, kAddressLabel);
    编辑框_住址 = detailBox(g, u"编辑框_住址"_s, {472, 32, 160, 20});
    标签_诊断 = label(g, u"标签_诊断"_s, {24, 64, 48, 20}, kDiagnosisLabel);
    编辑框_诊断 = detailBox(g, u"编辑框_诊断"_s, {73, 64, 112, 20});
    标签_登记时间 = label(g, u"标签_登记时间"_s, {210, 65, 48, 24}, kRegisteredLabel);
    编辑框_登记时间 = detailBox(g, u"编辑框_登记时间"_s, {264, 64, 144, 20});
    标签_处方号 = label(g, u"标签_处方号"_s, {424, 61, 48, 32}, kNumberLabel);
    编辑框_处方号 = detailBox(g, u"编辑框_处方号"_s, {472, 64, 160, 20});
    标签_频率 = label(g, u"标签_频率"_s, {24, 95, 48, 20}, kFrequencyLabel);
    编辑框_频率 = detailBox(g, u"编辑框_频率"_s, {73, 95, 112, 20});
    标签_用法 = label(g, u"标签_用法"_s, {24, 127, 48, 20}, kUsageLabel);
    编辑框_用法 = detailBox(g, u"编辑框_用法"_s, {73, 127, 112, 20});
    标签_用量 = label(g, u"标签_用量"_s, {24, 159, 48, 20}, kDoseUnitLabel);
    编辑框_用量单位 = detailBox(g, u"编辑框_用量单位"_s, {72, 159, 113, 20});
    标签_现病史 = label(g, u"标签_现病史"_s, {211, 96, 48, 24}, kIllnessLabel);
    编辑框_现病史 = detailText(g, u"编辑框_现病史"_s, {264, 96, 368, 75});
    标签_中药处方 = label(g, u"标签_中药处方"_s, {208, 192, 48, 20}, kHerbalLabel);
    编辑框_中药处方 = detailText(g, u"编辑框_中药处方"_s, {264, 184, 368, 75});
    按钮_打印 = button(g, u"按钮_打印"_s, {88, 190, 80, 30}, kPrintButton);
    按钮_退出 = button(g, u"按钮_退出"_s, {88, 238, 80, 30}, kExitButton);
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
