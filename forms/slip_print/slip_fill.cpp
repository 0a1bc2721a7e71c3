#include "forms/slip_print/slip_fill.h"

#include "db/date_forms.h"
#include "forms/print/cell_maps.h"

namespace rx::slip {

using print::CellAddress;

namespace {

const QString& fieldText(const db::Visit& v, print::SlipField field) {
    using F = print::SlipField;
    switch (field) {
        case F::Name:
            return v.name;
        case F::Sex:
            return v.sex;
        case F::Age:
            return v.age;
        case F::AgeUnit:
            return v.ageUnit;
        case F::Diagnosis:
            return v.diagnosis;
        case F::Address:
            return v.address;
        case F::PrescriptionNumber:
            break;
    }
    return v.prescriptionNumber;
}

}  // namespace

void fillSlip(grid::DataSource& source, const db::Visit& visit, const QDate& today) {
    for (const print::SlipField field : print::kSlipFieldOrder) {
        const CellAddress at = print::slipFieldCell(field);
        source.setCellText(at.row, at.column, fieldText(visit, field));
    }
    for (int k = 0; k < print::kSlipDrugCount; ++k) {
        const CellAddress at = *print::slipDrugCell(k);
        const auto index = static_cast<std::size_t>(k);
        source.setCellText(
            at.row, at.column,
            index < visit.drugs.size() ? db::drugText(visit.drugs[index]) : QString());
    }
    source.setCellText(print::kSlipDateCell.row, print::kSlipDateCell.column,
                       db::slipDateText(today));
}

}  // namespace rx::slip
