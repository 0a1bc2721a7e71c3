#include "platform/ui/basic_controls.h"

#include <QKeyEvent>
#include <QPalette>
#include <QProxyStyle>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

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

struct FieldLimits {
    int digits = 0;  // 0: not a field digits are typed into
    int max = 0;
};

FieldLimits limitsOf(QDateTimeEdit::Section field, QDate date) {
    switch (field) {
        case QDateTimeEdit::YearSection:
            return {4, 9999};
        case QDateTimeEdit::MonthSection:
            return {2, 12};
        case QDateTimeEdit::DaySection:
            return {2, date.daysInMonth()};
        default:
            return {};
    }
}

// The date with one field replaced; a day past the end of the new month
// becomes its last day. Empty while the typed value is no date yet (month 0).
std::optional<QDate> withField(QDate date, QDateTimeEdit::Section field, int value) {
    int y = date.year(), m = date.month();
    if (field == QDateTimeEdit::YearSection) y = value;
    if (field == QDateTimeEdit::MonthSection) m = value;
    if (value < 1 || m > 12) return std::nullopt;
    const QDate first(y, m, 1);
    if (!first.isValid()) return std::nullopt;
    const int day = field == QDateTimeEdit::DaySection ? value : date.day();
    return QDate(y, m, std::min(day, first.daysInMonth()));
}

// The characters that close a field: the Chinese units and the usual
// separators, and whatever literal the display format puts between fields.
bool isFieldSeparator(QChar c, const QString& format) {
    static const QString kFormatLetters = QStringLiteral("yMdhHmszapAP'");
    return QStringLiteral("年月日/-.").contains(c) ||
           (format.contains(c) && !kFormatLetters.contains(c));
}

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

QLocale chineseLocale() {
    return QLocale(QLocale::Chinese, QLocale::China);
}

FieldEntry enterDigit(const QString& typed, QChar digit, int maxDigits, int maxValue) {
    const QChar d(u'0' + digit.digitValue());  // full-width digits count as well
    QString digits = typed + d;
    if (digits.size() > maxDigits || digits.toInt() > maxValue) digits = QString(d);
    const int value = digits.toInt();
    return {digits, value, digits.size() >= maxDigits || value * 10 > maxValue};
}

DatePicker::DatePicker(QWidget* parent) : QDateTimeEdit(parent) {
    // The drop-down calendar inherits the picker's locale.
    setLocale(chineseLocale());
    // Not WheelFocus: a wheel turned over a picker the doctor is not in must not change it.
    setFocusPolicy(Qt::StrongFocus);
}

bool DatePicker::focusNextPrevChild(bool next) {
    return QWidget::focusNextPrevChild(next);
}

void DatePicker::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (plain && text.size() == 1 && typeCharacter(text.front())) {
        event->accept();
        return;
    }
    typedField_ = -1;  // any other key ends the typing of a field
    movedOnWhenFull_ = false;
    QDateTimeEdit::keyPressEvent(event);
}

void DatePicker::inputMethodEvent(QInputMethodEvent* event) {
    // 年, 月 and 日 come from the input method.
    if (!event->preeditString().isEmpty() || event->commitString().isEmpty()) {
        QDateTimeEdit::inputMethodEvent(event);
        return;
    }
    for (const QChar c : event->commitString()) typeCharacter(c);
    event->accept();
}

void DatePicker::wheelEvent(QWheelEvent* event) {
    if (!hasFocus()) {
        event->ignore();  // lets the window scroll or ignore it
        return;
    }
    QDateTimeEdit::wheelEvent(event);
}

bool DatePicker::typeCharacter(QChar c) {
    if (c.isDigit()) {
        typeDigit(c);
        return true;
    }
    if (c.isSpace() || !c.isPrint()) return false;
    // The separator right after a field that filled up has already been passed.
    if (isFieldSeparator(c, displayFormat()) && !movedOnWhenFull_) moveToNextField();
    movedOnWhenFull_ = false;
    return true;  // a letter is no part of a date: refused, as the picker does on Windows
}

void DatePicker::typeDigit(QChar digit) {
    movedOnWhenFull_ = false;
    const int field = currentSectionIndex();
    if (field != typedField_) typed_.clear();
    typedField_ = field;
    const Section section = currentSection();
    const FieldLimits limits = limitsOf(section, date());
    if (limits.digits == 0) return;
    const FieldEntry entry = enterDigit(typed_, digit, limits.digits, limits.max);
    typed_ = entry.digits;
    const std::optional<QDate> changed = withField(date(), section, entry.value);
    if (changed && *changed >= minimumDate() && *changed <= maximumDate()) {
        setDateTime(QDateTime(*changed, time()));  // the time of day stays
        setCurrentSectionIndex(field);
    }
    if (entry.full) {
        moveToNextField();
        movedOnWhenFull_ = true;
    }
}

void DatePicker::moveToNextField() {
    typedField_ = -1;
    movedOnWhenFull_ = false;
    const int next = currentSectionIndex() + 1;
    if (next < sectionCount()) setCurrentSectionIndex(next);
}

void DatePicker::focusInEvent(QFocusEvent* event) {
    typedField_ = -1;
    QDateTimeEdit::focusInEvent(event);
}

void DatePicker::mousePressEvent(QMouseEvent* event) {
    typedField_ = -1;
    QDateTimeEdit::mousePressEvent(event);
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
