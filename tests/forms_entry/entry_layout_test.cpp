#include "forms/entry/entry_layout.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>

#include "tests/forms_entry/entry_fixture.h"
#include "tests/platform_ui/layout_check.h"
#include "tests/support/text_fit.h"

using namespace Qt::Literals::StringLiterals;

namespace {

using rx::EntryWindow;
using rx::entry_layout::kLayout;
using rx::test::EntryWindowTest;
using rx::test::typeText;

QStringList itemsOf(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items.append(combo->itemText(i));
    return items;
}

TEST_F(EntryWindowTest, WindowIsFixedUntitledAndHoldsOnlyTheGroupBox) {
    EntryWindow& w = open();
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_TRUE(w.windowTitle().trimmed().isEmpty());
    EXPECT_TRUE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(w.windowFlags() & Qt::WindowMinimizeButtonHint);
    const auto direct = w.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_EQ(direct.size(), 1);
    EXPECT_EQ(direct.front(), w.分组框_人员信息);
}

TEST_F(EntryWindowTest, EveryControlSitsInTheGroupBoxAsItsTableSays) {
    EntryWindow& w = open();
    EXPECT_EQ(rx::test::layoutFaults(&w, kLayout, false), "");
    for (QWidget* control :
         w.分组框_人员信息->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        const std::string name = control->objectName().toStdString();
        EXPECT_TRUE(control->isEnabled()) << name;
        // The window opens in herbal mode: the western search pair waits hidden.
        const bool western = control == w.标签_西药 || control == w.编辑框_西药;
        EXPECT_EQ(control->isVisible(), !western) << name;
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
    for (QWidget* control :
         w.分组框_人员信息->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
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
