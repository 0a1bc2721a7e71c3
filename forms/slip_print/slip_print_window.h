#pragma once
// Prints the prescription slip of the visit on screen in EntryWindow.

#include "platform/ui/fixed_window.h"

namespace rx {

class EntryWindow;

class SlipPrintWindow final : public ui::FixedWindow {
    Q_OBJECT
public:
    explicit SlipPrintWindow(EntryWindow& entry);

private:
    EntryWindow& entry_;
};

}  // namespace rx
