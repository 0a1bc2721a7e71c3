// 打   印 of QueryWindow: the items cut from the herbal prescription text go
// into the hidden list, and the print window, modal over the query window,
// prints what the boxes show on the A4 sheet.
#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>
#include <functional>
#include <map>

#include "forms/print/cell_maps.h"
#include "forms/print/print_layouts.h"
#include "forms/query_print/query_print_window.h"
#include "platform/grid/grid_view.h"
#include "platform/grid/print_preview.h"
#include "tests/forms_query/query_fixture.h"
#include "tests/platform_ui/layout_check.h"

using namespace Qt::Literals::StringLiterals;

namespace {

using rx::QueryPrintWindow;
using Cells = std::map<std::pair<int, int>, QString>;

class QueryPrintTest : public rx::test::QueryWindowTest {
protected:
    void SetUp() override {
        QueryWindowTest::SetUp();
        ASSERT_TRUE(
            QFile::copy(QStringLiteral(RX_TEMPLATE_DIR "/A4.grd"), dir_.path() + u"/A4.grd"_s));
    }

    // Clicks 打   印 and looks at the print window while it is open.
    void print(const std::function<void(QueryPrintWindow&)>& inspect) {
        bool inspected = false;
        QTimer::singleShot(0, window_, [&] {
            auto* w = window_->findChild<QueryPrintWindow*>();
            ASSERT_NE(w, nullptr);
            auto closeAtEnd = qScopeGuard([w] { w->close(); });
            inspected = true;
            inspect(*w);
        });
        window_->按钮_打印->click();
        EXPECT_TRUE(inspected);
        EXPECT_EQ(window_->findChild<QueryPrintWindow*>(), nullptr);  // gone once closed
    }

    // Shows the one saved visit with this herbal prescription text.
    void showVisitWith(const QString& herbal, const QString& name = u"张三"_s) {
        execute(u"DELETE FROM 基本资料"_s);
        saveVisit(name, u"2024年3月5日"_s);
        execute(u"UPDATE 基本资料 SET 中药处方='"_s + herbal + u"'"_s);
        window_->按钮_查询->click();
        ASSERT_EQ(window_->超级列表框1->rowCount(), 1);
        clickRow(0);
        ASSERT_EQ(window_->编辑框_中药处方->toPlainText(), herbal);
    }

    QStringList hiddenItems() const {
        QStringList items;
        for (int i = 0; i < window_->列表框1->count(); ++i)
            items.append(window_->列表框1->item(i)->text());
        return items;
    }

    static Cells drugCells(const QueryPrintWindow& w) {
        Cells cells;
        for (int k = 0; k < rx::print::kA4ItemCount; ++k) {
            const rx::print::CellAddress at = *rx::print::a4ItemCell(k);
            const QString text = w.数据源2->cellText(at.row, at.column);
            if (!text.isEmpty()) cells[{at.row, at.column}] = text;
        }
        return cells;
    }

    static QString numbered(int count) {
        QString text;
        for (int i = 1; i <= count; ++i) text += u"药"_s + QString::number(i) + u"g,"_s;
        return text;
    }
};

TEST_F(QueryPrintTest, PrintsTheShownVisitModalOverTheQueryWindowAndPreviews) {
    open();
    showVisitWith(u"当归10g,甘草6g,"_s);
    print([&](QueryPrintWindow& w) {
        EXPECT_TRUE(w.isVisible());
        EXPECT_EQ(w.windowModality(), Qt::WindowModal);
        EXPECT_EQ(w.parentWidget(), window_.data());  // modal over the query window only
        EXPECT_EQ(rx::test::layoutFaults(&w, rx::print_layouts::kQuery, false), "");
        EXPECT_TRUE(w.windowTitle().trimmed().isEmpty());
        EXPECT_FALSE(w.windowFlags() & Qt::WindowMinimizeButtonHint);
        EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
        EXPECT_EQ(w.表格_查询打印->dataSource(), w.数据源2);
        EXPECT_EQ(w.数据源2->objectName(), u"数据源2"_s);
        const rx::grid::DataSource& s = *w.数据源2;
        EXPECT_EQ(s.table().columns(), 24);  // the A4 sheet, not the provider's 10 × 10
        EXPECT_EQ(s.cellText(2, 4), u"张三"_s);
        EXPECT_EQ(s.cellText(2, 5), u"男"_s);
        EXPECT_EQ(s.cellText(2, 7), u"35"_s);
        EXPECT_EQ(s.cellText(2, 2), u"2024年3月5日"_s);
        EXPECT_EQ(s.cellText(2, 8), u"禾川镇"_s);
        EXPECT_EQ(s.cellText(2, 9), u"咳嗽三天"_s);
        EXPECT_EQ(s.cellText(1, 4), u"姓名"_s);  // the sheet's own captions stay
        EXPECT_EQ(drugCells(w), (Cells{{{4, 7}, u"当归10g"_s}, {{4, 9}, u"甘草6g"_s}}));
        w.按钮_打印预览->click();
        ASSERT_TRUE(w.preview()->isOpen());
        QPrintPreviewDialog* dialog = w.preview()->dialog();
        w.按钮_打印预览->click();
        EXPECT_EQ(w.preview()->dialog(), dialog);
        EXPECT_EQ(w.findChildren<QPrintPreviewDialog*>().size(), 1);
    });
    EXPECT_EQ(hiddenItems(), (QStringList{u"当归10g"_s, u"甘草6g"_s}));
    EXPECT_FALSE(window_->列表框1->isVisible());
    EXPECT_EQ(window_->编辑框_姓名->text(), u"张三"_s);
    EXPECT_EQ(window_->超级列表框1->rowCount(), 1);
}

// Fifty pieces all go into the hidden list, the 49 cells take the first 49;
// the next print shows none of them.
TEST_F(QueryPrintTest, TwoPrintsInARowShareNothing) {
    open();
    showVisitWith(numbered(50));
    print([](QueryPrintWindow& w) {
        EXPECT_EQ(drugCells(w).size(), 49u);
        EXPECT_EQ(w.数据源2->cellText(5, 5), u"药10g"_s);
        EXPECT_EQ(w.数据源2->cellText(8, 23), u"药49g"_s);
    });
    ASSERT_EQ(hiddenItems().size(), 50);
    EXPECT_EQ(hiddenItems().last(), u"药50g"_s);
    showVisitWith(u"黄芪15g,"_s, u"李四"_s);
    print([](QueryPrintWindow& w) {
        EXPECT_EQ(drugCells(w), (Cells{{{4, 7}, u"黄芪15g"_s}}));
        EXPECT_EQ(w.数据源2->cellText(2, 4), u"李四"_s);
    });
    EXPECT_EQ(hiddenItems(), QStringList{u"黄芪15g"_s});
}

// Nothing shown yet: an empty form is printed, every written cell empty.
TEST_F(QueryPrintTest, WithNoRowShownTheSheetIsPrintedEmpty) {
    open();
    print([](QueryPrintWindow& w) {
        for (const rx::print::FieldCell& f : rx::print::kA4QueryMap.fields)
            EXPECT_TRUE(w.数据源2->cellText(f.at.row, f.at.column).isEmpty());
        EXPECT_TRUE(drugCells(w).empty());
        EXPECT_EQ(w.数据源2->cellText(1, 9), u"现病史"_s);
    });
    EXPECT_EQ(window_->列表框1->count(), 0);
}

}  // namespace
