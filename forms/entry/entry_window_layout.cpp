// The controls of EntryWindow: kinds, places, captions, lists and first state.
// Every control but the group box lies inside 分组框_人员信息, placed relative
// to its top-left corner.

#include <QComboBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "forms/entry/entry_texts.h"
#include "forms/entry/entry_window.h"
#include "platform/ui/basic_controls.h"
#include "platform/ui/report_list_view.h"
#include "platform/ui/whole_number_edit.h"

using namespace Qt::Literals::StringLiterals;

namespace rx {
namespace {

using ui::label;
using ui::make;

using namespace entry_texts;

ui::EditBox* edit(QWidget* parent, const QString& name, QRect at) {
    return make(parent, name, at, new ui::EditBox);
}

QPlainTextEdit* multiLineEdit(QWidget* parent, const QString& name, QRect at) {
    auto* e = make(parent, name, at, new QPlainTextEdit);
    e->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    e->setTabChangesFocus(true);  // Tab walks the form; Enter makes the new line
    return e;
}

// Combo boxes open their list about 140 px deep below the 20 px box.
QComboBox* combo(QWidget* parent, const QString& name, QRect at, const QStringList& items,
                 bool editable, int selected) {
    auto* c = make(parent, name, at, new QComboBox);
    c->setEditable(editable);
    if (editable) {
        ui::withoutLengthLimit(c->lineEdit());
        // What the doctor typed is the text; completing "禾川1" to "禾川1号" would save a remark
        // never meant.
        c->setCompleter(nullptr);
    }
    c->setInsertPolicy(QComboBox::NoInsert);
    c->addItems(items);
    c->setMaxVisibleItems(7);
    c->setCurrentIndex(selected);
    return c;
}

QPushButton* button(QWidget* parent, const QString& name, QRect at, const QString& caption) {
    auto* b = make(parent, name, at, new QPushButton(caption));
    b->setAutoDefault(false);
    return b;
}

QFont listFont() {
    QFont font(QStringLiteral("SimSun"));
    font.setPixelSize(16);
    font.setWeight(QFont::Normal);
    return font;
}

ui::ReportListView* reportList(QWidget* parent, const QString& name, QRect at, QColor colour) {
    auto* list = make(parent, name, at, new ui::ReportListView);
    list->setFont(listFont());
    list->setTextColour(colour);
    return list;
}

}  // namespace

EntryWindow::EntryWindow(const ProgramContext& context, QWidget* parent)
    : FixedWindow(QSize(868, 692), ui::TitleButtons::CloseMinimizeMaximize, parent),
      context_(context) {
    分组框_人员信息 =
        ui::named(new QGroupBox(kGroupCaption, this), QStringLiteral("分组框_人员信息"));
    ui::place(分组框_人员信息, 8, 9, 848, 647);
    buildPatientFields();
    buildSearchControls();
    buildDrugLists();
    buildButtons();
    setTabOrderOfControls();
    wireHandlers();
    wireLookupHandlers();
}

void EntryWindow::buildPatientFields() {
    QWidget* g = 分组框_人员信息;
    标签_姓名 = label(g, u"标签_姓名"_s, {15, 32, 40, 20}, QStringLiteral("姓   名"));
    编辑框_姓名 = edit(g, u"编辑框_姓名"_s, {73, 32, 70, 20});
    标签_性别 = label(g, u"标签_性别"_s, {156, 32, 43, 20}, QStringLiteral("性  别"));
    组合框_性别 = combo(g, u"组合框_性别"_s, {208, 32, 50, 20}, kSexItems, true, -1);
    标签_年龄 = label(g, u"标签_年龄"_s, {275, 32, 40, 24}, QStringLiteral("年  龄"));
    编辑框_年龄 = make(g, u"编辑框_年龄"_s, {319, 32, 50, 20}, new ui::WholeNumberEdit);
    组合框_年龄单位 = combo(g, u"组合框_年龄单位"_s, {371, 32, 40, 20}, kAgeUnitItems, false, 0);
    标签_住址 = label(g, u"标签_住址"_s, {426, 32, 40, 24}, QStringLiteral("住  址"));
    编辑框_住址 = edit(g, u"编辑框_住址"_s, {472, 32, 160, 20});
    编辑框_住址->setText(kAddressPrompt);  // real text, saved as it is when left alone
    标签4 = label(g, u"标签4"_s, {640, 31, 64, 24}, QStringLiteral("是否新纪录"));
    组合框_新纪录 = combo(g, u"组合框_新纪录"_s, {707, 31, 48, 20}, kNewRecordItems, true, -1);
    标签_诊断 = label(g, u"标签_诊断"_s, {15, 67, 48, 20}, QStringLiteral("诊    断"));
    编辑框_诊断 = edit(g, u"编辑框_诊断"_s, {73, 64, 111, 20});
    标签_登记时间 = label(g, u"标签_登记时间"_s, {210, 65, 48, 24}, QStringLiteral("登记时间"));
    日期框1 = make(g, u"日期框1"_s, {280, 64, 131, 20}, new ui::DatePicker);
    日期框1->setDisplayFormat(QStringLiteral("yyyy'年'M'月'd'日'"));  // the Chinese long date
    日期框1->setCalendarPopup(true);
    日期框1->setDateTime(context_.now());
    标签_处方号 = label(g, u"标签_处方号"_s, {424, 61, 48, 32}, QStringLiteral("处方号"));
    编辑框_处方号 = edit(g, u"编辑框_处方号"_s, {472, 64, 160, 20});
    标签_现病史 = label(g, u"标签_现病史"_s, {25, 410, 37, 24}, QStringLiteral("现病史"));
    编辑框_现病史 = multiLineEdit(g, u"编辑框_现病史"_s, {72, 407, 112, 72});
    标签2 = label(g, u"标签2"_s, {24, 495, 40, 16}, QStringLiteral("备注"));
    组合框_备注 = combo(g, u"组合框_备注"_s, {73, 492, 112, 20}, kRemarkItems, true, -1);
    标签3 = label(g, u"标签3"_s, {26, 535, 32, 16}, QStringLiteral("备注2"));
    编辑框_备注2 = edit(g, u"编辑框_备注2"_s, {72, 519, 112, 56});
    标签_中药处方 = label(g, u"标签_中药处方"_s, {24, 583, 48, 20}, QStringLiteral("中药处方"));
    编辑框_中药处方 = multiLineEdit(g, u"编辑框_中药处方"_s, {72, 584, 112, 27});
}

void EntryWindow::buildSearchControls() {
    QWidget* g = 分组框_人员信息;
    单选框1 = make(g, u"单选框1"_s, {74, 95, 104, 16}, new QRadioButton(QStringLiteral("中药")));
    单选框2 = make(g, u"单选框2"_s, {74, 111, 112, 16}, new QRadioButton(QStringLiteral("西药")));
    标签_西药 = label(g, u"标签_西药"_s, {15, 133, 48, 20}, QStringLiteral("西药简码"));
    编辑框_西药 = edit(g, u"编辑框_西药"_s, {73, 132, 111, 20});
    // Created after the western pair, so the herbal pair lies on top.
    标签_选择药品 = label(g, u"标签_选择药品"_s, {15, 133, 48, 20}, QStringLiteral("中药简码"));
    编辑框_选择药品 = edit(g, u"编辑框_选择药品"_s, {73, 132, 111, 20});
    标签1 = label(g, u"标签1"_s, {16, 168, 48, 24}, QStringLiteral("药品名称"));
    编辑框_药品名称 = edit(g, u"编辑框_药品名称"_s, {72, 168, 112, 24});
    标签_用量 = label(g, u"标签_用量"_s, {15, 207, 48, 20}, QStringLiteral("用    量"));
    编辑框_用量 = make(g, u"编辑框_用量"_s, {73, 207, 111, 20}, new ui::WholeNumberEdit);
    标签_剂量单位 = label(g, u"标签_剂量单位"_s, {15, 244, 48, 16}, QStringLiteral("剂量单位"));
    组合框_剂量单位 =
        combo(g, u"组合框_剂量单位"_s, {73, 242, 112, 20},
              context_.hostLinked() ? kHostLinkedDoseUnitItems : kDoseUnitItems, false, 0);
    标签_用法 = label(g, u"标签_用法"_s, {15, 279, 48, 20}, QStringLiteral("用    法"));
    组合框_用法 = combo(g, u"组合框_用法"_s, {73, 276, 112, 20}, kUsageItems, false, 0);
    按钮1 = button(g, u"按钮1"_s, {73, 304, 111, 30}, QStringLiteral("插入药品"));
    按钮_清除 = button(g, u"按钮_清除"_s, {73, 342, 111, 30}, QStringLiteral("清除简码"));
    标签_频率 = label(g, u"标签_频率"_s, {15, 382, 48, 20}, QStringLiteral("频    率"));
    组合框_频率 = combo(g, u"组合框_频率"_s, {73, 379, 112, 20}, kFrequencyItems, false, 2);
}

void EntryWindow::buildDrugLists() {
    QWidget* g = 分组框_人员信息;
    查询列表框 = reportList(g, u"查询列表框"_s, {188, 103, 188, 456}, QColor(0, 128, 0));
    查询列表框->addColumn(QStringLiteral("选择药品"), 100, ui::ColumnAlign::Left);
    查询列表框->setSorted(true);
    超级列表框1 = reportList(g, u"超级列表框1"_s, {384, 103, 456, 456}, QColor(0, 96, 192));
    超级列表框1->addColumn(QStringLiteral("药品名称"), 130, ui::ColumnAlign::Left);
    超级列表框1->addColumn(QStringLiteral("用量"), 100, ui::ColumnAlign::Centre);
    超级列表框1->addColumn(QStringLiteral("剂量单位"), 100, ui::ColumnAlign::Centre);
    超级列表框1->addColumn(QStringLiteral("用法"), 100, ui::ColumnAlign::Centre);
}

void EntryWindow::buildButtons() {
    QWidget* g = 分组框_人员信息;
    按钮_保存 = button(g, u"按钮_保存"_s, {229, 596, 112, 30}, QStringLiteral("保    存"));
    按钮_接诊 = button(g, u"按钮_接诊"_s, {353, 596, 112, 30}, QStringLiteral("接   诊"));
    按钮_退出 = button(g, u"按钮_退出"_s, {478, 594, 112, 30}, QStringLiteral("退   出"));
    按钮_打印 = button(g, u"按钮_打印"_s, {602, 592, 112, 30}, QStringLiteral("打   印"));
    按钮_处方查询 = button(g, u"按钮_处方查询"_s, {728, 592, 112, 30}, QStringLiteral("处方查询"));
    按钮2 = button(g, u"按钮2"_s, {680, 63, 88, 32}, QStringLiteral("按钮"));
    // The host-linked build has no 按钮3.
    按钮3 = context_.hostLinked()
                ? nullptr
                : button(g, u"按钮3"_s, {776, 63, 64, 32}, QStringLiteral("按钮"));
}

// Tab walks the controls in the order of the layout tables, labels left out.
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
