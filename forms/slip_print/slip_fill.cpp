#include "forms/slip_print/slip_fill.h"

#include "db/date_forms.h"
#include "forms/slip_print/cell_maps.h"

namespace rx::slip {

QString slipDrugText(const QStringList& row) { return row.value(0) + row.value(1) + row.value(2); }

void fillSlip(grid::DataSource& source, const SlipContents& contents) {
    for (std::size_t i = 0; i < kSlipFieldOrder.size(); ++i) {
        const CellAddress at = slipFieldCell(kSlipFieldOrder[i]);
        source.setCellText(at.row, at.column, contents.fields[i]);
    }
    for (int k = 0; k < kSlipDrugCount; ++k) {
        const CellAddress at = *slipDrugCell(k);
        const bool exists = static_cast<std::size_t>(k) < contents.drugRows.size();
        source.setCellText(at.row, at.column,
                           exists ? slipDrugText(contents.drugRows[static_cast<std::size_t>(k)])
                                  : QString());
    }
    source.setCellText(kSlipDateCell.row, kSlipDateCell.column, db::slipDateText(contents.today));
}

}  // namespace rx::slip
