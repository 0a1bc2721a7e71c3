#pragma once
// The doctor's main window.

#include "platform/ui/fixed_window.h"

class QGroupBox;

namespace rx {

class EntryWindow final : public ui::FixedWindow {
    Q_OBJECT
public:
    explicit EntryWindow(QWidget* parent = nullptr);

    QGroupBox* 分组框_人员信息;
};

}  // namespace rx
