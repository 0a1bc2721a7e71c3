#pragma once
// Where the print windows put what they print: pure maps from a field or drug
// number to a 1-based (row, column) of the template. The slip's date form is
// db::slipDateText, beside the other date forms.
// The query print window uses the A4 map and, in the host-linked build, the
// slip maps too, so they all live here.

#include <array>
#include <optional>

namespace rx::print {

struct CellAddress {
    int row = 0;
    int column = 0;
    friend bool operator==(const CellAddress&, const CellAddress&) = default;
};

// Drugs on the slip: three a row in columns 3, 9 and 15 from row 7; 51 at most.
inline constexpr int kSlipDrugCount = 51;
std::optional<CellAddress> slipDrugCell(int k);

// The seven patient fields of the slip, in the order they are written.
enum class SlipField { Name, Sex, Age, AgeUnit, Diagnosis, Address, PrescriptionNumber };
inline constexpr std::array<SlipField, 7> kSlipFieldOrder = {SlipField::Name,
                                                             SlipField::Sex,
                                                             SlipField::Age,
                                                             SlipField::AgeUnit,
                                                             SlipField::Diagnosis,
                                                             SlipField::Address,
                                                             SlipField::PrescriptionNumber};
CellAddress slipFieldCell(SlipField field);
inline constexpr CellAddress kSlipDateCell{4, 15};

// Drug items on the A4 visit sheet: nine in row 4 from column 7, then ten a
// row in rows 5 to 8 from column 5, on odd columns only; 49 at most.
inline constexpr int kA4ItemCount = 49;
std::optional<CellAddress> a4ItemCell(int k);

}  // namespace rx::print
