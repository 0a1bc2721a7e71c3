#pragma once
// Prints the prescription slip of a visit: loads the slip template and fills
// it with what EntryWindow showed when 打   印 was clicked.

#include "db/visit.h"
#include "forms/print/print_window.h"

namespace rx {

class SlipPrintWindow final : public PrintWindow {
    Q_OBJECT
public:
    SlipPrintWindow(const ProgramContext& context, db::Visit visit, QWidget* owner);

    grid::GridView* const 表格1;
    grid::DataSource* const 数据源1;
    grid::GenericProvider& 通用提供者1;

private:
    void fill(grid::DataSource& source) override;

    db::Visit visit_;
};

}  // namespace rx
