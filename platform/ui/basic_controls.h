#pragma once
// Small controls of the windowing layer that Qt has no exact counterpart for.

#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>

namespace rx::ui {

// Draws only its text over whatever lies behind it (the background picture);
// no box, no background of its own.
class TransparentLabel final : public QLabel {
    Q_OBJECT
public:
    explicit TransparentLabel(const QString& text, QWidget* parent = nullptr);
};

// The program's single-line edit box: its text-changed event comes with every
// setting of its text, once per setting, also when the new text equals the old
// one (QLineEdit stays silent then), so that what a window rebuilds from a box
// (the initials of a name, a drug lookup) follows every setting as it follows
// typing. setText and clear deliver it when called on an EditBox; through a
// plain QLineEdit pointer they would not, so the windows keep EditBox members.
// No length limit: a long pasted text is kept whole, never cut silently.
class EditBox : public QLineEdit {
    Q_OBJECT
public:
    explicit EditBox(QWidget* parent = nullptr);

    void setText(const QString& text);
    void clear();
};

// A single-line edit box that shows one "*" per character and still yields the
// typed text.
class PasswordEdit final : public EditBox {
    Q_OBJECT
public:
    explicit PasswordEdit(QWidget* parent = nullptr);
};

// A date picker that types like the Windows one: a digit typed into a field
// starts that field anew, the field moves on when it is full or when its
// separator is typed, and the wheel changes it only while it has the focus.
// Tab leaves it for the next control, the arrow keys still move between its
// fields, and its calendar speaks Chinese whatever the machine's locale.
class DatePicker final : public QDateTimeEdit {
    Q_OBJECT
public:
    explicit DatePicker(QWidget* parent = nullptr);

protected:
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    bool typeCharacter(QChar c);
    void typeDigit(QChar digit);
    void moveToNextField();

    QString typed_;  // the digits typed into the current field so far
    int typedField_ = -1;
    bool movedOnWhenFull_ = false;  // the last digit filled its field and moved on
};

// What a field holds after one more digit: the digits typed so far plus the new
// one, or the new one alone when that would exceed the field; full when no
// further digit could follow.
struct FieldEntry {
    QString digits;
    int value = 0;
    bool full = false;
};
FieldEntry enterDigit(const QString& typed, QChar digit, int maxDigits, int maxValue);

// The language of every date, month and weekday name the program shows.
QLocale chineseLocale();

// Lifts Qt's default limit of 32767 characters: the program's edit boxes have
// no length limit, and a long pasted text must be kept whole, not cut silently.
QLineEdit* withoutLengthLimit(QLineEdit* edit);

// The contrast ratio of two colours as the accessibility guidelines measure it:
// (L1 + 0.05) / (L2 + 0.05) of their relative luminances, from 1 to 21.
double contrastRatio(const QColor& a, const QColor& b);

// A disabled control that only displays keeps its greyed look but shows its
// text at least 4.5 : 1 against its background, so that it stays readable.
void readableWhenDisabled(QWidget* control);

// Places a control: left, top, width, height in pixels of its parent's client area.
void place(QWidget* control, int left, int top, int width, int height);

// Gives a control its parent, name and place (relative to the parent).
template <class Control>
Control* make(QWidget* parent, const QString& name, QRect at, Control* control) {
    control->setParent(parent);
    control->setObjectName(name);
    place(control, at.x(), at.y(), at.width(), at.height());
    return control;
}

// A caption: no Tab stop, its text from the top left of its box.
QLabel* label(QWidget* parent, const QString& name, QRect at, const QString& caption);

// Names a control for tests and tools (findChild).
template <class Control>
Control* named(Control* control, const QString& name) {
    control->setObjectName(name);
    return control;
}

}  // namespace rx::ui
