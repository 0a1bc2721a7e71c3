// PatientIndexWindow on a temporary program directory, through the real
// driver: its layout, the initials of the name, the Enter chain, the add and
// the search, and its opening from EntryWindow.
#include "forms/patient_index/patient_index_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDateTimeEdit>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <memory>

#include "db/connection_texts.h"
#include "db/odbc_connection.h"
#include "forms/entry/entry_window.h"
#include "forms/patient_index/patient_index_layout.h"
#include "platform/ui/report_list_view.h"
#include "tests/platform_ui/layout_check.h"
#include "tests/support/temp_program_dir.h"
#include "tests/support/test_program.h"
#include "tests/support/text_fit.h"
#include "tests/support/typing.h"

using namespace Qt::Literals::StringLiterals;

namespace {

using rx::PatientIndexWindow;
using rx::test::typeText;
using rx::ui::MessageLook;
using rx::ui::ShownMessage;
using Row = std::array<QString, 4>;   // 检索 positions 2 to 5
using Line = std::array<QString, 3>;  // a row of the result list

const QDateTime kOpenedAt(QDate(2024, 3, 5), QTime(10, 30, 15));

ShownMessage info(const QString& text) {
    return {text, u"提示信息"_s, MessageLook::Information};
}

class PatientIndexTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(dir_.createPrescriptionDatabase(&error)) << error;
        program_.fixClock(kOpenedAt);
    }

    // Created, shown and active, as EntryWindow opens it.
    PatientIndexWindow& open() {
        window_ = std::make_unique<PatientIndexWindow>(program_.context(), nullptr);
        window_->show();
        QApplication::setActiveWindow(window_.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        return *window_;
    }

    // Runs one statement on the prescription file through a connection of its own.
    void execute(const QString& sql) {
        rx::db::OdbcConnection connection;
        ASSERT_TRUE(connection.Open(rx::db::prescriptionConnectionText(dir_.path())));
        ASSERT_TRUE(connection.Execute(sql)) << sql.toStdString();
    }

    void seed(const QString& name, const QString& time, const QString& complaint) {
        execute(u"INSERT INTO 检索 (姓名,时间,主诉,首拼) values ('"_s + name + u"','"_s + time +
                u"','"_s + complaint + u"','')"_s);
    }

    std::vector<Row> storedRows() {
        rx::db::OdbcConnection connection;
        EXPECT_TRUE(connection.Open(rx::db::prescriptionConnectionText(dir_.path())));
        std::vector<Row> rows;
        const int handle = connection.Query(u"select * from 检索"_s);
        for (connection.MoveFirst(handle); !connection.AtEnd(handle); connection.MoveNext(handle))
            rows.push_back({rx::db::valueText(connection.ReadColumn(handle, 2)),
                            rx::db::valueText(connection.ReadColumn(handle, 3)),
                            rx::db::valueText(connection.ReadColumn(handle, 4)),
                            rx::db::valueText(connection.ReadColumn(handle, 5))});
        connection.CloseResult(handle);
        return rows;
    }

    static std::vector<Line> listed(const PatientIndexWindow& w) {
        std::vector<Line> lines;
        for (int row = 0; row < w.超级列表框1->rowCount(); ++row)
            lines.push_back({w.超级列表框1->cellText(row, 0), w.超级列表框1->cellText(row, 1),
                             w.超级列表框1->cellText(row, 2)});
        return lines;
    }

    static void search(PatientIndexWindow& w, QDate start, QDate end, const QString& name) {
        w.日期框2->setDate(start);
        w.日期框3->setDate(end);
        w.编辑框_检索姓名->setText(name);
        QTest::mouseClick(w.按钮2, Qt::LeftButton);
    }

    static void typeInto(QWidget* control, const QString& text) {
        control->setFocus(Qt::OtherFocusReason);  // typing goes on after what is there
        typeText(control, text);
    }

    rx::test::TempProgramDir dir_;
    rx::test::TestProgram program_{dir_.path()};
    std::unique_ptr<PatientIndexWindow> window_;
};

