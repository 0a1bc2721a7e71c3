#pragma once
// A window on the screen against its layout table: every control of the build
// there with its parent, place and caption, nothing else in the window or its
// group boxes, every shown control inside its parent, no two siblings over each
// other unless the table says so, every caption fitting its control once the
// window shows, and the window's client size from the table's outer size.

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QStringList>
#include <QWidget>
#include <string>

#include "platform/ui/fixed_window.h"
#include "platform/ui/layout_builder.h"
#include "tests/support/text_fit.h"

namespace rx::test {

inline QString captionOf(const QWidget* w) {
    if (const auto* label = qobject_cast<const QLabel*>(w)) return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(w)) return button->text();
    if (const auto* group = qobject_cast<const QGroupBox*>(w)) return group->title();
    return {};
}

inline QString rectText(const QRect& r) {
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

inline QSize clientSize(const ui::WindowLayout& layout) {
    return ui::FrameMetrics::clientSize(ui::outerSize(layout));
}

// What differs from the table, one fault a line; empty when nothing does.
inline std::string layoutFaults(const QWidget* window, const ui::WindowLayout& layout,
                                bool hostLinked) {
    QStringList faults;
    if (window->size() != clientSize(layout))
        faults << QStringLiteral("window: ") + rectText(window->rect());
    QList<const QWidget*> parents{window}, inTable;
    for (const ui::Control& c : layout.controls) {
        const QString name = ui::text(c.name);
        const auto* w = window->findChild<const QWidget*>(name);
        if (!c.builtIn(hostLinked) || !w) {
            if (c.builtIn(hostLinked) != (w != nullptr))
                faults << name + QStringLiteral(": built or not, wrongly");
            continue;
        }
        inTable << w;
        if (c.kind == ui::Kind::GroupBox) parents << w;
        const QWidget* parent =
            c.parent.empty() ? window : window->findChild<const QWidget*>(ui::text(c.parent));
        const QRect at(c.at.x, c.at.y, c.at.width, c.at.height);
        if (w->parentWidget() != parent) faults << name + QStringLiteral(": in another parent");
        if (w->geometry() != at) faults << name + QStringLiteral(": at ") + rectText(w->geometry());
        if (captionOf(w) != ui::text(c.caption))
            faults << name + QStringLiteral(": caption ") + captionOf(w);
        if (!c.has(ui::opt::Hidden) && !parent->rect().contains(at))
            faults << name + QStringLiteral(": outside its parent");
        for (const ui::Control& o : layout.controls) {
            if (&o == &c) break;  // each pair once
            const QRect other(o.at.x, o.at.y, o.at.width, o.at.height);
            if (o.parent == c.parent && o.builtIn(hostLinked) && other.intersects(at) &&
                !(c.has(ui::opt::MayOverlap) && o.has(ui::opt::MayOverlap)))
                faults << name + QStringLiteral(": over ") + ui::text(o.name);
        }
    }
    for (const QWidget* parent : parents)
        for (const QWidget* w : parent->findChildren<const QWidget*>(Qt::FindDirectChildrenOnly))
            if (!inTable.contains(w) && !w->isWindow() && !w->objectName().startsWith(u"qt_"))
                faults << w->objectName() + QStringLiteral(": not in the table");
    // Every caption fits its control in the font it is drawn with.
    if (window->isVisible()) {
        const QString cut = QString::fromStdString(cutOffTexts(window));
        if (!cut.isEmpty()) faults << QStringLiteral("cut off: ") + cut;
    }
    return faults.join(u'\n').toStdString();
}

}  // namespace rx::test
