#include "forms/print/print_window.h"

#include <QPushButton>

#include "platform/grid/grid_view.h"
#include "platform/grid/print_preview.h"
#include "platform/ui/basic_controls.h"

namespace rx {
namespace {
const QString kPreviewCaption = QStringLiteral("打印预览");
}

PrintWindow::PrintWindow(const ProgramContext& context, const Layout& layout, QWidget* owner)
    : FixedWindow(layout.outerSize, ui::TitleButtons::Close, owner),
      context_(context),
      templatePiece_(layout.templatePiece) {
    grid_ = ui::named(new grid::GridView(this), layout.gridName);
    ui::place(grid_, layout.grid.x(), layout.grid.y(), layout.grid.width(), layout.grid.height());
    按钮_打印预览 =
        ui::named(new QPushButton(kPreviewCaption, this), QStringLiteral("按钮_打印预览"));
    const QRect b = layout.previewButton;
    ui::place(按钮_打印预览, b.x(), b.y(), b.width(), b.height());
    按钮_打印预览->setFocusPolicy(Qt::StrongFocus);
    source_ = ui::named(new grid::DataSource(this), layout.sourceName);
    source_->drawOn(provider_);
    grid_->setDataSource(source_);
    preview_ = new grid::PrintPreview(*source_, this);
    connect(按钮_打印预览, &QPushButton::clicked, this, [this] { OnPreviewClicked(); });
}

PrintWindow::~PrintWindow() = default;

void PrintWindow::OnCreated() {
    // The load's result is not checked: without the template the provider's
    // empty table stays and only the writes that land inside it show.
    source_->loadTemplate(context_.path(templatePiece_));
    fill(*source_);
}

void PrintWindow::OnPreviewClicked() {
    preview_->open();
}

}  // namespace rx
