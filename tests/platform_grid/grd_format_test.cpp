// The .grd parser and writer on small hand-written templates.
#include "platform/grid/grd_format.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

using namespace rx::grid;
using namespace std::string_view_literals;

QByteArray utf8(const char* text) {
    return QByteArray(text);
}

TEST(GrdFormat, ReadsPageSizesLooksMergesAndBoxes) {
    const std::optional<GridTable> t = parseGrd(
        utf8("# a comment line\n"
             "rxgrid 1\n"
             "page A5 landscape margins 5 6 7 8 line 0.3\n"
             "size 4 3   # rows columns\n"
             "columns 1-2 12.5\n"
             "columns 3 30\n"
             "rows 2-4 9\n"
             "cell 1,1 text=\"处方 \\\"笺\\\"\" font=\"Noto Serif\" size=14 bold=yes italic=yes "
             "align=center valign=bottom\n"
             "cell 2,1:3,2 border=LT\n"
             "cell 4,3 text=\"a#b\\\\c\\nd\" border=all\n"
             "merge 1,1:1,3\n"
             "box 2,1:4,3\n"));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->rows(), 4);
    EXPECT_EQ(t->columns(), 3);
    EXPECT_EQ(t->page().paper, QStringLiteral("A5"));
    EXPECT_EQ(t->page().sizeMm, QSizeF(148, 210));
    EXPECT_TRUE(t->page().landscape);
    EXPECT_EQ(t->page().marginsMm, QMarginsF(5, 6, 7, 8));
    EXPECT_DOUBLE_EQ(t->page().lineWidthMm, 0.3);
    EXPECT_DOUBLE_EQ(t->columnWidthMm(2), 12.5);
    EXPECT_DOUBLE_EQ(t->columnWidthMm(3), 30);
    EXPECT_DOUBLE_EQ(t->rowHeightMm(1), GridTable::kDefaultRowMm);
    EXPECT_DOUBLE_EQ(t->totalHeightMm(), GridTable::kDefaultRowMm + 27);

    const Cell& title = t->cell(1, 1);
    EXPECT_EQ(title.text, QStringLiteral("处方 \"笺\""));
    EXPECT_EQ(title.style.font, (CellFont{QStringLiteral("Noto Serif"), 14, true, true}));
    EXPECT_EQ(title.style.halign, HAlign::Center);
    EXPECT_EQ(title.style.valign, VAlign::Bottom);
    EXPECT_EQ(t->cell(4, 3).text, QStringLiteral("a#b\\c\nd"));
    EXPECT_EQ(t->mergeAt(1, 3), (CellRange{1, 1, 1, 3}));
    EXPECT_FALSE(t->mergeAt(2, 1));
    // border= sets the sides; box adds the outline on top of them.
    EXPECT_EQ(t->cell(3, 2).style.borders, SideLeft | SideTop);
    EXPECT_EQ(t->cell(2, 1).style.borders, SideLeft | SideTop);
    EXPECT_EQ(t->cell(2, 3).style.borders, SideTop | SideRight);
    EXPECT_EQ(t->cell(4, 2).style.borders, SideBottom);
    EXPECT_EQ(t->cell(4, 3).style.borders, SideAll);
}

TEST(GrdFormat, AcceptsCustomPaperBomAndWindowsLineEnds) {
    const std::optional<GridTable> t =
        parseGrd(utf8("\xEF\xBB\xBFrxgrid 1\r\npage 100x150 portrait\r\nsize 1 1\r\n"));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->page().sizeMm, QSizeF(100, 150));
    EXPECT_FALSE(t->page().landscape);
}

struct Malformed {
    const char* name;
    std::string_view text;
    int line;  // where the fault is reported
};

void PrintTo(const Malformed& c, std::ostream* out) {
    *out << c.name;
}  // names, not bytes, in listings

class GrdMalformed : public testing::TestWithParam<Malformed> {};

TEST_P(GrdMalformed, IsRefusedWhole) {
    GrdError error;
    EXPECT_FALSE(parseGrd(
        QByteArray(GetParam().text.data(), static_cast<qsizetype>(GetParam().text.size())), &error))
        << GetParam().name;
    EXPECT_EQ(error.line, GetParam().line) << qPrintable(error.message);
    EXPECT_FALSE(error.message.isEmpty());
}

