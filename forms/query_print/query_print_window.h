#pragma once
// Prints the visit that the query window shows: loads the visit sheet and
// fills it with the detail fields and drug items handed over at the click of
// 打   印. The host-linked build prints on the slip instead.

#include "forms/print/print_window.h"
#include "forms/print/query_fill.h"

namespace rx {

class QueryPrintWindow final : public PrintWindow {
    Q_OBJECT
public:
    QueryPrintWindow(const ProgramContext& context, print::QueryPrint print, QWidget* owner);

    // The map this build prints with: the A4 sheet, or the slip when host-linked.
    static const print::QueryPrintMap& mapFor(const ProgramContext& context);

    grid::GridView* const 表格_查询打印;
    grid::DataSource* const 数据源2;
    grid::GenericProvider& 通用提供者2;

private:
    void fill(grid::DataSource& source) override;

    const print::QueryPrintMap& map_;
    print::QueryPrint print_;
};

}  // namespace rx
