#include "forms/slip_print/slip_print_window.h"

#include "forms/print/print_layouts.h"
#include "forms/slip_print/slip_fill.h"

namespace rx {

SlipPrintWindow::SlipPrintWindow(const ProgramContext& context, db::Visit visit, QWidget* owner)
    : PrintWindow(context,
                  {print_layouts::kSlip, QStringLiteral("数据源1"), QStringLiteral("/处方笺.grd")},
                  owner),
      表格1(gridView()),
      数据源1(dataSource()),
      通用提供者1(provider()),
      visit_(std::move(visit)) {}

void SlipPrintWindow::fill(grid::DataSource& source) {
    slip::fillSlip(source, visit_, context().today());
}

}  // namespace rx
