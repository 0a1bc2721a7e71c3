// QueryPrintWindow on its own: which template each build loads, what lands
// where, and what is left when the template cannot be read.
#include "forms/query_print/query_print_window.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <map>

#include "forms/print/print_layouts.h"
#include "tests/platform_ui/layout_check.h"
#include "tests/support/test_program.h"

using namespace Qt::Literals::StringLiterals;

namespace {

using namespace rx;
using Cells = std::map<std::pair<int, int>, QString>;

print::QueryPrint sampleVisit(int items) {
    print::QueryPrint p;
    db::Visit& v = p.visit;
    v.name = u"张三"_s;
    v.sex = u"女"_s;
    v.age = u"45"_s;
    v.ageUnit = u"岁"_s;
    v.address = u"城关镇东街12号"_s;
    v.diagnosis = u"脾胃虚弱"_s;
    v.registered = u"2024年3月5日"_s;
    v.prescriptionNumber = u"20240305093012"_s;
    v.frequency = u"每天三次"_s;
    v.usage = u"口服"_s;
    v.doseUnit = u"g"_s;
    v.presentIllness = u"纳差乏力"_s;
    for (int i = 1; i <= items; ++i) p.items.append(u"药"_s + QString::number(i));
    return p;
}

class QueryPrintWindowTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    void install(const char* name, const QByteArray& bytes) {
        QFile f(dir.filePath(QString::fromUtf8(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    void installShipped(const char* name) {
        QFile shipped(QStringLiteral(RX_TEMPLATE_DIR "/") + QString::fromUtf8(name));
        ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
        install(name, shipped.readAll());
    }

    static Cells filled(const QueryPrintWindow& w) {
        Cells cells;
        const grid::GridTable& t = w.数据源2->table();
        for (int r = 1; r <= t.rows(); ++r)
            for (int c = 1; c <= t.columns(); ++c)
                if (!t.text(r, c).isEmpty()) cells[{r, c}] = t.text(r, c);
        return cells;
    }

    std::unique_ptr<QueryPrintWindow> openPrint(test::TestProgram& program, int items) {
        auto w = std::make_unique<QueryPrintWindow>(program.context(), sampleVisit(items), nullptr);
        w->deliverCreated();
        return w;
    }

    QTemporaryDir dir;
};

// The host-linked build prints on the slip with the slip's cells: eight
// fields, the visit date in the date cell, 51 drugs, no present illness.
TEST_F(QueryPrintWindowTest, HostLinkedBuildPrintsOnTheSlip) {
    installShipped("处方笺.grd");
    install("A4.grd", "rxgrid 1\nsize 30 30\n");  // there, and not taken
    test::TestProgram program(dir.path(), Build::HostLinked);
    EXPECT_EQ(&QueryPrintWindow::mapFor(program.context()), &print::kSlipQueryMap);
    EXPECT_EQ(&QueryPrintWindow::mapFor(test::TestProgram(dir.path()).context()),
              &print::kA4QueryMap);
    const auto w = openPrint(program, 52);
    EXPECT_EQ(test::layoutFaults(w.get(), print_layouts::kQuery, true), "");
    const grid::DataSource& s = *w->数据源2;
    EXPECT_EQ(s.table().rows(), 27);
    EXPECT_EQ(s.cellText(4, 4), u"张三"_s);
    EXPECT_EQ(s.cellText(4, 9), u"女"_s);
    EXPECT_EQ(s.cellText(4, 13), u"45"_s);
    EXPECT_EQ(s.cellText(4, 14), u"岁"_s);
    EXPECT_EQ(s.cellText(4, 15), u"2024年3月5日"_s);
    EXPECT_EQ(s.cellText(5, 4), u"脾胃虚弱"_s);
    EXPECT_EQ(s.cellText(5, 16), u"城关镇东街12号"_s);
    EXPECT_EQ(s.cellText(3, 16), u"20240305093012"_s);
    EXPECT_EQ(s.cellText(7, 3), u"药1"_s);
    EXPECT_EQ(s.cellText(8, 3), u"药4"_s);
    EXPECT_EQ(s.cellText(23, 15), u"药51"_s);
    EXPECT_EQ(s.cellText(4, 1), u"姓名"_s);  // the slip's own captions stay
    for (const auto& [at, text] : filled(*w)) {
        EXPECT_NE(text, u"药52"_s);
        EXPECT_NE(text, u"纳差乏力"_s);
    }
}

// Without a usable A4 sheet the provider's empty 10 × 10 stays, and only the
// writes inside it show: all six fields, and the drugs in columns 5 to 9.
TEST_F(QueryPrintWindowTest, MissingOrMalformedSheetKeepsTheEmptyTenByTen) {
    test::TestProgram program(dir.path());
    Cells expected = {{{2, 4}, u"张三"_s},
                      {{2, 5}, u"女"_s},
                      {{2, 7}, u"45"_s},
                      {{2, 2}, u"2024年3月5日"_s},
                      {{2, 8}, u"城关镇东街12号"_s},
                      {{2, 9}, u"纳差乏力"_s},
                      {{4, 7}, u"药1"_s},
                      {{4, 9}, u"药2"_s}};
    for (int row = 5; row <= 8; ++row)
        for (int i = 0; i < 3; ++i) {
            const int k = 9 + (row - 5) * 10 + i;
            expected[{row, 5 + 2 * i}] = u"药"_s + QString::number(k + 1);
        }
    const auto check = [&] {
        const auto w = openPrint(program, 49);
        EXPECT_EQ(w->数据源2->table().rows(), 10);
        EXPECT_EQ(w->数据源2->table().columns(), 10);
        EXPECT_EQ(filled(*w), expected);
    };
    check();  // no file at all
    install("A4.grd", "rxgrid 1\nsize 10 24\ncell 2,2 text=\"open\n");
    check();
    install("A4.grd", QByteArray("\xFF\xFE\x00garbage", 10));
    check();
}

}  // namespace
