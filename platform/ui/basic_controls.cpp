#include "platform/ui/basic_controls.h"

#include <QProxyStyle>
#include <limits>

namespace rx::ui {
namespace {

// Asks for "*" as the mask character whatever the platform style prefers.
class AsteriskStyle final : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter) return '*';
        if (hint == SH_LineEdit_PasswordMaskDelay) return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

TransparentLabel::TransparentLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setAutoFillBackground(false);
    setAttribute(Qt::WA_TranslucentBackground);
    setFrameShape(QFrame::NoFrame);
}

EditBox::EditBox(QWidget* parent) : QLineEdit(parent) {
    withoutLengthLimit(this);
}

void EditBox::setText(const QString& text) {
    const bool unchanged = text == QLineEdit::text();
    QLineEdit::setText(text);
    if (unchanged) emit textChanged(QLineEdit::text());
}

void EditBox::clear() {
    setText(QString());
}

PasswordEdit::PasswordEdit(QWidget* parent) : EditBox(parent) {
    auto* style = new AsteriskStyle;
    style->setParent(this);
    setStyle(style);
    setEchoMode(QLineEdit::Password);
}

DatePicker::DatePicker(QWidget* parent) : QDateTimeEdit(parent) {}

bool DatePicker::focusNextPrevChild(bool next) {
    return QWidget::focusNextPrevChild(next);
}

QLineEdit* withoutLengthLimit(QLineEdit* edit) {
    edit->setMaxLength(std::numeric_limits<int>::max());
    return edit;
}

QLabel* label(QWidget* parent, const QString& name, QRect at, const QString& caption) {
    auto* l = make(parent, name, at, new QLabel(caption));
    l->setFocusPolicy(Qt::NoFocus);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

void place(QWidget* control, int left, int top, int width, int height) {
    control->setGeometry(left, top, width, height);
}

}  // namespace rx::ui
