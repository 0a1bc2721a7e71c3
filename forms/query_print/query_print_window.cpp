#include "forms/query_print/query_print_window.h"

#include "forms/print/print_layouts.h"

namespace rx {

const print::QueryPrintMap& QueryPrintWindow::mapFor(const ProgramContext& context) {
    return context.hostLinked() ? print::kSlipQueryMap : print::kA4QueryMap;
}

QueryPrintWindow::QueryPrintWindow(const ProgramContext& context, print::QueryPrint print,
                                   QWidget* owner)
    : PrintWindow(context,
                  {print_layouts::kQuery, QStringLiteral("数据源2"),
                   mapFor(context).templatePiece.toString()},
                  owner),
      表格_查询打印(gridView()),
      数据源2(dataSource()),
      通用提供者2(provider()),
      map_(mapFor(context)),
      print_(std::move(print)) {}

void QueryPrintWindow::fill(grid::DataSource& source) {
    print::fillQueryPrint(source, print_, map_);
}

}  // namespace rx