TEST_F(PatientIndexTest, LayoutPlacesEveryControlAsItsTableSays) {
    PatientIndexWindow& w = open();
    EXPECT_EQ(rx::test::layoutFaults(&w, rx::patient_index_layout::kLayout, false), "");
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_TRUE(w.windowTitle().trimmed().isEmpty());
    EXPECT_FALSE(w.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(w.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly),
              (QList<QWidget*>{w.分组框1, w.分组框2}));
    for (const rx::ui::Control& c : rx::patient_index_layout::kLayout.controls) {
        const std::string name(c.name);
        auto* control = w.findChild<QWidget*>(rx::ui::text(c.name));
        if (!c.builtIn(false)) continue;
        EXPECT_TRUE(control->isVisible() && control->isEnabled()) << name;
        if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            EXPECT_TRUE(edit->text().isEmpty()) << name;
            EXPECT_GT(edit->maxLength(), 1 << 20) << name;
        }
        // Every picker holds the moment the window was made, time of day included.
        if (auto* picker = qobject_cast<QDateTimeEdit*>(control)) {
            EXPECT_EQ(picker->dateTime(), kOpenedAt) << name;
            EXPECT_TRUE(picker->calendarPopup()) << name;
            EXPECT_EQ(picker->text(), u"2024年3月5日"_s) << name;
        }
    }
    EXPECT_EQ(w.编辑框_主诉->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(w.编辑框_主诉->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

TEST_F(PatientIndexTest, OpensConnectedWithThreeCentredColumnsAndTabsInLayoutOrder) {
    PatientIndexWindow& w = open();
    EXPECT_TRUE(w.外部数据库1.IsOpen());
    EXPECT_FALSE(w.数据库连接1.IsOpen());
    EXPECT_FALSE(w.记录集1.IsOpen());
    rx::ui::ReportListView& list = *w.超级列表框1;
    EXPECT_EQ(list.rowCount(), 0);
    ASSERT_EQ(list.columnCount(), 3);
    const std::pair<QString, int> columns[] = {
        {u"姓名"_s, 80}, {u"就诊时间"_s, 140}, {u"主诉"_s, 400}};
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(list.columnTitle(c), columns[c].first);
        EXPECT_EQ(list.header()->sectionSize(c), columns[c].second);
        EXPECT_EQ(list.columnAlign(c), rx::ui::ColumnAlign::Centre);
    }
    EXPECT_FALSE(list.isSorted());
    EXPECT_EQ(list.font().pixelSize(), 16);
    EXPECT_EQ(list.font().family(), u"SimSun"_s);

    QStringList walk{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 10; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        walk.append(QApplication::focusWidget()->objectName());
    }
    EXPECT_EQ(walk, (QStringList{u"编辑框_姓名"_s, u"编辑框2"_s, u"编辑框_主诉"_s, u"日期框1"_s,
                                 u"按钮1"_s, u"日期框2"_s, u"日期框3"_s, u"编辑框_检索姓名"_s,
                                 u"按钮2"_s, u"超级列表框1"_s, u"编辑框_姓名"_s}));
}

TEST_F(PatientIndexTest, EveryChangeOfTheNameRebuildsTheInitials) {
    PatientIndexWindow& w = open();
    const std::pair<QString, QString> cases[] = {
        {u"张三"_s, u"ZS"_s},
        {u"欧阳"_s, u"OY"_s},
        {u"Mary Wang"_s, u"MARY WANG"_s},
        {u"O'Neil"_s, u"ONEIL"_s},
        {u"ＡＢ"_s, QString()},
        {u"张𠮷三"_s, u"ZS"_s},  // a character outside GB2312 is skipped whole
    };
    for (const auto& [name, initials] : cases) {
        w.编辑框_姓名->setText(u"王"_s);
        w.编辑框2->setText(u"手改"_s);
        w.编辑框_姓名->clear();
        EXPECT_EQ(w.编辑框2->text(), QString()) << "cleared before " << name.toStdString();
        typeInto(w.编辑框_姓名, name);
        EXPECT_EQ(w.编辑框2->text(), initials) << "typed " << name.toStdString();
        w.编辑框_姓名->clear();
        w.编辑框_姓名->setText(name);
        EXPECT_EQ(w.编辑框2->text(), initials) << "set " << name.toStdString();
    }
}

TEST_F(PatientIndexTest, AddStoresTheBoxesAsTheyAreWithTheDateOfTheFirstPicker) {
    PatientIndexWindow& w = open();
    w.日期框1->setDate(QDate(2023, 12, 31));
    typeInto(w.编辑框_姓名, u"张三"_s);
    w.编辑框2->selectAll();
    typeInto(w.编辑框2, u"ZHS"_s);  // corrected by hand
    w.编辑框_主诉->setPlainText(u"头痛\n发热"_s);
    QTest::mouseClick(w.按钮1, Qt::LeftButton);
    EXPECT_EQ(program_.shown(), std::vector{info(u"添加资料成功"_s)});
    // Stored without the picker's time of day.
    EXPECT_EQ(storedRows(),
              (std::vector<Row>{{u"张三"_s, u"2023年12月31日"_s, u"头痛\n发热"_s, u"ZHS"_s}}));
    EXPECT_EQ(w.编辑框_姓名->text(), u"张三"_s);
    EXPECT_EQ(w.编辑框2->text(), u"ZHS"_s);
    EXPECT_EQ(w.编辑框_主诉->toPlainText(), u"头痛\n发热"_s);
    typeInto(w.编辑框_姓名, u"丰"_s);  // a name change throws the hand edit away
    EXPECT_EQ(w.编辑框2->text(), u"ZSF"_s);

    program_.clearShown();
    w.编辑框_姓名->clear();
    QTest::mouseClick(w.按钮1, Qt::LeftButton);
    EXPECT_EQ(program_.shown(), std::vector{info(u"姓名不能为空"_s)});
    EXPECT_EQ(storedRows().size(), 1u);
}

TEST_F(PatientIndexTest, EnterChainEntersARunOfPatientsOfOneDay) {
    PatientIndexWindow& w = open();
    w.日期框1->setDate(QDate(2024, 3, 1));
    const std::pair<QString, QString> patients[] = {
        {u"张三"_s, u"咳嗽"_s}, {u"李四"_s, u"发热三天"_s}, {u"O'Neil"_s, u"头痛"_s}};
    for (const auto& [name, complaint] : patients) {
        ASSERT_EQ(w.focusWidget(), w.编辑框_姓名);
        typeText(w.编辑框_姓名, name);
        QTest::keyClick(w.编辑框_姓名, Qt::Key_Return);
        ASSERT_EQ(w.focusWidget(), w.编辑框_主诉);
        typeText(w.编辑框_主诉, complaint);
        QTest::keyClick(w.编辑框_主诉, Qt::Key_Return);
        EXPECT_TRUE(w.编辑框_姓名->text().isEmpty() && w.编辑框2->text().isEmpty() &&
                    w.编辑框_主诉->toPlainText().isEmpty());
    }
    EXPECT_EQ(program_.shown(), std::vector(3, info(u"添加资料成功"_s)));
    EXPECT_EQ(w.日期框1->date(), QDate(2024, 3, 1));
    EXPECT_EQ(storedRows(),
              (std::vector<Row>{{u"张三"_s, u"2024年3月1日"_s, u"咳嗽"_s, u"ZS"_s},
                                {u"李四"_s, u"2024年3月1日"_s, u"发热三天"_s, u"LS"_s},
                                {u"O'Neil"_s, u"2024年3月1日"_s, u"头痛"_s, u"ONEIL"_s}}));
    // The quote, doubled in the statements, is stored and found.
    search(w, QDate(2024, 3, 1), QDate(2024, 3, 1), u"O'N"_s);
    EXPECT_EQ(listed(w), (std::vector<Line>{{u"O'Neil"_s, u"2024年3月1日"_s, u"头痛"_s}}));

    // Without a name the add is refused, and the complaint is emptied all the same;
    // emptying the empty name is still a setting of it, so hand-typed initials go too.
    program_.clearShown();
    typeInto(w.编辑框2, u"XX"_s);
    typeInto(w.编辑框_主诉, u"发热"_s);
    QTest::keyClick(w.编辑框_主诉, Qt::Key_Return);
    EXPECT_EQ(program_.shown(), std::vector{info(u"姓名不能为空"_s)});
    EXPECT_TRUE(w.编辑框_主诉->toPlainText().isEmpty());
    EXPECT_EQ(w.编辑框2->text(), QString());
    EXPECT_EQ(w.focusWidget(), w.编辑框_姓名);
    EXPECT_EQ(storedRows().size(), 3u);
}

TEST_F(PatientIndexTest, SearchListsTheRangeOldestFirst) {
    seed(u"张七"_s, u"2024-2-28"_s, u"e"_s);
    seed(u"张三"_s, u"2024-3-1"_s, u"a"_s);
    seed(u"周八"_s, u"2024-3-3 9:05:00"_s, u"f"_s);
    seed(u"李张"_s, u"2024年3月5日"_s, u"b"_s);
    seed(u"王五"_s, u"2024-3-5"_s, u"c"_s);
    seed(u"赵六"_s, u"2024-4-1"_s, u"d"_s);
    execute(u"INSERT INTO 检索 (时间,主诉) values ('2024-3-2','没有姓名')"_s);
    PatientIndexWindow& w = open();
    struct Case {
        const char* what;
        QDate start, end;
        QString name;
        std::vector<QString> names;  // in list order
    };
    const QDate d0301(2024, 3, 1), d0305(2024, 3, 5), d0401(2024, 4, 1);
    const QString any = u"?"_s;
    const Case cases[] = {
        {"empty filter lists the range",
         d0301,
         d0401,
         {},
         {u"张三"_s, u"周八"_s, any, any, u"赵六"_s}},
        {"张 anywhere in the name", d0301, d0401, u"张"_s, {u"张三"_s, u"李张"_s}},
        {"start and end on one day", d0305, d0305, {}, {any, any}},
        {"a day without rows", QDate(2024, 3, 4), QDate(2024, 3, 4), {}, {}},
        {"no name matches", d0301, d0401, u"钱"_s, {}},
    };
    for (const Case& c : cases) {
        search(w, c.start, c.end, c.name);
        // 李张 and 王五 share a day; the database may give either first.
        std::vector<QString> names;
        for (const Line& line : listed(w)) {
            const bool tied = names.size() < c.names.size() && c.names[names.size()] == any;
            names.push_back(tied && (line[0] == u"李张"_s || line[0] == u"王五"_s) ? any : line[0]);
        }
        EXPECT_EQ(names, c.names) << c.what;
    }
    search(w, d0301, d0401, {});
    const std::vector<Line> first = listed(w);
    ASSERT_EQ(first.size(), 5u);
    EXPECT_EQ(first[0], (Line{u"张三"_s, u"2024年3月1日"_s, u"a"_s}));
    EXPECT_EQ(first[1], (Line{u"周八"_s, u"2024年3月3日9时5分"_s, u"f"_s}));
    QTest::mouseClick(w.按钮2, Qt::LeftButton);
    EXPECT_EQ(listed(w), first);  // the same list again, not a doubled one
    EXPECT_TRUE(program_.shown().empty());
}

TEST_F(PatientIndexTest, EndBeforeStartIsRefusedAndAFailedSearchEmptiesTheList) {
    seed(u"张三"_s, u"2024-3-5"_s, u"a"_s);
    PatientIndexWindow& w = open();
    search(w, kOpenedAt.date(), kOpenedAt.date(), {});
    ASSERT_EQ(listed(w).size(), 1u);
    const std::vector<Line> before = listed(w);
    const ShownMessage check{u"请注意开始日期和结束日期！"_s, u"信息："_s, MessageLook::None};
    search(w, QDate(2024, 3, 5), QDate(2024, 3, 4), {});
    // Same day, one second earlier: the times of day are compared too.
    w.日期框3->setDateTime(kOpenedAt.addSecs(-1));
    QTest::mouseClick(w.按钮2, Qt::LeftButton);
    EXPECT_EQ(program_.shown(), std::vector(2, check));
    EXPECT_EQ(listed(w), before);

    program_.clearShown();
    execute(u"DROP TABLE 检索"_s);
    w.日期框3->setDateTime(kOpenedAt);
    QTest::mouseClick(w.按钮2, Qt::LeftButton);
    EXPECT_TRUE(listed(w).empty());
    EXPECT_TRUE(program_.shown().empty());
}

TEST_F(PatientIndexTest, WithoutTheDatabaseFileAddsFailAndSearchesFindNothing) {
    ASSERT_TRUE(QFile::remove(dir_.prescriptionDatabasePath()));
    PatientIndexWindow& w = open();
    EXPECT_FALSE(w.外部数据库1.IsOpen());
    typeInto(w.编辑框_姓名, u"张三"_s);
    rx::test::LogCapture log;
    QTest::mouseClick(w.按钮1, Qt::LeftButton);
    EXPECT_EQ(program_.shown(), std::vector{info(u"添加资料失败"_s)});
    // The log says why, for whoever looks after the clinic's machine.
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines()[0].contains(u"检索"_s)) << log.lines()[0].toStdString();
    QTest::mouseClick(w.按钮2, Qt::LeftButton);
    EXPECT_EQ(w.超级列表框1->rowCount(), 0);
    EXPECT_EQ(program_.shown().size(), 1u);
    EXPECT_FALSE(QFile::exists(dir_.prescriptionDatabasePath()));  // never created
}

