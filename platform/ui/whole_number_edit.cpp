#include "platform/ui/whole_number_edit.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <cstdint>
#include <limits>

namespace rx::ui {

QString wholeNumberText(const QString& text) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    // Accumulate with saturation so that any number of digits stays in range.
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        magnitude = magnitude * 10 + (text[i].unicode() - u'0');
        if (magnitude > kMax + 1) magnitude = kMax + 1;
    }
    std::int64_t value = negative ? -magnitude : magnitude;
    if (value > kMax) value = kMax;
    if (value < kMin) value = kMin;
    return value == 0 ? QString() : QString::number(value);
}

bool isWholeNumberCharacter(QChar c) {
    return (c >= u'0' && c <= u'9') || c == u'-';
}

WholeNumberEdit::WholeNumberEdit(QWidget* parent) : EditBox(parent) {
    // Dropped text would bypass the rewrite; a whole-number box needs no drops.
    setAcceptDrops(false);
}

void WholeNumberEdit::normalize() {
    const QString rewritten = wholeNumberText(text());
    if (rewritten != text()) setText(rewritten);
}

void WholeNumberEdit::pasteText(const QString& pasted) {
    if (isReadOnly()) return;
    insert(pasted);
    normalize();
}

bool WholeNumberEdit::event(QEvent* event) {
    // FocusAboutToChange arrives before the focus-out, ahead of every filter of
    // the focus-out itself; the focus-out rewrite covers focus lost without a reason.
    if (event->type() == QEvent::FocusAboutToChange || event->type() == QEvent::FocusOut)
        normalize();
    return QLineEdit::event(event);
}

void WholeNumberEdit::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) {
        pasteText(QGuiApplication::clipboard()->text());
        event->accept();
        return;
    }
    const QString typed = event->text();
    const bool printable = typed.size() == 1 && typed[0].isPrint();
    if (printable && !isWholeNumberCharacter(typed[0]) &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        event->accept();  // swallowed: other printable characters never reach the box
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void WholeNumberEdit::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (QAction* action : menu->actions()) {
        if (action->objectName() != QLatin1String("edit-paste")) continue;
        action->disconnect();
        connect(action, &QAction::triggered, this,
                [this] { pasteText(QGuiApplication::clipboard()->text()); });
    }
    menu->popup(event->globalPos());
}

void WholeNumberEdit::mouseReleaseEvent(QMouseEvent* event) {
    // The middle button pastes the X11 selection; it goes through the rewrite too.
    if (event->button() == Qt::MiddleButton) {
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (clipboard->supportsSelection()) pasteText(clipboard->text(QClipboard::Selection));
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

}  // namespace rx::ui
