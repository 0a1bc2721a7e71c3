#include "platform/ui/basic_controls.h"

#include <QPalette>
#include <QProxyStyle>
#include <algorithm>
#include <cmath>
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

namespace {

double relativeLuminance(const QColor& c) {
    auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

}  // namespace

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

void readableWhenDisabled(QWidget* control) {
    constexpr double kMinimum = 4.5;
    QPalette palette = control->palette();
    const QColor background = palette.color(QPalette::Disabled, QPalette::Base);
    QColor text = palette.color(QPalette::Disabled, QPalette::Text).toHsl();
    // Away from the background one step of lightness at a time: the text stays
    // the grey of its kind, only as far from the background as reading needs.
    const int step = background.lightness() >= 128 ? -1 : 1;
    while (contrastRatio(text, background) < kMinimum && text.lightness() + step >= 0 &&
           text.lightness() + step <= 255)
        text.setHsl(text.hslHue(), text.hslSaturation(), text.lightness() + step);
    palette.setColor(QPalette::Disabled, QPalette::Text, text.toRgb());
    control->setPalette(palette);
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
