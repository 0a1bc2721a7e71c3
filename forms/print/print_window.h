#pragma once
// The base of the two print windows: a grid over a hidden data source that
// starts from the generic provider's table, a template loaded from the program
// directory when the window is created, the window's own fill step, and the
// preview button that opens the print preview or brings it to the front.

#include "platform/grid/data_source.h"
#include "platform/program/program_context.h"
#include "platform/ui/fixed_window.h"
#include "platform/ui/layout_table.h"

class QPushButton;

namespace rx {

namespace grid {
class GridView;
class PrintPreview;
}  // namespace grid

class PrintWindow : public ui::FixedWindow {
    Q_OBJECT
public:
    ~PrintWindow() override;

    QPushButton* 按钮_打印预览;

    // The preview of the grid, for tests to see whether it is open.
    grid::PrintPreview* preview() const { return preview_; }

protected:
    struct Layout {
        const ui::WindowLayout& table;  // a Grid and 按钮_打印预览
        QString sourceName;
        QString templatePiece;  // e.g. "/A4.grd", beside the executable
    };
    PrintWindow(const ProgramContext& context, const Layout& layout, QWidget* owner);

    grid::GridView* gridView() const { return grid_; }
    grid::DataSource* dataSource() const { return source_; }
    grid::GenericProvider& provider() { return provider_; }
    const ProgramContext& context() const { return context_; }

    // Writes what the window prints into the loaded table.
    virtual void fill(grid::DataSource& source) = 0;

private:
    void OnCreated() final;
    void OnPreviewClicked();

    const ProgramContext& context_;
    QString templatePiece_;
    grid::GenericProvider provider_;
    grid::GridView* grid_;
    grid::DataSource* source_;
    grid::PrintPreview* preview_;
};

}  // namespace rx
