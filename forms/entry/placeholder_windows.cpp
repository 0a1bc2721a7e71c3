#include "forms/entry/placeholder_windows.h"

namespace rx {

QueryWindowPlaceholder::QueryWindowPlaceholder(QWidget* owner)
    : FixedWindow(QSize(667, 525), ui::TitleButtons::CloseMinimizeMaximize, owner) {
    setObjectName(QStringLiteral("QueryWindow"));
}

}  // namespace rx
