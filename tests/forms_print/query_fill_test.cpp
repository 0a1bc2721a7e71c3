// The query print: the drug items cut from the herbal prescription text, the
// two maps it prints with, and the fill of a table through each.
#include "forms/print/query_fill.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using namespace rx::print;
using Cells = std::map<std::pair<int, int>, QString>;

struct SplitCase {
    const char* name;
    QString text;
    QStringList items;
};

void PrintTo(const SplitCase& c, std::ostream* out) {
    *out << c.name;
}

class HerbalItems : public testing::TestWithParam<SplitCase> {};

TEST_P(HerbalItems, CutAtEveryAsciiComma) {
    EXPECT_EQ(herbalItems(GetParam().text), GetParam().items);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, HerbalItems,
    testing::Values(
        SplitCase{"saved_form_with_final_comma",
                  QStringLiteral("当归10g,甘草6g,"),
                  {QStringLiteral("当归10g"), QStringLiteral("甘草6g")}},
        SplitCase{"two_commas_keep_the_empty_item",
                  QStringLiteral("a,,b"),
                  {QStringLiteral("a"), QString(), QStringLiteral("b")}},
        SplitCase{"no_final_comma", QStringLiteral("当归10g"), {QStringLiteral("当归10g")}},
        SplitCase{"full_width_commas_only",
                  QStringLiteral("当归10g，甘草6g，"),
                  {QStringLiteral("当归10g，甘草6g，")}},
        SplitCase{"empty_text", QString(), {}},
        SplitCase{"lone_comma", QStringLiteral(","), {QString()}},
        SplitCase{"leading_comma", QStringLiteral(",a,"), {QString(), QStringLiteral("a")}},
        SplitCase{"nothing_trimmed",
                  QStringLiteral(" 当归 , 甘草 ,"),
                  {QStringLiteral(" 当归 "), QStringLiteral(" 甘草 ")}},
        // Four-byte GB18030 characters and one outside the BMP are stepped over whole.
        SplitCase{"characters_beyond_gbk",
                  QStringLiteral("€10g,𠀀6g,䶮3g"),
                  {QStringLiteral("€10g"), QStringLiteral("𠀀6g"), QStringLiteral("䶮3g")}}),
    [](const testing::TestParamInfo<SplitCase>& test) { return std::string(test.param.name); });

// The host-linked print lands on the slip template's own cells: the fields
// the slip prints, the visit date in the slip's date cell, the slip's drugs.
TEST(QueryPrintMaps, HostLinkedMapIsTheSlipsCells) {
    using F = VisitField;
    using S = SlipField;
    const std::pair<F, CellAddress> expected[] = {
        {F::Name, slipFieldCell(S::Name)},
        {F::Sex, slipFieldCell(S::Sex)},
        {F::Age, slipFieldCell(S::Age)},
        {F::AgeUnit, slipFieldCell(S::AgeUnit)},
        {F::Registered, kSlipDateCell},
        {F::Diagnosis, slipFieldCell(S::Diagnosis)},
        {F::Address, slipFieldCell(S::Address)},
        {F::PrescriptionNumber, slipFieldCell(S::PrescriptionNumber)},
    };
    ASSERT_EQ(kSlipQueryMap.fields.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(kSlipQueryMap.fields[i].field, expected[i].first) << i;
        EXPECT_EQ(kSlipQueryMap.fields[i].at, expected[i].second) << i;
    }
    EXPECT_EQ(kSlipQueryMap.fields[4].at, (CellAddress{4, 15}));
    EXPECT_EQ(kSlipQueryMap.templatePiece, u"/处方笺.grd");
    EXPECT_EQ(kSlipQueryMap.itemCount, 51);
    EXPECT_EQ(kSlipQueryMap.itemCell, &slipDrugCell);
}

rx::db::Visit sampleVisit() {
    rx::db::Visit v;
    v.name = QStringLiteral("张三");
    v.sex = QStringLiteral("男");
    v.age = QStringLiteral("35");
    v.ageUnit = QStringLiteral("岁");
    v.address = QStringLiteral("禾川镇");
    v.diagnosis = QStringLiteral("感冒");
    v.registered = QStringLiteral("2024年3月5日");
    v.prescriptionNumber = QStringLiteral("20240305093012");
    v.frequency = QStringLiteral("每天三次");
    v.usage = QStringLiteral("口服");
    v.doseUnit = QStringLiteral("g");
    v.presentIllness = QStringLiteral("咳嗽三天");
    return v;
}

QStringList numbered(int count) {
    QStringList items;
    for (int i = 1; i <= count; ++i) items.append(QStringLiteral("药") + QString::number(i));
    return items;
}

