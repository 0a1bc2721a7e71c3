#pragma once
// Builds a window's controls from its layout table (layout_table.h): each
// control of its kind, with its parent, name, place, caption and options, in
// the order of the table.

#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ui/layout_table.h"

class QComboBox;
class QFont;
class QWidget;

namespace rx::ui {

inline QString text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline QSize outerSize(const WindowLayout& layout) {
    return {layout.outerWidth, layout.outerHeight};
}

// The table's row of `name`, nullptr when it has none.
const Control* findControl(const WindowLayout& layout, std::string_view name);

class BuiltControls {
public:
    // Builds the controls this build has (hostLinked) into `window`; a Grid is
    // what `makeGrid` returns.
    BuiltControls(QWidget* window, const WindowLayout& layout, bool hostLinked,
                  const std::function<QWidget*()>& makeGrid = {});

    // The control named `name` as its class, nullptr when this build has none.
    template <class Control>
    Control* get(std::string_view name) const {
        return dynamic_cast<Control*>(find(name));
    }

private:
    QWidget* find(std::string_view name) const;
    QWidget* build(const Control& control, const std::function<QWidget*()>& makeGrid) const;

    QWidget* window_;
    std::vector<std::pair<std::string_view, QWidget*>> built_;
};

// Gives a combo box its items and shows item `selected` (-1: none).
void fill(QComboBox* combo, const QStringList& items, int selected);

// The 16 px Song face of the drug and patient lists.
QFont listFont();

}  // namespace rx::ui
