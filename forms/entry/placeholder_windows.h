#pragma once
// Stand-ins for the query and patient index windows until those windows are
// built: empty fixed windows of their final outer sizes.

#include "platform/ui/fixed_window.h"

namespace rx {

class QueryWindowPlaceholder final : public ui::FixedWindow {
    Q_OBJECT
public:
    explicit QueryWindowPlaceholder(QWidget* owner = nullptr);
};

class PatientIndexWindowPlaceholder final : public ui::FixedWindow {
    Q_OBJECT
public:
    explicit PatientIndexWindowPlaceholder(QWidget* owner = nullptr);
};

}  // namespace rx
