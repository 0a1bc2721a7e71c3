#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>

#include "tests/forms_entry/entry_fixture.h"
#include "tests/support/text_fit.h"

using namespace Qt::Literals::StringLiterals;

namespace {

using rx::EntryWindow;
using rx::test::EntryWindowTest;
using rx::test::typeText;

struct Placed {
    const char16_t* name;
    QRect at;
    const char16_t* caption;  // label and button captions, nullptr for other kinds
};

// Positions relative to the group box, as the layout tables give them.
const Placed kPlaces[] = {
    {u"标签_姓名", {15, 32, 40, 20}, u"姓   名"},
    {u"编辑框_姓名", {73, 32, 70, 20}, nullptr},
    {u"标签_性别", {156, 32, 43, 20}, u"性  别"},
    {u"组合框_性别", {208, 32, 50, 20}, nullptr},
    {u"标签_年龄", {275, 32, 40, 24}, u"年  龄"},
    {u"编辑框_年龄", {319, 32, 50, 20}, nullptr},
    {u"组合框_年龄单位", {371, 32, 40, 20}, nullptr},
    {u"标签_住址", {426, 32, 40, 24}, u"住  址"},
    {u"编辑框_住址", {472, 32, 160, 20}, nullptr},
    {u"标签4", {640, 31, 64, 24}, u"是否新纪录"},
    {u"组合框_新纪录", {707, 31, 48, 20}, nullptr},
    {u"标签_诊断", {15, 67, 48, 20}, u"诊    断"},
    {u"编辑框_诊断", {73, 64, 111, 20}, nullptr},
    {u"标签_登记时间", {210, 65, 48, 24}, u"登记时间"},
    {u"日期框1", {280, 64, 131, 20}, nullptr},
    {u"标签_处方号", {424, 61, 48, 32}, u"处方号"},
    {u"编辑框_处方号", {472, 64, 160, 20}, nullptr},
    {u"标签_现病史", {25, 410, 37, 24}, u"现病史"},
    {u"编辑框_现病史", {72, 407, 112, 72}, nullptr},
    {u"标签2", {24, 495, 40, 16}, u"备注"},
    {u"组合框_备注", {73, 492, 112, 20}, nullptr},
    {u"标签3", {26, 535, 32, 16}, u"备注2"},
    {u"编辑框_备注2", {72, 519, 112, 56}, nullptr},
    {u"标签_中药处方", {24, 583, 48, 20}, u"中药处方"},
    {u"编辑框_中药处方", {72, 584, 112, 27}, nullptr},
    {u"单选框1", {74, 95, 104, 16}, u"中药"},
    {u"单选框2", {74, 111, 112, 16}, u"西药"},
    {u"标签_选择药品", {15, 133, 48, 20}, u"中药简码"},
    {u"编辑框_选择药品", {73, 132, 111, 20}, nullptr},
    {u"标签_西药", {15, 133, 48, 20}, u"西药简码"},
    {u"编辑框_西药", {73, 132, 111, 20}, nullptr},
    {u"标签1", {16, 168, 48, 24}, u"药品名称"},
    {u"编辑框_药品名称", {72, 168, 112, 24}, nullptr},
    {u"标签_用量", {15, 207, 48, 20}, u"用    量"},
    {u"编辑框_用量", {73, 207, 111, 20}, nullptr},
    {u"标签_剂量单位", {15, 244, 48, 16}, u"剂量单位"},
    {u"组合框_剂量单位", {73, 242, 112, 20}, nullptr},
    {u"标签_用法", {15, 279, 48, 20}, u"用    法"},
    {u"组合框_用法", {73, 276, 112, 20}, nullptr},
    {u"按钮1", {73, 304, 111, 30}, u"插入药品"},
    {u"按钮_清除", {73, 342, 111, 30}, u"清除简码"},
    {u"标签_频率", {15, 382, 48, 20}, u"频    率"},
    {u"组合框_频率", {73, 379, 112, 20}, nullptr},
    {u"查询列表框", {188, 103, 188, 456}, nullptr},
    {u"超级列表框1", {384, 103, 456, 456}, nullptr},
    {u"按钮_保存", {229, 596, 112, 30}, u"保    存"},
    {u"按钮_接诊", {353, 596, 112, 30}, u"接   诊"},
    {u"按钮_退出", {478, 594, 112, 30}, u"退   出"},
    {u"按钮_打印", {602, 592, 112, 30}, u"打   印"},
    {u"按钮_处方查询", {728, 592, 112, 30}, u"处方查询"},
    {u"按钮2", {680, 63, 88, 32}, u"按钮"},
    {u"按钮3", {776, 63, 64, 32}, u"按钮"},
};

QString captionOf(QWidget* w) {
    if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text();
    return {};
}

QStringList itemsOf(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items.append(combo->itemText(i));
    return items;
}

TEST_F(EntryWindowTest, WindowIsFixedUntitledAndHoldsOnlyTheGroupBox) {
    EntryWindow& w = open();
    EXPECT_EQ(w.size(), QSize(868 - 6, 692 - 29));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_TRUE(w.windowTitle().trimmed().isEmpty());
    EXPECT_TRUE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(w.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(w.分组框_人员信息->geometry(), QRect(8, 9, 848, 647));
    EXPECT_EQ(w.分组框_人员信息->title(), u"门诊处方录入"_s);
    const auto direct = w.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_EQ(direct.size(), 1);
    EXPECT_EQ(direct.front(), w.分组框_人员信息);
}

TEST_F(EntryWindowTest, EveryControlSitsInTheGroupBoxWithItsCaption) {
    EntryWindow& w = open();
    for (const Placed& p : kPlaces) {
        const QString name = QString::fromUtf16(p.name);
        auto* control = w.findChild<QWidget*>(name);
        ASSERT_NE(control, nullptr) << name.toStdString();
        EXPECT_EQ(control->parentWidget(), w.分组框_人员信息) << name.toStdString();
        EXPECT_EQ(control->geometry(), p.at) << name.toStdString();
        EXPECT_TRUE(control->isEnabled()) << name.toStdString();
        // The window opens in herbal mode: the western search pair waits hidden.
        const bool western = control == w.标签_西药 || control == w.编辑框_西药;
        EXPECT_EQ(control->isVisible(), !western) << name.toStdString();
        if (p.caption) {
            EXPECT_EQ(captionOf(control), QString::fromUtf16(p.caption)) << name.toStdString();
        }
    }
}

TEST_F(EntryWindowTest, CombosHoldTheirItemsAndShowTheirFirstTexts) {
    EntryWindow& w = open();
    struct Case {
        QComboBox* combo;
        bool editable;
        QStringList items;
        QString shown;
    };
    const QString none;
    const Case cases[] = {
        {w.组合框_性别, true, {u"男"_s, u"女"_s}, none},
        {w.组合框_年龄单位, false, {u"岁"_s, u"月"_s, u"天"_s}, u"岁"_s},
        {w.组合框_新纪录, true, {u"是"_s, u"否"_s, none}, none},
        {w.组合框_剂量单位, false, {u"g"_s, u"包"_s}, u"g"_s},
        {w.组合框_用法, false, {u"口服"_s, u"外用"_s}, u"口服"_s},
        {w.组合框_频率,
         false,
         {u"每天一次"_s, u"每天二次"_s, u"每天三次"_s, u"每天四次"_s, u"隔日一次"_s,
          u"每2小时一次"_s, u"每4小时一次"_s, u"每8小时一次"_s, u"每12小时一次"_s, none},
         u"每天三次"_s},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.combo->isEditable(), c.editable) << c.combo->objectName().toStdString();
        EXPECT_EQ(itemsOf(c.combo), c.items) << c.combo->objectName().toStdString();
        EXPECT_EQ(c.combo->currentText(), c.shown) << c.combo->objectName().toStdString();
    }
    EXPECT_EQ(w.组合框_备注->count(), 16);
    EXPECT_EQ(w.组合框_备注->itemText(9), u"禾川10号"_s);
    EXPECT_EQ(w.组合框_备注->itemText(14), u"禾川E号"_s);
    EXPECT_TRUE(w.组合框_备注->itemText(15).isEmpty());
    EXPECT_EQ(w.组合框_备注->currentIndex(), -1);
    EXPECT_TRUE(w.组合框_备注->currentText().isEmpty());

    // The empty last items leave their boxes showing empty text.
    choose(w.组合框_频率, 9);
    EXPECT_EQ(w.组合框_频率->currentIndex(), 9);
    EXPECT_TRUE(w.组合框_频率->currentText().isEmpty());
}

TEST_F(EntryWindowTest, FieldsStartAsTheFormShowsThem) {
    EntryWindow& w = open();
    EXPECT_EQ(w.编辑框_住址->text(), u"请输入地址"_s);
    EXPECT_TRUE(w.编辑框_住址->placeholderText().isEmpty());
    EXPECT_TRUE(w.编辑框_姓名->text().isEmpty());
    EXPECT_EQ(w.日期框1->date(), QDate::currentDate());
    EXPECT_TRUE(w.日期框1->calendarPopup());
    EXPECT_EQ(w.日期框1->text(), QDate::currentDate().toString(u"yyyy年M月d日"_s));
    EXPECT_EQ(w.编辑框_现病史->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(w.编辑框_中药处方->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(w.查询列表框->rowCount(), 0);
    EXPECT_EQ(w.超级列表框1->rowCount(), 0);
}

TEST_F(EntryWindowTest, ListViewsHaveTheirColumnsFontsAndColours) {
    EntryWindow& w = open();
    using rx::ui::ColumnAlign;
    EXPECT_EQ(w.查询列表框->columnCount(), 1);
    EXPECT_EQ(w.查询列表框->columnTitle(0), u"选择药品"_s);
    EXPECT_EQ(w.查询列表框->header()->sectionSize(0), 100);
    EXPECT_TRUE(w.查询列表框->isSorted());
    EXPECT_FALSE(w.超级列表框1->isSorted());
    const QStringList titles{u"药品名称"_s, u"用量"_s, u"剂量单位"_s, u"用法"_s};
    const int widths[] = {130, 100, 100, 100};
    const ColumnAlign aligns[] = {ColumnAlign::Left, ColumnAlign::Centre, ColumnAlign::Centre,
                                  ColumnAlign::Centre};
    ASSERT_EQ(w.超级列表框1->columnCount(), 4);
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(w.超级列表框1->columnTitle(c), titles[c]);
        EXPECT_EQ(w.超级列表框1->header()->sectionSize(c), widths[c]);
        EXPECT_EQ(w.超级列表框1->columnAlign(c), aligns[c]);
    }
    EXPECT_EQ(w.查询列表框->palette().color(QPalette::Text), QColor(0, 128, 0));
    EXPECT_EQ(w.超级列表框1->palette().color(QPalette::Text), QColor(0, 96, 192));
    for (auto* list : {w.查询列表框, w.超级列表框1}) {
        EXPECT_EQ(list->font().pixelSize(), 16);
        EXPECT_EQ(list->font().family(), u"SimSun"_s);
        EXPECT_EQ(list->palette().color(QPalette::Base), QColor(Qt::white));
    }
}

TEST_F(EntryWindowTest, TabVisitsEveryControlButLabelsAndGroupBox) {
    EntryWindow& w = open();
    w.编辑框_姓名->setFocus(Qt::TabFocusReason);
    QSet<QWidget*> visited;
    for (int i = 0; i < 60; ++i) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        // A combo's line edit stands for its combo.
        if (auto* combo = qobject_cast<QComboBox*>(focus->parentWidget())) focus = combo;
        visited.insert(focus);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    for (const Placed& p : kPlaces) {
        auto* control = w.findChild<QWidget*>(QString::fromUtf16(p.name));
        const bool isLabel = qobject_cast<QLabel*>(control) != nullptr;
        // Of a radio group only one button takes the focus by Tab.
        if (control == w.单选框2 || control == w.单选框1) continue;
        // Of the two search pairs only the visible one can take the focus.
        if (!control->isVisible()) continue;
        EXPECT_EQ(visited.contains(control), !isLabel) << control->objectName().toStdString();
    }
    EXPECT_FALSE(visited.contains(w.分组框_人员信息));
}

TEST_F(EntryWindowTest, DatePickerIsOneTabStopAndCombosKeepWhatWasTyped) {
    EntryWindow& w = open();
    w.日期框1->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w.编辑框_处方号);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), w.日期框1);

    // Half-typed texts that begin like a list item stay as typed.
    for (const QString& typed : {u"禾川1"_s, u"禾"_s, u"禾川A"_s}) {
        w.组合框_备注->clearEditText();
        typeInto(w.组合框_备注, typed);
        EXPECT_EQ(w.组合框_备注->currentText(), typed);
    }
}

