#include "forms/slip_print/slip_print_window.h"

#include "forms/entry/entry_window.h"

namespace rx {

SlipPrintWindow::SlipPrintWindow(EntryWindow& entry)
    : FixedWindow(QSize(555, 401), ui::TitleButtons::Close, &entry), entry_(entry) {}

}  // namespace rx
