// QueryWindow: its layout, its load, the query through the real driver, the
// list and the detail boxes.
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <map>

#include "forms/query/query_columns.h"
#include "forms/query/query_layout.h"
#include "platform/ui/basic_controls.h"
#include "tests/forms_query/query_fixture.h"
#include "tests/platform_ui/layout_check.h"
#include "tests/support/text_fit.h"
#include "tests/support/typing.h"

using namespace Qt::Literals::StringLiterals;

namespace {

using rx::QueryWindow;
using rx::test::QueryWindowTest;
using rx::ui::ShownMessage;

// The thirteen detail boxes in the order of list columns 1 to 13.
std::vector<QWidget*> detailBoxes(const QueryWindow& w) {
    return {w.编辑框_姓名,    w.编辑框_性别, w.编辑框_年龄,     w.编辑框_年龄单位,
            w.编辑框_住址,    w.编辑框_诊断, w.编辑框_登记时间, w.编辑框_处方号,
            w.编辑框_频率,    w.编辑框_用法, w.编辑框_用量单位, w.编辑框_现病史,
            w.编辑框_中药处方};
}

QString textOf(const QWidget* box) {
    if (auto* line = qobject_cast<const QLineEdit*>(box)) return line->text();
    return qobject_cast<const QPlainTextEdit*>(box)->toPlainText();
}

QStringList detailTexts(const QueryWindow& w) {
    QStringList texts;
    for (const QWidget* box : detailBoxes(w)) texts.append(textOf(box));
    return texts;
}

std::map<QString, QRect> geometries(const QueryWindow& w) {
    std::map<QString, QRect> at;
    for (const rx::ui::Control& c : rx::query_layout::kLayout.controls) {
        const QString name = rx::ui::text(c.name);
        at[name] = w.findChild<QWidget*>(name)->geometry();
    }
    return at;
}

// The age as a number of whatever width, the other columns by the general rule.
TEST(QueryCellText, AgeIsANumberOfUpToThirteenDigits) {
    using rx::db::Value;
    const std::pair<Value, QString> ages[] = {
        {Value(qint64(35)), u"35"_s},
        {Value(35.0), u"35"_s},
        {Value(2.5), u"2.5"_s},
        {Value(1.0 / 3), u"0.3333333333333"_s},
        {Value(0.1 + 0.2), u"0.3"_s},
        {Value(1e15), u"1e+15"_s},
        {Value(qint64(1234567890123)), u"1234567890123"_s},
        {Value(qint64(12345678901234)), u"1.234567890123e+13"_s},
        {Value(9999999999999.0), u"9999999999999"_s},
        {Value(-3.0), u"-3"_s},
        {Value(), QString()},
        {Value(u"三十"_s), u"三十"_s},
    };
    for (const auto& [value, text] : ages) {
        EXPECT_EQ(rx::query::ageText(value), text) << text.toStdString();
        EXPECT_EQ(rx::query::cellText(3, value), text) << text.toStdString();
    }
    const Value midnight(QDateTime(QDate(2016, 11, 4), QTime(0, 0)));
    EXPECT_EQ(rx::query::cellText(7, midnight), u"2016年11月4日"_s);
    EXPECT_EQ(rx::query::cellText(7, Value(u"2016年11月4日"_s)), u"2016年11月4日"_s);
    EXPECT_EQ(rx::query::cellText(1, Value()), QString());
}

TEST_F(QueryWindowTest, EveryControlAsItsTableSays) {
    QueryWindow& w = open();
    EXPECT_EQ(rx::test::layoutFaults(&w, rx::query_layout::kLayout, false), "");
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_TRUE(w.windowTitle().trimmed().isEmpty());
    EXPECT_TRUE(w.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(w.parentWidget(), nullptr);
    EXPECT_FALSE(w.isModal());
    for (const rx::ui::Control& c : rx::query_layout::kLayout.controls) {
        auto* control = w.findChild<QWidget*>(rx::ui::text(c.name));
        EXPECT_EQ(control->isVisible(), control != w.列表框1) << c.name;
    }
    EXPECT_EQ(w.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).size(), 3);
    for (QWidget* box : detailBoxes(w)) {
        EXPECT_FALSE(box->isEnabled()) << box->objectName().toStdString();
        box->setFocus(Qt::MouseFocusReason);
        EXPECT_FALSE(box->hasFocus()) << box->objectName().toStdString();
    }
    for (QPlainTextEdit* text : {w.编辑框_现病史, w.编辑框_中药处方}) {
        EXPECT_EQ(text->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        EXPECT_EQ(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    }
    EXPECT_FALSE(w.超级列表框1->isSorted());
    EXPECT_EQ(w.超级列表框1->palette().color(QPalette::Text), QColor(Qt::black));
    EXPECT_EQ(w.超级列表框1->palette().color(QPalette::Base), QColor(Qt::white));
}

// Display only, yet readable: the prescription the doctor reads back keeps its
// disabled look and takes no focus, with text at least 4.5 : 1 on its background.
TEST_F(QueryWindowTest, DetailBoxesStayDisabledButReadable) {
    using rx::ui::contrastRatio;
    EXPECT_DOUBLE_EQ(contrastRatio(Qt::black, Qt::white), 21.0);
    EXPECT_DOUBLE_EQ(contrastRatio(Qt::white, Qt::white), 1.0);
    EXPECT_NEAR(contrastRatio(QColor(0xBE, 0xBE, 0xBE), QColor(0xEF, 0xEF, 0xEF)), 1.6, 0.05);

    QueryWindow& w = open();
    for (QWidget* box : detailBoxes(w)) {
        const std::string name = box->objectName().toStdString();
        EXPECT_FALSE(box->isEnabled()) << name;
        box->setFocus(Qt::MouseFocusReason);
        EXPECT_FALSE(box->hasFocus()) << name;
        const QPalette& p = box->palette();
        const QColor text = p.color(QPalette::Disabled, QPalette::Text);
        EXPECT_GE(contrastRatio(text, p.color(QPalette::Disabled, QPalette::Base)), 4.5) << name;
        EXPECT_NE(text, p.color(QPalette::Active, QPalette::Text)) << name << " still greyed";
    }
}

TEST_F(QueryWindowTest, TabWalksTheControlsThatTakeTheFocus) {
    QueryWindow& w = open();
    w.日期框1->setFocus(Qt::TabFocusReason);
    std::vector<QWidget*> walked;
    for (int i = 0; i < 7; ++i) {
        walked.push_back(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    const std::vector<QWidget*> expected = {w.日期框1,     w.日期框2,   w.编辑框1,  w.按钮_查询,
                                            w.超级列表框1, w.按钮_打印, w.按钮_退出};
    EXPECT_EQ(walked, expected);
    EXPECT_EQ(QApplication::focusWidget(), w.日期框1);  // round again, past every detail box
}

TEST_F(QueryWindowTest, MaximisingMovesAndStretchesNothing) {
    QueryWindow& w = open();
    const auto before = geometries(w);
    w.showMaximized();
    QApplication::processEvents();
    EXPECT_EQ(geometries(w), before);
    EXPECT_FALSE(w.列表框1->isVisible());
    w.showNormal();
    QApplication::processEvents();
    EXPECT_EQ(geometries(w), before);
}

TEST_F(QueryWindowTest, OpensFromTheFirstOfJanuaryToNowWithFourteenColumns) {
    QueryWindow& w = open();
    EXPECT_EQ(w.日期框1->dateTime(), QDateTime(QDate(2024, 1, 1), QTime(0, 0)));
    EXPECT_EQ(w.日期框2->dateTime(), QDateTime(QDate(2024, 5, 3), QTime(10, 20, 30)));
    EXPECT_EQ(w.日期框1->text(), u"2024年1月1日"_s);
    EXPECT_TRUE(w.编辑框1->text().isEmpty());
    const QStringList titles = {u"记录"_s,     u"姓名"_s,    u"性别"_s, u"年龄"_s,
                                u"年龄单位"_s, u"住址"_s,    u"诊断"_s, u"登记时间"_s,
                                u"处方号"_s,   u"频率"_s,    u"用法"_s, u"用量单位"_s,
                                u"现病史"_s,   u"中药处方"_s};
    ASSERT_EQ(w.超级列表框1->columnCount(), 14);
    for (int c = 0; c < 14; ++c) {
        EXPECT_EQ(w.超级列表框1->columnTitle(c), titles[c]);
        EXPECT_EQ(w.超级列表框1->header()->sectionSize(c), 65) << c;
        EXPECT_EQ(w.超级列表框1->columnAlign(c), rx::ui::ColumnAlign::Centre) << c;
    }
    EXPECT_EQ(w.超级列表框1->rowCount(), 0);
    EXPECT_EQ(detailTexts(w), QStringList(13));
}

// Rows of 1, 2 and 3 March come newest first from the database and go in at
// the top one by one: the oldest ends at the top, and is selected, while the
// detail boxes still show nothing.
TEST_F(QueryWindowTest, RowsListOldestFirstWithTheTopOneSelected) {
    saveVisit(u"王二"_s, u"2024年3月2日"_s);
    saveVisit(u"张一"_s, u"2024年3月1日"_s);
    saveVisit(u"李三"_s, u"2024年3月3日"_s);
    QueryWindow& w = open();
    w.按钮_查询->click();
    EXPECT_EQ(listColumn(1), (QStringList{u"张一"_s, u"王二"_s, u"李三"_s}));
    EXPECT_EQ(listColumn(7),
              (QStringList{u"2024年3月1日"_s, u"2024年3月2日"_s, u"2024年3月3日"_s}));
    EXPECT_EQ(w.超级列表框1->selectedRow(), 0);
    EXPECT_EQ(w.超级列表框1->currentIndex().row(), 0);
    EXPECT_TRUE(w.超级列表框1->hasFocus());
    EXPECT_EQ(detailTexts(w), QStringList(13));
    EXPECT_TRUE(program_.shown().empty());
    // Every one of the fourteen cells, in list order, for the top row.
    QStringList top;
    for (int c = 0; c < 14; ++c) top.append(w.超级列表框1->cellText(0, c));
    EXPECT_EQ(top, (QStringList{u"是"_s, u"张一"_s, u"男"_s, u"35"_s, u"岁"_s, u"禾川镇"_s,
                                u"感冒"_s, u"2024年3月1日"_s, u"20240301093000"_s, u"每天三次"_s,
                                u"口服"_s, u"g"_s, u"咳嗽三天"_s, u"当归10g,甘草6g,"_s}));
}

TEST_F(QueryWindowTest, TheRangeAndTheNameFilterChooseTheRows) {
    saveVisit(u"张三"_s, u"2024年5月3日"_s);
    saveVisit(u"李张氏"_s, u"2024-5-2 9:05:00"_s);  // 张 in the middle, a time of day
    saveVisit(u"王五"_s, u"2024年5月2日"_s);
    saveVisit(u"赵六"_s, u"2023年12月31日"_s);  // before the range
    execute(u"INSERT INTO 基本资料 (性别,登记时间) values ('男','2024年5月3日')"_s);  // no name
    QueryWindow& w = open();
    struct Case {
        QDate start, end;
        QString filter;
        QStringList names;
    };
    const Case cases[] = {
        {{2024, 1, 1}, {2024, 5, 3}, {}, {u"王五"_s, u"李张氏"_s, u"张三"_s}},
        {{2024, 5, 3}, {2024, 5, 3}, {}, {u"张三"_s}},  // one day in both bounds
        {{2024, 1, 1}, {2024, 5, 3}, u"张"_s, {u"李张氏"_s, u"张三"_s}},
        // The end bound is the end day's midnight: 9:05 that day lies after it.
        {{2023, 12, 31}, {2024, 5, 2}, {}, {u"赵六"_s, u"王五"_s}},
        {{2024, 1, 1}, {2024, 5, 3}, u"孙"_s, {}},
    };
    for (const Case& c : cases) {
        setRange(c.start, c.end);
        w.编辑框1->setText(c.filter);
        w.按钮_查询->click();
        EXPECT_EQ(listColumn(1), c.names)
            << c.start.toString().toStdString() << " " << c.filter.toStdString();
        EXPECT_EQ(w.超级列表框1->selectedRow(), c.names.isEmpty() ? -1 : 0);
    }
    EXPECT_TRUE(program_.shown().empty());
}

TEST_F(QueryWindowTest, EndBeforeStartAsksAndLeavesTheListAlone) {
    saveVisit(u"张三"_s, u"2024年3月1日"_s);
    QueryWindow& w = open();
    w.按钮_查询->click();
    ASSERT_EQ(w.超级列表框1->rowCount(), 1);
    clickRow(0);
    w.日期框1->setDateTime(QDateTime(QDate(2024, 3, 2), QTime(0, 0)));
    w.日期框2->setDateTime(QDateTime(QDate(2024, 3, 1), QTime(23, 59)));
    w.按钮_查询->click();
    EXPECT_EQ(program_.shown(),
              (std::vector<ShownMessage>{
                  {u"请注意开始日期和结束日期！"_s, u"信息："_s, rx::ui::MessageLook::None}}));
    EXPECT_EQ(listColumn(1), QStringList{u"张三"_s});
    EXPECT_EQ(w.编辑框_姓名->text(), u"张三"_s);
    // The same day with the end later in it is no error, even though the
    // start's time of day lies after midnight.
    program_.clearShown();
    w.日期框1->setDateTime(QDateTime(QDate(2024, 3, 1), QTime(8, 0)));
    w.日期框2->setDateTime(QDateTime(QDate(2024, 3, 1), QTime(9, 0)));
    w.按钮_查询->click();
    EXPECT_TRUE(program_.shown().empty());
    EXPECT_EQ(listColumn(1), QStringList{u"张三"_s});
}

// A click copies columns 1 to 13 of the selected row, whole; a click below the
// rows selects none and empties every box; a query that finds nothing leaves
// the boxes as they were.
TEST_F(QueryWindowTest, ClicksFillAndEmptyTheDetailBoxes) {
    QString herbal;
    for (int i = 0; i < 400; ++i) herbal += u"熟地黄"_s + QString::number(i) + u"g,"_s;
    saveVisit(u"张一"_s, u"2024年3月1日"_s);
    execute(u"UPDATE 基本资料 SET 中药处方='"_s + herbal + u"' WHERE 姓名='张一'"_s);
    saveVisit(u"王二"_s, u"2016年11月4日"_s, u"2.5"_s);
    QueryWindow& w = open();
    setRange({2016, 1, 1}, {2024, 5, 3});
    w.按钮_查询->click();
    ASSERT_EQ(listColumn(1), (QStringList{u"王二"_s, u"张一"_s}));
    ASSERT_GT(herbal.toUtf8().size(), 5000);
    EXPECT_EQ(w.超级列表框1->cellText(1, 13), herbal);

    clickRow(1);
    EXPECT_EQ(w.超级列表框1->selectedRow(), 1);
    QStringList expected;
    for (int c = 1; c < 14; ++c) expected.append(w.超级列表框1->cellText(1, c));
    EXPECT_EQ(detailTexts(w), expected);
    EXPECT_EQ(w.编辑框_中药处方->toPlainText(), herbal);
    EXPECT_EQ(w.编辑框_年龄->text(), u"35"_s);

    clickRow(0);
    EXPECT_EQ(w.编辑框_姓名->text(), u"王二"_s);
    EXPECT_EQ(w.编辑框_年龄->text(), u"2.5"_s);
    EXPECT_EQ(w.编辑框_登记时间->text(), u"2016年11月4日"_s);

    w.编辑框1->setText(u"孙"_s);
    w.按钮_查询->click();
    EXPECT_EQ(w.超级列表框1->rowCount(), 0);
    EXPECT_EQ(w.编辑框_姓名->text(), u"王二"_s);

    w.编辑框1->clear();
    w.按钮_查询->click();
    clickBelowTheRows();
    EXPECT_EQ(w.超级列表框1->selectedRow(), -1);
    EXPECT_EQ(detailTexts(w), QStringList(13));
}

// What the database holds, as the list shows it: NULL texts empty, the age as
// a number, a date-time with its time of day only when it has one.
TEST_F(QueryWindowTest, CellTextsFollowTheStoredValues) {
    execute(u"INSERT INTO 基本资料 (姓名,登记时间) values ('空','2024-3-1')"_s);
    execute(
        u"INSERT INTO 基本资料 (姓名,年龄,登记时间) values ('时','12345678.25',"
        u"'2024-3-2 9:05:00')"_s);
    execute(
        u"INSERT INTO 基本资料 (姓名,年龄,登记时间) values ('秒','0.333333333333333333',"
        u"'2024-3-3 0:00:07')"_s);
    QueryWindow& w = open();
    w.按钮_查询->click();
    ASSERT_EQ(listColumn(1), (QStringList{u"空"_s, u"时"_s, u"秒"_s}));
    for (int c : {0, 2, 4, 5, 6, 8, 9, 10, 11, 12, 13})
        EXPECT_TRUE(w.超级列表框1->cellText(0, c).isEmpty()) << c;
    EXPECT_EQ(listColumn(3), (QStringList{QString(), u"12345678.25"_s, u"0.3333333333333"_s}));
    EXPECT_EQ(listColumn(7), (QStringList{u"2024年3月1日"_s, u"2024年3月2日9时5分"_s,
                                          u"2024年3月3日0时0分7秒"_s}));
}

// Quotes are doubled into the statement: the name is found, not an error.
TEST_F(QueryWindowTest, AQuoteInTheFilterFindsTheName) {
    saveVisit(u"O'Neil"_s, u"2024年3月1日"_s);
    saveVisit(u"ONeil"_s, u"2024年3月1日"_s);
    QueryWindow& w = open();
    rx::test::typeText(w.编辑框1, u"O'N"_s);
    w.按钮_查询->click();
    EXPECT_EQ(listColumn(1), QStringList{u"O'Neil"_s});
}

TEST_F(QueryWindowTest, WithoutTheDatabaseFileTheListStaysEmptyAndNothingIsSaid) {
    saveVisit(u"张三"_s, u"2024年3月1日"_s);
    ASSERT_TRUE(QFile::remove(dir_.prescriptionDatabasePath()));
    QueryWindow& w = open();
    rx::test::LogCapture log;
    w.按钮_查询->click();
    EXPECT_EQ(w.超级列表框1->rowCount(), 0);
    EXPECT_TRUE(program_.shown().empty());
    EXPECT_FALSE(QFile::exists(dir_.prescriptionDatabasePath()));  // never made by a query
    ASSERT_EQ(log.lines().size(), 1);  // only the administrator's log says why
    EXPECT_TRUE(log.lines()[0].contains(u"基本资料"_s)) << log.lines()[0].toStdString();
}

TEST_F(QueryWindowTest, ExitClosesAndDestroysTheWindow) {
    QueryWindow& w = open();
    const int before = rx::ui::FixedWindow::liveWindows();
    w.按钮_退出->click();
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window_.isNull());
    EXPECT_EQ(rx::ui::FixedWindow::liveWindows(), before - 1);
    EXPECT_EQ(program_.endedWith(), -1);
}

TEST_F(QueryWindowTest, NoTextIsCutOff) {
    QueryWindow& w = open();
    w.日期框1->setDate(QDate(2026, 11, 30));
    w.日期框2->setDate(QDate(2026, 12, 31));
    w.编辑框_登记时间->setText(QStringLiteral("2026年3月10日0时0分7秒"));
    EXPECT_EQ(rx::test::cutOffTexts(&w), "");
}

}  // namespace
