// A stand-in for the hospital system's doctor-workstation frame: a window of
// class "his_frame" with the frame's title and the patient's name and three
// complaint pieces along their control paths, editable, published as
// docs/host-frame.md describes. For demonstrations and the end-to-end tests.
//   host_frame [--patient TEXT] [--complaint1 TEXT] [--complaint2 TEXT] [--complaint3 TEXT]
//              [--class NAME] [--title-in net-wm-name|wm-name-utf8|wm-name-compound]
// A field left out publishes no text until it is typed into. --class and
// --title-in publish the frame the ways other toolkits do: another class
// spelling, or the title only in WM_NAME in one of its text types. Once all is
// published it writes "ready" on its output.

#include <xcb/xcb.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdio>
#include <cstring>
#include <optional>

#include "platform/host/host_import.h"
#include "platform/text/gb18030.h"

// Last: Xlib's macros (KeyPress, None, Bool) would clash with Qt's names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

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

// An editable field whose text is published on its own native window; a
// field without a text publishes none until it is typed into.
QLineEdit* field(QWidget* parent, int identifier, const std::optional<QString>& text) {
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
    if (text) {
        edit->setText(*text);
        publish(*text);
    }
    QObject::connect(edit, &QLineEdit::textChanged, edit, publish);
    return edit;
}

// The frame's class and title as asked: the title stays where Qt puts it
// (_NET_WM_NAME, read first), or goes only into WM_NAME as UTF8_STRING or as
// the COMPOUND_TEXT that Xlib makes of it.
bool publishFrame(QWidget* frame, const QString& wmClassName, const QString& titleIn) {
    const QByteArray name = wmClassName.toLatin1();
    const QByteArray wmClass = name + '\0' + name + '\0';
    setProperty(frame, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, wmClass.constData(),
                std::size_t(wmClass.size()));
    if (titleIn == u"net-wm-name") return true;
    const auto window = xcb_window_t(frame->winId());
    xcb_delete_property(connection(), window, atom("_NET_WM_NAME"));
    QByteArray title = frame->windowTitle().toUtf8();
    if (titleIn == u"wm-name-utf8") {
        setProperty(frame, XCB_ATOM_WM_NAME, atom("UTF8_STRING"), 8, title.constData(),
                    std::size_t(title.size()));
        return true;
    }
    if (titleIn != u"wm-name-compound") return false;
    Display* display = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->display();
    char* list[] = {title.data()};
    XTextProperty text{};
    if (!display ||
        Xutf8TextListToTextProperty(display, list, 1, XCompoundTextStyle, &text) != Success)
        return false;
    setProperty(frame, XCB_ATOM_WM_NAME, atom("COMPOUND_TEXT"), 8, text.value, text.nitems);
    XFree(text.value);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCommandLineParser options;
    for (const char* name :
         {"patient", "complaint1", "complaint2", "complaint3", "class", "title-in"})
        options.addOption(
            {QString::fromLatin1(name), QString::fromLatin1(name), QStringLiteral("text")});
    options.process(app);
    auto given = [&](const char* name) -> std::optional<QString> {
        const QString option = QString::fromLatin1(name);
        if (!options.isSet(option)) return std::nullopt;
        return options.value(option);
    };
    if (!connection()) {
        std::fprintf(stderr, "host_frame needs an X11 display\n");
        return 1;
    }

    QWidget frame;
    frame.setWindowTitle(
        QString::fromStdString(rx::text::gb18030ToUtf8(rx::host::frameTitle()).bytes));
    frame.resize(520, 200);
    frame.winId();

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
    rows->addRow(QStringLiteral("姓名"), field(step, rx::host::kNameControl, given("patient")));
    const char* pieces[] = {"complaint1", "complaint2", "complaint3"};
    for (int i = 0; i < 3; ++i)
        rows->addRow(QStringLiteral("主诉%1").arg(i + 1),
                     field(step, rx::host::kComplaintControls[i], given(pieces[i])));
    frame.show();
    if (!publishFrame(&frame, given("class").value_or(QString::fromLatin1(rx::host::kFrameClass)),
                      given("title-in").value_or(QStringLiteral("net-wm-name")))) {
        std::fprintf(stderr,
                     "host_frame: --title-in takes net-wm-name, wm-name-utf8 or "
                     "wm-name-compound\n");
        return 2;
    }
    xcb_flush(connection());
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
