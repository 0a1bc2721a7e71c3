#pragma once
// Whether every text a window shows fits its control in the font the control
// draws with: captions, edit box contents, the text part of date pickers and
// combo boxes, group box titles.

#include <QAbstractButton>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <string>

namespace rx::test {

// The width a single-line edit box has for its text.
inline int textRoom(const QLineEdit* e) {
    const int frame = e->hasFrame() ? e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) : 0;
    const QMargins m = e->textMargins();
    return e->contentsRect().width() - 2 * frame - 2 - m.left() - m.right();
}

inline int comboRoom(const QComboBox* c) {
    QStyleOptionComboBox option;
    option.initFrom(c);
    option.editable = c->isEditable();
    return c->style()
        ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, c)
        .width();
}

// "name: text" for every visible control under `window` whose text is cut off,
// one a line; empty when everything fits.
inline std::string cutOffTexts(const QWidget* window) {
    QStringList cut;
    const auto check = [&](const QWidget* w, const QString& text, int room, int height) {
        const QFontMetrics fm(w->font());
        // The ink must fit, but for the faint edge column of an anti-aliased last
        // stroke; the blank bearing after the last character may be cut, as it is on
        // the desktop the windows were drawn for ("姓   名", 42 pixels, in 40).
        if (fm.tightBoundingRect(text).right() > room || fm.height() > height)
            cut << w->objectName() + QStringLiteral(": ") + text;
    };
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisible() || w->objectName().startsWith(QStringLiteral("qt_"))) continue;
        if (const auto* l = qobject_cast<const QLabel*>(w); l && !l->wordWrap())
            check(l, l->text(), l->contentsRect().width(), l->contentsRect().height());
        else if (const auto* d = qobject_cast<const QDateTimeEdit*>(w)) {
            const auto* e = d->findChild<QLineEdit*>();
            check(d, d->text(), textRoom(e), e->height());
        } else if (const auto* c = qobject_cast<const QComboBox*>(w))
            check(c, c->currentText(), comboRoom(c), c->height());
        else if (const auto* e = qobject_cast<const QLineEdit*>(w);
                 e && e->echoMode() == QLineEdit::Normal && !qobject_cast<QComboBox*>(w->parent()))
            check(e, e->text(), textRoom(e), e->height());
        else if (const auto* b = qobject_cast<const QAbstractButton*>(w))
            check(b, b->text(), b->width() - 4, b->height());
        else if (const auto* g = qobject_cast<const QGroupBox*>(w))
            check(g, g->title(), g->width() - 16, g->height());
    }
    return cut.join(u'\n').toStdString();
}

}  // namespace rx::test
