#pragma once
// Small controls of the windowing layer that Qt has no exact counterpart for.

#include <QLabel>
#include <QLineEdit>

namespace rx::ui {

// Draws only its text over whatever lies behind it (the background picture);
// no box, no background of its own.
class TransparentLabel final : public QLabel {
    Q_OBJECT
public:
    explicit TransparentLabel(const QString& text, QWidget* parent = nullptr);
};

// A single-line edit box that shows one "*" per character and still yields the
// typed text.
class PasswordEdit final : public QLineEdit {
    Q_OBJECT
public:
    explicit PasswordEdit(QWidget* parent = nullptr);
};

// Lifts Qt's default limit of 32767 characters: the program's edit boxes have
// no length limit, and a long pasted text must be kept whole, not cut silently.
QLineEdit* withoutLengthLimit(QLineEdit* edit);

// Places a control: left, top, width, height in pixels of its parent's client area.
void place(QWidget* control, int left, int top, int width, int height);

// Names a control for tests and tools (findChild).
template <class Control>
Control* named(Control* control, const QString& name) {
    control->setObjectName(name);
    return control;
}

}  // namespace rx::ui
