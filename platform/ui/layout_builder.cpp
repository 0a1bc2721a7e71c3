#include "platform/ui/layout_builder.h"

#include <QComboBox>
#include <QGroupBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "platform/ui/basic_controls.h"
#include "platform/ui/report_list_view.h"
#include "platform/ui/whole_number_edit.h"

namespace rx::ui {
namespace {

QComboBox* combo(bool editable) {
    auto* c = new QComboBox;
    c->setEditable(editable);
    if (editable) {
        withoutLengthLimit(c->lineEdit());
        // What the doctor typed is the text; completing "禾川1" to "禾川1号" would save a remark
        // never meant.
        c->setCompleter(nullptr);
    }
    c->setInsertPolicy(QComboBox::NoInsert);
    c->setMaxVisibleItems(7);  // about 140 px deep below the 20 px box
    return c;
}

QPlainTextEdit* textEdit(const Control& control) {
    auto* e = new QPlainTextEdit;
    if (control.has(opt::WrapAnywhere)) {
        e->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        e->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    }
    e->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab walks the form where Enter belongs to the text or to a key handler.
    e->setTabChangesFocus(control.has(opt::TabChangesFocus));
    return e;
}

QPushButton* button(const QString& caption) {
    auto* b = new QPushButton(caption);
    b->setAutoDefault(false);
    return b;
}

DatePicker* datePicker() {
    auto* d = new DatePicker;
    d->setDisplayFormat(QStringLiteral("yyyy'年'M'月'd'日'"));  // the Chinese long date
    d->setCalendarPopup(true);
    return d;
}

QWidget* widgetOf(const Control& control, const std::function<QWidget*()>& makeGrid) {
    const QString caption = text(control.caption);
    switch (control.kind) {
        case Kind::GroupBox:
            return new QGroupBox(caption);
        case Kind::Label:
            return new QLabel(caption);
        case Kind::TransparentLabel:
            return new TransparentLabel(caption);
        case Kind::Edit:
            return new EditBox;
        case Kind::PasswordEdit:
            return new PasswordEdit;
        case Kind::WholeNumberEdit:
            return new WholeNumberEdit;
        case Kind::TextEdit:
            return textEdit(control);
        case Kind::Combo:
            return combo(control.has(opt::Editable));
        case Kind::DatePicker:
            return datePicker();
        case Kind::Button:
            return button(caption);
        case Kind::RadioButton:
            return new QRadioButton(caption);
        case Kind::ReportList:
            return new ReportListView;
        case Kind::ListBox:
            return new QListWidget;
        case Kind::Grid:
            return makeGrid();
    }
    return nullptr;
}

// What the options add once the control has its parent and place.
void applyOptions(QWidget* w, const Control& control) {
    if (control.kind == Kind::Label) {
        w->setFocusPolicy(Qt::NoFocus);
        static_cast<QLabel*>(w)->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    if (control.has(opt::ListFont)) w->setFont(listFont());
    if (control.has(opt::NoFocus)) w->setFocusPolicy(Qt::NoFocus);
    if (control.has(opt::StrongFocus)) w->setFocusPolicy(Qt::StrongFocus);
    if (control.has(opt::DisplayOnly)) {
        w->setEnabled(false);
        readableWhenDisabled(w);
    }
    if (control.has(opt::Hidden)) w->hide();
}

}  // namespace

const Control* findControl(const WindowLayout& layout, std::string_view name) {
    for (const Control& c : layout.controls)
        if (c.name == name) return &c;
    return nullptr;
}

BuiltControls::BuiltControls(QWidget* window, const WindowLayout& layout, bool hostLinked,
                             const std::function<QWidget*()>& makeGrid)
    : window_(window) {
    for (const Control& control : layout.controls)
        if (control.builtIn(hostLinked))
            built_.emplace_back(control.name, build(control, makeGrid));
}

QWidget* BuiltControls::find(std::string_view name) const {
    for (const auto& [builtName, widget] : built_)
        if (builtName == name) return widget;
    return nullptr;
}

QWidget* BuiltControls::build(const Control& control,
                              const std::function<QWidget*()>& makeGrid) const {
    QWidget* parent = control.parent.empty() ? window_ : find(control.parent);
    Q_ASSERT(parent);  // a group box comes before what it holds
    QWidget* w = widgetOf(control, makeGrid);
    w->setParent(parent);
    w->setObjectName(text(control.name));
    place(w, control.at.x, control.at.y, control.at.width, control.at.height);
    applyOptions(w, control);
    return w;
}

void fill(QComboBox* combo, const QStringList& items, int selected) {
    combo->addItems(items);
    combo->setCurrentIndex(selected);
}

QFont listFont() {
    QFont font(QStringLiteral("SimSun"));
    font.setPixelSize(16);
    font.setWeight(QFont::Normal);
    return font;
}

}  // namespace rx::ui