TEST_F(EntryWindowTest, EnterBreaksLinesOnlyInTheMultiLineBoxes) {
    EntryWindow& w = open();
    typeInto(w.编辑框_现病史, u"a"_s);
    QTest::keyClick(w.编辑框_现病史, Qt::Key_Return);
    typeText(w.编辑框_现病史, u"b"_s);
    EXPECT_EQ(w.编辑框_现病史->toPlainText(), u"a\nb"_s);
    typeInto(w.编辑框_中药处方, u"c"_s);
    QTest::keyClick(w.编辑框_中药处方, Qt::Key_Return);
    EXPECT_EQ(w.编辑框_中药处方->toPlainText(), u"c\n"_s);
    typeInto(w.编辑框_诊断, u"d"_s);
    QTest::keyClick(w.编辑框_诊断, Qt::Key_Return);
    EXPECT_EQ(w.编辑框_诊断->text(), u"d"_s);
}

TEST_F(EntryWindowTest, AgeBoxTakesOnlyWholeNumbers) {
    EntryWindow& w = open();
    typeInto(w.编辑框_年龄, u"1a.2"_s);
    EXPECT_EQ(w.编辑框_年龄->text(), u"12"_s);
    typeInto(w.编辑框_用量, u"-"_s);
    w.编辑框_诊断->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(w.编辑框_用量->text().isEmpty());
}

TEST_F(EntryWindowTest, SecondButtonClickedDoesNothing) {
    EntryWindow& w = open();
    typeInto(w.编辑框_姓名, u"李四"_s);
    click(w.按钮3);
    EXPECT_TRUE(shown().empty());
    EXPECT_EQ(endedWith(), -1);
    EXPECT_EQ(w.编辑框_姓名->text(), u"李四"_s);
    EXPECT_EQ(rx::ui::FixedWindow::liveWindows(), 1);
}

// The date keeps its final 日 for a two-digit month and day; every caption fits.
TEST_F(EntryWindowTest, NoTextIsCutOff) {
    EntryWindow& w = open();
    w.日期框1->setDate(QDate(2026, 11, 30));
    EXPECT_EQ(rx::test::cutOffTexts(&w), "");
}

}  // namespace
