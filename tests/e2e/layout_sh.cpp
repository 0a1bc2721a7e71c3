// Writes the shell include of the end-to-end scenarios (lib.sh sources it) from
// the windows' layout tables: each window's client size, each control's place
// in its window's client area, and where the rows of each report list lie in
// the font the program draws them with, measured on a list built as the window
// builds it. Run under QT_QPA_PLATFORM=offscreen by the build.

#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QToolBar>
#include <cstdio>
#include <string>

#include "forms/entry/entry_layout.h"
#include "forms/login/login_layout.h"
#include "forms/patient_index/patient_index_layout.h"
#include "forms/print/print_layouts.h"
#include "forms/query/query_layout.h"
#include "platform/ui/fixed_window.h"
#include "platform/ui/layout_builder.h"
#include "platform/ui/report_list_view.h"
#include "platform/ui/song_face.h"

namespace {

using namespace rx;

const ui::WindowLayout* const kWindows[] = {
    &login_layout::kLayout,         &entry_layout::kLayout, &query_layout::kLayout,
    &patient_index_layout::kLayout, &print_layouts::kSlip,  &print_layouts::kQuery,
};

std::string key(const ui::WindowLayout& layout, std::string_view control) {
    return "[" + std::string(layout.window) + "/" + std::string(control) + "]";
}

// A control's place in its window's client area, through its group boxes.
ui::Rect inClient(const ui::WindowLayout& layout, const ui::Control& control) {
    ui::Rect r = control.at;
    for (std::string_view parent = control.parent; !parent.empty();) {
        const ui::Control* group = ui::findControl(layout, parent);
        r.x += group->at.x;
        r.y += group->at.y;
        parent = group->parent;
    }
    return r;
}

// The top of a list's first row in the client area, and the height of a row.
std::pair<int, int> firstRow(const ui::WindowLayout& layout, const ui::Control& control) {
    QWidget window;
    window.setFixedSize(ui::FrameMetrics::clientSize(ui::outerSize(layout)));
    const ui::BuiltControls built(&window, layout, false, [] { return new QWidget; });
    auto* list = built.get<ui::ReportListView>(control.name);
    list->addColumn(QStringLiteral("姓名"), 100);
    list->insertRow(0, {QStringLiteral("姓名")});
    window.show();
    QApplication::processEvents();
    const QRect row = list->visualRect(list->model()->index(0, 0));
    return {list->viewport()->mapTo(&window, row.topLeft()).y(), row.height()};
}

void writeWindow(const ui::WindowLayout& layout) {
    const QSize client = ui::FrameMetrics::clientSize(ui::outerSize(layout));
    std::printf("RX_CLIENT_SIZE[%.*s]=%dx%d\n", static_cast<int>(layout.window.size()),
                layout.window.data(), client.width(), client.height());
    for (const ui::Control& c : layout.controls) {
        const ui::Rect r = inClient(layout, c);
        std::printf("RX_CONTROL%s=\"%d %d %d %d\"\n", key(layout, c.name).c_str(), r.x, r.y,
                    r.width, r.height);
        if (c.kind != ui::Kind::ReportList) continue;
        const auto [top, height] = firstRow(layout, c);
        std::printf("RX_LIST_ROWS%s=\"%d %d\"\n", key(layout, c.name).c_str(), top, height);
    }
}

// The print button of Qt's print preview, the last of its tool bar, in the
// client area of the maximised preview the print windows open.
QPoint previewPrintButton() {
    QPrinter printer;
    QPrintPreviewDialog dialog(&printer);
    dialog.resize(1280, 960);  // wide enough for the whole tool bar, as when maximised
    dialog.show();
    QApplication::processEvents();
    const auto* bar = dialog.findChild<QToolBar*>();
    const QWidget* button = bar->widgetForAction(bar->actions().constLast());
    return button->mapTo(&dialog, button->rect().center());
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ui::useDefaultGuiFont();  // as the program does
    std::printf(
        "# Written by the build from the windows' layout tables (tests/e2e/layout_sh.cpp).\n"
        "# RX_CONTROL[Window/name]: left top width height in the window's client area;\n"
        "# RX_LIST_ROWS[Window/list]: the first row's top there, and the row height;\n"
        "# RX_PREVIEW_PRINT: x y of the print preview's print button.\n"
        "declare -gA RX_CLIENT_SIZE=() RX_CONTROL=() RX_LIST_ROWS=()\n");
    for (const ui::WindowLayout* layout : kWindows) writeWindow(*layout);
    const QPoint print = previewPrintButton();
    std::printf("RX_PREVIEW_PRINT=\"%d %d\"\n", print.x(), print.y());
    return 0;
}
