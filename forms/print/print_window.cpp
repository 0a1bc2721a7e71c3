#include "forms/print/print_window.h"

#include <QPushButton>

#include "platform/grid/grid_view.h"
#include "platform/grid/print_preview.h"
#include "platform/ui/basic_controls.h"
#include "platform/ui/layout_builder.h"

namespace rx {

PrintWindow::PrintWindow(const ProgramContext& context, const Layout& layout, QWidget* owner)
    : FixedWindow(ui::outerSize(layout.table), ui::TitleButtons::Close, owner),
      context_(context),
      templatePiece_(layout.templatePiece) {
    const ui::BuiltControls built(this, layout.table, context.hostLinked(),
                                  [] { return new grid::GridView; });
    grid_ = built.get<grid::GridView>(layout.table.controls.front().name);
    按钮_打印预览 = built.get<QPushButton>("按钮_打印预览");
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
