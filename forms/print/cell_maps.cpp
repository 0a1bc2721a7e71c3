#include "forms/print/cell_maps.h"

namespace rx::print {

std::optional<CellAddress> slipDrugCell(int k) {
    if (k < 0 || k >= kSlipDrugCount) return std::nullopt;
    return CellAddress{7 + k / 3, 3 + 6 * (k % 3)};
}

CellAddress slipFieldCell(SlipField field) {
    switch (field) {
        case SlipField::Name:
            return {4, 4};
        case SlipField::Sex:
            return {4, 9};
        case SlipField::Age:
            return {4, 13};
        case SlipField::AgeUnit:
            return {4, 14};
        case SlipField::Diagnosis:
            return {5, 4};
        case SlipField::Address:
            return {5, 16};
        case SlipField::PrescriptionNumber:
            return {3, 16};
    }
    return {};
}

std::optional<CellAddress> a4ItemCell(int k) {
    if (k < 0 || k >= kA4ItemCount) return std::nullopt;
    if (k <= 8) return CellAddress{4, 7 + 2 * k};
    return CellAddress{5 + (k - 9) / 10, 5 + 2 * ((k - 9) % 10)};
}

}  // namespace rx::print
