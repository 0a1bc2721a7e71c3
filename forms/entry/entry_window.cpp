#include "forms/entry/entry_window.h"

#include "platform/ui/basic_controls.h"

#include <QGroupBox>

namespace rx {

EntryWindow::EntryWindow(QWidget* parent)
    : FixedWindow(QSize(868, 692), ui::TitleButtons::CloseMinimizeMaximize, parent) {
    分组框_人员信息 = ui::named(new QGroupBox(QStringLiteral("门诊处方录入"), this),
                              QStringLiteral("分组框_人员信息"));
    ui::place(分组框_人员信息, 8, 9, 848, 647);
}

}  // namespace rx
