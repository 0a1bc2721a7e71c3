// The road of one visit: typed and saved in EntryWindow, found in the query
// window it opens, shown in full, and printed on the A4 sheet.
#include <QFile>
#include <QScopeGuard>
#include <QTimer>

#include "forms/query/query_window.h"
#include "forms/query_print/query_print_window.h"
#include "tests/forms_entry/entry_fixture.h"

using namespace Qt::Literals::StringLiterals;

namespace {

using rx::QueryPrintWindow;
using rx::QueryWindow;

class VisitRoadTest : public rx::test::EntryWindowTest {};

QueryWindow* openQueryWindow() {
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* w = qobject_cast<QueryWindow*>(top); w && w->isVisible()) return w;
    return nullptr;
}

TEST_F(VisitRoadTest, SavedVisitIsFoundShownAndPrinted) {
    ASSERT_TRUE(QFile::copy(QStringLiteral(RX_TEMPLATE_DIR "/A4.grd"), dir_.path() + u"/A4.grd"_s));
    program_.fixClock(QDateTime(QDate(2024, 3, 5), QTime(9, 30, 12)));
    rx::EntryWindow& entry = open();
    fillRequired();
    entry.编辑框_住址->clear();
    typeInto(entry.编辑框_住址, u"城关镇东街12号"_s);
    addDrug(u"炙甘草"_s, u"10"_s, u"g"_s);
    addDrug(u"当归"_s, u"6"_s, u"g"_s);
    click(entry.按钮_保存);
    ASSERT_EQ(shown().size(), 1u);
    ASSERT_EQ(shown()[0].text, u"添加资料成功"_s);

    click(entry.按钮_处方查询);
    QueryWindow* query = openQueryWindow();
    ASSERT_NE(query, nullptr);
    QApplication::setActiveWindow(query);
    click(query->按钮_查询);
    ASSERT_EQ(query->超级列表框1->rowCount(), 1);
    const QPoint row =
        query->超级列表框1->visualRect(query->超级列表框1->model()->index(0, 0)).center();
    QTest::mouseClick(query->超级列表框1->viewport(), Qt::LeftButton, {}, row);
    EXPECT_EQ(query->编辑框_姓名->text(), u"张三"_s);
    EXPECT_EQ(query->编辑框_登记时间->text(), u"2024年3月5日"_s);
    EXPECT_EQ(query->编辑框_处方号->text(), u"20240305093012"_s);
    EXPECT_EQ(query->编辑框_中药处方->toPlainText(), u"炙甘草10g,当归6g,"_s);

    bool printed = false;
    QTimer::singleShot(0, query, [&] {
        auto* print = query->findChild<QueryPrintWindow*>();
        ASSERT_NE(print, nullptr);
        auto closeAtEnd = qScopeGuard([print] { print->close(); });
        const rx::grid::DataSource& s = *print->数据源2;
        EXPECT_EQ(s.cellText(2, 2), u"2024年3月5日"_s);
        EXPECT_EQ(s.cellText(2, 4), u"张三"_s);
        EXPECT_EQ(s.cellText(2, 5), u"男"_s);
        EXPECT_EQ(s.cellText(2, 7), u"35"_s);
        EXPECT_EQ(s.cellText(2, 8), u"城关镇东街12号"_s);
        EXPECT_EQ(s.cellText(2, 9), u"咳嗽三天"_s);
        EXPECT_EQ(s.cellText(4, 7), u"炙甘草10g"_s);
        EXPECT_EQ(s.cellText(4, 9), u"当归6g"_s);
        EXPECT_TRUE(s.cellText(4, 11).isEmpty());
        printed = true;
    });
    click(query->按钮_打印);
    EXPECT_TRUE(printed);
    // The query window lives on its own: EntryWindow's button brings it back.
    QApplication::setActiveWindow(&entry);
    click(entry.按钮_处方查询);
    EXPECT_EQ(openQueryWindow(), query);
}

}  // namespace
