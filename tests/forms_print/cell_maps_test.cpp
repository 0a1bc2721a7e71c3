// The slip's and the A4 sheet's cell maps, case by case and as a whole.
#include "forms/print/cell_maps.h"

#include <gtest/gtest.h>

#include <set>

#include "db/visit.h"

namespace {

using rx::print::a4ItemCell;
using rx::print::CellAddress;
using rx::print::slipDrugCell;

struct MapCase {
    int k;
    std::optional<CellAddress> expected;
};

TEST(SlipDrugCell, ThreeDrugsARowFromRowSeven) {
    const MapCase cases[] = {
        {0, CellAddress{7, 3}},    {1, CellAddress{7, 9}},   {2, CellAddress{7, 15}},
        {3, CellAddress{8, 3}},    {4, CellAddress{8, 9}},   {10, CellAddress{10, 9}},
        {47, CellAddress{22, 15}}, {48, CellAddress{23, 3}}, {50, CellAddress{23, 15}},
        {51, std::nullopt},        {-1, std::nullopt},       {1000, std::nullopt},
    };
    for (const MapCase& c : cases) EXPECT_EQ(slipDrugCell(c.k), c.expected) << "k=" << c.k;
}

TEST(A4ItemCell, NineInRowFourThenTenARowFromColumnFive) {
    const MapCase cases[] = {
        {0, CellAddress{4, 7}},   {1, CellAddress{4, 9}},  {8, CellAddress{4, 23}},
        {9, CellAddress{5, 5}},   {10, CellAddress{5, 7}}, {18, CellAddress{5, 23}},
        {19, CellAddress{6, 5}},  {29, CellAddress{7, 5}}, {39, CellAddress{8, 5}},
        {48, CellAddress{8, 23}}, {49, std::nullopt},      {-1, std::nullopt},
    };
    for (const MapCase& c : cases) EXPECT_EQ(a4ItemCell(c.k), c.expected) << "k=" << c.k;
}

// Every drug gets a cell of its own, inside the template's least size, on the
// columns that leave room for the text between them.
TEST(CellMaps, EveryDrugHasItsOwnCell) {
    std::set<std::pair<int, int>> slip, a4;
    for (int k = 0; k < rx::print::kSlipDrugCount; ++k) {
        const CellAddress at = *slipDrugCell(k);
        EXPECT_TRUE(at.row >= 7 && at.row <= 23 && (at.column - 3) % 6 == 0 && at.column <= 15);
        slip.insert({at.row, at.column});
    }
    for (int k = 0; k < rx::print::kA4ItemCount; ++k) {
        const CellAddress at = *a4ItemCell(k);
        EXPECT_TRUE(at.row >= 4 && at.row <= 8 && at.column % 2 == 1 && at.column <= 23);
        a4.insert({at.row, at.column});
    }
    EXPECT_EQ(slip.size(), 51u);
    EXPECT_EQ(a4.size(), 49u);
}

TEST(SlipFields, WrittenInTheirOrderToTheirCells) {
    using F = rx::print::SlipField;
    const std::pair<F, CellAddress> cases[] = {
        {F::Name, {4, 4}},
        {F::Sex, {4, 9}},
        {F::Age, {4, 13}},
        {F::AgeUnit, {4, 14}},
        {F::Diagnosis, {5, 4}},
        {F::Address, {5, 16}},
        {F::PrescriptionNumber, {3, 16}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(rx::print::kSlipFieldOrder[i], cases[i].first) << i;
        EXPECT_EQ(rx::print::slipFieldCell(cases[i].first), cases[i].second) << i;
    }
    EXPECT_EQ(rx::print::kSlipDateCell, (CellAddress{4, 15}));
}

TEST(DrugText, NameDoseAndUnitRunTogether) {
    const auto slipDrugText = [](const rx::db::DrugLine& line) { return rx::db::drugText(line); };
    EXPECT_EQ(slipDrugText({QStringLiteral("当归"), QStringLiteral("10"), QStringLiteral("g")}),
              QStringLiteral("当归10g"));
    EXPECT_EQ(slipDrugText({QStringLiteral("当归"), QString(), QStringLiteral("g")}),
              QStringLiteral("当归g"));
    EXPECT_EQ(slipDrugText({QStringLiteral(" 甘草"), QStringLiteral("6 "), QString()}),
              QStringLiteral(" 甘草6 "));  // nothing is trimmed
    EXPECT_EQ(slipDrugText({QString(), QString(), QString(), QStringLiteral("口服")}), QString());
}

}  // namespace