// Each text is a good template but for one fault.
INSTANTIATE_TEST_SUITE_P(
    Faults, GrdMalformed,
    testing::Values(
        Malformed{"empty", "", 0}, Malformed{"no_size", "rxgrid 1\n", 0},
        Malformed{"version_missing", "size 2 2\n", 1},
        Malformed{"version_unknown", "rxgrid 2\nsize 2 2\n", 1},
        Malformed{"unknown_statement", "rxgrid 1\nsize 2 2\nfill 1,1\n", 3},
        Malformed{"size_twice", "rxgrid 1\nsize 2 2\nsize 3 3\n", 3},
        Malformed{"size_zero", "rxgrid 1\nsize 0 2\n", 2},
        Malformed{"size_too_many_cells", "rxgrid 1\nsize 2000 500\n", 2},
        Malformed{"cell_before_size", "rxgrid 1\ncell 1,1 text=a\nsize 2 2\n", 2},
        Malformed{"cell_outside", "rxgrid 1\nsize 2 2\ncell 3,1 text=a\n", 3},
        Malformed{"cell_zero", "rxgrid 1\nsize 2 2\ncell 0,1 text=a\n", 3},
        Malformed{"range_backwards", "rxgrid 1\nsize 3 3\ncell 2,2:1,1 border=B\n", 3},
        Malformed{"range_three_corners", "rxgrid 1\nsize 3 3\nmerge 1,1:2,2:3,3\n", 3},
        Malformed{"merge_overlap", "rxgrid 1\nsize 3 3\nmerge 1,1:2,2\nmerge 2,2:3,3\n", 4},
        Malformed{"width_negative", "rxgrid 1\nsize 2 2\ncolumns 1 -4\n", 3},
        Malformed{"width_nan", "rxgrid 1\nsize 2 2\ncolumns 1 nan\n", 3},
        Malformed{"height_huge", "rxgrid 1\nsize 2 2\nrows 1-2 1e9\n", 3},
        Malformed{"span_past_end", "rxgrid 1\nsize 2 2\nrows 1-3 5\n", 3},
        Malformed{"font_size_zero", "rxgrid 1\nsize 2 2\ncell 1,1 size=0\n", 3},
        Malformed{"unknown_attribute", "rxgrid 1\nsize 2 2\ncell 1,1 colour=red\n", 3},
        Malformed{"bad_border", "rxgrid 1\nsize 2 2\ncell 1,1 border=LX\n", 3},
        Malformed{"bad_bool", "rxgrid 1\nsize 2 2\ncell 1,1 bold=maybe\n", 3},
        Malformed{"unclosed_quote", "rxgrid 1\nsize 2 2\ncell 1,1 text=\"open\n", 3},
        Malformed{"bad_escape", "rxgrid 1\nsize 2 2\ncell 1,1 text=\"a\\tb\"\n", 3},
        Malformed{"unknown_paper", "rxgrid 1\npage Folio portrait\nsize 2 2\n", 2},
        Malformed{"bad_orientation", "rxgrid 1\npage A4 sideways\nsize 2 2\n", 2},
        Malformed{"page_twice", "rxgrid 1\npage A4 portrait\npage A5 portrait\nsize 1 1\n", 3},
        Malformed{"margins_short", "rxgrid 1\npage A4 portrait margins 1 2 3\nsize 1 1\n", 2},
        Malformed{"not_utf8", "rxgrid 1\nsize 1 1\ncell 1,1 text=\"\xB5\xB1\xB9\xE9\"\n", 0},
        Malformed{"nul_byte", "rxgrid 1\nsize 1 1\0\n"sv, 0}),
    [](const testing::TestParamInfo<Malformed>& test) { return std::string(test.param.name); });

TEST(GrdFormat, RefusesTextsLongerThanACellHolds) {
    const QByteArray text =
        "rxgrid 1\nsize 1 1\ncell 1,1 text=\"" + QByteArray(kMaxCellTextLength + 1, 'x') + "\"\n";
    EXPECT_FALSE(parseGrd(text));
}

TEST(GrdFormat, WriterOutputReadsBackEqual) {
    GridTable t(3, 2);
    PageSetup page;
    page.paper = QStringLiteral("120x80.5");
    page.sizeMm = {120, 80.5};
    page.landscape = true;
    page.marginsMm = {1, 2, 3, 4.25};
    t.setPage(page);
    t.setColumnWidthMm(2, 33.3);
    t.setRowHeightMm(3, 0.7);
    t.setText(1, 1, QStringLiteral("引号\" 反斜杠\\ 换行\n井号# 空格  "));
    Cell* c = t.mutableCell(3, 2);
    c->style = {{QStringLiteral("Noto Sans CJK SC"), 7.5, true, false},
                HAlign::Right,
                VAlign::Top,
                SideLeft | SideBottom};
    ASSERT_TRUE(t.addMerge({1, 1, 2, 2}));
    const std::optional<GridTable> back = parseGrd(writeGrd(t));
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, t);
}

}  // namespace
