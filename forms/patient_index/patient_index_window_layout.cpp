// The controls of PatientIndexWindow: two group boxes side by side, every other
// control inside one of them and placed relative to its top-left corner.

#include <QDateTimeEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "forms/patient_index/patient_index_texts.h"
#include "forms/patient_index/patient_index_window.h"
#include "platform/ui/basic_controls.h"
#include "platform/ui/report_list_view.h"

using namespace Qt::Literals::StringLiterals;

namespace rx {
namespace {

using ui::label;
using ui::make;

using namespace patient_index_texts;

QGroupBox* groupBox(QWidget* window, const QString& name, QRect at, const QString& caption) {
    return make(window, name, at, new QGroupBox(caption));
}

ui::EditBox* edit(QWidget* parent, const QString& name, QRect at) {
    return make(parent, name, at, new ui::EditBox);
}

QPushButton* button(QWidget* parent, const QString& name, QRect at, const QString& caption) {
    auto* b = make(parent, name, at, new QPushButton(caption));
    b->setAutoDefault(false);
    return b;
}

// The Chinese long date with a drop-down calendar; it keeps the time of day it
// was given, which the search's date check compares too.
QDateTimeEdit* datePicker(QWidget* parent, const QString& name, QRect at, const QDateTime& now) {
    auto* d = make(parent, name, at, new ui::DatePicker);
    d->setDisplayFormat(u"yyyy'年'M'月'd'日'"_s);
    d->setCalendarPopup(true);
    d->setDateTime(now);
    return d;
}

QFont listFont() {
    QFont font(u"SimSun"_s);
    font.setPixelSize(16);
    font.setWeight(QFont::Normal);
    return font;
}

}  // namespace

PatientIndexWindow::PatientIndexWindow(const ProgramContext& context, QWidget* owner)
    : FixedWindow(QSize(897, 409), ui::TitleButtons::Close, owner),
      context_(context),
      openedAt_(context.now()) {
    setObjectName(u"PatientIndexWindow"_s);
    分组框1 = groupBox(this, u"分组框1"_s, {8, 8, 312, 360}, kEntryGroupCaption);
    分组框2 = groupBox(this, u"分组框2"_s, {320, 8, 560, 360}, QString());
    buildEntryGroup();
    buildSearchGroup();
    setTabOrderOfControls();
    wireHandlers();
    // The window opens ready for typing a name.
    编辑框_姓名->setFocus(Qt::OtherFocusReason);
}

void PatientIndexWindow::buildEntryGroup() {
    QWidget* g = 分组框1;
    标签1 = label(g, u"标签1"_s, {35, 40, 32, 24}, kNameLabel);
    编辑框_姓名 = edit(g, u"编辑框_姓名"_s, {75, 40, 80, 24});
    编辑框2 = edit(g, u"编辑框2"_s, {168, 40, 96, 24});
    标签2 = label(g, u"标签2"_s, {35, 80, 32, 24}, kComplaintLabel);
    编辑框_主诉 = make(g, u"编辑框_主诉"_s, {75, 80, 216, 80}, new QPlainTextEdit);
    编辑框_主诉->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    编辑框_主诉->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    编辑框_主诉->setTabChangesFocus(true);  // Tab walks the form; Enter is the key handler's
    标签3 = label(g, u"标签3"_s, {35, 177, 32, 24}, kTimeLabel);
    日期框1 = datePicker(g, u"日期框1"_s, {76, 177, 152, 24}, openedAt_);
    按钮1 = button(g, u"按钮1"_s, {101, 241, 136, 40}, kAddButton);
    // Only the host-linked build takes the patient from the host frame.
    按钮_快捷 = context_.hostLinked() ? button(g, u"按钮_快捷"_s, {200, 312, 88, 32}, kQuickButton)
                                      : nullptr;
}

void PatientIndexWindow::buildSearchGroup() {
    QWidget* g = 分组框2;
    标签4 = label(g, u"标签4"_s, {24, 24, 56, 24}, kStartLabel);
    日期框2 = datePicker(g, u"日期框2"_s, {88, 24, 144, 24}, openedAt_);
    标签5 = label(g, u"标签5"_s, {27, 64, 56, 24}, kEndLabel);
    日期框3 = datePicker(g, u"日期框3"_s, {88, 64, 144, 24}, openedAt_);
    标签6 = label(g, u"标签6"_s, {28, 106, 48, 16}, kSearchNameLabel);
    编辑框_检索姓名 = edit(g, u"编辑框_检索姓名"_s, {88, 104, 143, 24});
    按钮2 = button(g, u"按钮2"_s, {288, 56, 144, 40}, kSearchButton);
    超级列表框1 = make(g, u"超级列表框1"_s, {8, 144, 544, 208}, new ui::ReportListView);
    超级列表框1->setFont(listFont());
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