Cells filled(const rx::grid::DataSource& s) {
    Cells cells;
    for (int r = 1; r <= s.table().rows(); ++r)
        for (int c = 1; c <= s.table().columns(); ++c)
            if (!s.cellText(r, c).isEmpty()) cells[{r, c}] = s.cellText(r, c);
    return cells;
}

struct FillCase {
    const char* name;
    const QueryPrintMap* map;
    int items;
    Cells expected;  // every non-empty cell after the fill
};

void PrintTo(const FillCase& c, std::ostream* out) {
    *out << c.name;
}

Cells a4Fields() {
    return {{{2, 4}, QStringLiteral("张三")},   {{2, 5}, QStringLiteral("男")},
            {{2, 7}, QStringLiteral("35")},     {{2, 2}, QStringLiteral("2024年3月5日")},
            {{2, 8}, QStringLiteral("禾川镇")}, {{2, 9}, QStringLiteral("咳嗽三天")}};
}

Cells slipFields() {
    return {{{4, 4}, QStringLiteral("张三")},          {{4, 9}, QStringLiteral("男")},
            {{4, 13}, QStringLiteral("35")},           {{4, 14}, QStringLiteral("岁")},
            {{4, 15}, QStringLiteral("2024年3月5日")}, {{5, 4}, QStringLiteral("感冒")},
            {{5, 16}, QStringLiteral("禾川镇")},       {{3, 16}, QStringLiteral("20240305093012")}};
}

Cells with(Cells cells, std::initializer_list<std::pair<std::pair<int, int>, int>> items) {
    for (const auto& [at, k] : items) cells[at] = QStringLiteral("药") + QString::number(k);
    return cells;
}

class FillQueryPrint : public testing::TestWithParam<FillCase> {};

// Over a table that still holds an earlier print of 60 items, and a caption
// ("旧") in every other cell: every mapped cell is written again, empty past
// the last item, and the captions stay.
TEST_P(FillQueryPrint, WritesTheFieldsAndEveryItemCell) {
    rx::grid::DataSource source;
    source.setTable(rx::grid::GridTable(27, 24));
    for (int r = 1; r <= 27; ++r)
        for (int c = 1; c <= 24; ++c) source.setCellText(r, c, QStringLiteral("旧"));
    fillQueryPrint(source, {sampleVisit(), numbered(60)}, *GetParam().map);
    fillQueryPrint(source, {sampleVisit(), numbered(GetParam().items)}, *GetParam().map);
    Cells cells = filled(source);
    std::erase_if(cells, [](const auto& cell) { return cell.second == QStringLiteral("旧"); });
    EXPECT_EQ(cells, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Maps, FillQueryPrint,
    testing::Values(FillCase{"a4_no_items", &kA4QueryMap, 0, a4Fields()},
                    FillCase{"a4_two_items_in_row_four", &kA4QueryMap, 2,
                             with(a4Fields(), {{{4, 7}, 1}, {{4, 9}, 2}})},
                    FillCase{"a4_the_tenth_starts_row_five", &kA4QueryMap, 10,
                             with(a4Fields(), {{{4, 7}, 1},
                                               {{4, 9}, 2},
                                               {{4, 11}, 3},
                                               {{4, 13}, 4},
                                               {{4, 15}, 5},
                                               {{4, 17}, 6},
                                               {{4, 19}, 7},
                                               {{4, 21}, 8},
                                               {{4, 23}, 9},
                                               {{5, 5}, 10}})},
                    FillCase{
                        "slip_four_items", &kSlipQueryMap, 4,
                        with(slipFields(), {{{7, 3}, 1}, {{7, 9}, 2}, {{7, 15}, 3}, {{8, 3}, 4}})}),
    [](const testing::TestParamInfo<FillCase>& test) { return std::string(test.param.name); });

// The last cell of each map takes its last item; the next item has no cell.
TEST(FillQueryPrint, ItemsBeyondTheCellsAreNotPrinted) {
    for (const QueryPrintMap* map : {&kA4QueryMap, &kSlipQueryMap}) {
        rx::grid::DataSource source;
        source.setTable(rx::grid::GridTable(27, 24));
        fillQueryPrint(source, {{}, numbered(map->itemCount + 1)}, *map);
        const Cells cells = filled(source);
        EXPECT_EQ(cells.size(), std::size_t(map->itemCount));
        const CellAddress last = *map->itemCell(map->itemCount - 1);
        EXPECT_EQ(source.cellText(last.row, last.column),
                  QStringLiteral("药") + QString::number(map->itemCount));
        for (const auto& [at, text] : cells)
            EXPECT_NE(text, QStringLiteral("药") + QString::number(map->itemCount + 1));
    }
    EXPECT_EQ(*kA4QueryMap.itemCell(48), (CellAddress{8, 23}));
    EXPECT_EQ(*kSlipQueryMap.itemCell(50), (CellAddress{23, 15}));
}

}  // namespace
