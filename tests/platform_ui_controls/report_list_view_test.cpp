#include "platform/ui/report_list_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

using rx::ui::ColumnAlign;
using rx::ui::ReportListView;

QStringList column(const ReportListView& list, int c) {
    QStringList texts;
    for (int row = 0; row < list.rowCount(); ++row) texts.append(list.cellText(row, c));
    return texts;
}

class ReportListViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        list_.addColumn(u"名称"_s, 130);
        list_.addColumn(u"用量"_s, 100, ColumnAlign::Centre);
        list_.resize(400, 300);
    }
    void showActive() {
        list_.show();
        QApplication::setActiveWindow(&list_);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&list_));
        list_.setFocus();
    }
    QPoint rowCentre(int row) { return list_.visualRect(list_.model()->index(row, 0)).center(); }

    ReportListView list_;
};

TEST_F(ReportListViewTest, ColumnsCarryTitleWidthAndAlignment) {
    EXPECT_EQ(list_.columnCount(), 2);
    EXPECT_EQ(list_.columnTitle(1), u"用量"_s);
    EXPECT_EQ(list_.header()->sectionSize(0), 130);
    EXPECT_EQ(list_.header()->sectionSize(1), 100);
    EXPECT_EQ(list_.columnAlign(1), ColumnAlign::Centre);
    list_.insertRow(0, {u"a"_s, u"1"_s});
    EXPECT_EQ(list_.model()->index(0, 1).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
              Qt::AlignCenter);
    EXPECT_TRUE(list_.header()->sectionsClickable());
}

TEST_F(ReportListViewTest, InsertSetReadAndDeleteByPosition) {
    EXPECT_EQ(list_.insertRow(0, {u"b"_s}), 0);
    EXPECT_EQ(list_.insertRow(0, {u"a"_s}), 0);
    EXPECT_EQ(list_.insertRow(99, {u"d"_s}), 2);  // past the end: appended
    EXPECT_EQ(list_.insertRow(2, {u"c"_s, u"3"_s}), 2);
    EXPECT_EQ(column(list_, 0), (QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s}));
    EXPECT_EQ(list_.cellText(2, 1), u"3"_s);
    EXPECT_EQ(list_.cellText(0, 1), QString());  // never set
    EXPECT_EQ(list_.cellText(7, 0), QString());  // no such row
    list_.setCellText(0, 1, u"10"_s);
    EXPECT_EQ(list_.cellText(0, 1), u"10"_s);
    list_.setCellText(0, 5, u"x"_s);  // no such column: ignored
    EXPECT_EQ(list_.cellText(0, 5), QString());

    EXPECT_TRUE(list_.deleteRow(1));
    EXPECT_FALSE(list_.deleteRow(3));
    EXPECT_EQ(column(list_, 0), (QStringList{u"a"_s, u"c"_s, u"d"_s}));
    list_.deleteAllRows();
    EXPECT_EQ(list_.rowCount(), 0);
}

TEST_F(ReportListViewTest, SelectedRowIsMinusOneWithoutSelection) {
    for (const char* name : {"a", "b", "c"})
        list_.insertRow(list_.rowCount(), {QString::fromLatin1(name)});
    EXPECT_EQ(list_.selectedRow(), -1);
    list_.setSelectedRow(2);
    EXPECT_EQ(list_.selectedRow(), 2);
    list_.deleteRow(2);  // deleting the selected row selects no neighbour
    EXPECT_EQ(list_.selectedRow(), -1);
    list_.setSelectedRow(0);
    list_.deleteRow(1);  // deleting another row keeps the selection
    EXPECT_EQ(list_.selectedRow(), 0);
    list_.insertRow(1, {u"b"_s});
    list_.setSelectedRow(1);
    list_.setSelectedRow(-1);
    EXPECT_EQ(list_.selectedRow(), -1);
}

TEST_F(ReportListViewTest, SortedModeKeepsFirstColumnAscendingWithOtherCellsAttached) {
    list_.setSorted(true);
    const QStringList names{u"delta"_s, u"Alpha"_s, u"charlie"_s, u"Bravo"_s, u"alpha"_s};
    for (int i = 0; i < names.size(); ++i) list_.insertRow(0, {names[i], QString::number(i)});
    // Case does not order; equal texts keep the order in which they came.
    EXPECT_EQ(column(list_, 0),
              (QStringList{u"Alpha"_s, u"alpha"_s, u"Bravo"_s, u"charlie"_s, u"delta"_s}));
    EXPECT_EQ(column(list_, 1), (QStringList{u"1"_s, u"4"_s, u"3"_s, u"2"_s, u"0"_s}));
}

