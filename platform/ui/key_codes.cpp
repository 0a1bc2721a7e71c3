#include "platform/ui/key_codes.h"

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace rx::ui {
namespace {

class KeyDownFilter final : public QObject {
public:
    KeyDownFilter(QObject* parent, KeyDownHandler handler)
        : QObject(parent), handler_(std::move(handler)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
        const int code = virtualKey(*static_cast<QKeyEvent*>(event));
        return code != 0 && handler_(code);
    }

private:
    KeyDownHandler handler_;
};

}  // namespace

int virtualKey(const QKeyEvent& event) {
    const int key = event.key();
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return '0' + (key - Qt::Key_0);
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 0x70 + (key - Qt::Key_F1);
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return vk::Return;  // the keypad Enter is Enter too
        case Qt::Key_Backspace:
            return vk::Back;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return vk::Tab;
        case Qt::Key_Escape:
            return vk::Escape;
        case Qt::Key_Space:
            return vk::Space;
        case Qt::Key_PageUp:
            return 33;
        case Qt::Key_PageDown:
            return 34;
        case Qt::Key_End:
            return 35;
        case Qt::Key_Home:
            return 36;
        case Qt::Key_Left:
            return vk::Left;
        case Qt::Key_Up:
            return vk::Up;
        case Qt::Key_Right:
            return vk::Right;
        case Qt::Key_Down:
            return vk::Down;
        case Qt::Key_Insert:
            return 45;
        case Qt::Key_Delete:
            return vk::Delete;
        case Qt::Key_Shift:
            return 16;
        case Qt::Key_Control:
            return 17;
        case Qt::Key_Alt:
            return 18;
        case Qt::Key_Minus:
            return 0xBD;
        case Qt::Key_Period:
            return 0xBE;
        case Qt::Key_Comma:
            return 0xBC;
        default:
            return 0;
    }
}

void onKeyDown(QWidget* control, KeyDownHandler handler) {
    control->installEventFilter(new KeyDownFilter(control, std::move(handler)));
}

}  // namespace rx::ui
