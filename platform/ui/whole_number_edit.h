#pragma once
// A single-line edit box for whole numbers: only digits and the minus sign can
// be typed, and the text is rewritten into plain decimal when the box loses the
// focus or receives pasted text.

#include "platform/ui/basic_controls.h"

namespace rx::ui {

// The whole number that the leading characters of `text` spell (an optional
// sign, then digits; the rest is dropped, no number counts as 0), clamped to the
// signed 32-bit range and written in plain decimal; 0 is written as "".
QString wholeNumberText(const QString& text);

// Whether a typed character may enter the box.
bool isWholeNumberCharacter(QChar c);

class WholeNumberEdit final : public EditBox {
    Q_OBJECT
public:
    explicit WholeNumberEdit(QWidget* parent = nullptr);

    // Rewrites the text into its whole-number form; leaves a text already in
    // that form untouched (no text-changed event).
    void normalize();

    // Inserts `text` at the cursor and rewrites the whole box, as a paste does.
    void pasteText(const QString& text);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace rx::ui
