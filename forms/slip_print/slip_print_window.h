#pragma once
// Prints the prescription slip of the visit on screen in EntryWindow: loads
// the slip template, fills it from EntryWindow's controls as they are when the
// window opens, and offers the print preview.

#include "platform/grid/data_source.h"
#include "platform/ui/fixed_window.h"

class QPushButton;

namespace rx {

class EntryWindow;

namespace grid {
class GridView;
class PrintPreview;
}  // namespace grid

namespace slip {
struct SlipContents;
}

class SlipPrintWindow final : public ui::FixedWindow {
    Q_OBJECT
public:
    explicit SlipPrintWindow(EntryWindow& entry);
    ~SlipPrintWindow() override;

    grid::GridView* 表格1;
    QPushButton* 按钮_打印预览;
    grid::DataSource* 数据源1;
    grid::GenericProvider 通用提供者1;

    // The preview of 表格1, for tests to see whether it is open.
    grid::PrintPreview* preview() const { return preview_; }

    // Where today's date comes from; tests fix it. Returns the previous clock.
    using Clock = QDate (*)();
    static Clock setClock(Clock clock);

protected:
    void OnCreated() override;

private:
    void OnPreviewClicked();
    slip::SlipContents readEntry() const;

    EntryWindow& entry_;
    grid::PrintPreview* preview_;
};

}  // namespace rx