TEST_F(ReportListViewTest, BulkInsertEndsInTheSameOrderAsSingleInserts) {
    ReportListView single;
    single.addColumn(u"x"_s, 50);
    single.setSorted(true);
    list_.setSorted(true);
    const QStringList names{u"b"_s, u"B"_s, u"a"_s, u"c"_s, u"b"_s, u"A"_s, u"c"_s};
    {
        ReportListView::BulkUpdate bulk(list_);
        for (int i = 0; i < names.size(); ++i) {
            const int at = list_.insertRow(0, {names[i]});
            list_.setCellText(at, 1, QString::number(i));  // provisional place is usable
        }
    }
    for (int i = 0; i < names.size(); ++i) single.insertRow(0, {names[i], QString::number(i)});
    EXPECT_EQ(column(list_, 0), column(single, 0));
    EXPECT_EQ(column(list_, 1), column(single, 1));
    // Inserting later goes into place again.
    EXPECT_EQ(list_.insertRow(0, {u"bb"_s}), 5);
}

TEST_F(ReportListViewTest, SwitchingToSortedSortsPresentRows) {
    for (const char* name : {"c", "a", "b"})
        list_.insertRow(list_.rowCount(), {QString::fromLatin1(name)});
    EXPECT_EQ(column(list_, 0), (QStringList{u"c"_s, u"a"_s, u"b"_s}));
    list_.setSorted(true);
    EXPECT_EQ(column(list_, 0), (QStringList{u"a"_s, u"b"_s, u"c"_s}));
}

TEST_F(ReportListViewTest, MouseGivesClickRightClickAndActivation) {
    for (const char* name : {"a", "b", "c"})
        list_.insertRow(list_.rowCount(), {QString::fromLatin1(name)});
    showActive();
    QSignalSpy clicks(&list_, &ReportListView::rowClicked);
    QSignalSpy rights(&list_, &ReportListView::rightClicked);
    QSignalSpy activations(&list_, &ReportListView::rowActivated);

    QTest::mouseClick(list_.viewport(), Qt::LeftButton, {}, rowCentre(0));
    ASSERT_EQ(clicks.size(), 1);
    EXPECT_EQ(clicks.at(0).at(0).toInt(), 0);

    QTest::mouseClick(list_.viewport(), Qt::RightButton, {}, rowCentre(1));
    ASSERT_EQ(rights.size(), 1);
    EXPECT_EQ(rights.at(0).at(0).toInt(), 1);
    EXPECT_EQ(list_.selectedRow(), 1);  // a right-click selects its row

    QTest::mouseClick(list_.viewport(), Qt::RightButton, {}, QPoint(5, 290));
    EXPECT_EQ(rights.at(1).at(0).toInt(), -1);
    EXPECT_EQ(list_.selectedRow(), 1);  // off the rows the selection stays

    // A real double-click: press and release, then the double-click press.
    QTest::mouseClick(list_.viewport(), Qt::LeftButton, {}, rowCentre(2));
    QTest::mouseDClick(list_.viewport(), Qt::LeftButton, {}, rowCentre(2));
    ASSERT_FALSE(activations.isEmpty());
    EXPECT_EQ(activations.last().at(0).toInt(), 2);
}

// Each left click reports its row once the press has selected it; a click
// off the rows selects none and reports -1.
TEST_F(ReportListViewTest, LeftClickReportsTheRowAfterSelectingIt) {
    for (const char* name : {"a", "b", "c"})
        list_.insertRow(list_.rowCount(), {QString::fromLatin1(name)});
    showActive();
    std::vector<std::pair<int, int>> seen;  // the row reported, the row selected then
    QObject::connect(&list_, &ReportListView::leftClicked, &list_, [&](int row) {
        seen.push_back({row, list_.selectedRow()});
    });
    QTest::mouseClick(list_.viewport(), Qt::LeftButton, {}, rowCentre(1));
    QTest::mouseClick(list_.viewport(), Qt::RightButton, {}, rowCentre(2));
    QTest::mouseClick(list_.viewport(), Qt::LeftButton, {}, QPoint(5, 290));
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{1, 1}, {-1, -1}}));
    EXPECT_EQ(list_.selectedRow(), -1);
}

TEST_F(ReportListViewTest, KeyboardSelectsFromTheFirstRowAndEnterActivates) {
    for (const char* name : {"a", "b", "c"})
        list_.insertRow(list_.rowCount(), {QString::fromLatin1(name)});
    showActive();
    QSignalSpy activations(&list_, &ReportListView::rowActivated);
    QTest::keyClick(&list_, Qt::Key_Down);
    EXPECT_EQ(list_.selectedRow(), 0);
    QTest::keyClick(&list_, Qt::Key_Down);
    EXPECT_EQ(list_.selectedRow(), 1);
    QTest::keyClick(&list_, Qt::Key_Return);
    ASSERT_EQ(activations.size(), 1);
    EXPECT_EQ(activations.at(0).at(0).toInt(), 1);
}

