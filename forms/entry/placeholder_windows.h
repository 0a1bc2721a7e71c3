#pragma once
// A stand-in for the query window until that window is built: an empty fixed
// window of its final outer size.

#include "platform/ui/fixed_window.h"

namespace rx {

class QueryWindowPlaceholder final : public ui::FixedWindow {
    Q_OBJECT
public:
    explicit QueryWindowPlaceholder(QWidget* owner = nullptr);
};

}  // namespace rx
