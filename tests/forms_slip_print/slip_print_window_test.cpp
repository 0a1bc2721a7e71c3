// SlipPrintWindow opened over a real EntryWindow: what lands in which cell of
// the slip, with and without the template, and the preview.
#include "forms/slip_print/slip_print_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <map>
#include <memory>

#include "db/date_forms.h"
#include "forms/entry/entry_window.h"
#include "forms/print/cell_maps.h"
#include "forms/print/print_layouts.h"
#include "platform/grid/grid_view.h"
#include "platform/grid/print_preview.h"
#include "platform/ui/report_list_view.h"
#include "platform/ui/whole_number_edit.h"
#include "tests/platform_ui/layout_check.h"
#include "tests/support/test_program.h"

namespace {

using namespace rx;
using Cells = std::map<std::pair<int, int>, QString>;

class SlipPrintTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        installTemplate("rxgrid 1\n");  // replaced by the real one where a test needs it
        program.fixClock(QDateTime(QDate(2024, 3, 5), QTime(9, 30)));
        entry = std::make_unique<EntryWindow>(program.context());
    }
    void TearDown() override { entry.reset(); }

    void installTemplate(const QByteArray& bytes) {
        QFile f(dir.filePath(QStringLiteral("处方笺.grd")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    void installShippedTemplate() {
        QFile shipped(QStringLiteral(RX_TEMPLATE_DIR "/处方笺.grd"));
        ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
        installTemplate(shipped.readAll());
    }

    void fillPatient() {
        entry->编辑框_姓名->setText(QStringLiteral("张三"));
        entry->组合框_性别->setCurrentIndex(entry->组合框_性别->findText(QStringLiteral("女")));
        entry->编辑框_年龄->setText(QStringLiteral("45"));
        entry->组合框_年龄单位->setCurrentIndex(
            entry->组合框_年龄单位->findText(QStringLiteral("岁")));
        entry->编辑框_诊断->setText(QStringLiteral("脾胃虚弱"));
        entry->编辑框_住址->setText(QStringLiteral("城关镇东街12号"));
        entry->编辑框_处方号->setText(QStringLiteral("20240305093012"));
    }
    void addDrug(const QString& name, const QString& dose, const QString& unit) {
        ui::ReportListView* list = entry->超级列表框1;
        list->insertRow(list->rowCount(), {name, dose, unit, QStringLiteral("先煎")});
    }
    void addNumberedDrugs(int count, const QString& prefix) {
        for (int i = 1; i <= count; ++i)
            addDrug(prefix + QString::number(i), QStringLiteral("3"), QStringLiteral("g"));
    }

    // Every non-empty cell of the window's table.
    static Cells filled(const SlipPrintWindow& w) {
        Cells cells;
        const grid::GridTable& t = w.数据源1->table();
        for (int r = 1; r <= t.rows(); ++r)
            for (int c = 1; c <= t.columns(); ++c)
                if (!t.text(r, c).isEmpty()) cells[{r, c}] = t.text(r, c);
        return cells;
    }
    // The non-empty drug cells only.
    static Cells drugCells(const SlipPrintWindow& w) {
        Cells cells;
        for (int k = 0; k < print::kSlipDrugCount; ++k) {
            const print::CellAddress at = *print::slipDrugCell(k);
            const QString text = w.数据源1->cellText(at.row, at.column);
            if (!text.isEmpty()) cells[{at.row, at.column}] = text;
        }
        return cells;
    }
    std::unique_ptr<SlipPrintWindow> openSlip() {
        // As the print button does: what the form shows at the click.
        auto w = std::make_unique<SlipPrintWindow>(program.context(), entry->currentVisit(),
                                                   entry.get());
        w->deliverCreated();
        return w;
    }

    QTemporaryDir dir;
    test::TestProgram program{dir.path()};
    std::unique_ptr<EntryWindow> entry;
};

TEST_F(SlipPrintTest, TwoDrugsAndThePatientFieldsLandInTheirCells) {
    installShippedTemplate();
    fillPatient();
    addDrug(QStringLiteral("当归"), QStringLiteral("10"), QStringLiteral("g"));
    addDrug(QStringLiteral("甘草"), QStringLiteral("6"), QStringLiteral("g"));
    const auto w = openSlip();
    EXPECT_EQ(drugCells(*w),
              (Cells{{{7, 3}, QStringLiteral("当归10g")}, {{7, 9}, QStringLiteral("甘草6g")}}));
    const grid::DataSource& s = *w->数据源1;
    EXPECT_EQ(s.cellText(4, 4), QStringLiteral("张三"));
    EXPECT_EQ(s.cellText(4, 9), QStringLiteral("女"));
    EXPECT_EQ(s.cellText(4, 13), QStringLiteral("45"));
    EXPECT_EQ(s.cellText(4, 14), QStringLiteral("岁"));
    EXPECT_EQ(s.cellText(5, 4), QStringLiteral("脾胃虚弱"));
    EXPECT_EQ(s.cellText(5, 16), QStringLiteral("城关镇东街12号"));
    EXPECT_EQ(s.cellText(3, 16), QStringLiteral("20240305093012"));
    EXPECT_EQ(s.cellText(4, 15), QStringLiteral("2024年03月05日"));
    // The template's own captions are still there around the written cells.
    EXPECT_EQ(s.cellText(4, 1), QStringLiteral("姓名"));
    EXPECT_EQ(s.cellText(6, 1), QStringLiteral("Rp"));
}

TEST_F(SlipPrintTest, TheFourthDrugStartsRowEight) {
    installShippedTemplate();
    addNumberedDrugs(4, QStringLiteral("药"));
    const auto w = openSlip();
    EXPECT_EQ(drugCells(*w), (Cells{{{7, 3}, QStringLiteral("药13g")},
                                    {{7, 9}, QStringLiteral("药23g")},
                                    {{7, 15}, QStringLiteral("药33g")},
                                    {{8, 3}, QStringLiteral("药43g")}}));
}

TEST_F(SlipPrintTest, FiftyOneDrugsFillRowTwentyThreeAndTheFiftySecondIsDropped) {
    installShippedTemplate();
    addNumberedDrugs(52, QStringLiteral("药"));
    const auto w = openSlip();
    const Cells drugs = drugCells(*w);
    EXPECT_EQ(drugs.size(), 51u);
    EXPECT_EQ(w->数据源1->cellText(23, 15), QStringLiteral("药513g"));
    for (const auto& [at, text] : filled(*w)) EXPECT_NE(text, QStringLiteral("药523g"));
}

TEST_F(SlipPrintTest, AnEmptyDosePrintsNameAndUnit) {
    installShippedTemplate();
    addDrug(QStringLiteral("当归"), QString(), QStringLiteral("g"));
    const auto w = openSlip();
    EXPECT_EQ(w->数据源1->cellText(7, 3), QStringLiteral("当归g"));
}

TEST_F(SlipPrintTest, TheDateCellFollowsTheClock) {
    installShippedTemplate();
    EXPECT_EQ(openSlip()->数据源1->cellText(4, 15), QStringLiteral("2024年03月05日"));
    program.context().withClock([] { return QDateTime::currentDateTime(); });
    const QDate before = QDate::currentDate();
    const QString text = openSlip()->数据源1->cellText(4, 15);
    const QDate after = QDate::currentDate();
    EXPECT_TRUE(text == db::slipDateText(before) || text == db::slipDateText(after))
        << qPrintable(text);
}

TEST_F(SlipPrintTest, TwoPrintsInARowShareNothing) {
    installShippedTemplate();
    fillPatient();
    addNumberedDrugs(7, QStringLiteral("甲"));
    const Cells first = filled(*openSlip());
    entry->编辑框_姓名->setText(QStringLiteral("李四"));
    entry->超级列表框1->deleteAllRows();
    addDrug(QStringLiteral("黄芪"), QStringLiteral("15"), QStringLiteral("g"));
    const auto second = openSlip();
    EXPECT_EQ(drugCells(*second), (Cells{{{7, 3}, QStringLiteral("黄芪15g")}}));
    EXPECT_EQ(second->数据源1->cellText(4, 4), QStringLiteral("李四"));
    EXPECT_EQ(filled(*second).size(), first.size() - 7 + 1);
}

// Without a usable template the provider's 10 × 10 stays and only the writes
// inside it show: name, sex, diagnosis and the drugs k = 0, 1, 3, 4, 6, 7, 9, 10.
TEST_F(SlipPrintTest, MissingOrMalformedTemplateKeepsTheEmptyTenByTen) {
    fillPatient();
    addNumberedDrugs(51, QStringLiteral("药"));
    const Cells expected = {
        {{4, 4}, QStringLiteral("张三")},     {{4, 9}, QStringLiteral("女")},
        {{5, 4}, QStringLiteral("脾胃虚弱")}, {{7, 3}, QStringLiteral("药13g")},
        {{7, 9}, QStringLiteral("药23g")},    {{8, 3}, QStringLiteral("药43g")},
        {{8, 9}, QStringLiteral("药53g")},    {{9, 3}, QStringLiteral("药73g")},
        {{9, 9}, QStringLiteral("药83g")},    {{10, 3}, QStringLiteral("药103g")},
        {{10, 9}, QStringLiteral("药113g")},
    };
    const QByteArray malformed[] = {"rxgrid 1\nsize 27 16\ncell 4,4 text=\"open\n",
                                    QByteArray("\xFF\xFE\x00garbage", 10)};
    for (const QByteArray& bytes : malformed) {
        installTemplate(bytes);
        const auto w = openSlip();
        EXPECT_EQ(w->数据源1->table().rows(), 10);
        EXPECT_EQ(w->数据源1->table().columns(), 10);
        EXPECT_EQ(filled(*w), expected);
    }
    ASSERT_TRUE(QFile::remove(dir.filePath(QStringLiteral("处方笺.grd"))));
    const auto w = openSlip();
    EXPECT_EQ(w->数据源1->table().rows(), 10);
    EXPECT_EQ(filled(*w), expected);
}

TEST_F(SlipPrintTest, AnUnsavedVisitPrintsAnEmptyNumberAndEmptyFields) {
    installShippedTemplate();
    const auto w = openSlip();
    EXPECT_TRUE(w->数据源1->cellText(3, 16).isEmpty());
    EXPECT_TRUE(w->数据源1->cellText(4, 4).isEmpty());
    EXPECT_TRUE(drugCells(*w).empty());
    EXPECT_EQ(w->数据源1->table().rows(), 27);
}

// Through EntryWindow's print button: the window runs modal, shows the filled
// grid, opens the preview once however often it is asked, and hands control
// back when closed, leaving EntryWindow as it was.
TEST_F(SlipPrintTest, OpensModalFromThePrintButtonAndPreviews) {
    installShippedTemplate();
    fillPatient();
    addDrug(QStringLiteral("当归"), QStringLiteral("10"), QStringLiteral("g"));
    bool inspected = false;
    QTimer::singleShot(0, entry.get(), [&] {
        auto* w = entry->findChild<SlipPrintWindow*>();
        ASSERT_NE(w, nullptr);
        auto closeAtEnd = qScopeGuard([w] { w->close(); });
        inspected = true;
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(w->windowModality(), Qt::WindowModal);
        EXPECT_EQ(w->parentWidget(), entry.get());  // modal over EntryWindow only
        EXPECT_EQ(rx::test::layoutFaults(w, rx::print_layouts::kSlip, false), "");
        EXPECT_TRUE(w->windowTitle().trimmed().isEmpty());
        EXPECT_EQ(w->表格1->dataSource(), w->数据源1);
        EXPECT_EQ(w->数据源1->cellText(7, 3), QStringLiteral("当归10g"));
        w->按钮_打印预览->click();
        ASSERT_TRUE(w->preview()->isOpen());
        QPrintPreviewDialog* dialog = w->preview()->dialog();
        EXPECT_TRUE(dialog->windowState() & Qt::WindowMaximized);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("打印预览"));
        w->按钮_打印预览->click();
        EXPECT_EQ(w->preview()->dialog(), dialog);
        EXPECT_EQ(w->findChildren<QPrintPreviewDialog*>().size(), 1);
    });
    entry->按钮_打印->click();
    EXPECT_TRUE(inspected);
    EXPECT_EQ(entry->findChild<SlipPrintWindow*>(), nullptr);  // gone once closed
    EXPECT_EQ(entry->编辑框_姓名->text(), QStringLiteral("张三"));
    EXPECT_EQ(entry->超级列表框1->rowCount(), 1);
}

}  // namespace
