#include "platform/ui/modal_activation.h"

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QGuiApplication>
#include <QWindow>

namespace rx::ui {
namespace {

// Whether `window` lies below `modal` on its chain of owners and parents.
bool owns(const QWindow* window, const QWindow* modal) {
    for (const QWindow* w = modal; w; w = w->transientParent() ? w->transientParent() : w->parent())
        if (w == window) return true;
    return false;
}

bool blocks(const QWindow* modal, const QWindow* window) {
    if (modal == window || !modal->isVisible()) return false;
    return modal->modality() == Qt::ApplicationModal ||
           (modal->modality() == Qt::WindowModal && owns(window, modal));
}

// Buttons 1 to 3; 4 to 7 are the wheel, which activates nothing.
bool isClick(std::uint32_t button) {
    return button >= 1 && button <= 3;
}

// Presses arrive as core events, or as XInput 2 events where Qt asked for those.
class ClickRedirect final : public QAbstractNativeEventFilter {
public:
    explicit ClickRedirect(xcb_connection_t* connection) {
        const xcb_query_extension_reply_t* xinput =
            xcb_get_extension_data(connection, &xcb_input_id);
        xinputOpcode_ = xinput && xinput->present ? xinput->major_opcode : 0;
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        // An open drop-down (a picker's calendar) closes on a click anywhere;
        // that press is Qt's to see.
        if (type != "xcb_generic_event_t" || QApplication::activePopupWidget()) return false;
        const xcb_window_t clicked = pressedIn(static_cast<const xcb_generic_event_t*>(message));
        QWindow* window = clicked ? topLevelWith(clicked) : nullptr;
        QWindow* modal = window ? modalBlocking(window) : nullptr;
        if (!modal) return false;
        modal->raise();
        modal->requestActivate();
        return true;  // Qt would activate the clicked window; its input is ignored anyway
    }

private:
    xcb_window_t pressedIn(const xcb_generic_event_t* event) const {
        const int kind = event->response_type & 0x7F;
        if (kind == XCB_BUTTON_PRESS) {
            const auto* press = reinterpret_cast<const xcb_button_press_event_t*>(event);
            return isClick(press->detail) ? press->event : 0;
        }
        if (kind != XCB_GE_GENERIC || !xinputOpcode_) return 0;
        const auto* generic = reinterpret_cast<const xcb_ge_generic_event_t*>(event);
        if (generic->extension != xinputOpcode_ || generic->event_type != XCB_INPUT_BUTTON_PRESS)
            return 0;
        const auto* press = reinterpret_cast<const xcb_input_button_press_event_t*>(event);
        return isClick(press->detail) ? press->event : 0;
    }

    static QWindow* topLevelWith(xcb_window_t id) {
        for (QWindow* w : QGuiApplication::allWindows()) {
            if (!w->handle() || w->winId() != id) continue;
            while (w->parent()) w = w->parent();
            return w;
        }
        return nullptr;
    }

    std::uint8_t xinputOpcode_ = 0;
};

}  // namespace

QWindow* modalBlocking(const QWindow* window) {
    // The modal window shown last is the innermost, when it is one of those
    // that block this window.
    if (QWindow* last = QGuiApplication::modalWindow(); last && blocks(last, window)) return last;
    for (QWindow* candidate : QGuiApplication::topLevelWindows())
        if (blocks(candidate, window)) return candidate;
    return nullptr;
}

void keepModalWindowsInFront() {
    static bool installed = false;
    if (installed || !qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb")) return;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) return;
    installed = true;
    // Lives as long as the program: the filter may be asked until the last event.
    qGuiApp->installNativeEventFilter(new ClickRedirect(x11->connection()));
}

}  // namespace rx::ui
