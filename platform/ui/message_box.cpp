#include "platform/ui/message_box.h"

#include <QGridLayout>
#include <QMessageBox>
#include <QTimer>

#include "platform/ui/fixed_window.h"

namespace rx::ui {
namespace {

QMessageBox::Icon iconFor(MessageLook look) {
    switch (look) {
        case MessageLook::Stop:
            return QMessageBox::Critical;
        case MessageLook::Question:
            return QMessageBox::Question;
        case MessageLook::Information:
            return QMessageBox::Information;
        case MessageLook::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// A box as narrow as "登陆失败！" leaves the window manager no room for the
// title beside its buttons; a box wide enough for the title keeps it readable.
void keepTitleVisible(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid) return;
    constexpr int kTitleBarButtons = 120;  // icon and three buttons of a usual frame
    const int width = box.fontMetrics().horizontalAdvance(box.windowTitle()) + kTitleBarButtons;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

class QtMessageBoxes final : public MessageBoxService {
public:
    void show(const ShownMessage& message) override {
        // No owner: the box stands on its own and blocks every window of the program.
        QMessageBox box(iconFor(message.look), message.title, message.text, QMessageBox::Ok);
        box.setWindowModality(Qt::ApplicationModal);
        keepTitleVisible(box);
        // Once the box is up, it asks for the keyboard (no window manager may give it).
        QTimer::singleShot(0, &box, [&box] { takeKeyboard(&box); });
        box.exec();
    }
};

}  // namespace

MessageBoxService& realMessageBoxes() {
    static QtMessageBoxes boxes;
    return boxes;
}

}  // namespace rx::ui