// What the user sees: the selected row is highlighted while the list has the
// focus and looks like any other row once the focus has gone elsewhere.
TEST(ReportListViewLook, SelectionIsNotHighlightedWithoutFocus) {
    QWidget window;
    window.resize(420, 320);
    auto* list = new ReportListView(&window);
    list->setGeometry(0, 0, 400, 260);
    list->addColumn(u"名称"_s, 130);
    list->setTextColour(QColor(0, 128, 0));
    auto* other = new QLineEdit(&window);
    other->setGeometry(0, 280, 100, 24);
    list->insertRow(0, {u"当归"_s});
    list->insertRow(1, {u"甘草"_s});
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    // A point inside row 0 but right of its text: only the row's background.
    const QRect row = list->visualRect(list->model()->index(0, 0));
    const QPoint probe(row.right() - 3, row.center().y());
    auto background = [&] { return list->viewport()->grab().toImage().pixelColor(probe); };
    const QColor base = background();

    list->setFocus();
    list->setSelectedRow(0);
    QApplication::processEvents();
    EXPECT_NE(background(), base);  // highlighted while focused

    other->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(list->selectedRow(), 0);
    EXPECT_EQ(background(), base);  // still selected, no longer highlighted
}

}  // namespace

namespace {

// Texts where a cheaper comparison could part from the collator's: case pairs
// inside and outside the basic plane (Deseret), prefixes, texts that agree in
// their first characters and differ late, equal texts that must keep arrival.
std::vector<QString> awkwardTexts() {
    return {u"b"_s,          u"B"_s,          u"a"_s,         u"abc"_s,         u"ABD"_s,
            u"abcd"_s,       u"abcD"_s,       u"ab"_s,        QString(),        u"当归丸"_s,
            u"当归"_s,       u"当归甘草12"_s, u"当归甘草3"_s, u"\U00010428x"_s, u"\U00010400X"_s,
            u"\U00010400"_s, u"\U00020000"_s, u"Ω"_s,         u"ω"_s,           u"ǅ"_s,
            u"ǆ"_s,          u"zzzz"_s,       u"ZZZZ"_s,      u"b"_s,           u"ä"_s,
            u"Ä"_s,          u"1"_s,          u"10"_s,        u"2"_s,           u"abc"_s};
}

std::vector<int> pairwiseOrder(const rx::ui::ListCollation& order,
                               const std::vector<QString>& texts) {
    std::vector<int> expected(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) expected[i] = int(i);
    std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
        return order.less(texts[std::size_t(a)], texts[std::size_t(b)]);
    });
    return expected;
}

TEST(ListCollation, SortingAllAtOnceAgreesWithComparingPairsInEveryLocale) {
    const std::vector<QString> texts = awkwardTexts();
    const QLocale before;
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::Chinese, QLocale::China),
                                  QLocale(QLocale::German, QLocale::Germany)}) {
        QLocale::setDefault(locale);
        const rx::ui::ListCollation order;
        EXPECT_EQ(order.stableOrder(texts), pairwiseOrder(order, texts))
            << locale.name().toStdString();
    }
    QLocale::setDefault(before);
}

TEST_F(ReportListViewTest, RowsWithManyCellsKeepThemAllThroughSortingAndEdits) {
    list_.setSorted(true);
    {
        ReportListView::BulkUpdate bulk(list_);
        list_.insertRow(0, QStringList{u"b"_s, u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s});
        list_.insertRow(0, {u"a"_s, u"x"_s});
    }
    ASSERT_EQ(column(list_, 0), (QStringList{u"a"_s, u"b"_s}));
    EXPECT_EQ(column(list_, 5), (QStringList{QString(), u"5"_s}));
    list_.addColumn(u"c"_s, 20);
    list_.addColumn(u"d"_s, 20);
    list_.addColumn(u"e"_s, 20);
    list_.addColumn(u"f"_s, 20);
    list_.setCellText(0, 4, u"new"_s);  // beyond the cells the row came with
    list_.setCellText(1, 3, u"three"_s);
    EXPECT_EQ(column(list_, 4), (QStringList{u"new"_s, u"4"_s}));
    EXPECT_EQ(column(list_, 3), (QStringList{QString(), u"three"_s}));
    EXPECT_EQ(list_.cellText(1, 6), QString());
    list_.deleteAllRows();
    EXPECT_EQ(list_.rowCount(), 0);
}

}  // namespace
