#include "forms/slip_print/slip_print_window.h"

#include "app/program_directory.h"
#include "forms/entry/entry_window.h"
#include "forms/slip_print/cell_maps.h"
#include "forms/slip_print/slip_fill.h"
#include "platform/grid/grid_view.h"
#include "platform/grid/print_preview.h"
#include "platform/ui/basic_controls.h"
#include "platform/ui/report_list_view.h"
#include "platform/ui/whole_number_edit.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace rx {
namespace {

const QString kSlipTemplate = QStringLiteral("/处方笺.grd");
const QString kPreviewCaption = QStringLiteral("打印预览");

QDate systemToday() { return QDate::currentDate(); }

SlipPrintWindow::Clock& slipClock() {
    static SlipPrintWindow::Clock c = &systemToday;
    return c;
}

}  // namespace

SlipPrintWindow::SlipPrintWindow(EntryWindow& entry)
    : FixedWindow(QSize(555, 401), ui::TitleButtons::Close, &entry), entry_(entry) {
    表格1 = ui::named(new grid::GridView(this), QStringLiteral("表格1"));
    ui::place(表格1, 0, 8, 512, 280);
    按钮_打印预览 = ui::named(new QPushButton(kPreviewCaption, this), QStringLiteral("按钮_打印预览"));
    ui::place(按钮_打印预览, 384, 328, 96, 24);
    按钮_打印预览->setFocusPolicy(Qt::StrongFocus);
    数据源1 = ui::named(new grid::DataSource(this), QStringLiteral("数据源1"));
    数据源1->drawOn(通用提供者1);
    表格1->setDataSource(数据源1);
    preview_ = new grid::PrintPreview(*数据源1, this);
    connect(按钮_打印预览, &QPushButton::clicked, this, [this] { OnPreviewClicked(); });
}

SlipPrintWindow::~SlipPrintWindow() = default;

SlipPrintWindow::Clock SlipPrintWindow::setClock(Clock c) {
    const Clock previous = slipClock();
    slipClock() = c ? c : &systemToday;
    return previous;
}

slip::SlipContents SlipPrintWindow::readEntry() const {
    slip::SlipContents contents;
    contents.fields = {entry_.编辑框_姓名->text(),      entry_.组合框_性别->currentText(),
                       entry_.编辑框_年龄->text(),      entry_.组合框_年龄单位->currentText(),
                       entry_.编辑框_诊断->text(),      entry_.编辑框_住址->text(),
                       entry_.编辑框_处方号->text()};
    const ui::ReportListView& drugs = *entry_.超级列表框1;
    const int rows = std::min(drugs.rowCount(), slip::kSlipDrugCount);
    for (int row = 0; row < rows; ++row)
        contents.drugRows.push_back(
            {drugs.cellText(row, 0), drugs.cellText(row, 1), drugs.cellText(row, 2)});
    contents.today = slipClock()();
    return contents;
}

void SlipPrintWindow::OnCreated() {
    // The load's result is not checked: without the template the empty table
    // stays and only the writes that land inside it show.
    数据源1->loadTemplate(programPath(kSlipTemplate));
    slip::fillSlip(*数据源1, readEntry());
}

void SlipPrintWindow::OnPreviewClicked() { preview_->open(); }

}  // namespace rx
