#include "platform/grid/print_preview.h"

#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "platform/grid/data_source.h"
#include "platform/grid/grid_painter.h"

namespace rx::grid {

PrintPreview::PrintPreview(DataSource& source, QWidget* owner)
    : QObject(owner), source_(source), owner_(owner) {}

PrintPreview::~PrintPreview() {
    delete dialog_.data();
}

bool PrintPreview::isOpen() const {
    return dialog_ && dialog_->isVisible();
}

void PrintPreview::open() {
    if (isOpen()) {
        dialog_->raise();
        dialog_->activateWindow();
        return;
    }
    delete dialog_.data();
    // A fresh printer each time picks up the template's page, in case the grid
    // was loaded again since the last preview.
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer_->setPageLayout(pageLayoutFor(source_.table().page()));
    printer_->setDocName(QStringLiteral("rx_workstation"));
    dialog_ = new QPrintPreviewDialog(printer_.get(), owner_);
    dialog_->setObjectName(QStringLiteral("打印预览"));
    dialog_->setWindowTitle(QStringLiteral("打印预览"));
    dialog_->setWindowModality(Qt::NonModal);
    connect(dialog_, &QPrintPreviewDialog::paintRequested, this, &PrintPreview::paintPages);
    dialog_->showMaximized();
}

void PrintPreview::paintPages(QPrinter* printer) {
    // The print dialog puts the chosen printer's default paper in place of the
    // template's (an A5 slip came out on A4); the page is the template's.
    printer->setPageLayout(pageLayoutFor(source_.table().page()));
    QPainter painter;
    if (!painter.begin(printer)) return;
    paintTable(painter, source_.table(), printer->resolution() / 25.4, {},
               pageArea(printer->pageLayout(), printer->resolution()));
    painter.end();
}

}  // namespace rx::grid