// 按钮2 of EntryWindow opens a fresh index window each time, modal over it alone.
TEST_F(PatientIndexTest, EntryWindowOpensAFreshModalIndexWindowEachTime) {
    std::string error;
    ASSERT_TRUE(dir_.createDrugDatabase({}, {}, &error)) << error;
    rx::EntryWindow entry(program_.context());
    entry.show();
    std::vector<int> rowsAtOpen;
    const auto inspect = [&] {
        auto* w = entry.findChild<PatientIndexWindow*>();
        ASSERT_NE(w, nullptr);
        auto closeAtEnd = qScopeGuard([w] { w->close(); });
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(w->windowModality(), Qt::WindowModal);
        EXPECT_TRUE(w->外部数据库1.IsOpen());
        rowsAtOpen.push_back(w->超级列表框1->rowCount());
        w->编辑框_姓名->setText(u"张三"_s);
        w->按钮1->click();
        w->按钮2->click();
        EXPECT_EQ(w->超级列表框1->rowCount(), int(rowsAtOpen.size()));
    };
    for (int i = 0; i < 2; ++i) {
        QTimer::singleShot(0, &entry, inspect);
        entry.按钮2->click();
        EXPECT_EQ(entry.findChild<PatientIndexWindow*>(), nullptr);  // gone once closed
    }
    EXPECT_EQ(rowsAtOpen, (std::vector{0, 0}));
    EXPECT_EQ(storedRows().size(), 2u);
}

TEST_F(PatientIndexTest, NoTextIsCutOff) {
    PatientIndexWindow& w = open();
    for (QDateTimeEdit* d : {w.日期框1, w.日期框2, w.日期框3}) d->setDate(QDate(2026, 11, 30));
    EXPECT_EQ(rx::test::cutOffTexts(&w), "");
}

}  // namespace
