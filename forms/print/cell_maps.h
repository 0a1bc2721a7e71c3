#pragma once
// Where the print windows put what they print: pure maps from a field or drug
// number to a 1-based (row, column) of the template. The slip's date form is
// db::slipDateText, beside the other date forms.
// The query print window uses the A4 map and, in the host-linked build, the
// slip maps too, so they all live here.

#include <QStringView>
#include <array>
#include <optional>
#include <span>

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

// The visit texts that a print of the query window can put on paper.
enum class VisitField {
    Name,
    Sex,
    Age,
    AgeUnit,
    Registered,
    Diagnosis,
    Address,
    PrescriptionNumber,
    PresentIllness
};

struct FieldCell {
    VisitField field;
    CellAddress at;
};

// Where the query window's print goes: a template beside the executable, its
// fields in the order they are written, and its drug item cells.
struct QueryPrintMap {
    QStringView templatePiece;
    std::span<const FieldCell> fields;
    int itemCount;
    std::optional<CellAddress> (*itemCell)(int k);
};

// The A4 visit sheet: six fields in row 2, the date at its left.
inline constexpr std::array<FieldCell, 6> kA4Fields = {{
    {VisitField::Name, {2, 4}},
    {VisitField::Sex, {2, 5}},
    {VisitField::Age, {2, 7}},
    {VisitField::Registered, {2, 2}},
    {VisitField::Address, {2, 8}},
    {VisitField::PresentIllness, {2, 9}},
}};
inline constexpr QueryPrintMap kA4QueryMap{u"/A4.grd", kA4Fields, kA4ItemCount, &a4ItemCell};

// The host-linked build prints the query on the slip: the slip's fields, the
// visit date in the slip's date cell and the slip's 51 drug cells.
inline constexpr std::array<FieldCell, 8> kSlipQueryFields = {{
    {VisitField::Name, {4, 4}},
    {VisitField::Sex, {4, 9}},
    {VisitField::Age, {4, 13}},
    {VisitField::AgeUnit, {4, 14}},
    {VisitField::Registered, {4, 15}},
    {VisitField::Diagnosis, {5, 4}},
    {VisitField::Address, {5, 16}},
    {VisitField::PrescriptionNumber, {3, 16}},
}};
inline constexpr QueryPrintMap kSlipQueryMap{u"/处方笺.grd", kSlipQueryFields, kSlipDrugCount,
                                             &slipDrugCell};

}  // namespace rx::print
