// A stand-in for the hospital system's doctor-workstation frame: a window of
// class "his_frame" with the frame's title and the patient's name and three
// complaint pieces along their control paths, editable, published as
// docs/host-frame.md describes. For demonstrations and the end-to-end tests.
//   host_frame [--patient TEXT] [--complaint1 TEXT] [--complaint2 TEXT] [--complaint3 TEXT]

#include <xcb/xcb.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>
#include <cstring>

#include "platform/host/host_import.h"
#include "platform/text/gb18030.h"

namespace {

xcb_connection_t* connection() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(const char* name) {
    xcb_connection_t* c = connection();
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

void setProperty(QWidget* w, xcb_atom_t name, xcb_atom_t type, int format, const void* data,
                 std::size_t count) {
    xcb_change_property(connection(), XCB_PROP_MODE_REPLACE, xcb_window_t(w->winId()), name, type,
                        std::uint8_t(format), std::uint32_t(count), data);
    xcb_flush(connection());
}

// A native child window carrying a control identifier.
QWidget* control(QWidget* parent, int identifier) {
    auto* w = new QWidget(parent);
    w->setAttribute(Qt::WA_NativeWindow);
    const std::uint32_t id = std::uint32_t(identifier);
    setProperty(w, atom("HIS_CONTROL_ID"), XCB_ATOM_CARDINAL, 32, &id, 1);
    return w;
}

// An editable field whose text is published on its own native window.
QLineEdit* field(QWidget* parent, int identifier, const QString& text) {
    auto* edit = new QLineEdit(parent);
    edit->setAttribute(Qt::WA_NativeWindow);
    edit->setMaxLength(1 << 24);
    const std::uint32_t id = std::uint32_t(identifier);
    setProperty(edit, atom("HIS_CONTROL_ID"), XCB_ATOM_CARDINAL, 32, &id, 1);
    auto publish = [edit](const QString& t) {
        const QByteArray utf8 = t.toUtf8();
        setProperty(edit, atom("HIS_CONTROL_TEXT"), atom("UTF8_STRING"), 8, utf8.constData(),
                    std::size_t(utf8.size()));
    };
    QObject::connect(edit, &QLineEdit::textChanged, edit, publish);
    edit->setText(text);
    publish(text);
    return edit;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCommandLineParser options;
    for (const char* name : {"patient", "complaint1", "complaint2", "complaint3"})
        options.addOption(
            {QString::fromLatin1(name), QString::fromLatin1(name), QStringLiteral("text")});
    options.process(app);
    if (!connection()) {
        std::fprintf(stderr, "host_frame needs an X11 display\n");
        return 1;
    }

    QWidget frame;
    frame.setWindowTitle(
        QString::fromStdString(rx::text::gb18030ToUtf8(rx::host::frameTitle()).bytes));
    frame.resize(520, 200);
    frame.winId();
    const char wmClass[] = "his_frame\0his_frame";
    setProperty(&frame, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, wmClass, sizeof wmClass);

    // The path's windows nest inside each other; the fields are children of the last.
    QWidget* step = &frame;
    for (int identifier : rx::host::kPathSteps) {
        QWidget* inner = control(step, identifier);
        auto* layout = new QVBoxLayout(step);
        if (step != &frame) layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(inner);
        step = inner;
    }
    auto* rows = new QFormLayout(step);
    rows->addRow(QStringLiteral("姓名"),
                 field(step, rx::host::kNameControl, options.value(QStringLiteral("patient"))));
    const char* pieces[] = {"complaint1", "complaint2", "complaint3"};
    for (int i = 0; i < 3; ++i)
        rows->addRow(QStringLiteral("主诉%1").arg(i + 1),
                     field(step, rx::host::kComplaintControls[i],
                           options.value(QString::fromLatin1(pieces[i]))));
    frame.show();
    return app.exec();
}
